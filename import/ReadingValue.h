// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef READINGVALUE_H
#define READINGVALUE_H

#include "GlucoseUnit.h"

#include <QString>

// The value text of an export as the whole mg/dL the journal stores.
class ReadingValue
{
public:
    static constexpr int maxMgPerDl = 9999;

    // False, with the reason, when the text is not a number or not a
    // possible glucose value (not above zero, or over maxMgPerDl).
    static bool parse(const QString &text, GlucoseUnit::Unit unit, int *mgPerDl, QString *reason);

    // The unit a column name carries, such as "Glucose Value (mmol/L)";
    // false when it names none.
    static bool unitInName(const QString &name, GlucoseUnit::Unit *unit);
};

#endif
