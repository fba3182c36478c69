// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#ifndef DETAILTEST_H
#define DETAILTEST_H

// What the entry tests share: the detail dialog as a person sees it.

#include "JournalEntry.h"

#include <QApplication>
#include <QDialog>
#include <QPlainTextEdit>
#include <QTimer>

namespace detailtest {

struct DetailSeen
{
    QString text;
    QSize size;
    bool modal = false;
    bool readOnly = false;
    bool enabled = false;
    bool seen = false;
};

// Opens the entry's detail dialog, reads what it shows and closes it.
inline DetailSeen openDetail(const JournalEntry &entry)
{
    DetailSeen seen;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || dialog->objectName() != "dialog" || !dialog->isVisible())
            return;
        const auto *editor = dialog->findChild<QPlainTextEdit *>();
        seen = { editor->toPlainText(), dialog->size(), dialog->isModal(), editor->isReadOnly(),
            editor->isEnabled(), true };
        dialog->close();
    });
    poll.start(10);
    entry.showDetail();
    return seen;
}

} // namespace detailtest

#endif
