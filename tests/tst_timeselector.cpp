// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TimeSelector.h"

#include <QComboBox>
#include <QTest>
#include <QTime>

namespace {

// The hour, minute and AM/PM lists, in the order the selector made them.
QList<QComboBox *> lists(const TimeSelector &selector)
{
    return selector.findChildren<QComboBox *>(QString(), Qt::FindDirectChildrenOnly);
}

QString shown(const TimeSelector &selector)
{
    const auto l = lists(selector);
    return l[0]->currentText() + ':' + l[1]->currentText() + ' ' + l[2]->currentText();
}

} // namespace

class TstTimeSelector : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void entries();
    void set_data();
    void set();
    void everyHour();
    void setAgain();
};

void TstTimeSelector::entries()
{
    const TimeSelector selector;
    const auto l = lists(selector);
    QCOMPARE(l.size(), 3);
    QStringList hours { "12" };
    for (int h = 1; h <= 11; ++h)
        hours << QString::number(h);
    QStringList minutes;
    for (int m = 0; m <= 59; ++m)
        minutes << QString::number(m);
    const auto texts = [](const QComboBox *list) {
        QStringList t;
        for (int i = 0; i < list->count(); ++i)
            t << list->itemText(i);
        return t;
    };
    QCOMPARE(texts(l[0]), hours);
    QCOMPARE(texts(l[1]), minutes);
    QCOMPARE(texts(l[2]), (QStringList { "AM", "PM" }));
}

void TstTimeSelector::set_data()
{
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QString>("shown");
    QTest::newRow("midnight") << QTime(0, 0) << "12:0 AM";
    QTest::newRow("five past midnight") << QTime(0, 5) << "12:5 AM";
    QTest::newRow("last minute of the morning") << QTime(11, 59) << "11:59 AM";
    QTest::newRow("noon") << QTime(12, 0) << "12:0 PM";
    QTest::newRow("half past one") << QTime(13, 30) << "1:30 PM";
    QTest::newRow("last minute of the day") << QTime(23, 59) << "11:59 PM";
    QTest::newRow("seconds are dropped, not rounded") << QTime(9, 15, 45) << "9:15 AM";
    QTest::newRow("milliseconds too") << QTime(9, 59, 59, 999) << "9:59 AM";
}

void TstTimeSelector::set()
{
    QFETCH(QTime, time);
    QFETCH(QString, shown);
    TimeSelector selector;
    selector.set(time);
    QCOMPARE(::shown(selector), shown);
}

void TstTimeSelector::everyHour()
{
    TimeSelector selector;
    for (int h = 0; h < 24; ++h) {
        selector.set(QTime(h, 0));
        const int onClock = h % 12 == 0 ? 12 : h % 12;
        QCOMPARE(shown(selector), QString::number(onClock) + ":0 " + (h < 12 ? "AM" : "PM"));
    }
}

void TstTimeSelector::setAgain()
{
    TimeSelector selector;
    selector.set(QTime(22, 10));
    selector.set(QTime(6, 45));
    QCOMPARE(shown(selector), "6:45 AM");
    const auto l = lists(selector);
    QCOMPARE(l[0]->count() + l[1]->count() + l[2]->count(), 12 + 60 + 2);
}

QTEST_MAIN(TstTimeSelector)
#include "tst_timeselector.moc"
