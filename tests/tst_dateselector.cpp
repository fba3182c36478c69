// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "DateSelector.h"

#include <QComboBox>
#include <QDate>
#include <QTest>

namespace {

// The month, day and year lists, found as a caller could: the selector's
// own combo boxes in the order it made them.
QList<QComboBox *> lists(const DateSelector &selector)
{
    return selector.findChildren<QComboBox *>(QString(), Qt::FindDirectChildrenOnly);
}

QStringList texts(const QComboBox *list)
{
    QStringList t;
    for (int i = 0; i < list->count(); ++i)
        t << list->itemText(i);
    return t;
}

QStringList numbers(int from, int to)
{
    QStringList t;
    for (int n = from; n <= to; ++n)
        t << QString::number(n);
    return t;
}

} // namespace

class TstDateSelector : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void entries();
    void set_data();
    void set();
    void setAgain();
    void otherYears();
};

void TstDateSelector::entries()
{
    const DateSelector selector;
    const auto l = lists(selector);
    QCOMPARE(l.size(), 3);
    QCOMPARE(texts(l[0]),
        (QStringList { "January", "February", "March", "April", "May", "June", "July", "August",
            "September", "October", "November", "December" }));
    QCOMPARE(texts(l[1]), numbers(1, 31));
    QCOMPARE(texts(l[2]), numbers(2000, 2009));
}

void TstDateSelector::set_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("year");
    QTest::addColumn<QString>("shown");

    QTest::newRow("first of everything") << QDate(2000, 1, 1) << 0 << 0 << 0 << "January 1 2000";
    QTest::newRow("last of everything")
        << QDate(2009, 12, 31) << 11 << 30 << 9 << "December 31 2009";
    QTest::newRow("mid-year") << QDate(2009, 7, 14) << 6 << 13 << 9 << "July 14 2009";
    QTest::newRow("leap day") << QDate(2004, 2, 29) << 1 << 28 << 4 << "February 29 2004";
    QTest::newRow("year before the list") << QDate(1999, 3, 5) << 2 << 4 << -1 << "March 5 ";
    QTest::newRow("year after the list") << QDate(2024, 11, 30) << 10 << 29 << -1 << "November 30 ";
}

void TstDateSelector::set()
{
    QFETCH(QDate, date);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(int, year);
    QFETCH(QString, shown);

    DateSelector selector;
    selector.set(date);
    const auto l = lists(selector);
    QCOMPARE(l[0]->currentIndex(), month);
    QCOMPARE(l[1]->currentIndex(), day);
    QCOMPARE(l[2]->currentIndex(), year);
    QCOMPARE(l[0]->currentText() + ' ' + l[1]->currentText() + ' ' + l[2]->currentText(), shown);

    // The day list never shrinks to the month.
    QCOMPARE(l[1]->count(), 31);
}

void TstDateSelector::setAgain()
{
    DateSelector selector;
    selector.set(QDate(2003, 2, 10));
    selector.set(QDate(2001, 10, 31));
    const auto l = lists(selector);
    QCOMPARE(l[0]->currentText(), "October");
    QCOMPARE(l[1]->currentText(), "31");
    QCOMPARE(l[2]->currentText(), "2001");
    QCOMPARE(l[0]->count() + l[1]->count() + l[2]->count(), 12 + 31 + 10);
}

void TstDateSelector::otherYears()
{
    DateSelector selector(1995, 32);
    QCOMPARE(texts(&selector.year), numbers(1995, 2026));
    selector.set(QDate(2026, 12, 8));
    QCOMPARE(selector.year.currentText(), "2026");
    QCOMPARE(selector.month.currentText(), "December");
    QCOMPARE(selector.day.currentText(), "8");
    selector.set(QDate(1995, 1, 1));
    QCOMPARE(selector.year.currentIndex(), 0);
}

QTEST_MAIN(TstDateSelector)
#include "tst_dateselector.moc"
