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
    void realRecords_data();
    void realRecords();
    void localised_data();
    void localised();
};

void TstDexcomReader::realSamples_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("calibrations");
    QTest::addColumn<int>("lows");
    QTest::addColumn<int>("highs");
    QTest::addColumn<QString>("first");
    QTest::addColumn<int>("firstValue");
    QTest::addColumn<QString>("last");
    QTest::addColumn<int>("lastValue");

    QTest::newRow("2016, 12 columns, date of birth in the preamble")
        << "cgmquantify_test_file.csv" << 2148 << 0 << 0 << 0 << "2016-10-24 11:24" << 103
        << "2016-11-01 09:19" << 108;
    QTest::newRow("unquoted, insulin and calibration rows between EGVs")
        << "glucosedao_000_2019-10-14_to_2019-10-28.csv" << 3913 << 9 << 2 << 13
        << "2019-10-14 16:42" << 55 << "2019-10-28 23:57" << 176;
    QTest::newRow("large, mostly Low out of range")
        << "glucosedao_008_2020-01-23_to_2020-04-21.csv" << 24936 << 37 << 69 << 1
        << "2020-01-23 00:01" << 151 << "2020-04-21 23:57" << 202;
    QTest::newRow("every field quoted")
        << "glucosedao_022_2023-05-27_to_2023-06-14.csv" << 5112 << 6 << 0 << 0
        << "2023-05-27 01:27" << 182 << "2023-06-13 22:37" << 136;
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

    QList<ImportedReading> cgm;
    int calibrations = 0;
    int lows = 0;
    int highs = 0;
    for (const ImportedReading &r : result.readings) {
        if (r.type == QLatin1String("calibration")) {
            ++calibrations;
            continue;
        }
        QCOMPARE(r.type, QStringLiteral("cgm"));
        cgm.append(r);
        lows += r.notes == QLatin1String("Low") && r.value == 40;
        highs += r.notes == QLatin1String("High") && r.value == 400;
    }
    QTEST(int(cgm.size()), "count");
    QTEST(calibrations, "calibrations");
    QTEST(lows, "lows");
    QTEST(highs, "highs");
    const auto stamp = [](const ImportedReading &r) { return describe(r).left(16); };
    QTEST(stamp(cgm.first()), "first");
    QTEST(cgm.first().value, "firstValue");
    QTEST(stamp(cgm.last()), "last");
    QTEST(cgm.last().value, "lastValue");
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
    QTest::addColumn<QString>("skipped");

    QTest::newRow("preamble and other events skipped by kind, calibrations read")
        << header
            + "1,,FirstName,,Ann,,,,\n2,,Alert,High,,,G6,200,\n3,,Alert,Low,,,G6,70,\n"
              "4,2024-03-05T07:08:59,EGV,,,,G6,104,\n5,2024-03-05T07:09:00,Calibration,,,,G6,"
              "99,\n6,2024-03-05T07:10:00,Insulin,Fast-Acting,,,G6,,4\n"
              "7,2024-03-05T07:10:00,Sleep,,,,G6,,\n"
        << "2024-03-05 07:08 cgm 104 ''|2024-03-05 07:09 calibration 99 ''"
        << ""
        << "2 alerts, 1 \"Sleep\" event, 1 patient info row";
    QTest::newRow("treatments that cannot be read are rejected")
        << header.trimmed() + ",Carb Value (grams),Duration (hh:mm:ss)\n"
            + "1,2024-03-05T07:10:00,Insulin,Fast-Acting,,,G6,,4.5x,,\n"
              "2,,Carbs,,,,G6,,,40,\n3,2024-03-05T07:10:00,Exercise,Light,,,G6,,,,20 min\n"
        << ""
        << "2: insulin value \"4.5x\" is not a number|3: Carbs row without a timestamp|"
           "4: duration \"20 min\" is not hh:mm:ss"
        << "0";
    QTest::newRow("Low and High become the range's ends, noted")
        << header
            + "1,2024-03-05T07:08:00,EGV,Low,,,G6,Low,\n2,2024-03-05T07:13:00,EGV,High,,,G6,"
              "High,\n"
        << "2024-03-05 07:08 cgm 40 'Low'|2024-03-05 07:13 cgm 400 'High'"
        << ""
        << "0";
    QTest::newRow("mmol/L to the nearest mg/dL, decimal commas quoted")
        << QByteArray(header).replace("(mg/dL)", "(mmol/L)")
            + "1,2024-03-05T07:08:00,EGV,,,,G6,5.8,\n2,2024-03-05T07:13:00,EGV,,,,G6,10.0,\n"
              "3,2024-03-05T07:18:00,EGV,,,,G6,\"5,6\",\n"
        << "2024-03-05 07:08 cgm 104 ''|2024-03-05 07:13 cgm 180 ''|2024-03-05 07:18 cgm 101 ''"
        << ""
        << "0";
    QTest::newRow("quoted, CRLF") << QByteArray(
        "\"Index\",\"Timestamp (YYYY-MM-DDThh:mm:ss)\",\"Event Type\",\"Glucose Value "
        "(mg/dL)\"\r\n\"1\",\"2024-03-05T07:08:00\",\"EGV\",\"104\"\r\n")
                                  << "2024-03-05 07:08 cgm 104 ''"
                                  << ""
                                  << "0";
    QTest::newRow("bad EGV rows are rejected with a reason")
        << header
            + "1,,EGV,,,,G6,104,\n2,2024-03-05T07:08:00,EGV,,,,G6,abc,\n"
              "3,2024-02-30T07:08:00,EGV,,,,G6,104,\n4,2024-03-05T07:08:00,EGV,,\n"
              "5,2024-03-05T07:08:00,EGV,,,,G6,0,\n6,,,,,,,,\n"
        << ""
        << "2: EGV row without a timestamp|3: glucose value \"abc\" is not a number|"
           "4: timestamp \"2024-02-30T07:08:00\" is not a date and time|"
           "5: truncated row: 5 of 9 fields|6: glucose value 0 mg/dL is impossible|"
           "7: row without an event type"
        << "0";
    // A row may lack the transmitter, the last column, as Clarity writes it.
    const QByteArray full = "Index,Timestamp (YYYY-MM-DDThh:mm:ss),Event Type,Event Subtype,"
                            "Patient Info,Device Info,Source Device ID,Glucose Value (mg/dL),"
                            "Insulin Value (u),Carb Value (grams),Duration (hh:mm:ss),Glucose "
                            "Rate of Change (mg/dL/min),Transmitter Time (Long Integer),"
                            "Transmitter ID\r\n";
    QTest::newRow("a file cut inside the last value") << full
            + "1,,Alert,High,,,Android G6,270,,,,,\r\n"
              "2,2019-10-14T16:42:37,EGV,,,,Android G6,55,,,,,7573,8GH86L\r\n"
              "3,2019-10-14T16:47:37,EGV,,,,Android G6,20"
                                                      << "2019-10-14 16:42 cgm 55 ''"
                                                      << "4: truncated row: 8 of 14 fields"
                                                      << "1 alert";
    QTest::newRow("the glucose value last, cut without a line end")
        << QByteArray("Index,Timestamp (YYYY-MM-DDThh:mm:ss),Event Type,Glucose Value (mg/dL)\n"
                      "1,2024-03-05T07:08:00,EGV,104\n2,2024-03-05T07:13:00,EGV,20")
        << "2024-03-05 07:08 cgm 104 ''"
        << "3: truncated row: the file ends inside its last value, without a line end"
        << "0";
    QTest::newRow("a quoted file cut inside the last value")
        << QByteArray("\"Index\",\"Timestamp (YYYY-MM-DDThh:mm:ss)\",\"Event Type\",\"Glucose "
                      "Value (mg/dL)\",\"Transmitter ID\"\n"
                      "\"1\",\"2024-03-05T07:08:00\",\"EGV\",\"104\",\"8UNNRS\"\n"
                      "\"2\",\"2024-03-05T07:13:00\",\"EGV\",\"20")
        << "2024-03-05 07:08 cgm 104 ''"
        << "3: truncated row: the file ends inside a quoted field"
        << "0";
    const QByteArray japanese
        = "\xEF\xBB\xBF"
          "インデックス,タイムスタンプ (YYYY-MM-DDThh:mm:ss),イベントタイプ,イベントサブタイプ,"
          "患者情報,デバイス情報,ソースデバイスID,グルコース値 (mg/dL),インスリン値 (u)\n";
    QTest::newRow("Japanese headers and event names")
        << japanese
            + "1,,名,,Ann,,,,\n2,,アラート,高,,,G6,200,\n3,2024-03-05T07:08:00,EGV,,,,G6,104,\n"
              "4,2024-03-05T07:09:00,キャリブレーション,,,,G6,99,\n"
              "5,2024-03-05T07:13:00,EGV,,,,G6,低,\n6,2024-03-05T07:15:00,インスリン,,,,G6,,4\n"
        << "2024-03-05 07:08 cgm 104 ''|2024-03-05 07:09 calibration 99 ''|"
           "2024-03-05 07:13 cgm 40 'Low'"
        << ""
        << "1 alert, 1 patient info row";
    QTest::newRow("unknown names read by the header's shape")
        << QByteArray("Nr,Zeit (YYYY-MM-DDThh:mm:ss),Art,Wert (mg/dL),Rate (mg/dL/min)\n"
                      "1,,Hälytys,200,\n2,2024-03-05T07:08:00,Sensor,104,1\n"
                      "3,2024-03-05T07:10:00,Blut,99,\n4,2024-03-05T07:13:00,Sensor,110,1\n")
        << "2024-03-05 07:08 cgm 104 ''|2024-03-05 07:13 cgm 110 ''"
        << "" << QString::fromUtf8("1 \"Blut\" event, 1 \"Hälytys\" event");
}

void TstDexcomReader::rows()
{
    QFETCH(QByteArray, data);
    QCOMPARE(DeviceImport::detect(data), DexcomReader::format);
    const ImportResult result = DeviceImport::read(data);
    QVERIFY2(result.ok(), qPrintable(result.error));
    QCOMPARE(result.format, DexcomReader::format);
    QTEST(describe(result.readings), "readings");
    QTEST(describe(result.rejected), "rejected");
    QTEST(result.skippedText(), "skipped");
    QCOMPARE(result.accounted(), result.rows);
}

void TstDexcomReader::realRecords_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("counts");
    QTest::addColumn<QString>("sums"); // bolus and basal units, grams, minutes
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addColumn<QString>("notes");
    QTest::addColumn<QString>("skipped");
    QTest::addColumn<QString>("spots"); // records that must be among them, as the file has them

    QTest::newRow("every kind of treatment")
        << "glucosedao_008_2020-01-23_to_2020-04-21.csv"
        << "ACTV 10|CARB 339|INSL 394|NOTE 2"
        << "2868 2471 19866 200"
        << "2020-01-23 07:27 INSL kind=bolus units=8"
        << "2020-04-21 23:24 INSL kind=bolus units=3"
        << "2020-01-24 20:31 NOTE text=Alcohol|2020-04-12 01:05 NOTE text=Cycle"
        << "7 alerts, 2 patient info rows, 1 device row"
        << "2020-02-01 16:43 CARB grams=10|2020-02-14 09:40 INSL kind=basal units=28|"
           "2020-04-06 14:40 ACTV activity=exercise intensity=light minutes=10|"
           "2020-03-30 12:30 ACTV activity=exercise intensity=medium minutes=20";
    QTest::newRow("light exercise, insulin between EGVs")
        << "glucosedao_000_2019-10-14_to_2019-10-28.csv"
        << "ACTV 3|CARB 4|INSL 73"
        << "447 350 125 135"
        << "2019-10-14 20:35 INSL kind=bolus units=12"
        << "2019-10-28 23:50 INSL kind=basal units=14"
        << ""
        << "7 alerts, 2 patient info rows, 1 device row"
        << "2019-10-19 18:38 INSL kind=bolus units=13|2019-10-21 14:00 CARB grams=80|"
           "2019-10-15 19:03 ACTV activity=exercise intensity=light minutes=45";
    QTest::newRow("every field quoted, half units")
        << "glucosedao_022_2023-05-27_to_2023-06-14.csv"
        << "INSL 79"
        << "177.5 458 0 0"
        << "2023-05-27 08:01 INSL kind=basal units=25"
        << "2023-06-13 21:53 INSL kind=bolus units=2"
        << ""
        << "7 alerts, 2 patient info rows, 1 device row"
        << "2023-05-27 08:34 INSL kind=bolus units=3.5|2023-05-27 16:00 INSL kind=bolus units=1.5";
}

void TstDexcomReader::realRecords()
{
    QFETCH(QString, file);
    const QByteArray data = clarity(file);
    if (data.isEmpty())
        QSKIP("the shared fixtures are absent");
    const ImportResult result = DeviceImport::read(data);
    QVERIFY2(result.ok(), qPrintable(result.error));
    QCOMPARE(result.rejected.size(), 0);
    QTEST(countByType(result.records), "counts");
    const QList<ImportedRecord> &r = result.records;
    QTEST(QStringLiteral("%1 %2 %3 %4")
              .arg(sumOf(r, "INSL", "units", "bolus"))
              .arg(sumOf(r, "INSL", "units", "basal"))
              .arg(sumOf(r, "CARB", "grams"))
              .arg(sumOf(r, "ACTV", "minutes")),
        "sums");
    QTEST(describe(r.first()), "first");
    QTEST(describe(r.last()), "last");
    QList<ImportedRecord> notes;
    for (const ImportedRecord &record : r) {
        if (record.type == QLatin1String("NOTE"))
            notes << record;
    }
    QTEST(describe(notes), "notes");
    QTEST(result.skippedText(), "skipped");
    QFETCH(QString, spots);
    QCOMPARE(firstMissing(r, spots), QString());
    // What every exercise looks like.
    for (const ImportedRecord &record : r) {
        if (record.type == QLatin1String("ACTV")) {
            QCOMPARE(record.fields.value("activity"), "exercise");
            QVERIFY(record.fields.value("intensity") == "light"
                || record.fields.value("intensity") == "medium");
        }
    }
}

// Clarity in each language: its header, and the words of its events in the
// order calibration, alert, insulin, fast-acting, carbs, exercise, light,
// health, alcohol, low, first name.
void TstDexcomReader::localised_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QStringList>("words");

    QTest::newRow("French") << QByteArray(
        "Index,Horodatage (AAAA-MM-JJThh:mm:ss),Type d’événement,Sous-type "
        "d’événement,Informations sur le patient,Informations sur l’appareil,ID de "
        "l’appareil source,Valeur du glucose (mmol/L),Valeur d’insuline (u),Valeur "
        "de glucides (grammes),Durée (hh:mm:ss),Taux de variation du glucose "
        "(mmol/L/min),Heure du transmetteur (Long Integer),ID du transmetteur")
                            << QStringList { "Étalonnage", "Alerte", "Insuline", "Action rapide",
                                   "Glucides", "Exercice", "Léger", "Santé", "Alcool", "Bas",
                                   "Prénom" };
    QTest::newRow("German") << QByteArray(
        "Index,Zeitstempel (JJJJ-MM-TTThh:mm:ss),Ereignistyp,Ereignis-Subtyp,"
        "Patienteninfo,Geräteinfo,Quellgeräte-ID,Glukosewert (mmol/l),Insulinwert "
        "(IE),Kohlenhydratwert (Gramm),Dauer (hh:mm:ss),Glukose-Änderungsrate "
        "(mmol/l/min),Transmitterzeit (Long Integer),Transmitter-ID")
                            << QStringList { "Kalibrierung", "Alarm", "Insulin", "Schnell wirkend",
                                   "Kohlenhydrate", "Bewegung", "Leicht", "Gesundheit", "Alkohol",
                                   "Niedrig", "Vorname" };
    QTest::newRow("Spanish") << QByteArray(
        "Índice,Marca de tiempo (AAAA-MM-DDThh:mm:ss),Tipo de evento,Subtipo de "
        "evento,Información del paciente,Información del dispositivo,Id. del "
        "dispositivo de origen,Valor de glucosa (mmol/l),Valor de insulina (u),Valor "
        "de carbohidratos (gramos),Duración (hh:mm:ss),Tasa de cambio de glucosa "
        "(mmol/l/min),Hora del transmisor (Long Integer),Id. del transmisor")
                             << QStringList { "Calibración", "Alerta", "Insulina", "Acción rápida",
                                    "Carbohidratos", "Ejercicio", "Ligero", "Salud", "Alcohol",
                                    "Bajo", "Nombre" };
    QTest::newRow("Italian") << QByteArray(
        "Indice,Marca temporale (AAAA-MM-GGThh:mm:ss),Tipo di evento,Sottotipo di "
        "evento,Informazioni paziente,Informazioni dispositivo,ID dispositivo "
        "sorgente,Valore del glucosio (mmol/l),Valore insulina (U),Valore "
        "carboidrati (grammi),Durata (hh:mm:ss),Velocità di variazione del glucosio "
        "(mmol/l/min),Ora trasmettitore (Long Integer),ID trasmettitore")
                             << QStringList { "Calibrazione", "Avviso", "Insulina",
                                    "Ad azione rapida", "Carboidrati", "Esercizio fisico",
                                    "Leggero", "Salute", "Alcol", "Basso", "Nome" };
    QTest::newRow("Dutch") << QByteArray(
        "Index,Tijdstempel (JJJJ-MM-DDThh:mm:ss),Gebeurtenistype,Subtype "
        "gebeurtenis,Patiëntgegevens,Apparaatgegevens,Id bronapparaat,Glucosewaarde "
        "(mmol/l),Insulinewaarde (E),Koolhydraatwaarde (gram),Duur (hh:mm:ss),"
        "Snelheid van glucoseverandering (mmol/l/min),Transmittertijd (Long "
        "Integer),Transmitter-id")
                           << QStringList { "Kalibratie", "Melding", "Insuline", "Snelwerkend",
                                  "Koolhydraten", "Lichaamsbeweging", "Licht", "Gezondheid",
                                  "Alcohol", "Laag", "Voornaam" };
    QTest::newRow("Japanese") << QByteArray(
        "\xEF\xBB\xBFインデックス,タイムスタンプ (YYYY-MM-DDThh:mm:ss),イベントタイプ,"
        "イベントサブタイプ,患者情報,デバイス情報,ソースデバイスID,グルコース値 "
        "(mmol/L),インスリン値 (u),炭水化物値 (グラム),期間 (hh:mm:ss),"
        "グルコース変化率 (mmol/L/分),トランスミッター時間 (Long Integer),"
        "トランスミッターID")
                              << QStringList { "キャリブレーション", "アラート", "インスリン",
                                     "速効型", "炭水化物", "運動", "軽い", "健康", "アルコール",
                                     "低", "名" };
    QTest::newRow("names not known here, in Clarity's order")
        << QByteArray("Lp,Znacznik czasu (RRRR-MM-DDThh:mm:ss),Typ,Podtyp,Pacjent,Urządzenie,ID,"
                      "Glukoza (mmol/l),Insulina (j),Węglowodany (g),Czas trwania,Zmiana,Czas "
                      "nadajnika,ID nadajnika")
        << QStringList { "Calibration", "Alert", "Insulin", "Fast-Acting", "Carbs", "Exercise",
               "Light", "Health", "Alcohol", "Low", "FirstName" };
}

void TstDexcomReader::localised()
{
    QFETCH(QByteArray, header);
    QFETCH(QStringList, words);
    const auto w = [&words](int i) { return words.at(i).toUtf8(); };
    const QByteArray data = header + "\r\n1,," + w(10) + ",,Ann,,,,,,,,,\r\n2,," + w(1)
        + ",,,,G6,\"13,3\",,,,,,\r\n"
        + "3,2024-03-05T07:08:00,EGV,,,,G6,\"5,8\",,,,,100,8X\r\n4,2024-03-05T07:10:00," + w(0)
        + ",,,,G6,\"5,5\",,,,,,8X\r\n5,2024-03-05T07:13:00,EGV,,,,G6," + w(9)
        + ",,,,,400,8X\r\n6,2024-03-05T07:15:00," + w(2) + "," + w(3)
        + ",,,G6,,\"4,5\",,,,,8X\r\n7,2024-03-05T07:20:00," + w(4)
        + ",,,,G6,,,40,,,,8X\r\n8,2024-03-05T12:30:00," + w(5) + "," + w(6)
        + ",,,G6,,,,00:20:00,,,8X\r\n9,2024-03-05T20:31:00," + w(7) + "," + w(8)
        + ",,,G6,,,,,,,8X\r\n";
    QCOMPARE(DeviceImport::detect(data), DexcomReader::format);
    const ImportResult result = DeviceImport::read(data);
    QVERIFY2(result.ok(), qPrintable(result.error));
    QCOMPARE(describe(result.rejected), QString());
    QCOMPARE(describe(result.readings),
        QStringLiteral("2024-03-05 07:08 cgm 104 ''|2024-03-05 07:10 calibration 99 ''|"
                       "2024-03-05 07:13 cgm 40 'Low'"));
    QCOMPARE(describe(result.records),
        "2024-03-05 07:15 INSL kind=bolus units=4.5|2024-03-05 07:20 CARB grams=40|"
        "2024-03-05 12:30 ACTV activity=exercise intensity="
            + words.at(6).toLower() + " minutes=20|2024-03-05 20:31 NOTE text=" + words.at(8));
    QCOMPARE(result.skippedText(), QStringLiteral("1 alert, 1 patient info row"));
    QCOMPARE(result.accounted(), result.rows);
}

QTEST_GUILESS_MAIN(TstDexcomReader)
#include "tst_dexcomreader.moc"
