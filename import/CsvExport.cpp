// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "CsvExport.h"

#include <csv.h>

#include <algorithm>

namespace {

// Quotes a field only where RFC 4180 needs it, and lets libcsv do the quoting.
void appendField(QByteArray &line, const QString &text)
{
    if (!line.isEmpty())
        line.append(',');
    const QByteArray bytes = text.toUtf8();
    const bool plain = std::none_of(bytes.begin(), bytes.end(), [](char c) {
        return c == ',' || c == '"' || c == '\r' || c == '\n';
    }) && bytes.trimmed().size() == bytes.size();
    if (plain) {
        line.append(bytes);
        return;
    }
    const size_t needed = csv_write(nullptr, 0, bytes.constData(), size_t(bytes.size()));
    const qsizetype start = line.size();
    line.resize(start + qsizetype(needed));
    csv_write(line.data() + start, needed, bytes.constData(), size_t(bytes.size()));
}

// date, time, four empty columns of a reading but its notes, the type and the fields.
QByteArray recordRow(const ImportedRecord &record, const QStringList &fieldNames)
{
    QByteArray line;
    appendField(line, record.date.toString(Qt::ISODate));
    appendField(line, record.time.toString(u"HH:mm"));
    line += ",,,";
    appendField(line, record.fields.value(QStringLiteral("notes")));
    appendField(line, record.type);
    for (const QString &name : fieldNames)
        appendField(line, record.fields.value(name));
    line.append("\r\n");
    return line;
}

} // namespace

QByteArray CsvExport::header()
{
    return QByteArrayLiteral("date,time,type,value,unit,notes\r\n");
}

QByteArray CsvExport::row(const ImportedReading &reading, GlucoseUnit::Unit unit)
{
    QByteArray line;
    appendField(line, reading.date.toString(Qt::ISODate));
    appendField(line, reading.time.toString(u"HH:mm"));
    appendField(line, reading.type);
    appendField(line, GlucoseUnit::format(reading.value, unit));
    appendField(line, GlucoseUnit::name(unit));
    appendField(line, reading.notes);
    line.append("\r\n");
    return line;
}

QByteArray CsvExport::write(const QList<ImportedReading> &readings, GlucoseUnit::Unit unit)
{
    QByteArray csv = header();
    for (const ImportedReading &reading : readings)
        csv.append(row(reading, unit));
    return csv;
}

QByteArray CsvExport::write(const QList<ImportedReading> &readings,
    const QList<ImportedRecord> &records, const QStringList &fieldNames, GlucoseUnit::Unit unit)
{
    if (records.isEmpty())
        return write(readings, unit);
    QByteArray csv = header();
    csv.chop(2);
    QByteArray names;
    for (const QString &name : QStringList(QStringLiteral("record")) + fieldNames)
        appendField(names, name);
    csv += ',' + names + "\r\n";
    const QByteArray noRecord(fieldNames.size() + 1, ',');
    qsizetype r = 0;
    for (const ImportedReading &reading : readings) {
        for (; r < records.size()
             && (records[r].date != reading.date ? records[r].date < reading.date
                                                 : records[r].time < reading.time);
             ++r)
            csv += recordRow(records[r], fieldNames);
        QByteArray line = row(reading, unit);
        line.insert(line.size() - 2, noRecord);
        csv += line;
    }
    for (; r < records.size(); ++r)
        csv += recordRow(records[r], fieldNames);
    return csv;
}
