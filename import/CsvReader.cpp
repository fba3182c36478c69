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

// A text without the double quotes around it, a quote doubled inside read as one.
QString unquoted(const QString &text)
{
    if (text.size() < 2 || !text.startsWith(u'"') || !text.endsWith(u'"'))
        return text;
    return text.mid(1, text.size() - 2).replace(QLatin1String("\"\""), QLatin1String("\""));
}

// The items of a --columns list: split by commas outside double quotes,
// which let a name hold a comma (value="Glucose (mg/dL, sensor)").
QStringList itemsOf(const QString &list)
{
    QStringList items;
    QString item;
    bool quoted = false;
    for (const QChar c : list) {
        if (c == u'"')
            quoted = !quoted;
        if (c == u',' && !quoted) {
            items.append(item);
            item.clear();
        } else {
            item += c;
        }
    }
    items.append(item);
    items.removeIf([](const QString &i) { return i.trimmed().isEmpty(); });
    return items;
}

// The pairs of a --columns list, or why it is none.
QString pairsOf(const QString &list, QList<QPair<QString, QString>> *pairs)
{
    for (const QString &whole : itemsOf(list)) {
        const QString item = unquoted(whole.trimmed());
        const qsizetype eq = item.indexOf(u'=');
        const QString key = item.left(eq).trimmed().toLower();
        const QString name = unquoted(item.mid(eq + 1).trimmed());
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
    int h = 0;
    Columns c;
    if (list.isEmpty()) {
        c = columnsOf(rows.isEmpty() ? QStringList() : rows.first().fields);
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
        if (!result.error.isEmpty())
            return result;
        // The header is the first line that has every column named, below
        // what a meter writes before it; a unit may be named itself.
        const auto columnIn = [](const QStringList &header, const QString &name) {
            for (int i = 0; i < header.size(); ++i) {
                if (header.at(i).trimmed().compare(name, Qt::CaseInsensitive) == 0)
                    return i;
            }
            return -1;
        };
        const auto lacks = [&columnIn](
                               const QStringList &header, const QPair<QString, QString> &pair) {
            GlucoseUnit::Unit unit;
            return columnIn(header, pair.second) < 0
                && !(pair.first == QLatin1String("unit") && GlucoseUnit::parse(pair.second, &unit));
        };
        const auto missing = [&](const QStringList &header) {
            return std::count_if(pairs.cbegin(), pairs.cend(),
                [&](const auto &pair) { return lacks(header, pair); });
        };
        h = -1;
        int nearest = -1;
        qsizetype fewest = pairs.size() + 1;
        for (int i = 0; i < rows.size() && h < 0; ++i) {
            const qsizetype n = missing(rows.at(i).fields);
            if (n == 0)
                h = i;
            else if (n < fewest)
                std::tie(nearest, fewest) = std::make_pair(i, n);
        }
        if (h < 0) {
            const QStringList header = nearest < 0 ? QStringList() : rows.at(nearest).fields;
            const auto absent = std::find_if(pairs.cbegin(), pairs.cend(),
                [&](const auto &pair) { return lacks(header, pair); });
            if (absent == pairs.cend()) {
                result.error = QStringLiteral("--columns: the file has no lines");
                return result;
            }
            result.error = QStringLiteral("--columns: no line has every column named; line %1, "
                                          "the nearest, has no column \"%2\" and names %3")
                               .arg(nearest < 0 ? 1 : rows.at(nearest).line)
                               .arg(ImportResult::excerpt(absent->second),
                                   ImportResult::excerpt(header.join(u", ")));
            return result;
        }
        const QStringList &header = rows.at(h).fields;
        for (const auto &[key, name] : std::as_const(pairs)) {
            const int column = columnIn(header, name);
            if (column >= 0)
                *slotOf(c, key) = column;
            else
                GlucoseUnit::parse(name, &c.valueUnit);
        }
        if (c.value >= 0 && c.unit < 0)
            ReadingValue::unitInName(header.at(c.value), &c.valueUnit);
        takeWholeTimestamps(c);
        if (!c.usable()) {
            result.error = QStringLiteral("--columns must name value and date (or timestamp), "
                                          "and time unless the date holds it");
            return result;
        }
    }
    readRows(rows, h, c, QStringLiteral("unspecified"), result);
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
