// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "CsvReader.h"

#include "LocalTimestamp.h"
#include "ReadingValue.h"

#include <QHash>

#include <algorithm>

namespace {

const char *const keys[] = { "date", "time", "timestamp", "value", "type", "unit", "notes" };

bool isKey(const QString &key)
{
    return std::any_of(std::begin(keys), std::end(keys),
        [&key](const char *k) { return key == QLatin1String(k); });
}

int *slotOf(CsvReader::Columns &c, const QString &key)
{
    int *const places[] = { &c.date, &c.time, &c.timestamp, &c.value, &c.type, &c.unit, &c.notes };
    for (size_t i = 0; i < std::size(keys); ++i) {
        if (key == QLatin1String(keys[i]))
            return places[i];
    }
    return nullptr;
}

// "Value (mmol/L)" names the value column and its unit.
QString baseName(const QString &name)
{
    const QString n = name.trimmed().toLower();
    const qsizetype bracket = n.indexOf(u'(');
    return (bracket < 0 ? n : n.left(bracket)).trimmed();
}

// A lone date or time column holding whole timestamps, as R's data frames
// write "time" and users name one column "date".
void takeWholeTimestamps(CsvReader::Columns &c)
{
    if (c.timestamp >= 0)
        return;
    if (c.date < 0 && c.time >= 0)
        std::swap(c.timestamp, c.time);
    else if (c.time < 0 && c.date >= 0)
        std::swap(c.timestamp, c.date);
}

CsvReader::Columns columnsOf(const QStringList &header)
{
    CsvReader::Columns c;
    const QHash<QString, QString> synonyms
        = { { "datetime", "timestamp" }, { "date time", "timestamp" }, { "glucose", "value" },
              { "gl", "value" }, { "note", "notes" } };
    for (int i = 0; i < header.size(); ++i) {
        const QString name = baseName(header.at(i));
        int *slot = name == QLatin1String("record") ? &c.record
                                                    : slotOf(c, synonyms.value(name, name));
        if (slot && *slot < 0)
            *slot = i;
    }
    if (c.value >= 0)
        ReadingValue::unitInName(header.at(c.value), &c.valueUnit);
    takeWholeTimestamps(c);
    return c;
}

// The pairs of a --columns list, or why it is none.
QString pairsOf(const QString &list, QList<QPair<QString, QString>> *pairs)
{
    for (const QString &item : list.split(u',', Qt::SkipEmptyParts)) {
        const qsizetype eq = item.indexOf(u'=');
        const QString key = item.left(eq).trimmed().toLower();
        const QString name = item.mid(eq + 1).trimmed();
        if (eq < 0 || name.isEmpty() || !isKey(key))
            return QStringLiteral("--columns takes KEY=NAME pairs, the keys %1, not \"%2\"")
                .arg(QStringList(std::begin(keys), std::end(keys)).join(u", "),
                    ImportResult::excerpt(item));
        if (std::any_of(
                pairs->begin(), pairs->end(), [&key](const auto &p) { return p.first == key; }))
            return QStringLiteral("--columns names %1 twice").arg(key);
        pairs->append({ key, name });
    }
    if (pairs->isEmpty())
        return QStringLiteral("--columns names no columns");
    return QString();
}

// A row with a record type: every named column but the reading's is a
// field by its name, the notes included.
ImportedRecord recordOf(const QStringList &header, const CsvRow &row, const CsvReader::Columns &c,
    const QDate &date, const QTime &time)
{
    ImportedRecord record { date, time, row.fields.at(c.record).trimmed(), {}, row.line };
    for (int i = 0; i < header.size() && i < row.fields.size(); ++i) {
        if (i == c.date || i == c.time || i == c.timestamp || i == c.value || i == c.type
            || i == c.unit || i == c.record || row.fields.at(i).isEmpty()
            || header.at(i).trimmed().isEmpty())
            continue;
        record.fields.insert(
            i == c.notes ? QStringLiteral("notes") : header.at(i).trimmed().toLower(),
            row.fields.at(i));
    }
    return record;
}

} // namespace

const QString CsvReader::format = QStringLiteral("csv");

bool CsvReader::recognises(const QList<CsvRow> &head)
{
    return !head.isEmpty() && columnsOf(head.first().fields).usable();
}

QString CsvReader::columnsProblem(const QString &columns)
{
    QList<QPair<QString, QString>> pairs;
    return pairsOf(columns, &pairs);
}

ImportResult CsvReader::read(const QByteArray &data, const QString &list)
{
    ImportResult result;
    result.format = format;
    const QList<CsvRow> rows = CsvParser::parse(data, 0, -1, &result.error);
    if (!result.error.isEmpty())
        return result;
    const QStringList header = rows.isEmpty() ? QStringList() : rows.first().fields;
    Columns c;
    if (list.isEmpty()) {
        c = columnsOf(header);
        if (!c.usable()) {
            result.error = QStringLiteral(
                "not a readings CSV: the first line must name the columns date, time (or "
                "timestamp) and value, and may name type, unit and notes; or name them with "
                "--columns");
            return result;
        }
    } else {
        QList<QPair<QString, QString>> pairs;
        result.error = pairsOf(list, &pairs);
        for (const auto &[key, name] : std::as_const(pairs)) {
            if (!result.error.isEmpty())
                break;
            int column = -1;
            for (int i = 0; i < header.size() && column < 0; ++i) {
                if (header.at(i).trimmed().compare(name, Qt::CaseInsensitive) == 0)
                    column = i;
            }
            if (column < 0 && key == QLatin1String("unit")
                && GlucoseUnit::parse(name, &c.valueUnit))
                continue;
            if (column < 0)
                result.error = QStringLiteral("--columns: the first line has no column \"%1\"; "
                                              "it names %2")
                                   .arg(ImportResult::excerpt(name),
                                       ImportResult::excerpt(header.join(u", ")));
            else
                *slotOf(c, key) = column;
        }
        if (result.error.isEmpty() && c.value >= 0 && c.unit < 0)
            ReadingValue::unitInName(header.at(c.value), &c.valueUnit);
        takeWholeTimestamps(c);
        if (result.error.isEmpty() && !c.usable())
            result.error = QStringLiteral("--columns must name value and date (or timestamp), "
                                          "and time unless the date holds it");
        if (!result.error.isEmpty())
            return result;
    }
    readRows(rows, 0, c, QStringLiteral("unspecified"), result);
    return result;
}

void CsvReader::readRows(const QList<CsvRow> &rows, int header, const Columns &c,
    const QString &type, ImportResult &result)
{
    const int width = header < rows.size() ? int(rows.at(header).fields.size()) : 0;
    const int widest = CsvParser::widest(rows, header + 1, rows.size(), width);
    const auto field = [](const CsvRow &row, int column) {
        return column >= 0 && column < row.fields.size() ? row.fields.at(column).trimmed()
                                                         : QString();
    };
    const auto moment = [&](const CsvRow &row) {
        return c.timestamp >= 0 ? field(row, c.timestamp)
                                : field(row, c.date) + u' ' + field(row, c.time);
    };
    QStringList moments;
    for (qsizetype i = header + 1; i < rows.size(); ++i)
        moments.append(moment(rows.at(i)));
    const LocalTimestamp::DayOrder order = LocalTimestamp::orderOf(moments);

    result.rows += int(rows.size()) - header - 1;
    for (qsizetype i = header + 1; i < rows.size(); ++i) {
        const CsvRow &row = rows.at(i);
        ImportedReading reading;
        QString reason = CsvParser::fieldCountProblem(row, width, 0, widest);
        GlucoseUnit::Unit unit = c.valueUnit;
        const QString unitText = field(row, c.unit);
        const QString when = moments.at(i - header - 1);
        const LocalTimestamp::Result read = reason.isEmpty()
            ? LocalTimestamp::parseMoment(when, order, &reading.date, &reading.time)
            : LocalTimestamp::Read;
        if (!reason.isEmpty()) {
            // Cut off: the fields say nothing more.
        } else if (read == LocalTimestamp::OutOfRange) {
            reason = QStringLiteral("\"%1\" falls outside the years 1 to 9999 on this "
                                    "machine's clock")
                         .arg(ImportResult::excerpt(when));
        } else if (read == LocalTimestamp::NotATime) {
            reason = c.timestamp >= 0
                ? QStringLiteral("timestamp \"%1\" is not a date and time")
                      .arg(ImportResult::excerpt(when))
                : QStringLiteral("date and time \"%1\" are not YYYY-MM-DD and HH:MM")
                      .arg(ImportResult::excerpt(when));
        } else if (!field(row, c.record).isEmpty()) {
            result.records.append(
                recordOf(rows.at(header).fields, row, c, reading.date, reading.time));
            ++result.recordRows;
            continue;
        } else if (!unitText.isEmpty() && !GlucoseUnit::parse(unitText, &unit)) {
            reason = QStringLiteral("unit \"%1\" is neither mg/dL nor mmol/L")
                         .arg(ImportResult::excerpt(unitText));
        } else {
            reason = CsvParser::endProblem(row, c.value);
            if (reason.isEmpty())
                ReadingValue::parse(field(row, c.value), unit, &reading.value, &reason);
        }
        if (!reason.isEmpty()) {
            result.reject(row.line, reason);
            continue;
        }
        reading.type = field(row, c.type);
        if (reading.type.isEmpty())
            reading.type = type;
        reading.notes
            = c.notes >= 0 && c.notes < row.fields.size() ? row.fields.at(c.notes) : QString();
        result.readings.append(reading);
    }
}
