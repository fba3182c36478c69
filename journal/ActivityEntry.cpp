// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "ActivityEntry.h"

const QString ActivityEntry::typecode = QStringLiteral("ACTV");

const RecordEntry::Description ActivityEntry::description {
    typecode,
    "Activity",
    "activity",
    "activity",
    { Field::text("activity", "Activity"), Field::number("minutes", "Minutes", "min", 0, 1440),
        Field::text("intensity", "Intensity"), Field::notes() },
    [](const RecordEntry &e) -> QString {
        return u"Activity = " + e.shown(Minutes) + u' ' + e.text(Activity)
            + inParentheses(e.text(Intensity)) + u' ';
    },
};
