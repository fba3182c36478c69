// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef TANDEMREADER_H
#define TANDEMREADER_H

#include "CsvParser.h"
#include "ImportResult.h"

// The CSV export of Tandem t:connect and Tandem Source: title lines about
// the patient and the pump, then sections, each under a header line. A
// section of readings names the event time (EventDateTime) and the
// readings, its Description telling a sensor's "EGV" ("cgm") from a
// fingerstick "BG" ("meter"). A bolus section's rows are insulin doses
// (INSL bolus) of what was delivered (InsulinDelivered) when it completed
// (CompletionDateTime); rows of the basal and other sections are skipped
// by kind.
class TandemReader
{
public:
    static const QString format;

    static bool recognises(const QList<CsvRow> &head);
    static ImportResult read(const QByteArray &data);
};

#endif
