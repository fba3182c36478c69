// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "FieldIterator.h"

#include <QTest>

class TstFieldIterator : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void walk_data();
    void walk();
    void stopsAtEnd();
};

void TstFieldIterator::walk_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("plain fields") << "a|b|c" << QStringList { "a", "b", "c" };
    QTest::newRow("empty field in the middle keeps its place")
        << "a||c" << QStringList { "a", "", "c" };
    QTest::newRow("trailing separator gives a last empty field") << "a|" << QStringList { "a", "" };
    QTest::newRow("one field") << "abc" << QStringList { "abc" };
    QTest::newRow("empty text is one empty field") << "" << QStringList { "" };
}

void TstFieldIterator::walk()
{
    QFETCH(QString, line);
    QFETCH(QStringList, fields);

    FieldIterator overLine(line);
    FieldIterator overList(fields);
    for (const QString &field : fields) {
        QVERIFY(!overLine.atEnd());
        QVERIFY(!overList.atEnd());
        QCOMPARE(*overLine, field);
        QCOMPARE(*overList, field);
        ++overLine;
        ++overList;
    }
    QVERIFY(overLine.atEnd());
    QVERIFY(overList.atEnd());
}

void TstFieldIterator::stopsAtEnd()
{
    const QStringList one { "x" };
    FieldIterator it(one);
    ++it;
    QVERIFY(it.atEnd());
    ++ ++it;
    QVERIFY(it.atEnd());
    QVERIFY((*it).isEmpty());

    const QStringList none;
    FieldIterator empty(none);
    QVERIFY(empty.atEnd());
    QVERIFY((*empty).isEmpty());
}

QTEST_GUILESS_MAIN(TstFieldIterator)
#include "tst_fielditerator.moc"
