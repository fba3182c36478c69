// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "NoteEntry.h"

const QString NoteEntry::typecode = QStringLiteral("NOTE");

const RecordEntry::Description NoteEntry::description {
    typecode,
    "Note",
    "note",
    "note",
    { Field::notes("text", "Text") },
    [](const RecordEntry &e) -> QString {
        // A row is one line.
        return u"Note: " + e.text(Text).replace(u'\n', u' ');
    },
};
