// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "GlucoseUnit.h"

#include "GlucoseReading.h"

#include <algorithm>
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

namespace {

// Values below this in mg/dL are more often mmol/L typed in the wrong unit
// than a reading, though a severe low may be one.
constexpr double mmolLikeBelow = 35;

// The whole mg/dL of a value in the unit, held within an int's reach.
int wholeMgPerDl(double value, GlucoseUnit::Unit unit)
{
    return std::isfinite(value) ? GlucoseUnit::toMgPerDl(std::clamp(value, -1e6, 1e6), unit) : 0;
}

} // namespace

QString GlucoseUnit::doubt(double value, Unit unit, bool *implausible)
{
    const int mgPerDl = wholeMgPerDl(value, unit);
    const bool outside = !GlucoseReading::isPlausible(mgPerDl);
    if (implausible)
        *implausible = outside;
    const Unit other = unit == MgPerDl ? MmolPerL : MgPerDl;
    const bool hint = GlucoseReading::isPlausible(wholeMgPerDl(value, other))
        && (outside || (unit == MgPerDl && value < mmolLikeBelow));
    const QString typed = QString::number(value, 'g', 6) + u' ' + name(unit);
    QString text;
    if (outside && mgPerDl < GlucoseReading::plausibleLowest)
        text = QStringLiteral("%1 is below %2 %3, the lowest plausible reading")
                   .arg(typed, format(GlucoseReading::plausibleLowest, unit), name(unit));
    else if (outside)
        text = QStringLiteral("%1 is above %2 %3, the highest plausible reading")
                   .arg(typed, format(GlucoseReading::plausibleHighest, unit), name(unit));
    else if (hint)
        text = QStringLiteral("%1 is a very low reading").arg(typed);
    if (hint)
        text += QStringLiteral(": did you mean %1?").arg(name(other));
    return text;
}
