// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "JournalViewer.h"

#include "JournalEntry.h"
#include "ListBoxDateItem.h"
#include "ListBoxDelegate.h"
#include "ListBoxEntryItem.h"

#include <QFile>
#include <QTextStream>

#include <QSignalBlocker>

#include <algorithm>

namespace {

// Where an entry stands: keys that lie side by side sort far faster than
// entries reached through pointers. They order as JournalEntry's operator<
// does, by day and then time of day (an invalid time, like an invalid date,
// first), and keep the file's order among entries of one moment.
struct Moment
{
    qint64 day;
    int msecs;
    quint32 line;

    bool operator<(const Moment &o) const
    {
        return day != o.day ? day < o.day : msecs != o.msecs ? msecs < o.msecs : line < o.line;
    }
};

std::vector<Moment> chronological(const std::vector<std::unique_ptr<const JournalEntry>> &entries)
{
    std::vector<Moment> order;
    order.reserve(entries.size());
    for (const auto &entry : entries) {
        const QTime &time = entry->getTime();
        order.push_back({ entry->getDate().toJulianDay(),
            time.isValid() ? time.msecsSinceStartOfDay() : -1, quint32(order.size()) });
    }
    std::sort(order.begin(), order.end());
    return order;
}

} // namespace

JournalViewer::JournalViewer(const QString &fileName, QWidget *parent, const char *name)
    : QListWidget(parent)
    , fileName(fileName)
{
    setObjectName(QString::fromLatin1(name));
    // Every row has the same height: the list need not measure a million of
    // them before it first paints.
    setUniformItemSizes(true);
    setItemDelegate(new ListBoxDelegate(this));
}

JournalViewer::~JournalViewer()
{
    clear(); // the rows point into the entries
}

void JournalViewer::reload()
{
    clear();
    entries.clear();

    QFile file(fileName);
    if (file.open(QIODevice::ReadOnly)) {
        QTextStream in(&file);
        while (!in.atEnd()) {
            const JournalEntry *entry = nullptr;
            in >> entry;
            if (entry)
                entries.emplace_back(entry);
        }
    }

    const std::vector<Moment> order = chronological(entries);
    {
        // The view learns of the new rows once, through reset(), rather
        // than row by row, which costs more than making the rows.
        const QSignalBlocker quiet(model());
        const QDate *shown = nullptr;
        for (const Moment &moment : order) {
            const JournalEntry *entry = entries[moment.line].get();
            if (!shown || entry->getDate() != *shown) {
                shown = &entry->getDate();
                addItem(new ListBoxDateItem(shown->toString()));
            }
            addItem(new ListBoxEntryItem(entry));
        }
    }
    reset();

    connect(this, &QListWidget::itemDoubleClicked, this, &JournalViewer::viewDetail,
        Qt::UniqueConnection);
}

void JournalViewer::viewDetail(QListWidgetItem *item)
{
    if (auto *row = dynamic_cast<ListBoxCustomItem *>(item))
        row->showDetail();
}
