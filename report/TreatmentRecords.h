// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef TREATMENTRECORDS_H
#define TREATMENTRECORDS_H

#include "TreatmentStatistics.h"

class JournalEntry;

// The journal's records as the statistics count them: insulin doses of a
// known kind, carbohydrates, activities and HbA1c results, each holding a
// number. The viewer, the tool and the report read records through this.
class TreatmentRecords
{
public:
    // False, leaving treatment as it was, for any other entry.
    static bool read(const JournalEntry &entry, TreatmentStatistics::Treatment *treatment);
};

#endif
