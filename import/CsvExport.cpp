// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "CsvExport.h"

#include <csv.h>

#include <algorithm>

namespace {

// A field as RFC 4180 needs it: quoted only when it must be, by libcsv.
QByteArray fieldOf(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    const bool plain = std::none_of(bytes.begin(), bytes.end(), [](char c) {
        return c == ',' || c == '"' || c == '\r' || c == '\n';
    }) && bytes.trimmed().size() == bytes.size();
    if (plain)
        return bytes;
    QByteArray quoted(qsizetype(csv_write(nullptr, 0, bytes.constData(), size_t(bytes.size()))),
        Qt::Uninitialized);
    csv_write(quoted.data(), size_t(quoted.size()), bytes.constData(), size_t(bytes.size()));
    return quoted;
}

// The fields as one line, empty ones included wherever they stand.
QByteArray lineOf(const QStringList &fields)
{
    QByteArray line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line.append(',');
        line.append(fieldOf(fields.at(i)));
    }
    return line.append("\r\n");
}

// date, time, four empty columns of a reading but its notes, the type and the fields.
QByteArray recordRow(const ImportedRecord &record, const QStringList &fieldNames)
{
    QStringList fields { record.date.toString(Qt::ISODate), record.time.toString(u"HH:mm"),
        QString(), QString(), QString(), record.fields.value(QStringLiteral("notes")),
        record.type };
    for (const QString &name : fieldNames)
        fields.append(record.fields.value(name));
    return lineOf(fields);
}

} // namespace

QByteArray CsvExport::header()
{
    return QByteArrayLiteral("date,time,type,value,unit,notes\r\n");
}

QByteArray CsvExport::row(const ImportedReading &reading, GlucoseUnit::Unit unit)
{
    return lineOf(
        { reading.date.toString(Qt::ISODate), reading.time.toString(u"HH:mm"), reading.type,
            GlucoseUnit::format(reading.value, unit), GlucoseUnit::name(unit), reading.notes });
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
    csv += ',' + lineOf(QStringList(QStringLiteral("record")) + fieldNames);
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
