// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef LINGOREADER_H
#define LINGOREADER_H

#include "CsvParser.h"
#include "ImportResult.h"

// The CSV export of Abbott's Lingo app: a header naming the time of each
// glucose reading (local time with its zone offset) and the measurement in
// its unit, under a few title lines perhaps; every row a "cgm" reading.
class LingoReader
{
public:
    static const QString format;

    static bool recognises(const QList<CsvRow> &head);
    static ImportResult read(const QByteArray &data);
};

#endif
