// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "GlucoseSummary.h"

#include "GlucoseChart.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace {

constexpr double none = std::numeric_limits<double>::quiet_NaN();

QString number(double value, int decimals)
{
    return std::isnan(value) ? QStringLiteral("–") : QLocale().toString(value, 'f', decimals);
}

QString percent(double value)
{
    return std::isnan(value) ? QStringLiteral("–") : number(value, 1) + QStringLiteral(" %");
}

QString glucose(double mgPerDl, GlucoseUnit::Unit unit)
{
    if (std::isnan(mgPerDl))
        return QStringLiteral("–");
    return number(GlucoseUnit::fromMgPerDl(mgPerDl, unit), unit == GlucoseUnit::MmolPerL ? 1 : 0)
        + QLatin1Char(' ') + GlucoseUnit::name(unit);
}

QString limit(GlucoseStatistics::Target target)
{
    const double value = GlucoseStatistics::targetLimit(target);
    const QString sign = target == GlucoseStatistics::VariabilityTarget ? QStringLiteral("≤ ")
        : GlucoseStatistics::targetIsMaximum(target)                    ? QStringLiteral("< ")
                                                                        : QStringLiteral("> ");
    return sign + QLocale().toString(value) + QStringLiteral(" %");
}

} // namespace

std::vector<GlucoseSummary::Line> GlucoseSummary::lines(
    const GlucoseStatistics &s, GlucoseUnit::Unit unit)
{
    using S = GlucoseStatistics;
    const bool any = s.count() > 0;
    const auto state = [&](S::Target target) {
        return !any || std::isnan(s.targetValue(target)) ? NoTarget
            : s.targetMet(target)                        ? Met
                                                         : Missed;
    };
    const auto band = [&](S::Band b) -> QString {
        return GlucoseChart::bandName(b) + QLatin1Char(' ') + GlucoseChart::bandRange(b, unit);
    };

    std::vector<Line> lines;
    const auto add
        = [&lines](const QString &label, const QString &value, const QString &target, State state) {
              lines.push_back(Line { label, value, target, state });
          };
    const auto share = [&](double value) { return percent(any ? value : none); };
    const auto atLeast = [&](bool met) { return !any ? NoTarget : met ? Met : Missed; };

    QString readings = QLocale().toString(s.count());
    if (s.ignored() > 0)
        readings += tr(" (%1 ignored)").arg(s.ignored());
    add(tr("Readings"), readings, QString(), NoTarget);
    add(tr("Days with readings"), QLocale().toString(s.daysWithReadings()),
        tr("≥ %1").arg(S::sufficientDays), atLeast(s.daysWithReadings() >= S::sufficientDays));
    add(tr("CGM active"), share(s.activePercent()), tr("≥ %1 %").arg(S::sufficientActivePercent),
        atLeast(s.activePercent() >= S::sufficientActivePercent));
    add(tr("Mean glucose"), glucose(s.mean(), unit), QString(), NoTarget);
    const QString gmi = std::isnan(s.gmiPercent())
        ? QStringLiteral("–")
        : tr("%1 % (%2 mmol/mol)").arg(number(s.gmiPercent(), 1), number(s.gmiMmolPerMol(), 0));
    add(tr("GMI"), gmi, QString(), NoTarget);
    add(tr("SD"), glucose(s.sd(), unit), QString(), NoTarget);
    add(tr("CV"), percent(s.cv()), limit(S::VariabilityTarget), state(S::VariabilityTarget));

    const bool mmol = unit == GlucoseUnit::MmolPerL;
    add(band(S::VeryHigh), share(s.bandPercent(S::VeryHigh)), limit(S::VeryHighTarget),
        state(S::VeryHighTarget));
    add(band(S::High), share(s.bandPercent(S::High)), QString(), NoTarget);
    add(tr("Above range %1").arg(mmol ? QStringLiteral("> 10.0") : QStringLiteral("> 180")),
        share(s.targetValue(S::AboveRangeTarget)), limit(S::AboveRangeTarget),
        state(S::AboveRangeTarget));
    add(band(S::InRange), share(s.bandPercent(S::InRange)), limit(S::InRangeTarget),
        state(S::InRangeTarget));
    add(tr("Below range %1").arg(mmol ? QStringLiteral("< 3.9") : QStringLiteral("< 70")),
        share(s.targetValue(S::BelowRangeTarget)), limit(S::BelowRangeTarget),
        state(S::BelowRangeTarget));
    add(band(S::Low), share(s.bandPercent(S::Low)), QString(), NoTarget);
    add(band(S::VeryLow), share(s.bandPercent(S::VeryLow)), limit(S::VeryLowTarget),
        state(S::VeryLowTarget));
    add(tr("GRI"), number(s.gri(), 1), QString(), NoTarget);

    QStringList quartiles;
    for (const double mg :
        { s.minimum(), s.firstQuartile(), s.median(), s.thirdQuartile(), s.maximum() })
        quartiles << number(GlucoseUnit::fromMgPerDl(mg, unit), mmol ? 1 : 0);
    add(tr("Min / Q1 / median / Q3 / max"),
        any ? quartiles.join(QStringLiteral(" / ")) : QStringLiteral("–"), QString(), NoTarget);
    return lines;
}

QString GlucoseSummary::period(const GlucoseStatistics &s)
{
    if (!s.periodStart().isValid())
        return tr("No readings");
    const int days = int(s.periodStart().daysTo(s.periodEnd())) + 1;
    const QString start = s.periodStart().toString(Qt::ISODate);
    const QString end = s.periodEnd().toString(Qt::ISODate);
    return days == 1 ? tr("1 day: %1").arg(start)
                     : tr("%1 days: %2 – %3").arg(days).arg(start, end);
}

QString GlucoseSummary::insufficiency(const GlucoseStatistics &s)
{
    if (s.count() == 0)
        return tr("No readings in this period.");
    if (s.isSufficient())
        return QString();
    QStringList lacking;
    if (s.daysWithReadings() < GlucoseStatistics::sufficientDays)
        lacking << (s.daysWithReadings() == 1
                ? tr("1 day with readings")
                : tr("%1 days with readings").arg(s.daysWithReadings()));
    if (s.activePercent() < GlucoseStatistics::sufficientActivePercent)
        lacking << tr("CGM active %1 %").arg(QLocale().toString(s.activePercent(), 'f', 1));
    return tr("Too few data for the consensus (14 days, 70 % active): %1.")
        .arg(lacking.join(QStringLiteral(", ")));
}
