// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#ifndef LISTBOXENTRYITEM_H
#define LISTBOXENTRYITEM_H

#include "ListBoxCustomItem.h"

class JournalEntry;

// A row that shows one journal entry by its summary, taken when the row is
// made. The entry is not owned and must outlive the row.
class ListBoxEntryItem : public ListBoxCustomItem
{
public:
    explicit ListBoxEntryItem(const JournalEntry *entry);

    void showDetail() override;

private:
    const JournalEntry *entry;
};

#endif
