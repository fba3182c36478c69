// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef INSULINENTRY_H
#define INSULINENTRY_H

#include "Record.h"
#include "journal_export.h"

// A dose of insulin: its kind (bolus or basal), units, the insulin's name and notes.
class JOURNAL_EXPORT InsulinEntry : public Record<InsulinEntry>
{
public:
    enum { Kind, Units, Insulin, Notes };
    static const QString typecode;
    static const Description description;
    using Record::Record;
};

#endif
