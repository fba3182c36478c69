// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "GlucoseProfile.h"

#include <QTest>

#include <cmath>

class TstGlucoseProfile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void binOf_data();
    void binOf();
    void percentilesAcrossDays();
    void periodLimitsTheDays();
    void emptyBinsAreBlank();
};

void TstGlucoseProfile::binOf_data()
{
    QTest::addColumn<QTime>("time");
    QTest::addColumn<int>("bin");
    QTest::newRow("midnight") << QTime(0, 0) << 0;
    QTest::newRow("last second of the first bin") << QTime(0, 14, 59) << 0;
    QTest::newRow("second bin starts") << QTime(0, 15) << 1;
    QTest::newRow("noon") << QTime(12, 0) << 48;
    QTest::newRow("last minute of the day") << QTime(23, 59, 59, 999) << 95;
}

void TstGlucoseProfile::binOf()
{
    QFETCH(QTime, time);
    QFETCH(int, bin);
    QCOMPARE(GlucoseProfile::binOf(time), bin);
}

void TstGlucoseProfile::percentilesAcrossDays()
{
    // At 08:05 on 11 days the values 100, 110 ... 200; at 08:20 one reading.
    std::vector<GlucoseReading> readings;
    for (int day = 0; day <= 10; ++day)
        readings.push_back({ QDate(2024, 3, 1).addDays(day), QTime(8, 5), 200 - 10 * day });
    readings.push_back({ QDate(2024, 3, 1), QTime(8, 20), 90 });
    readings.push_back({ QDate(2024, 3, 1), QTime(8, 10), 0 });
    const GlucoseProfile profile(readings, GlucosePeriod::all());
    QCOMPARE(profile.count(), 12);
    const GlucoseProfile::Bin &bin = profile.bin(32);
    QCOMPARE(bin.count, 11);
    // Type 7 over 11 values: h = 10 p.
    QCOMPARE(bin.p5, 105.0);
    QCOMPARE(bin.p25, 125.0);
    QCOMPARE(bin.p50, 150.0);
    QCOMPARE(bin.p75, 175.0);
    QCOMPARE(bin.p95, 195.0);
    const GlucoseProfile::Bin &single = profile.bin(33);
    QCOMPARE(single.count, 1);
    QCOMPARE(single.p5, 90.0);
    QCOMPARE(single.p95, 90.0);
}

void TstGlucoseProfile::periodLimitsTheDays()
{
    std::vector<GlucoseReading> readings;
    for (int day = 0; day < 30; ++day)
        readings.push_back({ QDate(2024, 3, 1).addDays(day), QTime(12, 0), 100 + day });
    const GlucoseProfile profile(readings, GlucosePeriod::lastDays(14));
    QCOMPARE(profile.bin(48).count, 14);
    QCOMPARE(profile.bin(48).p50, 100 + 29 - 6.5);
}

void TstGlucoseProfile::emptyBinsAreBlank()
{
    const GlucoseProfile none({}, GlucosePeriod::lastDays(14));
    QCOMPARE(none.count(), 0);
    for (int i = 0; i < GlucoseProfile::binCount; ++i) {
        QCOMPARE(none.bin(i).count, 0);
        QVERIFY(std::isnan(none.bin(i).p50));
    }
}

QTEST_GUILESS_MAIN(TstGlucoseProfile)
#include "tst_glucoseprofile.moc"
