// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "ReadingValue.h"

#include <QLocale>

#include <cmath>

bool ReadingValue::parse(const QString &text, GlucoseUnit::Unit unit, int *mgPerDl, QString *reason)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        *reason = QStringLiteral("no glucose value");
        return false;
    }
    bool ok = false;
    const double value = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(value)) {
        *reason = QStringLiteral("glucose value \"%1\" is not a number").arg(t.left(40));
        return false;
    }
    const double limit = GlucoseUnit::fromMgPerDl(maxMgPerDl, unit);
    if (value <= 0 || value > limit) {
        *reason = QStringLiteral("glucose value %1 %2 is impossible")
                      .arg(t.left(40), GlucoseUnit::name(unit));
        return false;
    }
    const int mg = GlucoseUnit::toMgPerDl(value, unit);
    if (mg < 1) {
        *reason = QStringLiteral("glucose value %1 %2 is impossible")
                      .arg(t.left(40), GlucoseUnit::name(unit));
        return false;
    }
    *mgPerDl = mg;
    return true;
}

bool ReadingValue::unitInName(const QString &name, GlucoseUnit::Unit *unit)
{
    if (name.contains(QLatin1String("mmol/l"), Qt::CaseInsensitive)) {
        *unit = GlucoseUnit::MmolPerL;
        return true;
    }
    if (name.contains(QLatin1String("mg/dl"), Qt::CaseInsensitive)) {
        *unit = GlucoseUnit::MgPerDl;
        return true;
    }
    return false;
}
