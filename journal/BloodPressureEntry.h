// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef BLOODPRESSUREENTRY_H
#define BLOODPRESSUREENTRY_H

#include "Record.h"
#include "journal_export.h"

// A blood pressure: systolic and diastolic in mmHg, the pulse if taken, and notes.
class JOURNAL_EXPORT BloodPressureEntry : public Record<BloodPressureEntry>
{
public:
    enum { Systolic, Diastolic, Pulse, Notes };
    static const QString typecode;
    static const Description description;
    using Record::Record;
};

#endif
