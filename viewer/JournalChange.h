// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#ifndef JOURNALCHANGE_H
#define JOURNALCHANGE_H

#include <QByteArray>
#include <QUndoCommand>

#include <functional>
#include <optional>

// One line of the journal added, changed or removed, undone by the
// opposite change. The change is written before the command is pushed, so
// its first redo does nothing.
class JournalChange : public QUndoCommand
{
public:
    using Line = std::optional<QByteArray>;
    // Writes the line's change from one state to the other; false on failure.
    using Apply = std::function<bool(int line, const Line &from, const Line &to)>;

    JournalChange(const QString &text, int line, const Line &before, const Line &after, Apply apply);

    void undo() override;
    void redo() override;

private:
    int line;
    Line before;
    Line after;
    Apply apply;
    bool written = true;
};

#endif
