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
    void treatments_data();
    void treatments();
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
    QCOMPARE(describe(result.rejected), QString());
    QTEST(result.skipped.value(QStringLiteral("sensor code")), "codes");
    QCOMPARE(result.accounted(), result.rows);
    QTEST(describe(result.readings.first()), "first");
    QTEST(describe(result.readings.last()), "last");
}

void TstNightscoutReader::entries_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("readings");
    QTest::addColumn<QString>("rejected");
    QTest::addColumn<QString>("skipped");

    const QString nextYear = QString::number(QDate::currentDate().year() + 1);
    // 1405791855000 is 2014-07-19 17:44:15 UTC, 10:44 in Los Angeles.
    QTest::newRow("date, not dateString; sgv a string; newest first")
        << QByteArray(R"([{"type":"sgv","sgv":"176","date":1405792155000,
                         "dateString":"2014-07-19T23:00:00Z"},
                        {"type":"sgv","sgv":175,"date":1405791855000}])")
        << "2014-07-19 10:44 cgm 175 ''|2014-07-19 10:49 cgm 176 ''"
        << ""
        << "0";
    QTest::newRow("mbg is a meter reading, calibrations and other types skipped")
        << QByteArray(R"([{"type":"mbg","mbg":120,"date":1405791855000},
                        {"type":"cal","slope":900,"date":1405791855000},
                        {"type":"sensor","date":1405791855000},
                        {"sgv":100,"date":"1405791855000"}])")
        << "2014-07-19 10:44 meter 120 ''|2014-07-19 10:44 cgm 100 ''"
        << ""
        << "1 \"sensor\" entry, 1 calibration record";
    QTest::newRow("real lows down to 13 are readings, codes up to 12 skipped")
        << QByteArray(R"([{"sgv":51,"date":1405791855000,"direction":"Flat"},
                        {"sgv":38,"date":1405792155000,"direction":"Flat"},
                        {"sgv":"13","date":1405792455000,"direction":"Flat"},
                        {"sgv":39,"date":1405792755000},
                        {"sgv":12,"date":1405793055000,"direction":"NOT COMPUTABLE"},
                        {"sgv":"5","date":1405793355000,"direction":"NOT COMPUTABLE"}])")
        << "2014-07-19 10:44 cgm 51 ''|2014-07-19 10:49 cgm 38 'below sensor range'|"
           "2014-07-19 10:54 cgm 13 'below sensor range'|2014-07-19 10:59 cgm 39 ''"
        << ""
        << "2 sensor codes";
    QTest::newRow("epoch seconds as well as milliseconds; dates out of range rejected")
        << QByteArray(R"([{"sgv":100,"date":1405791855},
                        {"sgv":101,"date":"1405792155"},
                        {"sgv":102,"date":0.5},
                        {"sgv":103,"date":"-0"},
                        {"sgv":104,"date":599616000000},
                        {"sgv":105,"date":4102444800000}])")
        << "2014-07-19 10:44 cgm 100 ''|2014-07-19 10:49 cgm 101 ''"
        << "3: date 0.5 is 1970-01-01T00:00:00Z, before 1990 or after " + nextYear
            + "|4: date -0 is 1970-01-01T00:00:00Z, before 1990 or after " + nextYear
            + "|5: date 599616000000 is 1989-01-01T00:00:00Z, before 1990 or after " + nextYear
            + "|6: date 4102444800000 is 2100-01-01T00:00:00Z, before 1990 or after " + nextYear
        << "0";
    QTest::newRow("bad entries rejected with reasons")
        << QByteArray(
               R"([{"type":"sgv","sgv":"1,234","date":1405791855000},
                        {"type":"sgv","sgv":100},
                        {"type":"sgv","sgv":"abc","date":1405791855000},
                        {"type":"sgv","sgv":100,"date":1e300},
                        {"type":"sgv","date":1405791855000},
                        {"device":"x"},
                        42])")
        << ""
        << "1: sgv \"1,234\" is not a number|2: no date|3: sgv \"abc\" is not a number|"
           "4: date 1e+300 is not a time in epoch milliseconds or seconds|"
           "5: sgv entry without a sgv value|6: entry without a type, sgv or mbg|"
           "7: entry is not an object"
        << "0";
    QTest::newRow("CSV of JSON-encoded fields, CRLF") << QByteArray(
        "\"2014-07-19T17:44:15.000Z\",1405791855000,176,\"Flat\",\"dexcom\"\r\n"
        "\"2014-07-19T17:49:15.000Z\",1405792155000,1,\"NOT COMPUTABLE\",\"dexcom\"\r\n")
                                                      << "2014-07-19 10:44 cgm 176 ''"
                                                      << ""
                                                      << "1 sensor code";
    QTest::newRow("report CSV: entries and treatments sections, each under a title")
        << QByteArray("Nightscout report\r\n\r\nEntries\r\n"
                      "_id,type,sgv,mbg,date,dateString,direction,device\r\n"
                      "a1,sgv,176,,1405791855000,2014-07-19T17:44:15.000Z,Flat,dexcom\r\n"
                      "a2,sgv,5,,1405792155000,,NOT COMPUTABLE,dexcom\r\n"
                      "a3,mbg,,120,,2014-07-19T18:00:00Z,,meter\r\n"
                      "a4,cal,,,1405792155000,,,dexcom\r\n"
                      "a5,sgv,abc,,1405792455000,,,dexcom\r\n"
                      "Treatments\r\neventType,created_at,insulin,carbs,notes\r\n"
                      "Meal Bolus,2014-07-19T18:05:00Z,4.5,40,\r\n"
                      "Carb Correction,2014-07-19T19:00:00Z,,15,\r\n"
                      "Note,2014-07-19T20:00:00Z,,,walked\r\n"
                      "Site Change,2014-07-19T21:00:00Z,,,\r\n"
                      "Profiles\r\nname,basal,created_at\r\nday,0.8,2014-07-19\r\n")
        << "2014-07-19 10:44 cgm 176 ''|2014-07-19 11:00 meter 120 ''"
        << "9: sgv \"abc\" is not a number"
        << "1 \"Profiles\" row, 1 calibration record, 1 sensor code, 1 site change";
    QTest::newRow("report CSV of one section, dateString only, semicolons")
        << QByteArray("dateString;sgv;direction\n2014-07-19T17:44:15Z;176;Flat\n"
                      "2014-07-19 10:49;38;Flat\n")
        << "2014-07-19 10:44 cgm 176 ''|2014-07-19 10:49 cgm 38 'below sensor range'"
        << ""
        << "0";
    QTest::newRow("TSV cut off: short rows rejected, the last cut in its value")
        << QByteArray("07/19/2014 10:44:15 AM\t1405791855000\t176\tFlat\tdexcom\n"
                      "07/19/2014 10:49:15 AM\t1405792155000\n"
                      "07/19/2014 10:39:15 AM\t1405791555000\t175\tFlat\tdexcom\n"
                      "07/19/2014 10:34:15 AM\t1405791255000\t174\tFlat\tdexcom\n"
                      "07/19/2014 10:54:15 AM\t1405792455000\t17")
        << "2014-07-19 10:34 cgm 174 ''|2014-07-19 10:39 cgm 175 ''|2014-07-19 10:44 cgm 176 ''"
        << "2: truncated row: 2 of 5 fields|5: truncated row: 3 of 5 fields"
        << "0";
}

void TstNightscoutReader::entries()
{
    QFETCH(QByteArray, data);
    QCOMPARE(DeviceImport::detect(data), NightscoutReader::format);
    const ImportResult result = DeviceImport::read(data);
    QVERIFY2(result.ok(), qPrintable(result.error));
    QTEST(describe(result.readings), "readings");
    QTEST(describe(result.rejected), "rejected");
    QTEST(result.skippedText(), "skipped");
    QCOMPARE(result.accounted(), result.rows);
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

void TstNightscoutReader::treatments_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("records");
    QTest::addColumn<QString>("readings");
    QTest::addColumn<QString>("skipped");
    QTest::addColumn<QString>("rejected");

    // Times are UTC; the test runs in Los Angeles, 8 hours behind in March.
    const QByteArray meal = R"([{"eventType":"Meal Bolus","created_at":"2024-03-05T15:27:00.000Z",
        "insulin":8,"carbs":40,"foodType":"porridge","notes":"late"}])";
    QTest::newRow("a meal bolus is a dose and carbohydrates, with its notes")
        << meal
        << "2024-03-05 07:27 INSL kind=bolus notes=late units=8|"
           "2024-03-05 07:27 CARB food=porridge grams=40 notes=late"
        << ""
        << "0"
        << "";

    const QByteArray day = R"([
        {"eventType":"Correction Bolus","created_at":"2024-03-05T18:00:00Z","insulin":1.5},
        {"eventType":"Snack Bolus","created_at":"2024-03-05T19:00:00Z","carbs":"15"},
        {"eventType":"Note","created_at":"2024-03-05T20:00:00Z","notes":"Stress"},
        {"eventType":"Exercise","created_at":"2024-03-05T21:00:00Z","duration":45,"notes":"run"},
        {"eventType":"Exercise","mills":1709676000000}])";
    QTest::newRow("corrections, snacks, notes and exercise")
        << day
        << "2024-03-05 10:00 INSL kind=bolus units=1.5|2024-03-05 11:00 CARB grams=15|"
           "2024-03-05 12:00 NOTE text=Stress|"
           "2024-03-05 13:00 ACTV activity=exercise minutes=45 notes=run|"
           "2024-03-05 14:00 ACTV activity=exercise"
        << ""
        << "0"
        << "";

    const QByteArray stick = R"([{"eventType":"BG Check","created_at":"2024-03-05T16:00:00Z",
        "glucose":5.8,"glucoseType":"Finger","units":"mmol"}])";
    QTest::newRow("a finger stick in mmol/L is a reading") << stick << ""
                                                           << "2024-03-05 08:00 meter 104 ''"
                                                           << "0"
                                                           << "";

    const QByteArray care = R"([
        {"eventType":"Temp Basal","created_at":"2024-03-05T16:00:00Z","rate":0.5,"duration":30},
        {"eventType":"Site Change","created_at":"2024-03-05T16:00:00Z"},
        {"eventType":"Site Change","created_at":"2024-03-06T16:00:00Z"},
        {"eventType":"Meal Bolus","created_at":"2024-03-05T16:00:00Z","insulin":0},
        {"eventType":"","created_at":"2024-03-05T16:00:00Z"},
        {"eventType":"Site Change","created_at":"2024-03-07T16:00:00Z","notes":"left arm"},
        {"eventType":"Announcement","created_at":"2024-03-07T17:00:00Z","notes":"pump paused"}])";
    QTest::newRow("basal rates and care events are counted or noted, not dropped")
        << care
        << "2024-03-07 08:00 NOTE text=Site Change: left arm|2024-03-07 09:00 NOTE text=pump paused"
        << ""
        << "2 site changes, 1 basal rate, 1 meal bolus, 1 untyped treatment"
        << "";

    const QByteArray bad = R"([{"eventType":"Meal Bolus","insulin":2},
        {"eventType":"Meal Bolus","created_at":"2024-03-05T16:00:00Z","insulin":"two"}])";
    QTest::newRow("what cannot be read is rejected")
        << bad << ""
        << ""
        << "0"
        << "1: treatment without a time|2: insulin \"two\" is not a number";

    // Times outside the years of the entries are rejected with their reason.
    const QString years
        = QStringLiteral("before 1990 or after %1").arg(QDate::currentDate().year() + 1);
    const QByteArray dates
        = R"([{"eventType":"Correction Bolus","created_at":"1970-01-01T00:00:00Z",
        "insulin":2},
        {"eventType":"Correction Bolus","created_at":"2999-01-01T00:00:00Z","insulin":2},
        {"eventType":"Correction Bolus","mills":0,"insulin":2},
        {"eventType":"Correction Bolus","created_at":"yesterday","insulin":2},
        {"eventType":"Correction Bolus","created_at":"2024-03-05T18:00:00Z","insulin":2}])";
    QTest::newRow("a treatment before 1990 or after next year")
        << dates << "2024-03-05 10:00 INSL kind=bolus units=2"
        << ""
        << "0"
        << "1: created_at \"1970-01-01T00:00:00Z\" is " + years + "|2: created_at "
            + "\"2999-01-01T00:00:00Z\" is " + years + "|3: date 0 is 1970-01-01T00:00:00Z, "
            + years + "|4: created_at \"yesterday\" is not a date and time";

    // The report's treatments are read as the JSON's are.
    QTest::newRow("report CSV: treatments read, entries beside them")
        << QByteArray("Nightscout report\n\nEntries\n_id,type,sgv,date\n"
                      "a1,sgv,176,1709652480000\nTreatments\n"
                      "EventType,created_at,insulin,carbs,notes,foodType\n"
                      "Meal Bolus,2024-03-05T15:27:00Z,\"4,5\",40,late,porridge\n"
                      "Note,2024-03-05T20:00:00Z,,,Stress,\nTemp Basal,2024-03-05T21:00:00Z,,,,\n"
                      "Correction Bolus,1970-01-01T00:00:00Z,2,,,\nSite Change\n")
        << "2024-03-05 07:27 INSL kind=bolus notes=late units=4.5|"
           "2024-03-05 07:27 CARB food=porridge grams=40 notes=late|2024-03-05 12:00 NOTE "
           "text=Stress"
        << "2024-03-05 07:28 cgm 176 ''"
        << "1 basal rate"
        << "11: created_at \"1970-01-01T00:00:00Z\" is " + years
            + "|12: truncated row: 1 of 6 fields";

    const QByteArray mixed = R"([{"type":"sgv","sgv":104,"date":1709652480000},
        {"type":"cal","slope":900,"date":1709652480000},
        {"eventType":"Note","created_at":"2024-03-05T15:28:00Z","notes":"x"}])";
    QTest::newRow("entries and treatments side by side") << mixed << "2024-03-05 07:28 NOTE text=x"
                                                         << "2024-03-05 07:28 cgm 104 ''"
                                                         << "1 calibration record"
                                                         << "";
}

void TstNightscoutReader::treatments()
{
    QFETCH(QByteArray, data);
    QCOMPARE(DeviceImport::detect(data), NightscoutReader::format);
    const ImportResult result = DeviceImport::read(data);
    QVERIFY2(result.ok(), qPrintable(result.error));
    QTEST(describe(result.records), "records");
    QTEST(describe(result.readings), "readings");
    QTEST(result.skippedText(), "skipped");
    QTEST(describe(result.rejected), "rejected");
}

QTEST_GUILESS_MAIN(TstNightscoutReader)
#include "tst_nightscoutreader.moc"
