// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef CSVREADER_H
#define CSVREADER_H

#include "CsvParser.h"
#include "ImportResult.h"

// A CSV with a header naming date and time, or one timestamp, and the value;
// type, unit and notes may follow. CsvExport's files read back as they were
// written. Names go in any case and order; a missing type is "unspecified",
// a missing unit the one in the value's name, else mg/dL.
class CsvReader
{
public:
    static const QString format;

    static bool recognises(const QList<CsvRow> &head);
    static ImportResult read(const QByteArray &data);

    // ',' unless the first line has no comma and a ';' or a tab.
    static char delimiterOf(const QByteArray &data);
};

#endif
