// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#ifndef JOURNALCHANGE_H
#define JOURNALCHANGE_H

#include <QByteArray>
#include <QUndoCommand>

#include <functional>
#include <optional>

class QUndoStack;

// One line of the journal added, changed or removed, undone by the
// opposite change. The change is written before the command is pushed, so
// its first redo does nothing.
class JournalChange : public QUndoCommand
{
public:
    using Line = std::optional<QByteArray>;
    // Writes the line's change from one state to the other; false on failure.
    using Apply = std::function<bool(int line, const Line &from, const Line &to)>;

    // A change that cannot be written leaves the file as it was, and the
    // history too: the stack steps back over the change.
    JournalChange(const QString &text, int line, const Line &before, const Line &after, Apply apply,
        QUndoStack *stack);

    void undo() override;
    void redo() override;

private:
    void step(const Line &from, const Line &to, void (QUndoStack::*back)());

    int line;
    Line before;
    Line after;
    Apply apply;
    QUndoStack *stack;
    // The file already holds what the next undo or redo would write: it
    // was pushed once written, or stepped back over after a failure.
    bool skip = true;
};

#endif
