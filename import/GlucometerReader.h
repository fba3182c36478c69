// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef GLUCOMETERREADER_H
#define GLUCOMETERREADER_H

#include "CsvParser.h"
#include "ImportResult.h"

// The header-less dump of glucometerutils: timestamp, value, meal, method,
// comment. A "blood sample" is a "meter" reading, "CGM" a "cgm" one, "time"
// a clock change; meal and comment go into the notes.
class GlucometerReader
{
public:
    static const QString format;
    // The dump is in the meter's unit and does not name it: no mg/dL meter
    // reads this low all the time, while mmol/L meters end at 33.3.
    static constexpr double highestMmolPerL = 35.0;

    static bool recognises(const QList<CsvRow> &head);
    static ImportResult read(const QByteArray &data);
};

#endif
