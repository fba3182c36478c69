// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef NIGHTSCOUTREADER_H
#define NIGHTSCOUTREADER_H

#include "ImportResult.h"

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>

// Nightscout entries, as the JSON array, the header-less CSV or TSV of
// dateString, date, sgv, direction, device, or the report CSV that
// NightscoutReportReader reads. The reading's time is `date`
// (epoch ms, or seconds) on this machine's clock: `dateString` may be the
// upload time. `sgv` is a "cgm" reading, `mbg` a "meter" one; an sgv up to
// 12 is a sensor's error code, as Nightscout reads it, while 13 to 38 are
// lows below the sensor's range.
class NightscoutReader
{
public:
    static const QString format;
    static constexpr int highestCode = 12;
    static constexpr int lowestInRange = 39;
    static constexpr int firstYear = 1990;

    // The first bytes of a file, without a BOM.
    static bool recognises(const QByteArray &head);
    static ImportResult read(const QByteArray &data);

    // One entry of the kind "sgv" or "mbg", its value and date as JSON or
    // text: a reading, a sensor code skipped, or a row rejected.
    static void readEntry(int row, const QString &kind, const QJsonValue &value,
        const QJsonValue &date, ImportResult &result);
    // One treatment of the care portal, its fields as JSON or text: a dose,
    // carbohydrates, an exercise or a note become records, a finger stick a
    // reading; the rest is counted by its event type. Its time is
    // created_at, else mills or date, from 1990 to next year.
    static void readTreatment(int row, const QJsonObject &treatment, ImportResult &result);
};

#endif
