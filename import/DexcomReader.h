// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef DEXCOMREADER_H
#define DEXCOMREADER_H

#include "CsvParser.h"
#include "ImportResult.h"

// Dexcom Clarity's CSV export, with English, Japanese, French, German,
// Spanish, Italian or Dutch column and event names: its EGV rows are the
// readings (type "cgm"), its calibrations fingersticks (type
// "calibration"); insulin, carbohydrates, exercise and health events are
// records; the rows before them (names, devices, alerts) and the other
// events are skipped by kind.
class DexcomReader
{
public:
    static const QString format;

    // The first rows of a file: true when they start with Clarity's header.
    static bool recognises(const QList<CsvRow> &head);
    static ImportResult read(const QByteArray &data);
};

#endif
