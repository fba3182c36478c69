// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Runs with TZ=America/Los_Angeles: epoch times become that zone's wall clock.

#include "DeviceImport.h"
#include "NightscoutReader.h"
#include "importtest.h"

#include <QTest>

using namespace importtest;

class TstNightscoutReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void realSamples_data();
    void realSamples();
    void entries_data();
    void entries();
    void notEntries_data();
    void notEntries();
};

void TstNightscoutReader::realSamples_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("codes");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");

    QTest::newRow("JSON, sgv as strings, 12 NOT COMPUTABLE codes")
        << "cgm-remote-monitor_example.json" << 18 << 12 << "2014-07-19 02:34 cgm 169 ''"
        << "2014-07-19 03:59 cgm 178 ''";
    QTest::newRow("TSV without a header or a last line end")
        << "cgm-remote-monitor_example.tsv" << 19 << 11 << "2014-07-19 02:29 cgm 169 ''"
        << "2014-07-19 03:59 cgm 178 ''";
    QTest::newRow("JSON with a drifted receiver clock")
        << "cgm-remote-monitor_openaps_glucose-zoned-merge.json" << 4 << 0
        << "2016-10-23 11:18 cgm 87 ''"
        << "2016-10-23 11:33 cgm 102 ''";
    // dateString is the upload time there, up to 6.6 hours after date.
    QTest::newRow("JSON dump with backfilled readings")
        << "t1gym_glucose.json" << 200 << 0 << "2020-05-19 05:40 cgm 212 ''"
        << "2020-05-19 20:14 cgm 428 ''";
}

void TstNightscoutReader::realSamples()
{
    QFETCH(QString, file);
    const QByteArray data = fixture(QStringLiteral("nightscout/") + file);
    if (data.isEmpty())
        QSKIP("the shared fixtures are absent");
    QCOMPARE(DeviceImport::detect(data), NightscoutReader::format);
    const ImportResult result = DeviceImport::read(data);
    QVERIFY2(result.ok(), qPrintable(result.error));
    QTEST(int(result.readings.size()), "count");
    QTEST(int(result.rejected.size()), "codes");
    for (const RejectedRow &r : result.rejected)
        QVERIFY2(r.reason.contains(QLatin1String("sensor code")), qPrintable(r.reason));
    QTEST(describe(result.readings.first()), "first");
    QTEST(describe(result.readings.last()), "last");
}

void TstNightscoutReader::entries_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("readings");
    QTest::addColumn<QString>("rejected");

    // 1405791855000 is 2014-07-19 17:44:15 UTC, 10:44 in Los Angeles.
    QTest::newRow("date, not dateString; sgv a string; newest first")
        << QByteArray(R"([{"type":"sgv","sgv":"176","date":1405792155000,
                         "dateString":"2014-07-19T23:00:00Z"},
                        {"type":"sgv","sgv":175,"date":1405791855000}])")
        << "2014-07-19 10:44 cgm 175 ''|2014-07-19 10:49 cgm 176 ''"
        << "";
    QTest::newRow("mbg is a meter reading, calibrations are no readings")
        << QByteArray(R"([{"type":"mbg","mbg":120,"date":1405791855000},
                        {"type":"cal","slope":900,"date":1405791855000},
                        {"sgv":100,"date":"1405791855000"}])")
        << "2014-07-19 10:44 meter 120 ''|2014-07-19 10:44 cgm 100 ''"
        << "";
    QTest::newRow("codes under 39, bad entries rejected with reasons")
        << QByteArray(
               R"([{"type":"sgv","sgv":"5","date":1405791855000,"direction":"NOT COMPUTABLE"},
                        {"type":"sgv","sgv":39,"date":1405791855000},
                        {"type":"sgv","sgv":100},
                        {"type":"sgv","sgv":"abc","date":1405791855000},
                        {"type":"sgv","sgv":100,"date":-5},
                        {"type":"sgv","sgv":100,"date":1e300},
                        {"type":"sgv","date":1405791855000},
                        42])")
        << "2014-07-19 10:44 cgm 39 ''"
        << "1: sgv 5 is a sensor code (NOT COMPUTABLE), not a glucose value|3: no date|"
           "4: sgv \"abc\" is not a number|5: date -5 is not a time in epoch milliseconds|"
           "6: date 1e+300 is not a time in epoch milliseconds|"
           "7: sgv entry without a sgv value|8: entry is not an object";
    QTest::newRow("CSV of JSON-encoded fields, CRLF")
        << QByteArray(
               "\"2014-07-19T17:44:15.000Z\",1405791855000,176,\"Flat\",\"dexcom\"\r\n"
               "\"2014-07-19T17:49:15.000Z\",1405792155000,1,\"NOT COMPUTABLE\",\"dexcom\"\r\n")
        << "2014-07-19 10:44 cgm 176 ''"
        << "2: sgv 1 is a sensor code (NOT COMPUTABLE), not a glucose value";
    QTest::newRow("TSV, short row rejected")
        << QByteArray("07/19/2014 10:44:15 AM\t1405791855000\t176\tFlat\tdexcom\n"
                      "07/19/2014 10:49:15 AM\t1405792155000\n")
        << "2014-07-19 10:44 cgm 176 ''"
        << "2: truncated row: 2 fields, sgv is field 3";
}

void TstNightscoutReader::entries()
{
    QFETCH(QByteArray, data);
    QCOMPARE(DeviceImport::detect(data), NightscoutReader::format);
    const ImportResult result = DeviceImport::read(data);
    QVERIFY2(result.ok(), qPrintable(result.error));
    QTEST(describe(result.readings), "readings");
    QTEST(describe(result.rejected), "rejected");
}

void TstNightscoutReader::notEntries_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("error");

    QTest::newRow("truncated JSON")
        << QByteArray(R"([{"type":"sgv","sgv":1)") << "not Nightscout JSON";
    QTest::newRow("an object that is no entry")
        << QByteArray(R"({"entries":[]})") << "not Nightscout entries";
}

void TstNightscoutReader::notEntries()
{
    QFETCH(QByteArray, data);
    const ImportResult result = NightscoutReader::read(data);
    QFETCH(QString, error);
    QVERIFY2(result.error.startsWith(error), qPrintable(result.error));
    QVERIFY(result.readings.isEmpty());
}

QTEST_GUILESS_MAIN(TstNightscoutReader)
#include "tst_nightscoutreader.moc"
