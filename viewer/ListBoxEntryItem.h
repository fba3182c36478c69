// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#ifndef LISTBOXENTRYITEM_H
#define LISTBOXENTRYITEM_H

#include "ListBoxCustomItem.h"

#include <QColor>

#include <cstddef>

class JournalEntry;

// A row that shows one journal entry by its summary, taken when the row is
// made. The entry is not owned and must outlive the row. The row knows the
// journal line the entry was read from.
class ListBoxEntryItem : public ListBoxCustomItem
{
public:
    explicit ListBoxEntryItem(const JournalEntry *entry);
    // A row of an entry that its list owns and never changes: the text is
    // the list's summary of the entry, made when the row is shown, which
    // spares a million rows a text each.
    ListBoxEntryItem(const JournalEntry *entry, int line);

    // Rows come by the million: they share large blocks of memory.
    static void *operator new(std::size_t bytes);
    static void operator delete(void *row, std::size_t bytes) noexcept;

    // The text, and for records other than readings a mark in the type's colour.
    QVariant data(int role) const override;
    void showDetail() override;

    const JournalEntry *getEntry() const { return entry; }
    // Another entry of the same moment in the same place, its list's to own.
    void setEntry(const JournalEntry *e) { entry = e; }
    int getLine() const { return line; }
    void setLine(int l) { line = l; }

    // The colour that marks a type's rows; invalid for readings, which have no mark.
    static QColor markColour(const QString &typecode);

private:
    const JournalEntry *entry;
    int line = 0;
};

#endif
