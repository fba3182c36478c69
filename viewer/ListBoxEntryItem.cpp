// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ListBoxEntryItem.h"

#include "BlockPool.h"
#include "JournalEntry.h"
#include "JournalViewer.h"

#include <QCoreApplication>
#include <QHash>
#include <QIcon>
#include <QPixmap>
#include <QThread>

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

// A small square of the type's colour, made once a type.
QIcon markOf(const QString &typecode)
{
    static QHash<QString, QIcon> marks;
    const auto known = marks.constFind(typecode);
    if (known != marks.constEnd())
        return *known;
    QIcon mark;
    const QColor colour = ListBoxEntryItem::markColour(typecode);
    if (colour.isValid()) {
        QPixmap square(10, 10);
        square.fill(colour);
        mark = QIcon(square);
    }
    marks.insert(typecode, mark);
    return mark;
}

// Rows are made on two threads at once as a journal is read: the window's
// thread and the others each take them from a pool of their own, on cache
// lines of its own, rather than pass one pool's lock between the cores at
// every row. A pool's blocks stay for the life of the process, so either
// pool may take one back.
BlockPool &pool()
{
    struct alignas(64) Pool
    {
        BlockPool rows { sizeof(ListBoxEntryItem), alignof(ListBoxEntryItem) };
    };
    static Pool pools[2];
    thread_local BlockPool &mine = []() -> BlockPool & {
        const QCoreApplication *app = QCoreApplication::instance();
        return pools[app && app->thread() != QThread::currentThread() ? 1 : 0].rows;
    }();
    return mine;
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
    if (role == Qt::DecorationRole) {
        const QIcon mark = markOf(entry->getType());
        if (!mark.isNull())
            return mark;
    }
    return ListBoxCustomItem::data(role);
}

QColor ListBoxEntryItem::markColour(const QString &typecode)
{
    // Far apart in hue, so that a day's doses, meals and the rest tell apart.
    static const QHash<QString, QColor> colours { { "INSL", QColor(0x1f, 0x77, 0xb4) },
        { "CARB", QColor(0xff, 0x7f, 0x0e) }, { "ACTV", QColor(0x2c, 0xa0, 0x2c) },
        { "NOTE", QColor(0xe3, 0x77, 0xc2) }, { "KETO", QColor(0x94, 0x67, 0xbd) },
        { "WGHT", QColor(0x8c, 0x56, 0x4b) }, { "BLPR", QColor(0xd6, 0x27, 0x28) },
        { "HBA1", QColor(0x17, 0xbe, 0xcf) } };
    return colours.value(typecode);
}

void ListBoxEntryItem::showDetail()
{
    if (const auto *list = qobject_cast<const JournalViewer *>(listWidget()))
        list->showDetailOf(entry);
    else
        entry->showDetail();
}
