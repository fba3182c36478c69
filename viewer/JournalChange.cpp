// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "JournalChange.h"

JournalChange::JournalChange(
    const QString &text, int line, const Line &before, const Line &after, Apply apply)
    : QUndoCommand(text)
    , line(line)
    , before(before)
    , after(after)
    , apply(std::move(apply))
{ }

void JournalChange::undo()
{
    // A change that cannot be undone leaves the history: what the file
    // holds is no longer what the history says.
    if (!apply(line, after, before))
        setObsolete(true);
}

void JournalChange::redo()
{
    if (written) {
        written = false;
        return;
    }
    if (!apply(line, before, after))
        setObsolete(true);
}
