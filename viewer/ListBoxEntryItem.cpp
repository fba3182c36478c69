#include "ListBoxEntryItem.h"

#include "JournalEntry.h"

ListBoxEntryItem::ListBoxEntryItem(const JournalEntry *entry)
    : ListBoxCustomItem(entry->getSummary())
    , entry(entry)
{ }

void ListBoxEntryItem::showDetail()
{
    entry->showDetail();
}
