// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "KetonesEntry.h"

const QString KetonesEntry::typecode = QStringLiteral("KETO");

const RecordEntry::Description KetonesEntry::description {
    typecode,
    "Ketones",
    "ketones",
    "ketone reading",
    { Field::number("ketones", "Ketones", "mmol/L", 0, 30), Field::notes() },
    [](const RecordEntry &e) -> QString { return u"Ketones = " + e.shown(Ketones); },
};
