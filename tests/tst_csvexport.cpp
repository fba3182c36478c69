// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "CsvExport.h"
#include "CsvReader.h"
#include "DeviceImport.h"
#include "importtest.h"

#include <QTest>

using namespace importtest;

class TstCsvExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void bytes_data();
    void bytes();
    void emptyFieldsKeepTheirPlace();
    void roundTrip_data();
    void roundTrip();
    void realSampleRoundTrip();
    void recordsRoundTrip();
};

void TstCsvExport::bytes_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("notes");
    QTest::addColumn<int>("unit");
    QTest::addColumn<QByteArray>("line");

    QTest::newRow("plain fields unquoted")
        << "pre-breakfast" << 104 << "felt fine" << int(GlucoseUnit::MgPerDl)
        << QByteArray("2024-03-05,07:08,pre-breakfast,104,mg/dL,felt fine\r\n");
    QTest::newRow("mmol/L to one decimal") << "cgm" << 104 << "" << int(GlucoseUnit::MmolPerL)
                                           << QByteArray("2024-03-05,07:08,cgm,5.8,mmol/L,\r\n");
    QTest::newRow("comma, quote and line break quoted, quotes doubled")
        << "post, lunch" << 171 << "pasta \"large\"\nwalk" << int(GlucoseUnit::MgPerDl)
        << QByteArray(
               "2024-03-05,07:08,\"post, lunch\",171,mg/dL,\"pasta \"\"large\"\"\nwalk\"\r\n");
    QTest::newRow("surrounding spaces kept by quoting")
        << "cgm" << 99 << " morning " << int(GlucoseUnit::MgPerDl)
        << QByteArray("2024-03-05,07:08,cgm,99,mg/dL,\" morning \"\r\n");
    QTest::newRow("UTF-8") << "cgm" << 99 << "café ☕" << int(GlucoseUnit::MgPerDl)
                           << QByteArray(
                                  "2024-03-05,07:08,cgm,99,mg/dL,caf\xC3\xA9 \xE2\x98\x95\r\n");
}

void TstCsvExport::bytes()
{
    QFETCH(QString, type);
    QFETCH(int, value);
    QFETCH(QString, notes);
    QFETCH(int, unit);
    const ImportedReading reading { QDate(2024, 3, 5), QTime(7, 8), type, value, notes };
    QFETCH(QByteArray, line);
    QCOMPARE(CsvExport::write({ reading }, GlucoseUnit::Unit(unit)),
        "date,time,type,value,unit,notes\r\n" + line);
}

// A journal line whose date or time cannot be read exports them empty, every column in its place.
void TstCsvExport::emptyFieldsKeepTheirPlace()
{
    const ImportedReading reading { QDate(), QTime(), "cgm", 104, "" };
    QCOMPARE(CsvExport::row(reading, GlucoseUnit::MgPerDl), QByteArray(",,cgm,104,mg/dL,\r\n"));
    const ImportedRecord record { QDate(), QTime(7, 8), "note", { { "text", "a, b" } } };
    QCOMPARE(CsvExport::write({}, { record }, { "kind", "text" }),
        QByteArray("date,time,type,value,unit,notes,record,kind,text\r\n"
                   ",07:08,,,,,note,,\"a, b\"\r\n"));
}

void TstCsvExport::roundTrip_data()
{
    QTest::addColumn<int>("unit");
    QTest::addColumn<int>("tolerance");

    QTest::newRow("mg/dL gives the same readings") << int(GlucoseUnit::MgPerDl) << 0;
    // One decimal of mmol/L is 1.8 mg/dL: a value may come back one off.
    QTest::newRow("mmol/L within a mg/dL") << int(GlucoseUnit::MmolPerL) << 1;
}

void TstCsvExport::roundTrip()
{
    QList<ImportedReading> readings;
    const QStringList notes = { "", "felt fine\nafter a walk", "a, b", "\"quoted\"", " pad ",
        "\\|back\\slash", "\r\n" };
    for (int i = 0; i < 600; ++i)
        readings.append({ QDate(2024, 1, 1).addDays(i / 24), QTime(i % 24, (i * 7) % 60),
            i % 3 ? QStringLiteral("cgm") : QStringLiteral("pre-lunch"), 20 + i,
            notes.at(i % notes.size()) });
    QFETCH(int, unit);
    const QByteArray csv = CsvExport::write(readings, GlucoseUnit::Unit(unit));
    QCOMPARE(DeviceImport::detect(csv), CsvReader::format);
    const ImportResult back = DeviceImport::read(csv);
    QVERIFY2(back.ok(), qPrintable(back.error));
    QCOMPARE(describe(back.rejected), QString());
    QCOMPARE(back.readings.size(), readings.size());
    QFETCH(int, tolerance);
    for (qsizetype i = 0; i < readings.size(); ++i) {
        ImportedReading expected = readings.at(i);
        QVERIFY2(std::abs(back.readings.at(i).value - expected.value) <= tolerance,
            qPrintable(describe(back.readings.at(i))));
        expected.value = back.readings.at(i).value;
        QCOMPARE(describe(back.readings.at(i)), describe(expected));
    }
}

void TstCsvExport::realSampleRoundTrip()
{
    const QByteArray data = fixture(QStringLiteral("libreview/glyco_sample_glucose.csv"));
    if (data.isEmpty())
        QSKIP("the shared fixtures are absent");
    const ImportResult original = DeviceImport::read(data);
    const ImportResult back = DeviceImport::read(CsvExport::write(original.readings), "csv");
    QVERIFY(!original.readings.isEmpty());
    QCOMPARE(describe(back.readings), describe(original.readings));
}

void TstCsvExport::recordsRoundTrip()
{
    const QDate d(2024, 3, 5);
    const QList<ImportedReading> readings { { d, QTime(7, 0), "cgm", 104, "" },
        { d, QTime(9, 0), "cgm", 120, "after" } };
    const QList<ImportedRecord> records { { d, QTime(6, 0), "insulin",
                                              { { "kind", "basal" }, { "units", "14" } } },
        { d, QTime(7, 0), "carbs",
            { { "grams", "40" }, { "food", "bread, \"butter\"" }, { "notes", "a\nb" } } },
        { d, QTime(8, 0), "note", { { "text", " padded " } } },
        { d, QTime(23, 0), "bp", { { "systolic", "128" }, { "diastolic", "82" } } } };
    const QStringList names { "kind", "units", "grams", "food", "text", "systolic", "diastolic" };
    const QByteArray csv = CsvExport::write(readings, records, names);
    QVERIFY(csv.startsWith("date,time,type,value,unit,notes,record,kind,units,grams,food,text,"
                           "systolic,diastolic\r\n2024-03-05,06:00,,,,,insulin,basal,14,,,,,\r\n"
                           "2024-03-05,07:00,cgm,104,mg/dL,,,,,,,,,\r\n"));
    const ImportResult back = DeviceImport::read(csv);
    QVERIFY2(back.ok(), qPrintable(back.error));
    QCOMPARE(describe(back.rejected), QString());
    QCOMPARE(describe(back.readings), describe(readings));
    QCOMPARE(describe(back.records), describe(records));
    // Without records, the readings' columns as before.
    QCOMPARE(CsvExport::write(readings, {}, names), CsvExport::write(readings));
}

QTEST_GUILESS_MAIN(TstCsvExport)
#include "tst_csvexport.moc"
