// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef WEIGHTENTRY_H
#define WEIGHTENTRY_H

#include "Record.h"
#include "journal_export.h"

// A body weight in kg, with notes.
class JOURNAL_EXPORT WeightEntry : public Record<WeightEntry>
{
public:
    enum { Kilograms, Notes };
    static const QString typecode;
    static const Description description;
    using Record::Record;
};

#endif
