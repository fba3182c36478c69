// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#ifndef LISTBOXENTRYITEM_H
#define LISTBOXENTRYITEM_H

#include "ListBoxCustomItem.h"

class JournalEntry;

// A row that shows one journal entry by its summary, taken when the row is
// made. The entry is not owned and must outlive the row. The row knows the
// journal line the entry was read from.
class ListBoxEntryItem : public ListBoxCustomItem
{
public:
    explicit ListBoxEntryItem(const JournalEntry *entry);
    ListBoxEntryItem(const JournalEntry *entry, const QString &text, int line);

    void showDetail() override;

    const JournalEntry *getEntry() const { return entry; }
    int getLine() const { return line; }
    void setLine(int l) { line = l; }

private:
    const JournalEntry *entry;
    int line = 0;
};

#endif
