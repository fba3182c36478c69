// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef KETONESENTRY_H
#define KETONESENTRY_H

#include "Record.h"
#include "journal_export.h"

// A ketone reading in mmol/L, with notes.
class JOURNAL_EXPORT KetonesEntry : public Record<KetonesEntry>
{
public:
    enum { Ketones, Notes };
    static const QString typecode;
    static const Description description;
    using Record::Record;
};

#endif
