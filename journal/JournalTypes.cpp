// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "JournalTypes.h"

#include "ActivityEntry.h"
#include "BloodPressureEntry.h"
#include "CarbsEntry.h"
#include "FieldIterator.h"
#include "HbA1cEntry.h"
#include "InsulinEntry.h"
#include "KetonesEntry.h"
#include "NoteEntry.h"
#include "SugarEntry.h"
#include "WeightEntry.h"

void JournalTypes::registerAll()
{
    // Statics rather than heap objects that are never freed, so leak
    // checkers stay quiet; each is made once.
    static const SugarEntry::MyFactory sugar;
    static const InsulinEntry::MyFactory insulin;
    static const CarbsEntry::MyFactory carbs;
    static const ActivityEntry::MyFactory activity;
    static const NoteEntry::MyFactory note;
    static const KetonesEntry::MyFactory ketones;
    static const WeightEntry::MyFactory weight;
    static const BloodPressureEntry::MyFactory bloodPressure;
    static const HbA1cEntry::MyFactory hba1c;
}

const std::vector<const RecordEntry::Description *> &JournalTypes::records()
{
    static const std::vector<const RecordEntry::Description *> all { &InsulinEntry::description,
        &CarbsEntry::description, &ActivityEntry::description, &NoteEntry::description,
        &KetonesEntry::description, &WeightEntry::description, &BloodPressureEntry::description,
        &HbA1cEntry::description };
    return all;
}

const RecordEntry::Description *JournalTypes::record(const QString &codeOrWord)
{
    for (const RecordEntry::Description *d : records()) {
        if (d->typecode == codeOrWord || QLatin1String(d->word) == codeOrWord)
            return d;
    }
    return nullptr;
}

std::unique_ptr<RecordEntry> JournalTypes::create(const RecordEntry::Description &type)
{
    // Whatever is registered under the code makes it, as when a line is read.
    const JournalEntry::JournalFactory *factory
        = JournalEntry::JournalFactory::factories.value(type.typecode);
    const QStringList none;
    FieldIterator it(none);
    std::unique_ptr<JournalEntry> made(factory ? factory->create(it) : nullptr);
    auto *record = dynamic_cast<RecordEntry *>(made.get());
    if (!record)
        return nullptr;
    static_cast<void>(made.release());
    record->setDateTime(QDateTime::currentDateTime());
    return std::unique_ptr<RecordEntry>(record);
}
