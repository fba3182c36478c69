// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef NIGHTSCOUTREPORTREADER_H
#define NIGHTSCOUTREPORTREADER_H

#include "CsvParser.h"
#include "ImportResult.h"

// Nightscout's report CSV, in sections each under a title line and a
// header that names Nightscout's fields: entries (sgv or mbg, with date or
// dateString) and treatments (eventType, created_at, ...) are read as
// NightscoutReader reads them; the rows of the other sections are skipped
// by kind. One section without a title reads too.
class NightscoutReportReader
{
public:
    // Enough lines to find the first section's header.
    static constexpr int headRows = 12;

    static bool recognises(const QList<CsvRow> &head);
    // Read as the format "nightscout".
    static ImportResult read(const QByteArray &data);
};

#endif
