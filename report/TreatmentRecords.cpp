// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "TreatmentRecords.h"

#include "ActivityEntry.h"
#include "CarbsEntry.h"
#include "HbA1cEntry.h"
#include "InsulinEntry.h"

bool TreatmentRecords::read(const JournalEntry &entry, TreatmentStatistics::Treatment *treatment)
{
    using Treatment = TreatmentStatistics::Treatment;
    // Each type holds its code once, and only its records give it: a record
    // is told by where its code is, without a search of the classes.
    const QString *code = &entry.getType();
    Treatment t { entry.getDate(), entry.getTime() };
    int field = 0;
    if (code == &InsulinEntry::typecode) {
        // A kind that is neither is a fault the check names: no dose to count.
        // The words hold nothing to escape: as written, they are what they say.
        const QStringView kind
            = static_cast<const RecordEntry &>(entry).written(InsulinEntry::Kind);
        if (kind != u"bolus" && kind != u"basal")
            return false;
        t.kind = kind == u"bolus" ? Treatment::Bolus : Treatment::Basal;
        field = InsulinEntry::Units;
    } else if (code == &CarbsEntry::typecode) {
        t.kind = Treatment::Carbs;
        field = CarbsEntry::Grams;
    } else if (code == &ActivityEntry::typecode) {
        t.kind = Treatment::Activity;
        field = ActivityEntry::Minutes;
    } else if (code == &HbA1cEntry::typecode) {
        t.kind = Treatment::HbA1c;
        field = HbA1cEntry::Percent;
    } else {
        return false;
    }
    bool isNumber = false;
    t.amount = static_cast<const RecordEntry &>(entry).number(field, &isNumber);
    if (!isNumber)
        return false;
    *treatment = t;
    return true;
}
