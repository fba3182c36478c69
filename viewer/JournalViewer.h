// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#ifndef JOURNALVIEWER_H
#define JOURNALVIEWER_H

#include <QListWidget>

#include <memory>
#include <vector>

class JournalEntry;

// The list of a journal's entries in order of date and time, a black
// header above each day. A double-click on an entry opens its detail.
class JournalViewer : public QListWidget
{
    Q_OBJECT

public:
    // Reads nothing: the list stays empty until reload().
    JournalViewer(const QString &fileName, QWidget *parent = nullptr, const char *name = nullptr);
    ~JournalViewer() override;

    // Discards all rows and their entries and reads the journal file again.
    // A file that cannot be read gives an empty list.
    void reload();

public Q_SLOTS:
    void viewDetail(QListWidgetItem *item);

private:
    QString fileName;
    std::vector<std::unique_ptr<const JournalEntry>> entries;
};

#endif
