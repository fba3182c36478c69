// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef LIBREREADER_H
#define LIBREREADER_H

#include "CsvParser.h"
#include "ImportResult.h"

// LibreView's glucose data CSV, in English, French, German, Spanish,
// Italian or Dutch: record type 0 (historic) is a "cgm" reading, 1 a "scan"
// and 2 (strip) a "meter" one; 3 to 6 give ketones, insulin doses (one for
// each column with units, a meal, correction or user change dose named in
// its notes), carbohydrates and notes, and what is logged without an amount
// a note that says so. Columns go by name, or by their place in LibreView's
// order; the day order of the dates by the whole file, and a row repeated
// exactly is read once.
class LibreReader
{
public:
    static const QString format;

    static bool recognises(const QList<CsvRow> &head);
    static ImportResult read(const QByteArray &data);
};

#endif
