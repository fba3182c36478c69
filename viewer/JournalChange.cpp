// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "JournalChange.h"

#include <QTimer>
#include <QUndoStack>

JournalChange::JournalChange(const QString &text, int line, const Line &before, const Line &after,
    Apply apply, QUndoStack *stack)
    : QUndoCommand(text)
    , line(line)
    , before(before)
    , after(after)
    , apply(std::move(apply))
    , stack(stack)
{ }

void JournalChange::undo()
{
    step(after, before, &QUndoStack::redo);
}

void JournalChange::redo()
{
    step(before, after, &QUndoStack::undo);
}

void JournalChange::step(const Line &from, const Line &to, void (QUndoStack::*back)())
{
    if (skip) {
        skip = false;
        return;
    }
    // Once the stack has moved past this change, it moves back, and the
    // change writes nothing then.
    if (!apply(line, from, to)) {
        skip = true;
        QTimer::singleShot(0, stack, back);
    }
}
