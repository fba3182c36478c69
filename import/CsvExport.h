// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef CSVEXPORT_H
#define CSVEXPORT_H

#include "GlucoseUnit.h"
#include "ImportedReading.h"
#include "ImportedRecord.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

// Readings as RFC 4180 CSV in UTF-8, CRLF line ends, under the header
// date,time,type,value,unit,notes: YYYY-MM-DD, HH:MM, and the value in
// whole mg/dL or mmol/L to one decimal. CsvReader reads it back.
class CsvExport
{
public:
    static QByteArray header();
    static QByteArray row(const ImportedReading &reading, GlucoseUnit::Unit unit);
    // The header and a row per reading.
    static QByteArray write(
        const QList<ImportedReading> &readings, GlucoseUnit::Unit unit = GlucoseUnit::MgPerDl);
    // Readings and records, each list in time order, merged in time order.
    // With records, the readings' columns are followed by "record" (the
    // record's type) and a column for each field name but notes, which
    // share the readings' column; a reading leaves them empty.
    static QByteArray write(const QList<ImportedReading> &readings,
        const QList<ImportedRecord> &records, const QStringList &fieldNames,
        GlucoseUnit::Unit unit = GlucoseUnit::MgPerDl);
};

#endif
