// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "DeviceImport.h"
#include "GlucometerReader.h"
#include "importtest.h"

#include <QTest>

using namespace importtest;

class TstGlucometerReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void realSample();
    void rows_data();
    void rows();
};

void TstGlucometerReader::realSample()
{
    const QByteArray data = fixture(QStringLiteral("glucometerutils/libre1-ns_sample.csv"));
    if (data.isEmpty())
        QSKIP("the shared fixtures are absent");
    QCOMPARE(DeviceImport::detect(data), GlucometerReader::format);
    const ImportResult result = DeviceImport::read(data);
    QVERIFY2(result.ok(), qPrintable(result.error));
    QCOMPARE(describe(result.readings),
        QStringLiteral("2019-09-29 20:43 cgm 166 '(Scan)'|2019-10-13 19:19 cgm 80 '(Sensor)'|"
                       "2019-10-13 19:41 cgm 82 '(Scan)'"));
    QCOMPARE(describe(result.rejected), QString());
}

void TstGlucometerReader::rows_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("readings");
    QTest::addColumn<QString>("rejected");

    QTest::newRow("meal and comment into the notes, clock changes skipped")
        << QByteArray("\"2018-01-01 00:30:45\",\"100.00\",\"\",\"blood sample\",\"\"\n"
                      "\"2018-01-01 07:59:59.500000\",\"142.00\",\"Before Meal\",\"blood sample\","
                      "\"toast\"\n"
                      "\"2018-01-01 09:00:00\",\"\",\"\",\"time\",\"2018-01-01 08:00:00\"\n"
                      "\"2018-01-01 10:00:00\",\"180.00\",\"After Meal\",\"CGM\",\"\"\n")
        << "2018-01-01 00:30 meter 100 ''|2018-01-01 07:59 meter 142 'Before Meal; toast'|"
           "2018-01-01 10:00 cgm 180 'After Meal'"
        << "";
    QTest::newRow("a comment with unescaped quotes")
        << QByteArray("\"2018-01-01 00:30:45\",\"100.00\",\"\",\"blood sample\",\"\"too\" much\"\n")
        << "2018-01-01 00:30 meter 100 '\"too\" much'"
        << "";
    QTest::newRow("a dump in mmol/L")
        << QByteArray("\"2018-01-01 00:30:45\",\"5.56\",\"\",\"blood sample\",\"\"\n"
                      "\"2018-01-01 01:30:45\",\"10.00\",\"\",\"blood sample\",\"\"\n")
        << "2018-01-01 00:30 meter 100 ''|2018-01-01 01:30 meter 180 ''"
        << "";
    QTest::newRow("bad rows are rejected with a reason")
        << QByteArray("\"2018-01-01 00:30:45\",\"100.00\",\"\",\"blood sample\",\"\"\n"
                      "\"2018-01-01 00:31:00\",\"100.00\"\n"
                      "\"2018-01-01 00:32:00\",\"0.80\",\"\",\"ketone\",\"\"\n"
                      "\"yesterday\",\"100.00\",\"\",\"blood sample\",\"\"\n"
                      "\"2018-01-01 00:33:00\",\"-3\",\"\",\"blood sample\",\"\"\n")
        << "2018-01-01 00:30 meter 100 ''"
        << "2: truncated row: 2 of 5 fields|"
           "3: method \"ketone\" is neither blood sample nor CGM|"
           "4: timestamp \"yesterday\" is not a date and time|"
           "5: glucose value -3 mg/dL is impossible";
}

void TstGlucometerReader::rows()
{
    QFETCH(QByteArray, data);
    QCOMPARE(DeviceImport::detect(data), GlucometerReader::format);
    const ImportResult result = DeviceImport::read(data);
    QVERIFY2(result.ok(), qPrintable(result.error));
    QTEST(describe(result.readings), "readings");
    QTEST(describe(result.rejected), "rejected");
}

QTEST_GUILESS_MAIN(TstGlucometerReader)
#include "tst_glucometerreader.moc"
