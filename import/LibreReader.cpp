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

// The columns of the other records, known by their English names only.
const ColumnNames::Names rapidNames = { "Rapid-Acting Insulin (units)" };
const ColumnNames::Names mealNames = { "Meal Insulin (units)" };
const ColumnNames::Names correctionNames = { "Correction Insulin (units)" };
const ColumnNames::Names longNames
    = { "Long-Acting Insulin Value (units)", "Long-Acting Insulin (units)" };
const ColumnNames::Names gramsNames = { "Carbohydrates (grams)" };
const ColumnNames::Names servingsNames = { "Carbohydrates (servings)" };
const ColumnNames::Names foodNames = { "Non-numeric Food" };

QString badTimestamp(const QString &stamp, LocalTimestamp::DayOrder order)
{
    return QStringLiteral("device timestamp \"%1\" is not a date and time (%2)")
        .arg(ImportResult::excerpt(stamp),
            order == LocalTimestamp::DayFirst ? QLatin1String("DD-MM-YYYY HH:MM")
                                              : QLatin1String("MM-DD-YYYY hh:MM AM"));
}

// Where the rows of ketones (3), insulin (4), food (5) and notes (6) hold their values.
struct RecordColumns
{
    RecordColumns(const QStringList &header, int notes)
        : grams(ColumnNames::find(header, gramsNames))
        , servings(ColumnNames::find(header, servingsNames))
        , food(ColumnNames::find(header, foodNames))
        , notes(notes)
        , ketone(ColumnNames::find(header, ketoneNames, ColumnNames::Start))
        , insulin { { ColumnNames::find(header, rapidNames), "bolus" },
            { ColumnNames::find(header, mealNames), "bolus" },
            { ColumnNames::find(header, correctionNames), "bolus" },
            { ColumnNames::find(header, longNames), "basal" } }
    { }

    int grams;
    int servings;
    int food;
    int notes;
    int ketone;
    std::pair<int, const char *> insulin[4]; // a column and its kind
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
    ImportedRecord record { date, time, {}, {} };
    QList<ImportedRecord> made;
    const QString notes = field(c.notes);
    const auto number = [&](ImportedRecord &r, const char *key, int column) {
        if (r.setNumber(QString::fromLatin1(key), field(column)))
            return true;
        *reason = QStringLiteral("%1 \"%2\" is not a number")
                      .arg(QLatin1String(key), ImportResult::excerpt(field(column)));
        return false;
    };
    if (type == 6) {
        if (!notes.isEmpty())
            made.append(
                { date, time, QStringLiteral("NOTE"), { { QStringLiteral("text"), notes } } });
    } else {
        if (!notes.isEmpty())
            record.fields.insert(QStringLiteral("notes"), notes);
        if (type == 3 && !field(c.ketone).isEmpty()) {
            record.type = QStringLiteral("KETO");
            if (!number(record, "ketones", c.ketone))
                return false;
            made.append(record);
        } else if (type == 5) {
            record.type = QStringLiteral("CARB");
            if (!field(c.grams).isEmpty() && !number(record, "grams", c.grams))
                return false;
            // Without grams, what the row says of the food is kept as its text.
            QString food = field(c.food);
            if (food.isEmpty() && !field(c.servings).isEmpty())
                food = field(c.servings) + QStringLiteral(" servings");
            if (!food.isEmpty())
                record.fields.insert(QStringLiteral("food"), food);
            if (record.fields.contains(QStringLiteral("grams")) || !food.isEmpty())
                made.append(record);
        } else if (type == 4) {
            // A dose for each column with units.
            record.type = QStringLiteral("INSL");
            for (const auto &[column, kind] : c.insulin) {
                if (field(column).isEmpty())
                    continue;
                made.append(record);
                made.last().fields.insert(QStringLiteral("kind"), QLatin1String(kind));
                if (!number(made.last(), "units", column))
                    return false;
            }
        }
    }
    if (made.isEmpty()) {
        result.skip(type == 3 ? QStringLiteral("empty ketone row")
                : type == 4   ? QStringLiteral("unitless insulin row")
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
    const RecordColumns recordColumns(header, c.notes);
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
