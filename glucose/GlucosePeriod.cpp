// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "GlucosePeriod.h"

#include "GlucoseSequence.h"

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
    // The last days end on the newest reading's day, but never after today:
    // a reading dated in the future does not take the period over.
    const QDate today = QDate::currentDate();
    QDate first;
    QDate last;
    bool dated = false;
    for (const GlucoseReading &r : readings) {
        dated = dated || r.date.isValid();
        if (!r.date.isValid() || (m_kind == LastDays && r.date > today))
            continue;
        if (!first.isValid() || r.date < first)
            first = r.date;
        if (!last.isValid() || r.date > last)
            last = r.date;
    }
    if (m_kind == LastDays && dated) {
        if (!last.isValid() && dated)
            last = first = today;
        first = std::max(first, last.addDays(1 - m_days));
    }
    return between(first, last);
}

GlucosePeriod GlucosePeriod::previous(const std::vector<GlucoseReading> &readings) const
{
    const GlucosePeriod days = resolved(readings);
    if (!days.m_from.isValid())
        return between(QDate(), QDate());
    const int length = m_kind == LastDays ? m_days : days.m_days;
    const QDate start = m_kind == LastDays ? days.m_to.addDays(1 - length) : days.m_from;
    return between(start.addDays(-length), start.addDays(-1));
}

bool GlucosePeriod::endsBeforeNewest(const std::vector<GlucoseReading> &readings) const
{
    const QDate end = resolved(readings).m_to;
    return end.isValid()
        && std::any_of(readings.begin(), readings.end(),
            [&end](const GlucoseReading &r) { return r.date.isValid() && r.date > end; });
}

void GlucosePeriod::addDay(std::vector<GlucoseReading> &days, const GlucoseReading &reading)
{
    if (!reading.date.isValid())
        return;
    if (days.empty() || days.back().date != reading.date)
        days.push_back(reading);
    else if (!isUsable(days.back()) && isUsable(reading))
        days.back() = reading;
}

void GlucosePeriod::putInTimeOrder(std::vector<GlucoseReading> &readings)
{
    // Journals are in order but for a few lines stored late: those are set
    // aside, sorted and merged back, which is linear in the rest.
    std::vector<GlucoseReading> late;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < readings.size(); ++i) {
        if (kept == 0 || !GlucoseSequence::earlier(readings[i], readings[kept - 1]))
            readings[kept++] = readings[i];
        else
            late.push_back(readings[i]);
    }
    readings.resize(kept);
    GlucoseSequence::mergeLate(readings, std::move(late));
}

std::vector<GlucoseReading> GlucosePeriod::select(
    const std::vector<GlucoseReading> &readings, int *ignored) const
{
    std::vector<GlucoseReading> used;
    used.reserve(readings.size());
    const int unusable
        = forEachUsed(readings, [&used](const GlucoseReading &r) { used.push_back(r); });
    putInTimeOrder(used);
    if (ignored)
        *ignored = unusable;
    return used;
}

bool GlucosePeriod::operator==(const GlucosePeriod &other) const
{
    return m_kind == other.m_kind && m_days == other.m_days && m_from == other.m_from
        && m_to == other.m_to;
}
