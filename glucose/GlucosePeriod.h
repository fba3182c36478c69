// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef GLUCOSEPERIOD_H
#define GLUCOSEPERIOD_H

#include "GlucoseReading.h"
#include "glucose_export.h"

#include <QDate>

#include <vector>

// The days the statistics look at: all readings, the last N days ending on
// the newest reading's day up to today, or the days from one date to
// another, both inclusive.
class GLUCOSE_EXPORT GlucosePeriod
{
public:
    enum Kind { All, LastDays, Between };

    // All readings.
    GlucosePeriod() = default;
    static GlucosePeriod all();
    // At least one day.
    static GlucosePeriod lastDays(int days);
    // Dates given the wrong way round are swapped.
    static GlucosePeriod between(const QDate &from, const QDate &to);

    Kind kind() const { return m_kind; }
    int days() const { return m_days; }
    QDate from() const { return m_from; }
    QDate to() const { return m_to; }

    // The first and last day the period covers among these readings, as a
    // period of kind Between; both dates are invalid when it covers none.
    GlucosePeriod resolved(const std::vector<GlucoseReading> &readings) const;
    // The days of the same length just before, to compare with; covers
    // none when this one does.
    GlucosePeriod previous(const std::vector<GlucoseReading> &readings) const;
    // Whether readings are dated after the period's last day: the last days
    // stop at today when some are in the future.
    bool endsBeforeNewest(const std::vector<GlucoseReading> &readings) const;

    // Keeps a reading of each dated day, for resolved(), previous() and
    // endsBeforeNewest(), which look at the days alone: days holds the
    // first usable reading of each day, or its first one where none is.
    // Readings in time order give one a day, in order.
    static void addDay(std::vector<GlucoseReading> &days, const GlucoseReading &reading);

    // Puts readings in time order, keeping the order of readings of one
    // moment: linear for a journal in order but for a few late lines.
    static void putInTimeOrder(std::vector<GlucoseReading> &readings);

    // The readings the period uses, in time order. *ignored, when given,
    // counts the readings in the period that have no usable value.
    std::vector<GlucoseReading> select(
        const std::vector<GlucoseReading> &readings, int *ignored = nullptr) const;

    // Calls use(reading) for each reading the period uses, in the order
    // given, and returns how many readings in the period it ignores.
    template <typename Use>
    int forEachUsed(const std::vector<GlucoseReading> &readings, Use use) const;

    // A plausible value and a valid date and time.
    static bool isUsable(const GlucoseReading &reading)
    {
        // A valid time is one from midnight to the day's last millisecond,
        // told here without a call into the toolkit: a million readings
        // are looked at several times.
        return GlucoseReading::isPlausible(reading.value) && reading.date.isValid()
            && QTime::fromMSecsSinceStartOfDay(0) <= reading.time
            && reading.time < QTime::fromMSecsSinceStartOfDay(24 * 3600 * 1000);
    }

    bool operator==(const GlucosePeriod &other) const;
    bool operator!=(const GlucosePeriod &other) const { return !(*this == other); }

private:
    Kind m_kind = All;
    int m_days = 0;
    QDate m_from;
    QDate m_to;
};

template <typename Use>
int GlucosePeriod::forEachUsed(const std::vector<GlucoseReading> &readings, Use use) const
{
    const GlucosePeriod days = resolved(readings);
    int ignored = 0;
    for (const GlucoseReading &r : readings) {
        // Undated readings belong to no day, but to all readings.
        const bool inPeriod = r.date.isValid()
            ? days.m_from.isValid() && r.date >= days.m_from && r.date <= days.m_to
            : m_kind == All;
        if (!inPeriod)
            continue;
        if (isUsable(r))
            use(r);
        else
            ++ignored;
    }
    return ignored;
}

#endif
