// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ListBoxEntryItem.h"

#include "JournalEntry.h"

ListBoxEntryItem::ListBoxEntryItem(const JournalEntry *entry)
    : ListBoxCustomItem(entry->getSummary())
    , entry(entry)
{ }

ListBoxEntryItem::ListBoxEntryItem(const JournalEntry *entry, const QString &text, int line)
    : ListBoxCustomItem(text)
    , entry(entry)
    , line(line)
{ }

void ListBoxEntryItem::showDetail()
{
    entry->showDetail();
}
