// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "TreatmentStatistics.h"

#include "GlucoseStatistics.h"

#include <QSet>

#include <cmath>

TreatmentStatistics::TreatmentStatistics(
    const std::vector<Treatment> &treatments, const GlucosePeriod &period)
{
    GlucosePeriod days = period;
    if (period.kind() == GlucosePeriod::LastDays) {
        std::vector<GlucoseReading> moments;
        for (const Treatment &t : treatments)
            moments.push_back({ t.date, t.time, 1 });
        days = period.resolved(moments);
    }
    const bool all = days.kind() == GlucosePeriod::All;
    const auto inPeriod
        = [&](const QDate &d) { return all || (d >= days.from() && d <= days.to()); };

    QSet<qint64> insulinDays, carbDays, activityDays;
    for (const Treatment &t : treatments) {
        if (!t.date.isValid() || !std::isfinite(t.amount))
            continue;
        if (t.kind == Treatment::HbA1c) {
            const bool later = !hba1cDate.isValid() || t.date > hba1cDate
                || (t.date == hba1cDate && t.time >= hba1cTime);
            if (later && (all || (days.to().isValid() && t.date <= days.to()))) {
                hba1cDate = t.date;
                hba1cTime = t.time;
                hba1c = t.amount;
            }
            continue;
        }
        if (!inPeriod(t.date))
            continue;
        Sum &sum = t.kind == Treatment::Carbs ? carbs
            : t.kind == Treatment::Activity   ? activity
                                              : insulin;
        QSet<qint64> &seen = t.kind == Treatment::Carbs ? carbDays
            : t.kind == Treatment::Activity             ? activityDays
                                                        : insulinDays;
        seen.insert(t.date.toJulianDay());
        ++sum.count;
        sum.total += t.amount;
        if (t.kind == Treatment::Bolus)
            bolus += t.amount;
        else if (t.kind == Treatment::Basal)
            basal += t.amount;
    }
    insulin.days = int(insulinDays.size());
    carbs.days = int(carbDays.size());
    activity.days = int(activityDays.size());
}

TreatmentStatistics::TreatmentStatistics(const std::vector<Treatment> &treatments,
    const GlucoseStatistics &glucose, const GlucosePeriod &period)
    : TreatmentStatistics(treatments,
        glucose.periodStart().isValid() && period.kind() != GlucosePeriod::All
            ? GlucosePeriod::between(glucose.periodStart(), glucose.periodEnd())
            : period)
{ }

double TreatmentStatistics::perDay(double total, int days)
{
    return days ? total / days : std::nan("");
}
