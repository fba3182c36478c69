// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "GlucoseProfile.h"

#include "GlucoseDistribution.h"

GlucoseProfile::GlucoseProfile(
    const std::vector<GlucoseReading> &readings, const GlucosePeriod &period)
{
    const GlucosePeriod days = period.resolved(readings);
    if (!days.from().isValid())
        return;
    // The order of the readings does not matter here, so they are not selected and sorted.
    std::array<std::vector<int>, binCount> values;
    for (const GlucoseReading &r : readings) {
        if (GlucosePeriod::isUsable(r) && r.date >= days.from() && r.date <= days.to())
            values[std::size_t(binOf(r.time))].push_back(r.value);
    }
    for (int i = 0; i < binCount; ++i) {
        Bin &bin = m_bins[std::size_t(i)];
        bin.count = int(values[std::size_t(i)].size());
        m_count += bin.count;
        const GlucoseDistribution distribution(std::move(values[std::size_t(i)]));
        if (bin.count == 0)
            continue;
        bin.p5 = distribution.quantile(0.05);
        bin.p25 = distribution.quantile(0.25);
        bin.p50 = distribution.quantile(0.5);
        bin.p75 = distribution.quantile(0.75);
        bin.p95 = distribution.quantile(0.95);
    }
}

int GlucoseProfile::binOf(const QTime &time)
{
    return time.isValid() ? (time.hour() * 60 + time.minute()) / binMinutes : 0;
}
