// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef GLUCOSEGRID_H
#define GLUCOSEGRID_H

#include "GlucoseReading.h"
#include "glucose_export.h"

#include <QDate>

#include <cstdint>
#include <vector>

// The readings on a regular grid, as iglu lays them out day by day before
// it measures variability and episodes: a point every step minutes from
// step past midnight of the first day to midnight after the last, linear
// between the readings on either side, and empty (NaN) outside them or
// where they are more than a gap apart. Readings at one moment count as
// their mean.
class GLUCOSE_EXPORT GlucoseGrid
{
public:
    static constexpr int defaultGap = 45;
    // The most points a grid holds: about 75 years of 5 minutes.
    static constexpr std::size_t maxPoints = std::size_t(8) << 20;

    GlucoseGrid() = default;
    // Readings in time order, all usable. A step of 0 is the median time
    // between readings, rounded to whole minutes.
    explicit GlucoseGrid(const std::vector<GlucoseReading> &inOrder, int stepMinutes = 0,
        int gapMinutes = defaultGap);
    // The same for count readings that stand one after the other.
    GlucoseGrid(const GlucoseReading *inOrder, std::size_t count, int stepMinutes = 0,
        int gapMinutes = defaultGap);

    int step() const { return m_step; }
    QDate firstDay() const { return m_firstDay; }
    int days() const { return m_days; }
    // Points of one day; a lag of a day in the values.
    int pointsPerDay() const { return m_perDay; }
    const std::vector<double> &values() const { return m_values; }
    // The points with a value.
    std::size_t filled() const { return m_filled; }

    // The median of the gaps between moments in order, in minutes, as R's
    // median; 0 under two moments.
    static double medianGapMinutes(const std::vector<std::int64_t> &seconds);
    // Seconds on one wall clock: a journal has no time zone.
    static std::int64_t secondsOf(const GlucoseReading &reading);

private:
    int m_step = 0;
    QDate m_firstDay;
    int m_days = 0;
    int m_perDay = 0;
    std::size_t m_filled = 0;
    std::vector<double> m_values;
};

#endif
