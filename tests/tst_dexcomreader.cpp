// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "DeviceImport.h"
#include "DexcomReader.h"
#include "importtest.h"

#include <QTest>

using namespace importtest;

namespace {

QByteArray clarity(const QString &name)
{
    return fixture(QStringLiteral("dexcom-clarity/") + name);
}

const QByteArray header = "\xEF\xBB\xBFIndex,Timestamp (YYYY-MM-DDThh:mm:ss),Event Type,Event "
                          "Subtype,Patient Info,Device Info,Source Device ID,Glucose Value "
                          "(mg/dL),Insulin Value (u)\n";

} // namespace

class TstDexcomReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void realSamples_data();
    void realSamples();
    void clockChanges();
    void rows_data();
    void rows();
};

void TstDexcomReader::realSamples_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("lows");
    QTest::addColumn<int>("highs");
    QTest::addColumn<QString>("first");
    QTest::addColumn<int>("firstValue");
    QTest::addColumn<QString>("last");
    QTest::addColumn<int>("lastValue");

    QTest::newRow("2016, 12 columns, date of birth in the preamble")
        << "cgmquantify_test_file.csv" << 2148 << 0 << 0 << "2016-10-24 11:24" << 103
        << "2016-11-01 09:19" << 108;
    QTest::newRow("unquoted, insulin and calibration rows between EGVs")
        << "glucosedao_000_2019-10-14_to_2019-10-28.csv" << 3913 << 2 << 13 << "2019-10-14 16:42"
        << 55 << "2019-10-28 23:57" << 176;
    QTest::newRow("large, mostly Low out of range")
        << "glucosedao_008_2020-01-23_to_2020-04-21.csv" << 24936 << 69 << 1 << "2020-01-23 00:01"
        << 151 << "2020-04-21 23:57" << 202;
    QTest::newRow("every field quoted")
        << "glucosedao_022_2023-05-27_to_2023-06-14.csv" << 5112 << 0 << 0 << "2023-05-27 01:27"
        << 182 << "2023-06-13 22:37" << 136;
}

void TstDexcomReader::realSamples()
{
    QFETCH(QString, file);
    const QByteArray data = clarity(file);
    if (data.isEmpty())
        QSKIP("the shared fixtures are absent");
    QCOMPARE(DeviceImport::detect(data), DexcomReader::format);
    const ImportResult result = DeviceImport::read(data);
    QVERIFY2(result.ok(), qPrintable(result.error));
    QCOMPARE(result.rejected.size(), 0);
    QTEST(int(result.readings.size()), "count");

    int lows = 0;
    int highs = 0;
    for (const ImportedReading &r : result.readings) {
        QCOMPARE(r.type, QStringLiteral("cgm"));
        lows += r.notes == QLatin1String("Low") && r.value == 40;
        highs += r.notes == QLatin1String("High") && r.value == 400;
    }
    QTEST(lows, "lows");
    QTEST(highs, "highs");
    const auto stamp = [](const ImportedReading &r) { return describe(r).left(16); };
    QTEST(stamp(result.readings.first()), "first");
    QTEST(result.readings.first().value, "firstValue");
    QTEST(stamp(result.readings.last()), "last");
    QTEST(result.readings.last().value, "lastValue");
}

void TstDexcomReader::clockChanges()
{
    const QByteArray autumn
        = clarity(QStringLiteral("glucosedao_000_2019-10-14_to_2019-10-28.csv"));
    const QByteArray spring
        = clarity(QStringLiteral("glucosedao_008_2020-01-23_to_2020-04-21.csv"));
    if (autumn.isEmpty() || spring.isEmpty())
        QSKIP("the shared fixtures are absent");

    // The repeated hour gives two readings of one minute, both kept.
    QList<int> at0302;
    for (const ImportedReading &r : DeviceImport::read(autumn).readings) {
        if (r.date == QDate(2019, 10, 27) && r.time == QTime(3, 2))
            at0302.append(r.value);
    }
    QCOMPARE(at0302, QList<int>({ 312, 296 }));

    // The skipped hour stays skipped: 02:55 is followed by 04:00.
    const QList<ImportedReading> readings = DeviceImport::read(spring).readings;
    const auto after = std::find_if(readings.begin(), readings.end(), [](const ImportedReading &r) {
        return r.date == QDate(2020, 3, 29) && r.time == QTime(2, 55);
    });
    QVERIFY(after != readings.end() && after + 1 != readings.end());
    QCOMPARE((after + 1)->time, QTime(4, 0));
}

void TstDexcomReader::rows_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("readings");
    QTest::addColumn<QString>("rejected");

    QTest::newRow("preamble numbers and other events are not readings")
        << header
            + "1,,FirstName,,Ann,,,,\n2,,Alert,High,,,G6,200,\n"
              "3,2024-03-05T07:08:59,EGV,,,,G6,104,\n4,2024-03-05T07:09:00,Calibration,,,,G6,"
              "99,\n5,2024-03-05T07:10:00,Insulin,Fast-Acting,,,G6,,4\n"
        << "2024-03-05 07:08 cgm 104 ''"
        << "";
    QTest::newRow("Low and High become the range's ends, noted")
        << header
            + "1,2024-03-05T07:08:00,EGV,Low,,,G6,Low,\n2,2024-03-05T07:13:00,EGV,High,,,G6,"
              "High,\n"
        << "2024-03-05 07:08 cgm 40 'Low'|2024-03-05 07:13 cgm 400 'High'"
        << "";
    QTest::newRow("mmol/L to the nearest mg/dL")
        << QByteArray(header).replace("(mg/dL)", "(mmol/L)")
            + "1,2024-03-05T07:08:00,EGV,,,,G6,5.8,\n2,2024-03-05T07:13:00,EGV,,,,G6,10.0,\n"
        << "2024-03-05 07:08 cgm 104 ''|2024-03-05 07:13 cgm 180 ''"
        << "";
    QTest::newRow("quoted, CRLF") << QByteArray(
        "\"Index\",\"Timestamp (YYYY-MM-DDThh:mm:ss)\",\"Event Type\",\"Glucose Value "
        "(mg/dL)\"\r\n\"1\",\"2024-03-05T07:08:00\",\"EGV\",\"104\"\r\n")
                                  << "2024-03-05 07:08 cgm 104 ''"
                                  << "";
    QTest::newRow("bad EGV rows are rejected with a reason")
        << header
            + "1,,EGV,,,,G6,104,\n2,2024-03-05T07:08:00,EGV,,,,G6,abc,\n"
              "3,2024-02-30T07:08:00,EGV,,,,G6,104,\n4,2024-03-05T07:08:00,EGV,,\n"
              "5,2024-03-05T07:08:00,EGV,,,,G6,0,\n"
        << ""
        << "2: EGV row without a timestamp|3: glucose value \"abc\" is not a number|"
           "4: timestamp \"2024-02-30T07:08:00\" is not a date and time|"
           "5: truncated row: 5 fields, the glucose value is field 8|"
           "6: glucose value 0 mg/dL is impossible";
}

void TstDexcomReader::rows()
{
    QFETCH(QByteArray, data);
    const ImportResult result = DeviceImport::read(data);
    QVERIFY2(result.ok(), qPrintable(result.error));
    QCOMPARE(result.format, DexcomReader::format);
    QTEST(describe(result.readings), "readings");
    QTEST(describe(result.rejected), "rejected");
}

QTEST_GUILESS_MAIN(TstDexcomReader)
#include "tst_dexcomreader.moc"
