#include "JournalViewer.h"

#include "JournalEntry.h"
#include "ListBoxDateItem.h"
#include "ListBoxDelegate.h"
#include "ListBoxEntryItem.h"

#include <QFile>
#include <QTextStream>

#include <algorithm>

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

    std::stable_sort(
        entries.begin(), entries.end(), [](const auto &a, const auto &b) { return *a < *b; });

    const QDate *shown = nullptr;
    for (const auto &entry : entries) {
        if (!shown || entry->getDate() != *shown) {
            shown = &entry->getDate();
            addItem(new ListBoxDateItem(shown->toString()));
        }
        addItem(new ListBoxEntryItem(entry.get()));
    }

    connect(this, &QListWidget::itemDoubleClicked, this, &JournalViewer::viewDetail,
        Qt::UniqueConnection);
}

void JournalViewer::viewDetail(QListWidgetItem *item)
{
    if (auto *row = dynamic_cast<ListBoxCustomItem *>(item))
        row->showDetail();
}
