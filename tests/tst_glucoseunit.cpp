// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "GlucoseUnit.h"

#include <QTest>

class TstGlucoseUnit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void mmolComesBackAsItself();
    void format_data();
    void format();
    void parse_data();
    void parse();
};

void TstGlucoseUnit::mmolComesBackAsItself()
{
    // What is typed in mmol/L is stored as whole mg/dL and must read back the same.
    for (int tenths = 10; tenths <= 333; ++tenths) {
        const QString typed = QString::number(tenths / 10.0, 'f', 1);
        const int stored = GlucoseUnit::toMgPerDl(typed.toDouble(), GlucoseUnit::MmolPerL);
        QCOMPARE(GlucoseUnit::format(stored, GlucoseUnit::MmolPerL), typed);
    }
}

void TstGlucoseUnit::format_data()
{
    QTest::addColumn<double>("mgPerDl");
    QTest::addColumn<int>("unit");
    QTest::addColumn<QString>("text");
    QTest::newRow("mg/dL whole") << 104.0 << int(GlucoseUnit::MgPerDl) << "104";
    QTest::newRow("mg/dL mean rounds") << 123.6655 << int(GlucoseUnit::MgPerDl) << "124";
    QTest::newRow("70 is 3.9") << 70.0 << int(GlucoseUnit::MmolPerL) << "3.9";
    QTest::newRow("180 is 10.0") << 180.0 << int(GlucoseUnit::MmolPerL) << "10.0";
    QTest::newRow("54 is 3.0") << 54.0 << int(GlucoseUnit::MmolPerL) << "3.0";
    QTest::newRow("250 is 13.9") << 250.0 << int(GlucoseUnit::MmolPerL) << "13.9";
}

void TstGlucoseUnit::format()
{
    QFETCH(double, mgPerDl);
    QFETCH(int, unit);
    QFETCH(QString, text);
    QCOMPARE(GlucoseUnit::format(mgPerDl, GlucoseUnit::Unit(unit)), text);
}

void TstGlucoseUnit::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("unit");
    QTest::newRow("mmol/L") << "mmol/L" << true << int(GlucoseUnit::MmolPerL);
    QTest::newRow("upper case, spaces") << " MG/DL " << true << int(GlucoseUnit::MgPerDl);
    QTest::newRow("short mmol") << "mmol" << true << int(GlucoseUnit::MmolPerL);
    QTest::newRow("unknown") << "mol" << false << int(GlucoseUnit::MgPerDl);
    QTest::newRow("empty") << "" << false << int(GlucoseUnit::MgPerDl);
}

void TstGlucoseUnit::parse()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(int, unit);
    GlucoseUnit::Unit parsed = GlucoseUnit::MgPerDl;
    QCOMPARE(GlucoseUnit::parse(text, &parsed), ok);
    QCOMPARE(int(parsed), unit);
}

QTEST_GUILESS_MAIN(TstGlucoseUnit)
#include "tst_glucoseunit.moc"
