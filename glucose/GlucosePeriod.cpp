// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "GlucosePeriod.h"

#include <algorithm>

GlucosePeriod GlucosePeriod::all()
{
    return GlucosePeriod();
}

GlucosePeriod GlucosePeriod::lastDays(int days)
{
    GlucosePeriod period;
    period.m_kind = LastDays;
    period.m_days = std::max(days, 1);
    return period;
}

GlucosePeriod GlucosePeriod::between(const QDate &from, const QDate &to)
{
    GlucosePeriod period;
    period.m_kind = Between;
    period.m_from = from;
    period.m_to = to;
    if (from.isValid() && to.isValid() && to < from)
        std::swap(period.m_from, period.m_to);
    if (period.m_from.isValid() && period.m_to.isValid())
        period.m_days = int(period.m_from.daysTo(period.m_to) + 1);
    return period;
}

GlucosePeriod GlucosePeriod::resolved(const std::vector<GlucoseReading> &readings) const
{
    if (m_kind == Between)
        return *this;
    QDate first;
    QDate last;
    for (const GlucoseReading &r : readings) {
        if (!r.date.isValid())
            continue;
        if (!first.isValid() || r.date < first)
            first = r.date;
        if (!last.isValid() || r.date > last)
            last = r.date;
    }
    if (m_kind == LastDays && last.isValid())
        first = std::max(first, last.addDays(1 - m_days));
    return between(first, last);
}

std::vector<GlucoseReading> GlucosePeriod::select(
    const std::vector<GlucoseReading> &readings, int *ignored) const
{
    std::vector<GlucoseReading> used;
    used.reserve(readings.size());
    const int unusable
        = forEachUsed(readings, [&used](const GlucoseReading &r) { used.push_back(r); });
    const auto earlier = [](const GlucoseReading &a, const GlucoseReading &b) {
        return a.date != b.date ? a.date < b.date : a.time < b.time;
    };
    // Journals are mostly in order already.
    if (!std::is_sorted(used.begin(), used.end(), earlier))
        std::stable_sort(used.begin(), used.end(), earlier);
    if (ignored)
        *ignored = unusable;
    return used;
}

bool GlucosePeriod::operator==(const GlucosePeriod &other) const
{
    return m_kind == other.m_kind && m_days == other.m_days && m_from == other.m_from
        && m_to == other.m_to;
}
