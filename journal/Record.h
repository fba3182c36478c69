// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef RECORD_H
#define RECORD_H

#include "RecordEntry.h"

class FieldIterator;

// What every record type shares, for a class Entry with a static typecode
// and description: its constructors and its factory, Entry::MyFactory.
template <class Entry> class Record : public RecordEntry
{
public:
    // Registers the type under Entry::typecode; construct one before reading a journal.
    class MyFactory : public JournalFactory
    {
    public:
        MyFactory()
            : JournalFactory(Entry::typecode)
        { }
        JournalEntry *create(FieldIterator &it) const override { return new Entry(it); }
    };

    // Dated now, every field empty.
    Record()
        : RecordEntry(Entry::description)
    { }
    // Reads date, time and the type's fields, and leaves it after them.
    explicit Record(FieldIterator &it)
        : RecordEntry(Entry::description, it)
    { }
};

#endif
