// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "GlucoseReading.h"
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
    void doubt_data();
    void doubt();
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

void TstGlucoseUnit::doubt_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("mmol");
    QTest::addColumn<bool>("implausible");
    QTest::addColumn<QString>("doubt");
    QTest::newRow("a usual reading") << 104.0 << false << false << "";
    QTest::newRow("35 mg/dL, a low one") << 35.0 << false << false << "";
    QTest::newRow("600 mg/dL") << 600.0 << false << false << "";
    QTest::newRow("33 mg/dL may be mmol/L")
        << 33.0 << false << false << "33 mg/dL is a very low reading: did you mean mmol/L?";
    QTest::newRow("34 mg/dL, too high in mmol/L to be one") << 34.0 << false << false << "";
    QTest::newRow("6 mg/dL, below the plausible")
        << 6.0 << false << true
        << "6 mg/dL is below 20 mg/dL, the lowest plausible reading: did you mean mmol/L?";
    QTest::newRow("0.5 mg/dL is no reading in either unit")
        << 0.5 << false << true << "0.5 mg/dL is below 20 mg/dL, the lowest plausible reading";
    QTest::newRow("601 mg/dL") << 601.0 << false << true
                               << "601 mg/dL is above 600 mg/dL, the highest plausible reading";
    QTest::newRow("1.1 mmol/L, 20 mg/dL") << 1.1 << true << false << "";
    QTest::newRow("33.3 mmol/L, 600 mg/dL") << 33.3 << true << false << "";
    QTest::newRow("45 mmol/L may be mg/dL")
        << 45.0 << true << true
        << "45 mmol/L is above 33.3 mmol/L, the highest plausible reading: did you mean mg/dL?";
    QTest::newRow("1000 mmol/L is no reading in either unit")
        << 1000.0 << true << true
        << "1000 mmol/L is above 33.3 mmol/L, the highest plausible reading";
    QTest::newRow("0.5 mmol/L") << 0.5 << true << true
                                << "0.5 mmol/L is below 1.1 mmol/L, the lowest plausible reading";
    QTest::newRow("too large for an int")
        << 1e300 << false << true
        << "1e+300 mg/dL is above 600 mg/dL, the highest plausible reading";
}

void TstGlucoseUnit::doubt()
{
    QFETCH(double, value);
    QFETCH(bool, mmol);
    QFETCH(bool, implausible);
    QFETCH(QString, doubt);
    const GlucoseUnit::Unit unit = mmol ? GlucoseUnit::MmolPerL : GlucoseUnit::MgPerDl;
    bool outside = !implausible;
    QCOMPARE(GlucoseUnit::doubt(value, unit, &outside), doubt);
    QCOMPARE(outside, implausible);
    // The range is the statistics' own.
    if (value < 1e6)
        QCOMPARE(!GlucoseReading::isPlausible(GlucoseUnit::toMgPerDl(value, unit)), implausible);
}

QTEST_GUILESS_MAIN(TstGlucoseUnit)
#include "tst_glucoseunit.moc"
