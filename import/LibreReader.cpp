// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "LibreReader.h"

#include "ColumnNames.h"
#include "LocalTimestamp.h"
#include "ReadingValue.h"

#include <QSet>

#include <algorithm>
#include <utility>

namespace {

// The header follows a title line, which re-saved copies may lack.
constexpr int headerSearchRows = 3;

// LibreView's column names by language: English, French, German, Spanish,
// Italian, Dutch. Names are matched trimmed and in any case; the glucose
// columns by their start, the unit follows.
const ColumnNames::Names timestampNames = { "Device Timestamp", "Horodatage de l'appareil",
    "Horodatage de l’appareil", "Horodatage", "Gerätezeitstempel", "Zeitstempel des Geräts",
    "Sello de tiempo del dispositivo", "Marca de tiempo del dispositivo",
    "Indicador de fecha y hora del dispositivo", "Timestamp dispositivo",
    "Data e ora del dispositivo", "Tijdstempel apparaat", "Apparaattijdstempel" };
const ColumnNames::Names recordTypeNames
    = { "Record Type", "Type d'enregistrement", "Type d’enregistrement", "Aufzeichnungstyp",
          "Datensatztyp", "Tipo de registro", "Tipo di registrazione", "Tipo di record",
          "Registratietype", "Type registratie", "Recordtype" };
const ColumnNames::Names notesNames
    = { "Notes", "Remarques", "Notizen", "Notas", "Note", "Notities", "Opmerkingen" };
const ColumnNames::Names historicNames = { "Historic Glucose", "Historique du taux de glucose",
    "Glucose historique", "Glukosewert-Verlauf", "Historischer Glukosewert", "Historial de glucosa",
    "Glucosa histórica", "Storico glicemia", "Glucosio storico", "Historische glucose" };
const ColumnNames::Names scanNames = { "Scan Glucose", "Taux de glucose scanné", "Glucose scannée",
    "Glukose-Scan", "Gescannter Glukosewert", "Escaneo de glucosa", "Glucosa escaneada",
    "Scansione glicemia", "Glucosio scansionato", "Scan glucose", "Gescande glucose" };
const ColumnNames::Names stripNames = { "Strip Glucose", "Glycémie par bandelette",
    "Glucose par bandelette", "Glukose-Teststreifen", "Teststreifen-Glukosewert",
    "Tira reactiva para glucosa", "Glucosa en tira", "Strisce per glicemia", "Glucosio da striscia",
    "Strip glucose", "Glucose teststrip" };
const ColumnNames::Names ketoneNames = { "Ketone", "Cétone", "Keton", "Cetona", "Chetoni" };

struct GlucoseColumn
{
    int index = -1;
    GlucoseUnit::Unit unit = GlucoseUnit::MgPerDl;
};

// The columns that name a glucose unit and no ketone, in order.
QList<GlucoseColumn> unitColumns(const QStringList &header)
{
    QList<GlucoseColumn> found;
    for (int i = 0; i < header.size(); ++i) {
        GlucoseColumn column { i };
        if (!ColumnNames::matches(header.at(i), ketoneNames, ColumnNames::Start)
            && ReadingValue::unitInName(header.at(i), &column.unit))
            found.append(column);
    }
    return found;
}

// LibreView's header by its shape when its names are not known here: the
// timestamp and the record type third and fourth, and at least three
// glucose columns (historic, scan, strip) among many.
bool hasLibreShape(const QStringList &header)
{
    constexpr int fewestColumns = 14;
    return header.size() >= fewestColumns && unitColumns(header).size() >= 3;
}

struct Columns
{
    int timestamp = -1;
    int recordType = -1;
    int notes = -1;
    // Historic, scan and strip.
    GlucoseColumn glucose[3];
};

Columns columnsOf(const QStringList &header)
{
    Columns c;
    c.timestamp = ColumnNames::find(header, timestampNames);
    c.recordType = ColumnNames::find(header, recordTypeNames);
    c.notes = ColumnNames::find(header, notesNames);
    bool named = false;
    for (const GlucoseColumn &column : unitColumns(header)) {
        const QString &name = header.at(column.index);
        const int slot = ColumnNames::matches(name, historicNames, ColumnNames::Start) ? 0
            : ColumnNames::matches(name, scanNames, ColumnNames::Start)                ? 1
            : ColumnNames::matches(name, stripNames, ColumnNames::Start)               ? 2
                                                                                       : -1;
        if (slot >= 0 && c.glucose[slot].index < 0) {
            c.glucose[slot] = column;
            named = true;
        }
    }
    if ((c.timestamp < 0 || c.recordType < 0 || !named) && hasLibreShape(header)) {
        if (c.timestamp < 0 && c.recordType < 0) {
            c.timestamp = 2;
            c.recordType = 3;
        }
        if (!named) {
            const QList<GlucoseColumn> columns = unitColumns(header);
            std::copy_n(columns.begin(), 3, c.glucose);
        }
    }
    return c;
}

int headerIndex(const QList<CsvRow> &rows)
{
    for (int i = 0; i < std::min<int>(headerSearchRows, int(rows.size())); ++i) {
        const Columns c = columnsOf(rows.at(i).fields);
        if (c.timestamp >= 0 && c.recordType >= 0 && c.timestamp != c.recordType)
            return i;
    }
    return -1;
}

const char *const glucoseNamesInEnglish[] = { "Historic", "Scan", "Strip" };
const char *const readingTypes[] = { "cgm", "scan", "meter" };

// The columns of the other records, in the languages above.
const ColumnNames::Names rapidNames
    = { "Rapid-Acting Insulin (units)", "Insuline à action rapide (unités)",
          "Schnellwirkendes Insulin (Einheiten)", "Insulina de acción rápida (unidades)",
          "Insulina ad azione rapida (unità)", "Snelwerkende insuline (eenheden)" };
const ColumnNames::Names rapidFlagNames
    = { "Non-numeric Rapid-Acting Insulin", "Insuline à action rapide non numérique",
          "Nicht numerisches schnellwirkendes Insulin", "Insulina de acción rápida no numérica",
          "Insulina ad azione rapida non numerica", "Niet-numerieke snelwerkende insuline" };
const ColumnNames::Names mealNames = { "Meal Insulin (units)", "Insuline repas (unités)",
    "Mahlzeiteninsulin (Einheiten)", "Insulina para comidas (unidades)",
    "Insulina per i pasti (unità)", "Maaltijdinsuline (eenheden)" };
const ColumnNames::Names correctionNames
    = { "Correction Insulin (units)", "Insuline de correction (unités)",
          "Korrekturinsulin (Einheiten)", "Insulina de corrección (unidades)",
          "Insulina di correzione (unità)", "Correctie-insuline (eenheden)" };
const ColumnNames::Names userChangeNames = { "User Change Insulin (units)",
    "Insuline modifiée par l'utilisateur (unités)", "Insuline modifiée par l’utilisateur (unités)",
    "Insulin-Änderung durch Anwender (Einheiten)", "Insulina modificada por el usuario (unidades)",
    "Insulina modificata dall'utente (unità)", "Insulina modificata dall’utente (unità)",
    "Insuline gewijzigd door gebruiker (eenheden)" };
const ColumnNames::Names longNames = { "Long-Acting Insulin Value (units)",
    "Long-Acting Insulin (units)", "Insuline à action lente (unités)", "Depotinsulin (Einheiten)",
    "Insulina de acción prolongada (unidades)", "Insulina ad azione lenta (unità)",
    "Langwerkende insuline (eenheden)" };
const ColumnNames::Names longFlagNames
    = { "Non-numeric Long-Acting Insulin", "Insuline à action lente non numérique",
          "Nicht numerisches Depotinsulin", "Insulina de acción prolongada no numérica",
          "Insulina ad azione lenta non numerica", "Niet-numerieke langwerkende insuline" };
const ColumnNames::Names gramsNames
    = { "Carbohydrates (grams)", "Glucides (grammes)", "Kohlenhydrate (Gramm)",
          "Carbohidratos (gramos)", "Carboidrati (grammi)", "Koolhydraten (gram)" };
const ColumnNames::Names servingsNames
    = { "Carbohydrates (servings)", "Glucides (portions)", "Kohlenhydrate (Portionen)",
          "Carbohidratos (porciones)", "Carboidrati (porzioni)", "Koolhydraten (porties)" };
const ColumnNames::Names foodFlagNames
    = { "Non-numeric Food", "Aliments non numériques", "Nicht numerische Nahrungsdaten",
          "Alimentos no numéricos", "Cibo non numerico", "Niet-numeriek voedsel" };

// LibreView's columns in the order of every export at hand, whatever its
// language: where the timestamp, record type and glucose columns stand so,
// so do the others, which are found by their place when not by their names.
enum Place {
    TimestampPlace = 2,
    RecordTypePlace,
    HistoricPlace,
    ScanPlace,
    RapidFlagPlace,
    RapidPlace,
    FoodFlagPlace,
    GramsPlace,
    ServingsPlace,
    LongFlagPlace,
    LongPlace,
    NotesPlace,
    StripPlace,
    KetonePlace,
    MealPlace,
    CorrectionPlace,
    UserChangePlace,
    PlaceCount
};

QString badTimestamp(const QString &stamp, LocalTimestamp::DayOrder order)
{
    return QStringLiteral("device timestamp \"%1\" is not a date and time (%2)")
        .arg(ImportResult::excerpt(stamp),
            order == LocalTimestamp::DayFirst ? QLatin1String("DD-MM-YYYY HH:MM")
                                              : QLatin1String("MM-DD-YYYY hh:MM AM"));
}

// A column of insulin doses: its kind, and what its doses' notes say they were.
struct DoseColumn
{
    int index = -1;
    const char *kind = "bolus";
    const char *what = nullptr;
};

// Where the rows of ketones (3), insulin (4), food (5) and notes (6) hold their values.
struct RecordColumns
{
    RecordColumns(const QStringList &header, const Columns &c)
        : grams(ColumnNames::find(header, gramsNames))
        , servings(ColumnNames::find(header, servingsNames))
        , foodFlag(ColumnNames::find(header, foodFlagNames))
        , notes(c.notes)
        , ketone(ColumnNames::find(header, ketoneNames, ColumnNames::Start))
        , rapidFlag(ColumnNames::find(header, rapidFlagNames))
        , longFlag(ColumnNames::find(header, longFlagNames))
        , doses { { ColumnNames::find(header, rapidNames) },
            { ColumnNames::find(header, mealNames), "bolus", "meal" },
            { ColumnNames::find(header, correctionNames), "bolus", "correction" },
            { ColumnNames::find(header, userChangeNames), "bolus", "user change" },
            { ColumnNames::find(header, longNames), "basal" } }
    {
        if (header.size() < PlaceCount || c.timestamp != TimestampPlace
            || c.recordType != RecordTypePlace || c.glucose[0].index != HistoricPlace
            || c.glucose[1].index != ScanPlace || c.glucose[2].index != StripPlace)
            return;
        const std::pair<int *, Place> places[]
            = { { &grams, GramsPlace }, { &servings, ServingsPlace }, { &foodFlag, FoodFlagPlace },
                  { &notes, NotesPlace }, { &ketone, KetonePlace }, { &rapidFlag, RapidFlagPlace },
                  { &longFlag, LongFlagPlace }, { &doses[0].index, RapidPlace },
                  { &doses[1].index, MealPlace }, { &doses[2].index, CorrectionPlace },
                  { &doses[3].index, UserChangePlace }, { &doses[4].index, LongPlace } };
        for (const auto &[column, place] : places) {
            if (*column < 0)
                *column = place;
        }
    }

    int grams;
    int servings;
    int foodFlag; // set when food is logged without an amount
    int notes;
    int ketone;
    int rapidFlag; // set when insulin is logged without units
    int longFlag;
    DoseColumn doses[5];
};

// One row of record type 3 to 6: a record for each value it holds, or a
// count of what it is. False, with the reason, when a value cannot be read.
bool readRecordRow(const CsvRow &row, int type, const RecordColumns &c, const QDate &date,
    const QTime &time, ImportResult &result, QString *reason)
{
    const auto field = [&row](int column) {
        return column >= 0 && column < row.fields.size() ? row.fields.at(column).trimmed()
                                                         : QString();
    };
    // A flag is "1" where the user logged something without its amount.
    const auto flagged = [&field](int column) {
        const QString f = field(column);
        return !f.isEmpty() && f != QLatin1String("0");
    };
    const QString notes = field(c.notes);
    QList<ImportedRecord> made;
    // A record of the row, its notes what it was and the row's notes.
    const auto add = [&](const char *type, const char *what) -> ImportedRecord & {
        QStringList parts;
        if (what)
            parts << QLatin1String(what);
        if (!notes.isEmpty())
            parts << notes;
        made.append({ date, time, QLatin1String(type), {}, row.line });
        if (!parts.isEmpty())
            made.last().fields.insert(QStringLiteral("notes"), parts.join(u"; "));
        return made.last();
    };
    // A note of what was logged without its amount: a flag of "1", or its text.
    const auto logged = [&](const QString &what, int flag) -> QString {
        const QString f = field(flag);
        return f == QLatin1String("1") ? what : what + u": " + f;
    };
    const auto note = [&](const QString &text) {
        made.append({ date, time, QStringLiteral("NOTE"),
            { { QStringLiteral("text"), notes.isEmpty() ? text : text + u"; " + notes } },
            row.line });
    };
    const auto number = [&](ImportedRecord &r, const char *key, int column) {
        const QString text = field(column);
        const bool read = r.setNumber(QString::fromLatin1(key), text);
        if (read && !r.fields.value(QString::fromLatin1(key)).startsWith(u'-'))
            return true;
        *reason = QStringLiteral("%1 \"%2\" is %3")
                      .arg(QLatin1String(key), ImportResult::excerpt(text),
                          read ? QStringLiteral("below zero") : QStringLiteral("not a number"));
        return false;
    };
    if (type == 6) {
        if (!notes.isEmpty())
            made.append({ date, time, QStringLiteral("NOTE"), { { QStringLiteral("text"), notes } },
                row.line });
    } else if (type == 3) {
        if (!field(c.ketone).isEmpty() && !number(add("KETO", nullptr), "ketones", c.ketone))
            return false;
    } else if (type == 5) {
        if (!field(c.grams).isEmpty() || !field(c.servings).isEmpty()) {
            ImportedRecord &carbs = add("CARB", nullptr);
            if (!field(c.grams).isEmpty() && !number(carbs, "grams", c.grams))
                return false;
            // Servings, of no fixed weight, are kept as the food's text.
            if (!field(c.servings).isEmpty())
                carbs.fields.insert(QStringLiteral("food"), field(c.servings) + u" servings");
        } else if (flagged(c.foodFlag)) {
            note(logged(QStringLiteral("Food logged without an amount"), c.foodFlag));
        }
    } else if (type == 4) {
        // A dose for each column with units, told apart by its notes.
        for (const DoseColumn &dose : c.doses) {
            if (field(dose.index).isEmpty())
                continue;
            ImportedRecord &record = add("INSL", dose.what);
            record.fields.insert(QStringLiteral("kind"), QLatin1String(dose.kind));
            if (!number(record, "units", dose.index))
                return false;
        }
        if (made.isEmpty() && flagged(c.rapidFlag))
            note(logged(QStringLiteral("Rapid-acting insulin logged without units"), c.rapidFlag));
        if (made.isEmpty() && flagged(c.longFlag))
            note(logged(QStringLiteral("Long-acting insulin logged without units"), c.longFlag));
    }
    if (made.isEmpty()) {
        result.skip(type == 3 ? QStringLiteral("empty ketone row")
                : type == 4   ? QStringLiteral("empty insulin row")
                : type == 5   ? QStringLiteral("empty food row")
                              : QStringLiteral("empty note"));
        return true;
    }
    result.records.append(made);
    ++result.recordRows;
    return true;
}

} // namespace

const QString LibreReader::format = QStringLiteral("libre");

bool LibreReader::recognises(const QList<CsvRow> &head)
{
    return headerIndex(head) >= 0;
}

ImportResult LibreReader::read(const QByteArray &data)
{
    ImportResult result;
    result.format = format;
    const QList<CsvRow> rows = CsvParser::parse(data, 0, -1, &result.error);
    if (!result.error.isEmpty())
        return result;
    const int h = headerIndex(rows);
    if (h < 0) {
        result.error = QStringLiteral("not a LibreView export: no header line with the Device "
                                      "Timestamp and Record Type columns");
        return result;
    }
    const QStringList header = rows.at(h).fields;
    const Columns c = columnsOf(header);
    if (std::all_of(std::begin(c.glucose), std::end(c.glucose),
            [](const GlucoseColumn &g) { return g.index < 0; })) {
        result.error = QStringLiteral("not a LibreView export: no Historic, Scan or Strip Glucose "
                                      "column with a unit");
        return result;
    }
    const auto field = [](const CsvRow &row, int column) {
        return column >= 0 && column < row.fields.size() ? row.fields.at(column).trimmed()
                                                         : QString();
    };

    // The rows that are readings, each once, and every date to tell the day order from.
    QList<const CsvRow *> readingRows;
    QList<const CsvRow *> recordRows;
    QStringList stamps;
    QSet<QString> seen;
    if (h > 0 && rows.first().fields.size() > 2)
        stamps.append(QString(rows.first().fields.at(2)).remove(QLatin1String("UTC")));
    result.rows = int(rows.size()) - h - 1;
    const int widest = CsvParser::widest(rows, h + 1, rows.size(), int(header.size()));
    for (qsizetype i = h + 1; i < rows.size(); ++i) {
        const CsvRow &row = rows.at(i);
        const QString whole = row.fields.join(QChar(0));
        if (seen.contains(whole)) {
            ++result.repeated;
            continue;
        }
        seen.insert(whole);
        const QString cut = CsvParser::fieldCountProblem(row, int(header.size()), 0, widest);
        if (!cut.isEmpty()) {
            result.reject(row.line, cut);
            continue;
        }
        const QString type = field(row, c.recordType);
        if (type == QLatin1String("0") || type == QLatin1String("1")
            || type == QLatin1String("2")) {
            readingRows.append(&row);
            stamps.append(row.fields.at(c.timestamp));
        } else if (type == QLatin1String("3") || type == QLatin1String("4")
            || type == QLatin1String("5") || type == QLatin1String("6")) {
            recordRows.append(&row);
            stamps.append(row.fields.at(c.timestamp));
        } else {
            result.reject(row.line,
                QStringLiteral("record type \"%1\" is none that LibreView writes")
                    .arg(ImportResult::excerpt(type)));
        }
    }
    const LocalTimestamp::DayOrder order = LocalTimestamp::orderOf(stamps);

    for (const CsvRow *row : readingRows) {
        const int type = field(*row, c.recordType).toInt();
        const GlucoseColumn &column = c.glucose[type];
        ImportedReading reading;
        const QString stamp = row->fields.at(c.timestamp);
        QString reason;
        if (!LocalTimestamp::parseNumeric(stamp, order, &reading.date, &reading.time)) {
            reason = badTimestamp(stamp, order);
        } else if (column.index < 0) {
            reason = QStringLiteral("record type %1 but no %2 Glucose column")
                         .arg(type)
                         .arg(QLatin1String(glucoseNamesInEnglish[type]));
        } else {
            // A reading row fills its glucose column and no other but the notes.
            reason = CsvParser::endProblem(*row, column.index);
            if (reason.isEmpty() && column.index + 1 != c.notes)
                reason = CsvParser::splitProblem(*row, column.index);
        }
        if (reason.isEmpty()
            && ReadingValue::parse(
                row->fields.at(column.index), column.unit, &reading.value, &reason)) {
            reading.type = QLatin1String(readingTypes[type]);
            reading.notes = field(*row, c.notes);
            result.readings.append(reading);
        } else {
            result.reject(row->line, reason);
        }
    }
    const RecordColumns recordColumns(header, c);
    for (const CsvRow *row : recordRows) {
        const QString stamp = row->fields.at(c.timestamp);
        QDate date;
        QTime time;
        QString reason = badTimestamp(stamp, order);
        if (!LocalTimestamp::parseNumeric(stamp, order, &date, &time)
            || !readRecordRow(*row, field(*row, c.recordType).toInt(), recordColumns, date, time,
                result, &reason))
            result.reject(row->line, reason);
    }
    return result;
}
