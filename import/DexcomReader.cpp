// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "DexcomReader.h"

#include "ColumnNames.h"
#include "LocalTimestamp.h"
#include "ReadingValue.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>

namespace {

// Clarity's names in English, Japanese, French, German, Spanish, Italian
// and Dutch. A header in another language is still read by its shape: the
// timestamp's column names its format, the glucose value's its unit in
// brackets, the event type follows the timestamp, and where these stand in
// Clarity's order, so do the treatments' columns.
const ColumnNames::Names timestampNames = { "Timestamp (", "タイムスタンプ" };
const ColumnNames::Names eventTypeNames = { "Event Type", "イベントタイプ", "Type d'événement",
    "Type d’événement", "Ereignistyp", "Tipo de evento", "Tipo di evento", "Gebeurtenistype" };
const ColumnNames::Names glucoseNames
    = { "Glucose Value (", "グルコース値", "Valeur du glucose", "Valeur de glucose", "Glukosewert",
          "Valor de glucosa", "Valore del glucosio", "Valore glucosio", "Glucosewaarde" };
const ColumnNames::Names subtypeNames = { "Event Subtype", "イベントサブタイプ",
    "Sous-type d'événement", "Sous-type d’événement", "Ereignis-Subtyp", "Ereignisuntertyp",
    "Subtipo de evento", "Sottotipo di evento", "Subtype gebeurtenis", "Gebeurtenissubtype" };
const ColumnNames::Names insulinNames
    = { "Insulin Value", "インスリン値", "Valeur d'insuline", "Valeur d’insuline", "Insulinwert",
          "Valor de insulina", "Valore insulina", "Valore di insulina", "Insulinewaarde" };
const ColumnNames::Names carbNames = { "Carb Value", "炭水化物値", "Valeur de glucides",
    "Kohlenhydratwert", "Valor de carbohidratos", "Valore carboidrati", "Valore dei carboidrati",
    "Koolhydraatwaarde" };
const ColumnNames::Names durationNames
    = { "Duration", "期間", "Durée", "Dauer", "Duración", "Durata", "Duur" };

// Where Clarity puts its columns, in every language.
enum Place {
    IndexPlace,
    TimestampPlace,
    EventTypePlace,
    SubtypePlace,
    GlucosePlace = 7,
    InsulinPlace,
    CarbsPlace,
    DurationPlace
};

struct EventKind
{
    const char *kind; // how rows of it are counted when they become no record; nullptr: readings
    ColumnNames::Names names;
};

// Event types as Clarity writes them; "EGV" stays so in every language.
const EventKind eventKinds[] = {
    { nullptr,
        { "EGV", "Calibration", "キャリブレーション", "較正", "Étalonnage", "Calibrage",
            "Kalibrierung", "Calibración", "Calibrazione", "Kalibratie" } },
    { "patient info row",
        { "FirstName", "LastName", "DateOfBirth", "名", "姓", "生年月日", "Prénom", "Nom",
            "Date de naissance", "Vorname", "Nachname", "Geburtsdatum", "Nombre", "Apellido",
            "Apellidos", "Fecha de nacimiento", "Nome", "Cognome", "Data di nascita", "Voornaam",
            "Achternaam", "Geboortedatum" } },
    { "device row", { "Device", "デバイス", "Appareil", "Gerät", "Dispositivo", "Apparaat" } },
    { "alert",
        { "Alert", "アラート", "Alerte", "Alarm", "Warnung", "Alerta", "Avviso", "Allarme",
            "Melding", "Waarschuwing" } },
    { "insulin dose", { "Insulin", "インスリン", "Insuline", "Insulina" } },
    { "carbohydrate entry",
        { "Carbs", "炭水化物", "Glucides", "Kohlenhydrate", "Carbohidratos", "Carboidrati",
            "Koolhydraten" } },
    { "activity",
        { "Exercise", "運動", "Exercice", "Activité physique", "Bewegung", "Sport", "Ejercicio",
            "Esercizio", "Esercizio fisico", "Attività fisica", "Lichaamsbeweging", "Beweging" } },
    { "health event",
        { "Health", "健康", "Santé", "Gesundheit", "Salud", "Salute", "Gezondheid" } },
};

// An insulin's subtype: a bolus, or a basal insulin.
const ColumnNames::Names fastActing
    = { "Fast-Acting", "速効型", "超速効型", "Action rapide", "À action rapide", "Schnell wirkend",
          "Schnellwirkend", "Acción rápida", "Azione rapida", "Ad azione rapida", "Snelwerkend" };
const ColumnNames::Names longActing = { "Long-Acting", "持効型", "Action lente", "Action prolongée",
    "À action lente", "Lang wirkend", "Langwirkend", "Acción prolongada", "Acción lenta",
    "Azione lenta", "Ad azione lenta", "Azione prolungata", "Langwerkend" };

int columnContaining(const QStringList &header, QLatin1String part)
{
    for (int i = 0; i < header.size(); ++i) {
        if (header.at(i).contains(part, Qt::CaseInsensitive))
            return i;
    }
    return -1;
}

// The column whose name gives a timestamp's format in its language, such as
// "(YYYY-MM-DDThh:mm:ss)", "(AAAA-MM-JJThh:mm:ss)" or "(JJJJ-MM-TTThh:mm:ss)".
int formatColumn(const QStringList &header)
{
    static const QRegularExpression format(
        QStringLiteral(R"(\((\w)\1{3}-(\w)\2-(\w)\3T\w\w:\w\w:\w\w\))"));
    for (int i = 0; i < header.size(); ++i) {
        if (format.match(header.at(i)).hasMatch())
            return i;
    }
    return -1;
}

struct Columns
{
    int timestamp = -1;
    int eventType = -1;
    int glucose = -1;
    GlucoseUnit::Unit unit = GlucoseUnit::MgPerDl;
    int subtype = -1;
    int insulin = -1;
    int carbs = -1;
    int duration = -1;
};

Columns columnsOf(const QStringList &header)
{
    Columns c;
    c.timestamp = ColumnNames::find(header, timestampNames, ColumnNames::Start);
    if (c.timestamp < 0)
        c.timestamp = formatColumn(header);
    c.eventType = ColumnNames::find(header, eventTypeNames, ColumnNames::Start);
    if (c.eventType < 0 && c.timestamp >= 0 && c.timestamp + 1 < header.size())
        c.eventType = c.timestamp + 1;
    c.glucose = ColumnNames::find(header, glucoseNames, ColumnNames::Start);
    if (c.glucose < 0) {
        c.glucose = columnContaining(header, QLatin1String("(mg/dL)"));
        if (c.glucose < 0)
            c.glucose = columnContaining(header, QLatin1String("(mmol/L)"));
    }
    if (c.glucose >= 0 && !ReadingValue::unitInName(header.at(c.glucose), &c.unit))
        c.glucose = -1;
    c.subtype = ColumnNames::find(header, subtypeNames, ColumnNames::Start);
    c.insulin = ColumnNames::find(header, insulinNames, ColumnNames::Start);
    c.carbs = ColumnNames::find(header, carbNames, ColumnNames::Start);
    c.duration = ColumnNames::find(header, durationNames, ColumnNames::Start);
    if (c.duration < 0) {
        c.duration = columnContaining(header, QLatin1String("(hh:mm:ss)"));
        if (c.duration == c.timestamp)
            c.duration = -1;
    }
    // Names not known here, in Clarity's order: the treatments' columns by their place.
    const bool clarityOrder = c.timestamp == TimestampPlace && c.eventType == EventTypePlace
        && c.glucose == GlucosePlace;
    const auto byPlace = [&](int &column, Place place) {
        if (column < 0 && clarityOrder && place < header.size())
            column = place;
    };
    byPlace(c.subtype, SubtypePlace);
    byPlace(c.insulin, InsulinPlace);
    byPlace(c.carbs, CarbsPlace);
    byPlace(c.duration, DurationPlace);
    return c;
}

// The kind of an event, nullptr when Clarity writes no such event.
const EventKind *kindOf(const QString &eventType)
{
    for (const EventKind &k : eventKinds) {
        if (ColumnNames::matches(eventType, k.names))
            return &k;
    }
    return nullptr;
}

// A treatment row as a record: insulin, carbohydrates, exercise or a health
// event. False when the row is none, or its columns are not known here; a
// record that cannot be read gives its reason instead.
bool readTreatment(
    const CsvRow &row, const Columns &c, const QString &kind, ImportResult &result, QString *reason)
{
    const auto field = [&row](int column) {
        return column >= 0 && column < row.fields.size() ? row.fields.at(column).trimmed()
                                                         : QString();
    };
    const QString subtype = field(c.subtype);
    ImportedRecord record;
    record.row = row.line;
    bool ok = true;
    if (kind == QLatin1String("insulin dose") && c.insulin >= 0) {
        record.type = QStringLiteral("INSL");
        record.fields.insert(QStringLiteral("kind"),
            ColumnNames::matches(subtype, fastActing)       ? QStringLiteral("bolus")
                : ColumnNames::matches(subtype, longActing) ? QStringLiteral("basal")
                                                            : subtype.toLower());
        ok = record.setNumber(QStringLiteral("units"), field(c.insulin));
        *reason = QStringLiteral("insulin value \"%1\" is not a number")
                      .arg(ImportResult::excerpt(field(c.insulin)));
    } else if (kind == QLatin1String("carbohydrate entry") && c.carbs >= 0) {
        record.type = QStringLiteral("CARB");
        ok = record.setNumber(QStringLiteral("grams"), field(c.carbs));
        *reason = QStringLiteral("carb value \"%1\" is not a number")
                      .arg(ImportResult::excerpt(field(c.carbs)));
    } else if (kind == QLatin1String("activity") && c.duration >= 0) {
        record.type = QStringLiteral("ACTV");
        record.fields.insert(QStringLiteral("activity"), QStringLiteral("exercise"));
        record.fields.insert(QStringLiteral("intensity"), subtype.toLower());
        const QTime duration = QTime::fromString(field(c.duration), u"hh:mm:ss");
        ok = duration.isValid();
        if (ok)
            record.fields.insert(QStringLiteral("minutes"),
                QString::number((duration.msecsSinceStartOfDay() / 1000 + 30) / 60));
        *reason = QStringLiteral("duration \"%1\" is not hh:mm:ss")
                      .arg(ImportResult::excerpt(field(c.duration)));
    } else if (kind == QLatin1String("health event") && !subtype.isEmpty()) {
        record.type = QStringLiteral("NOTE");
        record.fields.insert(QStringLiteral("text"), subtype);
    } else {
        return false;
    }
    const QString timestamp = field(c.timestamp);
    if (ok && !LocalTimestamp::parseIso(timestamp, &record.date, &record.time)) {
        ok = false;
        *reason = timestamp.isEmpty() ? QStringLiteral("%1 row without a timestamp")
                                            .arg(ImportResult::excerpt(field(c.eventType)))
                                      : QStringLiteral("timestamp \"%1\" is not a date and time")
                                            .arg(ImportResult::excerpt(timestamp));
    }
    if (ok) {
        result.records.append(record);
        ++result.recordRows;
    } else {
        result.reject(row.line, *reason);
    }
    return true;
}

} // namespace

const QString DexcomReader::format = QStringLiteral("dexcom");

bool DexcomReader::recognises(const QList<CsvRow> &head)
{
    if (head.isEmpty())
        return false;
    const Columns c = columnsOf(head.first().fields);
    return c.timestamp >= 0 && c.eventType >= 0 && c.glucose >= 0 && c.eventType != c.glucose;
}

ImportResult DexcomReader::read(const QByteArray &data)
{
    ImportResult result;
    result.format = format;
    const QList<CsvRow> rows = CsvParser::parse(data, 0, -1, &result.error);
    if (!result.error.isEmpty())
        return result;
    if (!recognises(rows)) {
        result.error = QStringLiteral("not a Dexcom Clarity export: the first line does not name "
                                      "the Timestamp, Event Type and Glucose Value (unit) columns");
        return result;
    }
    const QStringList header = rows.first().fields;
    const Columns c = columnsOf(header);
    const auto field = [](const CsvRow &row, int column) {
        return column < row.fields.size() ? row.fields.at(column).trimmed() : QString();
    };

    // A file whose sensor readings go by a name not known here: they are the
    // event with a time and a glucose value that comes most often.
    QString egv = QStringLiteral("EGV");
    const bool english
        = header.at(c.eventType).trimmed().compare(QLatin1String("Event Type"), Qt::CaseInsensitive)
        == 0;
    QHash<QString, int> timed;
    bool egvSeen = english;
    for (qsizetype i = 1; i < rows.size() && !egvSeen; ++i) {
        const QString type = field(rows.at(i), c.eventType);
        egvSeen = type.compare(egv, Qt::CaseInsensitive) == 0;
        if (!kindOf(type) && !type.isEmpty() && !field(rows.at(i), c.timestamp).isEmpty()
            && !field(rows.at(i), c.glucose).isEmpty())
            ++timed[type];
    }
    if (!egvSeen && !timed.isEmpty())
        egv = std::max_element(
            timed.keyValueBegin(), timed.keyValueEnd(), [](const auto &a, const auto &b) {
                return a.second < b.second;
            })->first;

    // Clarity leaves the last column (the transmitter) off rows without one;
    // a row cut inside its glucose value ends there.
    const int width = int(header.size());
    const int mayLack = width - 1 > c.glucose + 1 ? 1 : 0;
    const int widest = CsvParser::widest(rows, 1, rows.size(), width);
    result.rows = int(rows.size()) - 1;
    for (qsizetype i = 1; i < rows.size(); ++i) {
        const CsvRow &row = rows.at(i);
        const QString cut = CsvParser::fieldCountProblem(row, width, mayLack, widest);
        if (!cut.isEmpty()) {
            result.reject(row.line, cut);
            continue;
        }
        const QString type = field(row, c.eventType);
        const bool isEgv = type.compare(egv, Qt::CaseInsensitive) == 0;
        const EventKind *known = kindOf(type);
        if (type.isEmpty()) {
            result.reject(row.line, QStringLiteral("row without an event type"));
            continue;
        }
        QString reason;
        if (known && known->kind
            && readTreatment(row, c, QString::fromUtf8(known->kind), result, &reason))
            continue;
        if (!isEgv && (!known || known->kind)) {
            result.skip(known ? QString::fromUtf8(known->kind)
                              : QStringLiteral("\"%1\" event").arg(ImportResult::excerpt(type)));
            continue;
        }
        ImportedReading reading;
        const QString timestamp = field(row, c.timestamp);
        if (timestamp.isEmpty()) {
            result.reject(row.line,
                QStringLiteral("%1 row without a timestamp").arg(ImportResult::excerpt(type)));
            continue;
        }
        if (!LocalTimestamp::parseIso(timestamp, &reading.date, &reading.time)) {
            result.reject(row.line,
                QStringLiteral("timestamp \"%1\" is not a date and time")
                    .arg(ImportResult::excerpt(timestamp)));
            continue;
        }
        // A reading leaves the treatments' columns empty.
        reason = CsvParser::endProblem(row, c.glucose);
        if (reason.isEmpty() && (c.glucose + 1 == c.insulin || c.glucose + 1 == c.carbs))
            reason = CsvParser::splitProblem(row, c.glucose);
        if (!reason.isEmpty()) {
            result.reject(row.line, reason);
            continue;
        }
        const QString value = field(row, c.glucose);
        if (!ReadingValue::rangeEnd(value, &reading.value, &reading.notes)
            && !ReadingValue::parse(value, c.unit, &reading.value, &reason)) {
            result.reject(row.line, reason);
            continue;
        }
        reading.type = isEgv ? QStringLiteral("cgm") : QStringLiteral("calibration");
        result.readings.append(reading);
    }
    return result;
}
