// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "GlucometerReader.h"

#include "LocalTimestamp.h"
#include "ReadingValue.h"

#include <algorithm>

namespace {

enum Field { Timestamp, Value, Meal, Method, Comment, FieldCount };

// The unit of the whole dump, from its glucose values.
GlucoseUnit::Unit unitOf(const QList<CsvRow> &rows)
{
    double highest = 0;
    for (const CsvRow &row : rows) {
        if (row.fields.size() <= Method
            || (row.fields.at(Method) != QLatin1String("blood sample")
                && row.fields.at(Method) != QLatin1String("CGM")))
            continue;
        double value = 0;
        if (ReadingValue::toNumber(row.fields.at(Value), &value))
            highest = std::max(highest, value);
    }
    return highest > 0 && highest <= GlucometerReader::highestMmolPerL ? GlucoseUnit::MmolPerL
                                                                       : GlucoseUnit::MgPerDl;
}

} // namespace

const QString GlucometerReader::format = QStringLiteral("glucometer");

bool GlucometerReader::recognises(const QList<CsvRow> &head)
{
    QDate date;
    QTime time;
    return !head.isEmpty() && head.first().fields.size() == FieldCount
        && LocalTimestamp::parseIso(head.first().fields.at(Timestamp), &date, &time);
}

ImportResult GlucometerReader::read(const QByteArray &data)
{
    ImportResult result;
    result.format = format;
    const QList<CsvRow> rows = CsvParser::parse(data, ',', -1, &result.error);
    if (!result.error.isEmpty())
        return result;
    const GlucoseUnit::Unit unit = unitOf(rows);
    result.rows = int(rows.size());
    for (const CsvRow &row : rows) {
        // The comment is last and not escaped: only too few fields tell a cut.
        if (row.cut || row.fields.size() < FieldCount) {
            result.reject(row.line, CsvParser::fieldCountProblem(row, FieldCount));
            continue;
        }
        const QString method = row.fields.at(Method).trimmed();
        if (method == QLatin1String("time")) {
            result.skip(QStringLiteral("clock change"));
            continue;
        }
        ImportedReading reading;
        QString reason;
        if (method == QLatin1String("blood sample")) {
            reading.type = QStringLiteral("meter");
        } else if (method == QLatin1String("CGM")) {
            reading.type = QStringLiteral("cgm");
        } else {
            result.rejected.append({ row.line,
                QStringLiteral("method \"%1\" is neither blood sample nor CGM")
                    .arg(ImportResult::excerpt(method)) });
            continue;
        }
        if (!LocalTimestamp::parseIso(row.fields.at(Timestamp), &reading.date, &reading.time)) {
            result.rejected.append({ row.line,
                QStringLiteral("timestamp \"%1\" is not a date and time")
                    .arg(ImportResult::excerpt(row.fields.at(Timestamp))) });
            continue;
        }
        if (!ReadingValue::parse(row.fields.at(Value), unit, &reading.value, &reason)) {
            result.rejected.append({ row.line, reason });
            continue;
        }
        QStringList notes;
        for (const int field : { int(Meal), int(Comment) }) {
            if (field < row.fields.size() && !row.fields.at(field).trimmed().isEmpty())
                notes.append(row.fields.at(field).trimmed());
        }
        reading.notes = notes.join(QLatin1String("; "));
        result.readings.append(reading);
    }
    return result;
}
