// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef NIGHTSCOUTREADER_H
#define NIGHTSCOUTREADER_H

#include "ImportResult.h"

#include <QByteArray>

// Nightscout entries, as the JSON array or the header-less CSV or TSV of
// dateString, date, sgv, direction, device. The reading's time is `date`
// (epoch ms) on this machine's clock: `dateString` may be the upload time.
// `sgv` is a "cgm" reading, `mbg` a "meter" one; an sgv under 39 is a
// sensor's error code.
class NightscoutReader
{
public:
    static const QString format;
    static constexpr int lowestSgv = 39;

    // The first bytes of a file, without a BOM.
    static bool recognises(const QByteArray &head);
    static ImportResult read(const QByteArray &data);
};

#endif
