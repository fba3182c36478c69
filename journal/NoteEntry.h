// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef NOTEENTRY_H
#define NOTEENTRY_H

#include "Record.h"
#include "journal_export.h"

// A note on the day: illness, stress, alcohol, anything.
class JOURNAL_EXPORT NoteEntry : public Record<NoteEntry>
{
public:
    enum { Text };
    static const QString typecode;
    static const Description description;
    using Record::Record;
};

#endif
