// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "InsulinEntry.h"

const QString InsulinEntry::typecode = QStringLiteral("INSL");

const RecordEntry::Description InsulinEntry::description {
    typecode,
    "Insulin",
    "insulin",
    "insulin dose",
    { Field::text("kind", "Kind", { "bolus", "basal" }),
        Field::number("units", "Units", "u", 0, 300), Field::text("insulin", "Insulin"),
        Field::notes() },
    [](const RecordEntry &e) -> QString {
        return u"Insulin = " + e.shown(Units) + u' ' + e.text(Kind) + inParentheses(e.text(Insulin))
            + u' ';
    },
};
