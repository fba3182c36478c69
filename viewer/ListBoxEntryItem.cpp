// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ListBoxEntryItem.h"

#include "BlockPool.h"
#include "JournalEntry.h"
#include "JournalViewer.h"

ListBoxEntryItem::ListBoxEntryItem(const JournalEntry *entry)
    : ListBoxCustomItem(entry->getSummary())
    , entry(entry)
{ }

ListBoxEntryItem::ListBoxEntryItem(const JournalEntry *entry, int line)
    : ListBoxCustomItem(QString())
    , entry(entry)
    , line(line)
{ }

namespace {
BlockPool &pool()
{
    static BlockPool rows(sizeof(ListBoxEntryItem), alignof(ListBoxEntryItem));
    return rows;
}
} // namespace

void *ListBoxEntryItem::operator new(std::size_t bytes)
{
    return pool().allocate(bytes);
}

void ListBoxEntryItem::operator delete(void *row, std::size_t bytes) noexcept
{
    pool().release(row, bytes);
}

QVariant ListBoxEntryItem::data(int role) const
{
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        const QVariant fixed = ListBoxCustomItem::data(role);
        if (!fixed.toString().isNull())
            return fixed;
        if (const auto *list = qobject_cast<const JournalViewer *>(listWidget()))
            return list->summaryOf(entry);
        return entry->getSummary();
    }
    return ListBoxCustomItem::data(role);
}

void ListBoxEntryItem::showDetail()
{
    entry->showDetail();
}
