// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "WeightEntry.h"

const QString WeightEntry::typecode = QStringLiteral("WGHT");

const RecordEntry::Description WeightEntry::description {
    typecode,
    "Weight",
    "weight",
    "weight",
    { Field::number("kg", "Weight", "kg", 1, 500), Field::notes() },
    [](const RecordEntry &e) -> QString { return u"Weight = " + e.shown(Kilograms); },
};
