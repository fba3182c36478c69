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
    static constexpr int maxMgPerDl = 1500;

    // False, with the reason, when the text is not a number or not a
    // possible glucose value (not above zero, or over maxMgPerDl). A number
    // is digits with a decimal point or, as localised exports write it, a
    // decimal comma before one or two digits: "5,6" is 5.6, while "1,234"
    // (a thousands separator) and "1e3" are no numbers.
    static bool parse(const QString &text, GlucoseUnit::Unit unit, int *mgPerDl, QString *reason);
    // The number a text holds by the rule above; false when it holds none.
    static bool toNumber(const QString &text, double *value);
    // The same as parse() for a value that is a number already, such as JSON's.
    static bool fromNumber(double value, GlucoseUnit::Unit unit, int *mgPerDl, QString *reason);

    // Out of its range a sensor writes a word: "Low" and "High", in English,
    // Japanese, French, German, Spanish, Italian or Dutch, are the ends of
    // Dexcom's range, 40 and 400 mg/dL, noted "Low" or "High". False for any
    // other text.
    static bool rangeEnd(const QString &text, int *mgPerDl, QString *notes);

    // The unit a column name carries, such as "Glucose Value (mmol/L)";
    // false when it names none.
    static bool unitInName(const QString &name, GlucoseUnit::Unit *unit);
};

#endif
