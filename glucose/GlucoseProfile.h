// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef GLUCOSEPROFILE_H
#define GLUCOSEPROFILE_H

#include "GlucosePeriod.h"
#include "GlucoseReading.h"
#include "glucose_export.h"

#include <QTime>

#include <array>
#include <limits>
#include <vector>

// The ambulatory glucose profile: the period's readings by time of day in
// 96 bins of 15 minutes, with the 5th, 25th, 50th, 75th and 95th
// percentiles of each (R's type 7).
class GLUCOSE_EXPORT GlucoseProfile
{
public:
    static constexpr int binCount = 96;
    static constexpr int binMinutes = 15;

    struct Bin
    {
        int count = 0;
        // NaN in a bin without readings.
        double p5 = std::numeric_limits<double>::quiet_NaN();
        double p25 = std::numeric_limits<double>::quiet_NaN();
        double p50 = std::numeric_limits<double>::quiet_NaN();
        double p75 = std::numeric_limits<double>::quiet_NaN();
        double p95 = std::numeric_limits<double>::quiet_NaN();
    };

    GlucoseProfile() = default;
    GlucoseProfile(const std::vector<GlucoseReading> &readings, const GlucosePeriod &period);

    // Bins from 00:00-00:15 to 23:45-24:00.
    const Bin &bin(int index) const { return m_bins[std::size_t(index)]; }
    static int binOf(const QTime &time);
    // The number of readings in all bins.
    int count() const { return m_count; }

private:
    std::array<Bin, binCount> m_bins;
    int m_count = 0;
};

#endif
