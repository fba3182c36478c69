// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "GlucoseSummary.h"

#include "GlucoseChart.h"
#include "HbA1cEntry.h"

#include <QLocale>

#include <algorithm>
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

std::vector<GlucoseSummary::Line> GlucoseSummary::lines(const GlucoseStatistics &s,
    GlucoseUnit::Unit unit, const GlucoseStatistics *previous,
    const TreatmentStatistics *treatments, const TreatmentStatistics *previousTreatments)
{
    using S = GlucoseStatistics;
    using E = GlucoseEpisodes;
    const bool any = s.count() > 0;
    const bool meter = any && s.isMeter();
    const bool mmol = unit == GlucoseUnit::MmolPerL;
    const int glucoseDecimals = mmol ? 1 : 0;
    const auto state = [&](S::Target target) {
        return !any || std::isnan(s.targetValue(target)) ? NoTarget
            : s.targetMet(target)                        ? Met
                                                         : Missed;
    };
    const auto band = [&](S::Band b) -> QString {
        return GlucoseChart::bandName(b) + QLatin1Char(' ') + GlucoseChart::bandRange(b, unit);
    };
    const auto inUnit = [unit](double mgPerDl) { return GlucoseUnit::fromMgPerDl(mgPerDl, unit); };

    std::vector<Line> lines;
    // Room for every line: add() hands out references into the vector.
    lines.reserve(64);
    const auto add = [&lines](const QString &label, const QString &value, const QString &target,
                         State state, double number = none, int decimals = 1) -> Line & {
        Line line;
        line.label = label;
        line.value = value;
        line.target = target;
        line.state = state;
        line.number = number;
        line.decimals = decimals;
        lines.push_back(line);
        return lines.back();
    };
    const auto heading = [&](const QString &title, const QString &tooltip) {
        Line &line = add(title, QString(), QString(), NoTarget);
        line.heading = true;
        line.tooltip = tooltip;
    };
    // A sensor's figure: for a meter's readings, greyed and saying why.
    const QString sensorOnly = tr("Readings further apart than 30 minutes, at the median, are a "
                                  "meter's: this figure needs a sensor's");
    const auto sensor = [&](Line &line) {
        if (!meter)
            return;
        line.value = tr("– (meter)");
        line.target.clear();
        line.state = NoTarget;
        line.greyed = true;
        line.number = none;
        line.tooltip = sensorOnly;
    };
    const auto share = [&](double value) { return percent(any ? value : none); };
    const auto atLeast = [&](bool met) { return !any ? NoTarget : met ? Met : Missed; };
    const auto sharePercent = [&](double value) { return any ? value : none; };

    QString readings = QLocale().toString(s.count());
    if (s.ignored() > 0)
        readings += tr(" (%1 ignored)").arg(s.ignored());
    add(tr("Readings"), readings, QString(), NoTarget, any ? s.count() : none, 0).tooltip
        = tr("Readings with a usable value in the period");
    if (meter)
        add(tr("Readings per day"), number(s.readingsPerDay(), 1), QString(), NoTarget,
            s.readingsPerDay())
            .tooltip
            = tr("Readings over the days of the period");
    add(tr("Days with readings"), QLocale().toString(s.daysWithReadings()),
        tr("≥ %1").arg(S::sufficientDays), atLeast(s.daysWithReadings() >= S::sufficientDays),
        s.daysWithReadings(), 0)
        .tooltip
        = tr("The consensus asks for 14 days of readings");
    Line &active = add(tr("CGM active"), share(s.activePercent()),
        tr("≥ %1 %").arg(S::sufficientActivePercent),
        atLeast(s.activePercent() >= S::sufficientActivePercent), sharePercent(s.activePercent()));
    active.tooltip = tr("The share of the readings a sensor could have taken that are there");
    sensor(active);
    add(tr("Mean glucose"), glucose(s.mean(), unit), QString(), NoTarget, inUnit(s.mean()),
        glucoseDecimals)
        .tooltip
        = tr("The mean of the readings");
    const QString gmi = std::isnan(s.gmiPercent())
        ? QStringLiteral("–")
        : tr("%1 % (%2 mmol/mol)").arg(number(s.gmiPercent(), 1), number(s.gmiMmolPerMol(), 0));
    add(tr("GMI"), gmi, QString(), NoTarget, s.gmiPercent()).tooltip
        = tr("Glucose management indicator: the HbA1c the mean glucose suggests");
    if (treatments && treatments->lastHbA1cDate().isValid()) {
        const double a1c = treatments->lastHbA1c();
        add(tr("Last HbA1c"),
            tr("%1 % (%2 mmol/mol), %3")
                .arg(number(a1c, 1), QLocale().toString(HbA1cEntry::mmolPerMol(a1c)),
                    treatments->lastHbA1cDate().toString(Qt::ISODate)),
            QString(), NoTarget, a1c)
            .tooltip
            = tr("The newest HbA1c measured up to the end of the period, to set beside GMI");
    }
    add(tr("SD"), glucose(s.sd(), unit), QString(), NoTarget, inUnit(s.sd()), glucoseDecimals)
        .tooltip
        = tr("Standard deviation of the readings");
    add(tr("CV"), percent(s.cv()), limit(S::VariabilityTarget), state(S::VariabilityTarget), s.cv())
        .tooltip
        = tr("Coefficient of variation: SD over the mean");

    // A meter's ranges are shares of readings, a sensor's of time.
    const QString of = meter ? tr("Share of the readings") : tr("Share of the time");
    if (meter)
        heading(readingsInRange(), of);
    const auto bandLine = [&](const QString &label, double value, const QString &target, State st) {
        add(label, share(value), target, st, sharePercent(value)).tooltip = of;
    };
    bandLine(band(S::VeryHigh), s.bandPercent(S::VeryHigh), limit(S::VeryHighTarget),
        state(S::VeryHighTarget));
    bandLine(band(S::High), s.bandPercent(S::High), QString(), NoTarget);
    bandLine(tr("Above range %1").arg(mmol ? QStringLiteral("> 10.0") : QStringLiteral("> 180")),
        s.targetValue(S::AboveRangeTarget), limit(S::AboveRangeTarget), state(S::AboveRangeTarget));
    bandLine(band(S::InRange), s.bandPercent(S::InRange), limit(S::InRangeTarget),
        state(S::InRangeTarget));
    bandLine(tr("Below range %1").arg(mmol ? QStringLiteral("< 3.9") : QStringLiteral("< 70")),
        s.targetValue(S::BelowRangeTarget), limit(S::BelowRangeTarget), state(S::BelowRangeTarget));
    bandLine(band(S::Low), s.bandPercent(S::Low), QString(), NoTarget);
    bandLine(band(S::VeryLow), s.bandPercent(S::VeryLow), limit(S::VeryLowTarget),
        state(S::VeryLowTarget));
    Line &gri = add(tr("GRI"), number(s.gri(), 1), QString(), NoTarget, s.gri());
    gri.tooltip = tr("Glycaemia risk index: 0 is best, 100 worst");
    sensor(gri);

    QStringList quartiles;
    for (const double mg :
        { s.minimum(), s.firstQuartile(), s.median(), s.thirdQuartile(), s.maximum() })
        quartiles << number(inUnit(mg), glucoseDecimals);
    add(tr("Min / Q1 / median / Q3 / max"),
        any ? quartiles.join(QStringLiteral(" / ")) : QStringLiteral("–"), QString(), NoTarget)
        .tooltip
        = tr("The lowest reading, the quartiles and the highest");
    const auto count = [&](const QString &label, int n) {
        add(label, any ? QLocale().toString(n) : QStringLiteral("–"), QString(), NoTarget,
            any ? n : none, 0)
            .tooltip
            = tr("Readings at these values");
    };
    count(tr("Readings below %1").arg(GlucoseUnit::format(70, unit)), s.countBelow70());
    count(tr("Readings below %1").arg(GlucoseUnit::format(54, unit)), s.countBelow54());
    count(tr("Readings above %1").arg(GlucoseUnit::format(250, unit)), s.countAbove250());

    if (meter) {
        const auto group = [&](const QString &label, const S::Group &g) {
            if (g.count == 0)
                return;
            add(label,
                tr("%1 ± %2 (%3)")
                    .arg(number(inUnit(g.mean), glucoseDecimals),
                        number(inUnit(g.sd), glucoseDecimals), QLocale().toString(g.count)),
                QString(), NoTarget, inUnit(g.mean), glucoseDecimals)
                .tooltip
                = tr("Mean ± SD in %1 and the number of readings").arg(GlucoseUnit::name(unit));
        };
        heading(tr("By reading type"), tr("The readings by the type they were entered with"));
        for (int t = 0; t < GlucoseReading::typeCount; ++t) {
            const auto type = GlucoseReading::Type(t);
            group(QString::fromLatin1(GlucoseReading::typeName(type)), s.byType(type));
        }
        heading(tr("By time of day"),
            tr("Night 0–6 h, morning 6–12 h, afternoon 12–18 h, evening 18–24 h"));
        const QString parts[] = { tr("Night"), tr("Morning"), tr("Afternoon"), tr("Evening") };
        for (int p = 0; p < S::timeOfDayCount; ++p)
            group(parts[p], s.byTimeOfDay(S::TimeOfDay(p)));
    }

    heading(tr("Episodes"),
        tr("Hypo- and hyperglycaemic episodes: 15 minutes beyond a level begin one, 15 minutes "
           "back end it"));
    if (meter) {
        Line &why = add(tr("Episodes per week"), tr("– (meter)"), QString(), NoTarget);
        why.greyed = true;
        why.tooltip = sensorOnly;
    } else {
        const QString names[E::kindCount] = { tr("Below %1").arg(GlucoseUnit::format(70, unit)),
            tr("Below %1").arg(GlucoseUnit::format(54, unit)),
            tr("Below %1 for 2 h").arg(GlucoseUnit::format(70, unit)),
            tr("Above %1").arg(GlucoseUnit::format(180, unit)),
            tr("Above %1").arg(GlucoseUnit::format(250, unit)) };
        const QString tips[E::kindCount] = { tr("Hypoglycaemia, level 1: below 70 mg/dL"),
            tr("Hypoglycaemia, level 2: below 54 mg/dL"),
            tr("Extended hypoglycaemia: below 70 mg/dL for 2 hours or more"),
            tr("Hyperglycaemia, level 1: above 180 mg/dL"),
            tr("Hyperglycaemia, level 2: above 250 mg/dL") };
        const E &e = s.episodes();
        for (int k = 0; k < E::kindCount; ++k) {
            const auto kind = E::Kind(k);
            add(names[k],
                any ? tr("%1 (%2 a week, %3 min)")
                          .arg(QLocale().toString(e.count(kind)), number(e.perWeek(kind), 1),
                              number(e.meanMinutes(kind), 0))
                    : QStringLiteral("–"),
                QString(), NoTarget, any ? e.perWeek(kind) : none)
                .tooltip
                = tips[k] + tr("; the count, how many a week and how long on average");
        }
    }

    heading(tr("Variability"), tr("How much and how fast glucose moves, as R's iglu measures it"));
    const GlucoseVariability &v = s.variability();
    const QString u = GlucoseUnit::name(unit);
    const auto measure = [&](const QString &label, double value, bool glucoseUnit,
                             const QString &tooltip) -> Line & {
        const double shown = glucoseUnit ? inUnit(value) : value;
        const int decimals = glucoseUnit ? glucoseDecimals : 1;
        Line &line = add(label,
            std::isnan(shown)
                ? QStringLiteral("–")
                : number(shown, decimals) + (glucoseUnit ? QLatin1Char(' ') + u : QString()),
            QString(), NoTarget, shown, decimals);
        line.tooltip = tooltip;
        return line;
    };
    // A meter's readings are hours apart: the curve between them, on which
    // these are measured, is not known.
    sensor(measure(tr("MAGE"), v.mage(), true,
        tr("Mean amplitude of glycaemic excursions: the mean rise and fall larger than one SD")));
    sensor(measure(tr("MODD"), v.modd(), true,
        tr("Mean of daily differences: how far glucose is from the same time the day before")));
    sensor(measure(tr("CONGA"), v.conga(), true,
        tr("Continuous overall net glycaemic action: the SD of the changes over 24 hours")));
    sensor(measure(tr("MAG"), v.mag(), true, tr("Mean absolute glucose change per hour")));
    measure(tr("LBGI"), v.lbgi(), false, tr("Low blood glucose index: the risk of hypoglycaemia"));
    measure(
        tr("HBGI"), v.hbgi(), false, tr("High blood glucose index: the risk of hyperglycaemia"));
    measure(tr("ADRR"), v.adrr(), false,
        tr("Average daily risk range: the day's highest risks of low and high, averaged"));
    measure(tr("J-index"), v.jIndex(), false,
        tr("0.001 × (mean + SD)², in mg/dL: mean and variability in one"));
    measure(tr("COGI"), v.cogi(), false,
        tr("Continuous glucose monitoring index: time in range, time below and SD weighed, 100 is "
           "best"));
    sensor(measure(tr("GVP"), v.gvp(), false,
        tr("Glycaemic variability percentage: how much longer the curve is than a flat line, in "
           "%")));

    // The rest of the diabetes day: each a mean over the days that have it.
    if (treatments
        && (treatments->insulinDays() || treatments->carbDays() || treatments->activityDays())) {
        heading(tr("Insulin, food and activity"),
            tr("Means over the days of the period that have each"));
        const auto daily = [&](const QString &label, double value, int days,
                               const QString &unitName, int decimals, const QString &what) {
            if (days == 0)
                return;
            add(label, number(value, decimals) + QLatin1Char(' ') + unitName, QString(), NoTarget,
                value, decimals)
                .tooltip
                = tr("%1 a day, over the %n days of the period that have any", nullptr, days)
                      .arg(what);
        };
        const TreatmentStatistics &t = *treatments;
        daily(tr("Insulin a day"), t.insulinPerDay(), t.insulinDays(), tr("u"), 1,
            tr("Bolus and basal insulin"));
        daily(tr("Bolus a day"), t.bolusPerDay(), t.insulinDays(), tr("u"), 1, tr("Bolus insulin"));
        daily(tr("Basal a day"), t.basalPerDay(), t.insulinDays(), tr("u"), 1, tr("Basal insulin"));
        daily(tr("Carbohydrates a day"), t.gramsPerDay(), t.carbDays(), tr("g"), 0,
            tr("Carbohydrates"));
        daily(tr("Activity a day"), t.minutesPerDay(), t.activityDays(), tr("min"), 0,
            tr("Minutes of activity"));
    }

    if (previous && previous->count() > 0 && any) {
        const std::vector<Line> before
            = GlucoseSummary::lines(*previous, unit, nullptr, previousTreatments);
        for (Line &line : lines) {
            if (line.heading || std::isnan(line.number))
                continue;
            const auto was = std::find_if(before.begin(), before.end(),
                [&line](const Line &b) { return b.label == line.label && !b.heading; });
            if (was != before.end())
                line.change = change(line.number, was->number, line.decimals);
        }
    }
    return lines;
}

QString GlucoseSummary::change(double now, double before, int decimals)
{
    if (std::isnan(now) || std::isnan(before))
        return QString();
    // As shown: 6.43 and 6.36 both read 6.4, and no change is seen.
    const double shownNow = QString::number(now, 'f', decimals).toDouble();
    const double shownBefore = QString::number(before, 'f', decimals).toDouble();
    if (shownNow == shownBefore)
        return QStringLiteral("=");
    return (shownNow > shownBefore ? QStringLiteral("▲ ") : QStringLiteral("▼ "))
        + QLocale().toString(std::abs(shownNow - shownBefore), 'f', decimals);
}

QString GlucoseSummary::previousPeriod(const GlucoseStatistics &previous)
{
    if (!previous.periodStart().isValid())
        return tr("No period before");
    return tr("Change since %1 – %2")
        .arg(previous.periodStart().toString(Qt::ISODate),
            previous.periodEnd().toString(Qt::ISODate));
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
