// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "ReadingValue.h"

#include "ColumnNames.h"
#include "ImportResult.h"

#include <QRegularExpression>

#include <cmath>

namespace {

const QRegularExpression &numberPattern()
{
    static const QRegularExpression re(
        QStringLiteral(R"(^([+-]?[0-9]+)(?:\.([0-9]+)|,([0-9]{1,2}))?$)"));
    return re;
}

} // namespace

bool ReadingValue::toNumber(const QString &text, double *value)
{
    const QRegularExpressionMatch m = numberPattern().match(text.trimmed());
    if (!m.hasMatch())
        return false;
    // Whole part and fraction apart: no locale, no exponent, no grouping.
    const QString fraction = m.hasCaptured(2) ? m.captured(2) : m.captured(3);
    bool ok = false;
    const QString plain
        = m.captured(1) + u'.' + (fraction.isEmpty() ? QStringLiteral("0") : fraction);
    *value = plain.toDouble(&ok);
    return ok;
}

bool ReadingValue::parse(const QString &text, GlucoseUnit::Unit unit, int *mgPerDl, QString *reason)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        *reason = QStringLiteral("no glucose value");
        return false;
    }
    double value = 0;
    if (!toNumber(t, &value)) {
        *reason
            = QStringLiteral("glucose value \"%1\" is not a number").arg(ImportResult::excerpt(t));
        return false;
    }
    return fromNumber(value, unit, mgPerDl, reason);
}

bool ReadingValue::fromNumber(double value, GlucoseUnit::Unit unit, int *mgPerDl, QString *reason)
{
    const double limit = GlucoseUnit::fromMgPerDl(maxMgPerDl, unit);
    const int mg = std::isfinite(value) && value > 0 && value <= limit
        ? GlucoseUnit::toMgPerDl(value, unit)
        : 0;
    if (mg < 1) {
        *reason = QStringLiteral("glucose value %1 %2 is impossible")
                      .arg(QString::number(value, 'g', 6), GlucoseUnit::name(unit));
        return false;
    }
    *mgPerDl = mg;
    return true;
}

bool ReadingValue::rangeEnd(const QString &text, int *mgPerDl, QString *notes)
{
    static constexpr int lowest = 40;
    static constexpr int highest = 400;
    const bool low
        = ColumnNames::matches(text, { "Low", "低", "Bas", "Niedrig", "Bajo", "Basso", "Laag" });
    if (!low
        && !ColumnNames::matches(text, { "High", "高", "Élevé", "Haut", "Hoch", "Alto", "Hoog" }))
        return false;
    *mgPerDl = low ? lowest : highest;
    *notes = low ? QStringLiteral("Low") : QStringLiteral("High");
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
