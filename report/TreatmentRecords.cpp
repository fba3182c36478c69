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
    const auto *record = dynamic_cast<const RecordEntry *>(&entry);
    if (!record)
        return false;
    // Each type holds its code once: the codes are told by where they are.
    const QString *code = &record->getType();
    Treatment t { record->getDate(), record->getTime() };
    int field = 0;
    if (code == &InsulinEntry::typecode) {
        // A kind that is neither is a fault the check names: no dose to count.
        const QString kind = record->text(InsulinEntry::Kind);
        if (kind != QLatin1String("bolus") && kind != QLatin1String("basal"))
            return false;
        t.kind = kind == QLatin1String("bolus") ? Treatment::Bolus : Treatment::Basal;
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
    if (!record->isNumber(field))
        return false;
    t.amount = record->number(field);
    *treatment = t;
    return true;
}
