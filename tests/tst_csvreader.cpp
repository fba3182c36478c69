// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Runs with TZ=Europe/Berlin: a timestamp with a zone lands on that clock.

#include "CsvReader.h"
#include "DeviceImport.h"
#include "importtest.h"

#include <QTest>

using namespace importtest;

class TstCsvReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rows_data();
    void rows();
    void realTimestampColumn();
};

void TstCsvReader::rows_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("readings");
    QTest::addColumn<QString>("rejected");

    QTest::newRow("names in any case and order, type and unit per row")
        << QByteArray("Notes,Value,Unit,Time,Date,Type\n"
                      "walk,104,mg/dL,07:08,2024-03-05,pre-breakfast\n"
                      ",5.8,mmol/L,07:09:30,2024-03-05,\n")
        << "2024-03-05 07:08 pre-breakfast 104 'walk'|2024-03-05 07:09 unspecified 104 ''"
        << "";
    QTest::newRow("one timestamp, unit in the value's name")
        << QByteArray("timestamp,glucose (mmol/L)\n2024-03-05T07:08:00,10.0\n")
        << "2024-03-05 07:08 unspecified 180 ''"
        << "";
    QTest::newRow("a zoned timestamp on this machine's clock")
        << QByteArray("timestamp,value\n2024-03-05T06:08:00Z,100\n2024-07-05T07:08:00+02:00,101\n")
        << "2024-03-05 07:08 unspecified 100 ''|2024-07-05 07:08 unspecified 101 ''"
        << "";
    QTest::newRow("semicolons") << QByteArray("date;time;value\r\n2024-03-05;07:08;104\r\n")
                                << "2024-03-05 07:08 unspecified 104 ''"
                                << "";
    QTest::newRow("bad rows are rejected with a reason")
        << QByteArray("date,time,value,unit\n2024-03-05,07:08\n2024-13-05,07:08,104,\n"
                      "2024-03-05,07:08,104,mmHg\n2024-03-05,07:08,,\n2024-03-05,07:08,1e9,\n")
        << ""
        << "2: truncated row: 2 fields, the header names 4|"
           "3: date \"2024-13-05\" and time \"07:08\" are not YYYY-MM-DD and HH:MM|"
           "4: unit \"mmHg\" is neither mg/dL nor mmol/L|5: no glucose value|"
           "6: glucose value 1e9 mg/dL is impossible";
}

void TstCsvReader::rows()
{
    QFETCH(QByteArray, data);
    QCOMPARE(DeviceImport::detect(data), CsvReader::format);
    const ImportResult result = DeviceImport::read(data);
    QVERIFY2(result.ok(), qPrintable(result.error));
    QTEST(describe(result.readings), "readings");
    QTEST(describe(result.rejected), "rejected");
}

// iglu's example data: "","id","time","gl", the time a whole timestamp.
void TstCsvReader::realTimestampColumn()
{
    const QByteArray data = fixture(QStringLiteral("iglu/example_data_1_subject.csv"));
    if (data.isEmpty())
        QSKIP("the shared fixtures are absent");
    const ImportResult result = DeviceImport::read(data);
    QCOMPARE(result.format, CsvReader::format);
    QCOMPARE(describe(result.rejected), QString());
    QVERIFY(result.readings.size() > 1000);
    QCOMPARE(
        describe(result.readings.first()), QStringLiteral("2015-06-06 16:50 unspecified 153 ''"));
}

QTEST_GUILESS_MAIN(TstCsvReader)
#include "tst_csvreader.moc"
