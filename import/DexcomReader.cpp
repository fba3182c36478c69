// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "DexcomReader.h"

#include "LocalTimestamp.h"
#include "ReadingValue.h"

#include <algorithm>

namespace {

struct Columns
{
    int timestamp = -1;
    int eventType = -1;
    int glucose = -1;
    GlucoseUnit::Unit unit = GlucoseUnit::MgPerDl;
};

int columnStartingWith(const QStringList &header, QLatin1String prefix)
{
    for (int i = 0; i < header.size(); ++i) {
        if (header.at(i).trimmed().startsWith(prefix, Qt::CaseInsensitive))
            return i;
    }
    return -1;
}

Columns columnsOf(const QStringList &header)
{
    Columns c;
    c.timestamp = columnStartingWith(header, QLatin1String("Timestamp ("));
    c.eventType = columnStartingWith(header, QLatin1String("Event Type"));
    c.glucose = columnStartingWith(header, QLatin1String("Glucose Value ("));
    if (c.glucose >= 0 && !ReadingValue::unitInName(header.at(c.glucose), &c.unit))
        c.glucose = -1;
    return c;
}

} // namespace

const QString DexcomReader::format = QStringLiteral("dexcom");

bool DexcomReader::recognises(const QList<CsvRow> &head)
{
    if (head.isEmpty())
        return false;
    const Columns c = columnsOf(head.first().fields);
    return c.timestamp >= 0 && c.eventType >= 0 && c.glucose >= 0;
}

ImportResult DexcomReader::read(const QByteArray &data)
{
    ImportResult result;
    result.format = format;
    const QList<CsvRow> rows = CsvParser::parse(data, ',', -1, &result.error);
    if (!result.error.isEmpty())
        return result;
    if (!recognises(rows)) {
        result.error = QStringLiteral("not a Dexcom Clarity export: the first line does not name "
                                      "the Timestamp, Event Type and Glucose Value (unit) columns");
        return result;
    }
    const Columns c = columnsOf(rows.first().fields);
    const int needed = std::max({ c.timestamp, c.eventType, c.glucose }) + 1;

    for (qsizetype i = 1; i < rows.size(); ++i) {
        const CsvRow &row = rows.at(i);
        if (row.fields.size() <= c.eventType
            || row.fields.at(c.eventType)
                    .trimmed()
                    .compare(QLatin1String("EGV"), Qt::CaseInsensitive)
                != 0)
            continue;
        if (row.fields.size() < needed) {
            result.rejected.append({ row.line,
                QStringLiteral("truncated row: %1 fields, the glucose value is field %2")
                    .arg(row.fields.size())
                    .arg(c.glucose + 1) });
            continue;
        }
        ImportedReading reading;
        const QString timestamp = row.fields.at(c.timestamp);
        if (timestamp.trimmed().isEmpty()) {
            result.rejected.append({ row.line, QStringLiteral("EGV row without a timestamp") });
            continue;
        }
        if (!LocalTimestamp::parseIso(timestamp, &reading.date, &reading.time)) {
            result.rejected.append({ row.line,
                QStringLiteral("timestamp \"%1\" is not a date and time")
                    .arg(timestamp.left(40)) });
            continue;
        }
        // Out of range the sensor writes a word; Dexcom's range ends at 40 and 400.
        const QString value = row.fields.at(c.glucose).trimmed();
        QString reason;
        if (value.compare(QLatin1String("Low"), Qt::CaseInsensitive) == 0) {
            reading.value = 40;
            reading.notes = QStringLiteral("Low");
        } else if (value.compare(QLatin1String("High"), Qt::CaseInsensitive) == 0) {
            reading.value = 400;
            reading.notes = QStringLiteral("High");
        } else if (!ReadingValue::parse(value, c.unit, &reading.value, &reason)) {
            result.rejected.append({ row.line, reason });
            continue;
        }
        reading.type = QStringLiteral("cgm");
        result.readings.append(reading);
    }
    return result;
}
