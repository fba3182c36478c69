// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "DeviceImport.h"
#include "DuplicateFilter.h"
#include "importtest.h"

#include <QRandomGenerator>
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
    void randomBytes();
    void duplicates();
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
    QTest::newRow("binary") << QByteArray("\x7F"
                                          "ELF\x02\x01\x01\0\0\0\xff\xfe",
        14) << "not a known export format";
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

// Whatever the bytes, every reader ends with readings that are readings, or an error.
void TstDeviceImport::randomBytes()
{
    QRandomGenerator random(20240305);
    const QByteArray alphabet("0123456789-:,;\"\t\r\n T.EGVLowHigh[]{}sgvdate");
    for (int round = 0; round < 200; ++round) {
        QByteArray data(int(random.bounded(1, 400)), '\0');
        for (char &c : data)
            c = round % 2 ? char(random.bounded(256))
                          : alphabet.at(random.bounded(alphabet.size()));
        for (const QString &format : DeviceImport::formats()) {
            const ImportResult result = DeviceImport::read(data, format);
            for (const ImportedReading &r : result.readings)
                QVERIFY(r.date.isValid() && r.time.isValid() && r.value > 0);
            QVERIFY(result.ok() || result.readings.isEmpty());
        }
    }
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
    // The same reading twice in one import is one reading.
    QVERIFY(!filter.admit({ a.date, a.time, a.type, 105, "" }));
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

QTEST_GUILESS_MAIN(TstDeviceImport)
#include "tst_deviceimport.moc"
