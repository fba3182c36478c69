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
