// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef GLUCOSEUNIT_H
#define GLUCOSEUNIT_H

#include "glucose_export.h"

#include <QString>

// The units a glucose value is shown in. The journal stores whole mg/dL; a
// value in mmol/L is mg/dL / 18.016, shown to one decimal.
class GLUCOSE_EXPORT GlucoseUnit
{
public:
    enum Unit { MgPerDl, MmolPerL };

    static constexpr double mgPerDlPerMmol = 18.016;

    // "mg/dL" or "mmol/L".
    static QString name(Unit unit);
    // Reads "mg/dL" or "mmol/L" (any case, "mg" and "mmol" too); false when it is neither.
    static bool parse(const QString &text, Unit *unit);

    // A stored mg/dL value in the unit, unrounded.
    static double fromMgPerDl(double mgPerDl, Unit unit);
    // A value in the unit as the nearest whole mg/dL, which is what the journal stores.
    static int toMgPerDl(double value, Unit unit);
    // A stored value as shown: whole mg/dL, or mmol/L to one decimal.
    static QString format(double mgPerDl, Unit unit);

    // What is doubtful about a reading typed in the unit, or an empty
    // string: a value outside the plausible range ("601 mg/dL is above 600
    // mg/dL, the highest plausible reading"), and one that would be a
    // plausible reading in the other unit ("did you mean mmol/L?"), as is
    // any below 35 mg/dL. *implausible tells whether it is outside the range.
    static QString doubt(double value, Unit unit, bool *implausible = nullptr);
};

#endif
