// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "CarbsEntry.h"

const QString CarbsEntry::typecode = QStringLiteral("CARB");

const RecordEntry::Description CarbsEntry::description {
    typecode,
    "Carbohydrates",
    "carbs",
    "carbohydrate entry",
    { Field::number("grams", "Grams", "g", 0, 1000), Field::text("food", "Food"), Field::notes() },
    [](const RecordEntry &e) -> QString {
        return u"Carbs = " + e.shown(Grams) + inParentheses(e.text(Food)) + u' ';
    },
};
