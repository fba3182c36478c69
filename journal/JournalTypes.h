// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef JOURNALTYPES_H
#define JOURNALTYPES_H

#include "RecordEntry.h"
#include "journal_export.h"

#include <memory>
#include <vector>

// Every record type that the journal knows, for programs to register at
// once: the library registers nothing by itself.
class JOURNAL_EXPORT JournalTypes
{
public:
    // Registers the readings and every other record type; call before
    // reading a journal. A second call does nothing.
    static void registerAll();

    // The record types other than readings, in the order menus list them.
    static const std::vector<const RecordEntry::Description *> &records();
    // The record type of a type code or a command-line word, or null.
    static const RecordEntry::Description *record(const QString &codeOrWord);
    // A new record of the type, dated now, its fields empty.
    static std::unique_ptr<RecordEntry> create(const RecordEntry::Description &type);
};

#endif
