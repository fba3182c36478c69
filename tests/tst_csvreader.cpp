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
    void namedColumns_data();
    void namedColumns();
    void refused_data();
    void refused();
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
    QTest::newRow("decimal commas and day-first dates under semicolons")
        << QByteArray("date;time;value (mmol/L)\n05.03.2024;07:08;5,8\n13.03.2024;07:09;6\n")
        << "2024-03-05 07:08 unspecified 104 ''|2024-03-13 07:09 unspecified 108 ''"
        << "";
    QTest::newRow("a thousands separator and an exponent are no numbers")
        << QByteArray("date,time,value\n2024-03-05,07:08,\"1,234\"\n2024-03-05,07:09,1e3\n"
                      "2024-03-05,07:10,104\n2024-03-05,07:11,105\n2024-03-05,07:12,106\n")
        << "2024-03-05 07:10 unspecified 104 ''|2024-03-05 07:11 unspecified 105 ''|"
           "2024-03-05 07:12 unspecified 106 ''"
        << "2: glucose value \"1,234\" is not a number|3: glucose value \"1e3\" is not a number";
    QTest::newRow("a zone that carries a date out of the years a journal holds")
        << QByteArray("timestamp,value\n9999-12-31T23:30:00-01:00,100\n"
                      "0001-01-01T00:00:00+14:00,101\n9999-12-31T22:30:00Z,102\n"
                      "2024-03-05T06:08:00Z,103\n0001-01-01T12:00:00Z,104\n")
        << "0001-01-01 12:53 unspecified 104 ''|2024-03-05 07:08 unspecified 103 ''|"
           "9999-12-31 23:30 unspecified 102 ''"
        << "2: \"9999-12-31T23:30:00-01:00\" falls outside the years 1 to 9999 on this "
           "machine's clock|3: \"0001-01-01T00:00:00+14:00\" falls outside the years 1 to 9999 "
           "on this machine's clock";
    QTest::newRow("a BOM inside a field is kept, control characters shown escaped")
        << QByteArrayLiteral("\xEF\xBB\xBF"
                             "date,time,value,notes\n"
                             "2024-03-05,07:08,104,\xEF\xBB\xBF"
                             "bom\n"
                             "2024-03-05,07:09,x\x01y\x00,\n"
                             "2024-03-05,07:10,105,\n")
        << QString::fromUtf8("2024-03-05 07:08 unspecified 104 '\uFEFFbom'|"
                             "2024-03-05 07:10 unspecified 105 ''")
        << "3: glucose value \"x\\x01y\\x00\" is not a number";
    QTest::newRow("the last row cut inside a quote")
        << QByteArray("date,time,value,notes\n2024-03-05,07:08,104,\"fine\"\n"
                      "2024-03-05,07:09,105,\"a walk")
        << "2024-03-05 07:08 unspecified 104 'fine'"
        << "3: truncated row: the file ends inside a quoted field";
    QTest::newRow("CR-only line ends, a quoted line break, each row its line")
        << QByteArray("date,time,value,notes\r2024-03-05,07:08,104,\"a\rb\"\r"
                      "2024-03-05,07:09,x,\r\r2024-03-05,07:10,105,\r")
        << "2024-03-05 07:08 unspecified 104 'a\rb'|2024-03-05 07:10 unspecified 105 ''"
        << "4: glucose value \"x\" is not a number";
    QTest::newRow("the last value cut, the file without a line end")
        << QByteArray("date,time,value\n2024-03-05,07:08,104\n2024-03-05,07:09,104\n"
                      "2024-03-05,07:10,10")
        << "2024-03-05 07:08 unspecified 104 ''|2024-03-05 07:09 unspecified 104 ''"
        << "4: truncated row: the file ends inside its last value, without a line end";
    QTest::newRow("no line end after a quoted value or after notes: whole")
        << QByteArray("date,time,value,notes\r\n2024-03-05,07:08,104,\r\n"
                      "2024-03-05,07:09,105,fi")
        << "2024-03-05 07:08 unspecified 104 ''|2024-03-05 07:09 unspecified 105 'fi'"
        << "";
    QTest::newRow("no line end after a quoted last value: whole")
        << QByteArray("date,time,value\n2024-03-05,07:08,104\n2024-03-05,07:09,\"105\"")
        << "2024-03-05 07:08 unspecified 104 ''|2024-03-05 07:09 unspecified 105 ''"
        << "";
    // A decimal comma that is not quoted pushes a field out: the row is
    // wider than the header, even when the field pushed out is empty.
    QTest::newRow("a row wider than its header, its surplus empty")
        << QByteArray("date,time,value (mmol/L),notes\n2024-03-05,07:08,5.8,\n"
                      "2024-03-05,07:09,6,1,\n2024-03-05,07:10,6.2,\n")
        << "2024-03-05 07:08 unspecified 104 ''|2024-03-05 07:10 unspecified 112 ''"
        << "3: 5 fields where the header has 4: a value holds an unquoted delimiter";
    QTest::newRow("every row ending in a delimiter")
        << QByteArray("date,time,value\n2024-03-05,07:08,104,\n2024-03-05,07:09,105,\n")
        << "2024-03-05 07:08 unspecified 104 ''|2024-03-05 07:09 unspecified 105 ''"
        << "";
    QTest::newRow("bad rows are rejected with a reason")
        << QByteArray("date,time,value,unit\n2024-03-05,07:08\n2024-13-05,07:08,104,\n"
                      "2024-03-05,07:08,104,mmHg\n2024-03-05,07:08,,\n2024-03-05,07:08,1e9,\n")
        << ""
        << "2: truncated row: 2 of 4 fields|"
           "3: date and time \"2024-13-05 07:08\" are not YYYY-MM-DD and HH:MM|"
           "4: unit \"mmHg\" is neither mg/dL nor mmol/L|5: no glucose value|"
           "6: glucose value \"1e9\" is not a number";
}

void TstCsvReader::rows()
{
    QFETCH(QByteArray, data);
    QCOMPARE(DeviceImport::detect(data), CsvReader::format);
    const ImportResult result = DeviceImport::read(data);
    QVERIFY2(result.ok(), qPrintable(result.error));
    QTEST(describe(result.readings), "readings");
    QTEST(describe(result.rejected), "rejected");
    QCOMPARE(result.accounted(), result.rows);
}

void TstCsvReader::namedColumns_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("columns");
    QTest::addColumn<QString>("readings");
    QTest::addColumn<QString>("error");

    const QByteArray german = "Datum;Uhrzeit;Glukose;Art;Bemerkung\r\n"
                              "05.03.2024;07:08;5,8;vor dem Essen;gut\r\n";
    QTest::newRow("names, the unit given itself")
        << german << "date=Datum,time=Uhrzeit,value=Glukose,unit=mmol/L,type=Art,notes=Bemerkung"
        << "2024-03-05 07:08 vor dem Essen 104 'gut'"
        << "";
    QTest::newRow("names in any case, mg/dL by default")
        << QByteArray("When,Reading\n2024-03-05 07:08,104\n") << "DATE=when, value=READING"
        << "2024-03-05 07:08 unspecified 104 ''"
        << "";
    QTest::newRow("a unit column")
        << QByteArray("d,t,v,u\n2024-03-05,07:08,5.8,mmol/L\n") << "date=d,time=t,value=v,unit=u"
        << "2024-03-05 07:08 unspecified 104 ''"
        << "";
    QTest::newRow("a name the header lacks")
        << german << "date=Datum,time=Zeit,value=Glukose"
        << ""
        << "--columns: no line has every column named; line 1, the nearest, has no column "
           "\"Zeit\" and names Datum, Uhrzeit, Glukose, Art, Bemerkung";
    QTest::newRow("the header below a preamble")
        << QByteArray("Export of meter 12345;generated 2024-03-20\r\nDate;Time;Result;Unit\r\n"
                      "05.03.2024;07:08;5,8;mmol/l\r\n06.03.2024;07:10;6,1;mmol/l\r\n")
        << "date=Date,time=Time,value=Result,unit=Unit"
        << "2024-03-05 07:08 unspecified 104 ''|2024-03-06 07:10 unspecified 110 ''"
        << "";
    const QByteArray comma = "\"Time\",\"Glucose (mg/dL, sensor)\"\n2024-03-05 07:08,104\n";
    QTest::newRow("a name with a comma, quoted")
        << comma << "timestamp=Time,value=\"Glucose (mg/dL, sensor)\""
        << "2024-03-05 07:08 unspecified 104 ''"
        << "";
    QTest::newRow("a pair with a comma, quoted whole")
        << comma << " \"value=Glucose (mg/dL, sensor)\" ,date=Time"
        << "2024-03-05 07:08 unspecified 104 ''"
        << "";
    QTest::newRow("a name with a comma, unquoted")
        << comma << "timestamp=Time,value=Glucose (mg/dL, sensor)"
        << ""
        << "--columns takes KEY=NAME pairs";
    QTest::newRow("no value") << german << "date=Datum,time=Uhrzeit"
                              << ""
                              << "--columns must name value and date (or timestamp)";
    QTest::newRow("an unknown key") << german << "day=Datum"
                                    << ""
                                    << "--columns takes KEY=NAME pairs";
    QTest::newRow("a key twice") << german << "value=Glukose,value=Art"
                                 << ""
                                 << "--columns names value twice";
}

void TstCsvReader::namedColumns()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, columns);
    const ImportResult result = DeviceImport::read(data, QString(), columns);
    QFETCH(QString, error);
    QVERIFY2(
        error.isEmpty() ? result.ok() : result.error.startsWith(error), qPrintable(result.error));
    QTEST(describe(result.readings), "readings");
}

// A file misread as a whole, rather than a few bad rows, is refused.
void TstCsvReader::refused_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("error");

    QTest::newRow("most values not numbers for one reason")
        << QByteArray("date,time,value\n2024-03-05,07:08,5.8.1\n2024-03-05,07:09,6.1.2\n"
                      "2024-03-05,07:10,6\n")
        << "2 of 3 rows with readings are rejected alike, as line 2: glucose value \"5.8.1\" is "
           "not a number; nothing is imported";
    QTest::newRow("an unclosed quote running to the end")
        << QByteArray("date,time,value,notes\n2024-03-05,07:08,104,\"a walk\n"
                      "2024-03-05,07:09,105,\n2024-03-05,07:10,106,\n")
        << "line 2: a quoted field is not closed before the end of the file";
}

void TstCsvReader::refused()
{
    QFETCH(QByteArray, data);
    const ImportResult result = DeviceImport::read(data, CsvReader::format);
    QTEST(result.error, "error");
    QVERIFY(result.readings.isEmpty() && result.rejected.isEmpty());
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
