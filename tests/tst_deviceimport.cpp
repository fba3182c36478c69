// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "DeviceImport.h"
#include "DuplicateFilter.h"
#include "importtest.h"

#include <QStringEncoder>
#include <QTest>

using namespace importtest;

class TstDeviceImport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void notAnExport_data();
    void notAnExport();
    void wrongFormat_data();
    void wrongFormat();
    void duplicates();
    void encodings_data();
    void encodings();
    void pumpAndAppExports_data();
    void pumpAndAppExports();
    void reimportAddsNothing_data();
    void reimportAddsNothing();
};

void TstDeviceImport::notAnExport_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("error");

    QTest::newRow("empty") << QByteArray() << "the file is empty";
    QTest::newRow("only blank lines and a BOM")
        << QByteArray("\xEF\xBB\xBF\n\r\n  \n") << "the file is empty";
    const char binary[] = { 0x7f, 'E', 'L', 'F', 2, 1, 1, 0, 0, 0, char(0xff), char(0xfe) };
    QTest::newRow("binary") << QByteArray(binary, sizeof binary) << "not a known export format";
    QTest::newRow("CSV with the wrong columns")
        << QByteArray("name,age\nAnn,42\n") << "not a known export format";
    QTest::newRow("a journal is no export")
        << QByteArray("SUGR|20240305|0708|pre-breakfast|104|felt fine\n")
        << "not a known export format";
    QTest::newRow("a line of 100 MB") << QByteArray(100 << 20, 'x') << "not a known export format";
}

void TstDeviceImport::notAnExport()
{
    QFETCH(QByteArray, data);
    QCOMPARE(DeviceImport::detect(data), QString());
    const ImportResult result = DeviceImport::read(data);
    QFETCH(QString, error);
    QVERIFY2(result.error.startsWith(error), qPrintable(result.error));
    QVERIFY(result.readings.isEmpty());
}

void TstDeviceImport::wrongFormat_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("error");

    const QByteArray csv("date,time,value\n2024-03-05,07:08,104\n");
    QTest::newRow("unknown format name") << csv << "onetouch"
                                         << "unknown format \"onetouch\"";
    QTest::newRow("csv as dexcom") << csv << "dexcom"
                                   << "not a Dexcom Clarity export";
    QTest::newRow("csv as libre") << csv << "libre"
                                  << "not a LibreView export";
    QTest::newRow("dexcom header as csv")
        << QByteArray("Index,Timestamp (YYYY-MM-DDThh:mm:ss),Event Type,Glucose Value (mg/dL)\n")
        << "csv"
        << "not a readings CSV";
    QTest::newRow("a 100 MB field as csv")
        << QByteArray("date,time,value\n2024-03-05,07:08,") + QByteArray(100 << 20, '9') << "csv"
        << "line 2 holds a field of a megabyte or more";
}

void TstDeviceImport::wrongFormat()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, format);
    const ImportResult result = DeviceImport::read(data, format);
    QFETCH(QString, error);
    QVERIFY2(result.error.startsWith(error), qPrintable(result.error));
    QVERIFY(result.readings.isEmpty());
}

void TstDeviceImport::duplicates()
{
    const ImportedReading a { QDate(2024, 3, 5), QTime(7, 8), "cgm", 104, "" };
    DuplicateFilter filter;
    filter.addExisting(QDate(2024, 3, 5), QTime(7, 8), "cgm", 104);
    QVERIFY(!filter.admit(a));
    QVERIFY(!filter.admit({ a.date, a.time, a.type, a.value, "other notes" }));
    QVERIFY(filter.admit({ a.date, a.time, "scan", a.value, "" }));
    QVERIFY(filter.admit({ a.date, a.time, a.type, 105, "" }));
    QVERIFY(filter.admit({ a.date.addDays(1), a.time, a.type, a.value, "" }));
    QVERIFY(filter.admit({ a.date, a.time.addSecs(60), a.type, a.value, "" }));
    // The same reading twice in one import is one reading, and told apart
    // from one the journal holds.
    QCOMPARE(filter.check({ a.date, a.time, a.type, 105, "" }), DuplicateFilter::Repeated);
    QCOMPARE(filter.check(a), DuplicateFilter::AlreadyThere);
}

void TstDeviceImport::encodings_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("readings");
    QTest::addColumn<QString>("error");

    const QString csv = QString::fromUtf8("date,time,value,notes\r\n2024-03-05,07:08,104,café\r\n");
    const auto utf16 = [&csv](QStringConverter::Encoding e, bool bom) {
        QStringEncoder encoder(
            e, bom ? QStringEncoder::Flag::WriteBom : QStringEncoder::Flag::Default);
        return QByteArray(encoder.encode(csv));
    };
    const QString reading = QString::fromUtf8("2024-03-05 07:08 unspecified 104 'café'");
    QTest::newRow("UTF-16LE with a BOM") << utf16(QStringConverter::Utf16LE, true) << reading << "";
    QTest::newRow("UTF-16BE with a BOM") << utf16(QStringConverter::Utf16BE, true) << reading << "";
    QTest::newRow("UTF-16LE without one")
        << utf16(QStringConverter::Utf16LE, false) << reading << "";
    QTest::newRow("UTF-16 of no known format")
        << QByteArray("\xFF\xFEn\0a\0m\0e\0\n\0", 12) << ""
        << "not a known export format (dexcom, libre, nightscout, glucometer, lingo, tandem, "
           "csv), read as UTF-16LE";
    QTest::newRow("UTF-16 of an odd length") << QByteArray("\xFF\xFEn\0a", 5) << ""
                                             << "the file is not valid UTF-16LE";
}

void TstDeviceImport::encodings()
{
    QFETCH(QByteArray, data);
    const ImportResult result = DeviceImport::read(data);
    QFETCH(QString, error);
    QCOMPARE(result.error, error);
    QTEST(describe(result.readings), "readings");
}

void TstDeviceImport::reimportAddsNothing_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("dexcom, with the repeated hour")
        << "dexcom-clarity/glucosedao_000_2019-10-14_to_2019-10-28.csv";
    QTest::newRow("libre, with duplicated rows") << "libreview/glyco_sample_glucose.csv";
}

void TstDeviceImport::reimportAddsNothing()
{
    QFETCH(QString, file);
    const QByteArray data = fixture(file);
    if (data.isEmpty())
        QSKIP("the shared fixtures are absent");
    const QList<ImportedReading> readings = DeviceImport::read(data).readings;

    DuplicateFilter first;
    int added = 0;
    for (const ImportedReading &r : readings)
        added += first.admit(r);
    QCOMPARE(added, int(readings.size()));

    DuplicateFilter second;
    for (const ImportedReading &r : readings)
        second.addExisting(r);
    for (const ImportedReading &r : DeviceImport::read(data).readings)
        QVERIFY(!second.admit(r));
}

// Lingo and Tandem exports, as their apps write them by what is known of them.
void TstDeviceImport::pumpAndAppExports_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("readings");
    QTest::addColumn<QString>("rejected");
    QTest::addColumn<QString>("skipped");
    QTest::addColumn<QString>("records");

    QTest::newRow("Lingo, local times with their offset on this machine's clock")
        << QByteArray("Time of Glucose Reading [T=(local time) +/- (time zone offset)],"
                      "Measurement(mg/dL)\r\n2024-05-01T08:05-07:00,104\r\n"
                      "2024-05-01T08:10:00-07:00,\"98,5\"\r\n2024-05-01T08:15-07:00,\r\n"
                      "2024-05-01T08:20-07:00,103\r\n")
        << "lingo"
        << "2024-05-01 17:05 cgm 104 ''|2024-05-01 17:10 cgm 99 ''|2024-05-01 17:20 cgm 103 ''"
        << "4: no glucose value"
        << "0"
        << "";
    QTest::newRow("Lingo in mmol/L under a title line, cut off")
        << QByteArray("Lingo export\nTime of Glucose Reading,Measurement (mmol/L),Notes\n"
                      "2024-05-01T08:05+02:00,5.8,\n2024-05-01T08:10+02:00,5")
        << "lingo"
        << "2024-05-01 08:05 cgm 104 ''"
        << "4: truncated row: 2 of 3 fields"
        << "0"
        << "";
    const QByteArray tandem
        = "\"Name:\",\"Ann Example\"\r\n\"Report Date:\",\"05/02/2024\"\r\n"
          "\"DeviceType\",\"SerialNumber\",\"Description\",\"EventDateTime\",\"Readings "
          "(mg/dL)\"\r\n"
          "\"t:slim X2 Insulin Pump\",\"123\",\"EGV\",\"2024-05-01T00:02:14\",\"142\"\r\n"
          "\"t:slim X2 Insulin Pump\",\"123\",\"EGV\",\"2024-05-01T00:07:14\",\"High\"\r\n"
          "\"t:slim X2 Insulin Pump\",\"123\",\"EGV\",\"2024-05-01T00:12:14\",\"139\"\r\n"
          "\"BG Readings\"\r\n"
          "\"DeviceType\",\"SerialNumber\",\"Description\",\"EventDateTime\",\"BG (mg/dL)\"\r\n"
          "\"t:slim X2 Insulin Pump\",\"123\",\"BG\",\"2024-05-01T07:00:00\",\"131\"\r\n"
          "\"Type\",\"BolusType\",\"BG (mg/dL)\",\"CompletionDateTime\",\"InsulinDelivered\"\r\n"
          "\"Bolus\",\"Standard\",\"131\",\"2024-05-01T07:05:00\",\"4.5\"\r\n"
          "\"Bolus\",\"Standard\",\"\",\"2024-05-01T12:05:00\",\"6\"\r\n"
          "\"Type\",\"EventDateTime\",\"BasalRate\"\r\n\"Basal\",\"2024-05-01T00:00:00\",\"0."
          "8\"\r\n";
    QTest::newRow("Tandem t:connect: sensor and fingerstick sections, boluses, basal skipped")
        << tandem << "tandem"
        << "2024-05-01 00:02 cgm 142 ''|2024-05-01 00:12 cgm 139 ''|2024-05-01 07:00 meter 131 ''"
        << "5: glucose value \"High\" is not a number"
        << "1 basal rate"
        << "2024-05-01 07:05 INSL kind=bolus units=4.5|2024-05-01 12:05 INSL kind=bolus units=6";
    // Doses at their completion, of what was delivered; US dates, as the
    // readings have them.
    QTest::newRow("Tandem boluses: kinds, nothing delivered, units unread")
        << QByteArray("DeviceType,SerialNumber,Description,EventDateTime,Readings (mg/dL)\n"
                      "t:slim X2,1,EGV,05/13/2024 06:55,120\n"
                      "Type,BolusType,BG (mg/dL),RequestDateTime,CompletionDateTime,"
                      "InsulinDelivered\n"
                      "Bolus,Standard,120,05/13/2024 06:58,05/13/2024 07:00:40,\"2,50\"\n"
                      "Bolus,Extended,,05/13/2024 12:00,05/13/2024 14:00:00,3.25\n"
                      "Bolus,Standard,,05/13/2024 18:00,05/13/2024 18:01:00,0.00\n"
                      "Bolus,Standard,,05/13/2024 19:00,05/13/2024 19:00:00,\n"
                      "Bolus,Standard,,05/13/2024 20:00,05/13/2024 20:00:00,1.5u\n"
                      "Bolus,Standard,,05/13/2024 21:00,05/32/2024 21:00:00,1\n"
                      "Bolus,Standard,,05/13/2024 22:00\n")
        << "tandem"
        << "2024-05-13 06:55 cgm 120 ''"
        << "8: insulin delivered \"1.5u\" is not a number|9: event time \"05/32/2024 21:00:00\" "
           "is not a date and time|10: truncated row: 4 of 6 fields"
        << "1 bolus of no insulin, 1 unitless insulin row"
        << "2024-05-13 07:00 INSL kind=bolus units=2.5|2024-05-13 14:00 INSL kind=bolus "
           "notes=Extended units=3.25";
    QTest::newRow("Tandem with US dates and mmol/L")
        << QByteArray("DeviceType,SerialNumber,Description,EventDateTime,Readings (mmol/L)\n"
                      "t:slim X2,1,EGV,05/01/2024 13:02,\"7,9\"\n"
                      "t:slim X2,1,BG,05/13/2024 08:00,6.1\n")
        << "tandem"
        << "2024-05-01 13:02 cgm 142 ''|2024-05-13 08:00 meter 110 ''"
        << ""
        << "0"
        << "";
}

void TstDeviceImport::pumpAndAppExports()
{
    QFETCH(QByteArray, data);
    QTEST(DeviceImport::detect(data), "format");
    const ImportResult result = DeviceImport::read(data);
    QVERIFY2(result.ok(), qPrintable(result.error));
    QTEST(result.format, "format");
    QTEST(describe(result.readings), "readings");
    QTEST(describe(result.rejected), "rejected");
    QTEST(result.skippedText(), "skipped");
    QTEST(describe(result.records), "records");
    QCOMPARE(result.accounted(), result.rows);
}

QTEST_GUILESS_MAIN(TstDeviceImport)
#include "tst_deviceimport.moc"
