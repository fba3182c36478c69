// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "GlucoseUnit.h"

#include <cmath>

QString GlucoseUnit::name(Unit unit)
{
    return unit == MmolPerL ? QStringLiteral("mmol/L") : QStringLiteral("mg/dL");
}

bool GlucoseUnit::parse(const QString &text, Unit *unit)
{
    const QString t = text.trimmed().toLower();
    if (t == QLatin1String("mg/dl") || t == QLatin1String("mg")) {
        *unit = MgPerDl;
        return true;
    }
    if (t == QLatin1String("mmol/l") || t == QLatin1String("mmol")) {
        *unit = MmolPerL;
        return true;
    }
    return false;
}

double GlucoseUnit::fromMgPerDl(double mgPerDl, Unit unit)
{
    return unit == MmolPerL ? mgPerDl / mgPerDlPerMmol : mgPerDl;
}

int GlucoseUnit::toMgPerDl(double value, Unit unit)
{
    return int(std::lround(unit == MmolPerL ? value * mgPerDlPerMmol : value));
}

QString GlucoseUnit::format(double mgPerDl, Unit unit)
{
    return QString::number(fromMgPerDl(mgPerDl, unit), 'f', unit == MmolPerL ? 1 : 0);
}
