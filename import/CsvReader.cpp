// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "CsvReader.h"

#include "LocalTimestamp.h"
#include "ReadingValue.h"

#include <QDateTime>

#include <algorithm>

namespace {

struct Columns
{
    int date = -1;
    int time = -1;
    int timestamp = -1;
    int value = -1;
    int type = -1;
    int unit = -1;
    int notes = -1;
    GlucoseUnit::Unit valueUnit = GlucoseUnit::MgPerDl;

    bool usable() const { return value >= 0 && (timestamp >= 0 || (date >= 0 && time >= 0)); }
    int needed() const { return std::max({ date, time, timestamp, value }) + 1; }
};

// "Value (mmol/L)" names the value column and its unit.
QString baseName(const QString &name)
{
    const QString n = name.trimmed().toLower();
    const qsizetype bracket = n.indexOf(u'(');
    return (bracket < 0 ? n : n.left(bracket)).trimmed();
}

Columns columnsOf(const QStringList &header)
{
    Columns c;
    for (int i = 0; i < header.size(); ++i) {
        const QString name = baseName(header.at(i));
        int *slot = nullptr;
        if (name == QLatin1String("date"))
            slot = &c.date;
        else if (name == QLatin1String("time"))
            slot = &c.time;
        else if (name == QLatin1String("timestamp") || name == QLatin1String("datetime")
            || name == QLatin1String("date time"))
            slot = &c.timestamp;
        else if (name == QLatin1String("value") || name == QLatin1String("glucose")
            || name == QLatin1String("gl"))
            slot = &c.value;
        else if (name == QLatin1String("type"))
            slot = &c.type;
        else if (name == QLatin1String("unit"))
            slot = &c.unit;
        else if (name == QLatin1String("notes") || name == QLatin1String("note"))
            slot = &c.notes;
        if (slot && *slot < 0)
            *slot = i;
    }
    if (c.value >= 0)
        ReadingValue::unitInName(header.at(c.value), &c.valueUnit);
    // A lone time column holding whole timestamps, as R's data frames write it.
    if (c.date < 0 && c.timestamp < 0 && c.time >= 0) {
        c.timestamp = c.time;
        c.time = -1;
    }
    return c;
}

bool readMoment(const QString &text, QDate *date, QTime *time)
{
    if (LocalTimestamp::parseIso(text, date, time))
        return true;
    // A moment with a zone is shown on this machine's clock.
    const QDateTime moment = QDateTime::fromString(text.trimmed(), Qt::ISODateWithMs);
    if (!moment.isValid() || moment.timeSpec() == Qt::LocalTime)
        return false;
    const QDateTime local = moment.toLocalTime();
    *date = local.date();
    *time = QTime(local.time().hour(), local.time().minute());
    return true;
}

} // namespace

const QString CsvReader::format = QStringLiteral("csv");

char CsvReader::delimiterOf(const QByteArray &data)
{
    const qsizetype end = data.indexOf('\n');
    const QByteArray first = data.left(end < 0 ? data.size() : end);
    if (first.contains(','))
        return ',';
    return first.contains(';') ? ';' : first.contains('\t') ? '\t' : ',';
}

bool CsvReader::recognises(const QList<CsvRow> &head)
{
    return !head.isEmpty() && columnsOf(head.first().fields).usable();
}

ImportResult CsvReader::read(const QByteArray &data)
{
    ImportResult result;
    result.format = format;
    const QByteArray text = CsvParser::withoutBom(data);
    const QList<CsvRow> rows = CsvParser::parse(text, delimiterOf(text), -1, &result.error);
    if (!result.error.isEmpty())
        return result;
    if (!recognises(rows)) {
        result.error = QStringLiteral("not a readings CSV: the first line must name the columns "
                                      "date, time (or timestamp) and value, and may name type, "
                                      "unit and notes");
        return result;
    }
    const Columns c = columnsOf(rows.first().fields);
    const auto field = [](const CsvRow &row, int column) {
        return column >= 0 && column < row.fields.size() ? row.fields.at(column) : QString();
    };

    for (qsizetype i = 1; i < rows.size(); ++i) {
        const CsvRow &row = rows.at(i);
        ImportedReading reading;
        QString reason;
        GlucoseUnit::Unit unit = c.valueUnit;
        const QString unitText = field(row, c.unit).trimmed();
        if (row.fields.size() < c.needed()) {
            reason = QStringLiteral("truncated row: %1 fields, the header names %2")
                         .arg(row.fields.size())
                         .arg(rows.first().fields.size());
        } else if (c.timestamp >= 0
            && !readMoment(field(row, c.timestamp), &reading.date, &reading.time)) {
            reason = QStringLiteral("timestamp \"%1\" is not a date and time")
                         .arg(field(row, c.timestamp).left(40));
        } else if (c.timestamp < 0
            && !LocalTimestamp::parseIso(
                field(row, c.date).trimmed() + u' ' + field(row, c.time).trimmed(), &reading.date,
                &reading.time)) {
            reason = QStringLiteral("date \"%1\" and time \"%2\" are not YYYY-MM-DD and HH:MM")
                         .arg(field(row, c.date).left(40), field(row, c.time).left(40));
        } else if (!unitText.isEmpty() && !GlucoseUnit::parse(unitText, &unit)) {
            reason
                = QStringLiteral("unit \"%1\" is neither mg/dL nor mmol/L").arg(unitText.left(40));
        } else {
            ReadingValue::parse(field(row, c.value), unit, &reading.value, &reason);
        }
        if (!reason.isEmpty()) {
            result.rejected.append({ row.line, reason });
            continue;
        }
        reading.type = field(row, c.type).trimmed();
        if (reading.type.isEmpty())
            reading.type = QStringLiteral("unspecified");
        reading.notes = field(row, c.notes);
        result.readings.append(reading);
    }
    return result;
}
