// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "GlucoseProfile.h"

#include "GlucoseDistribution.h"

#include <algorithm>
#include <cstdint>
#include <optional>

GlucoseProfile::GlucoseProfile(
    const std::vector<GlucoseReading> &readings, const GlucosePeriod &period)
{
    std::vector<std::uint8_t> bins;
    std::vector<int> values;
    bins.reserve(readings.size());
    values.reserve(readings.size());
    int lowest = 0;
    int highest = 0;
    period.forEachUsed(readings, [&](const GlucoseReading &r) {
        lowest = values.empty() ? r.value : std::min(lowest, r.value);
        highest = values.empty() ? r.value : std::max(highest, r.value);
        bins.push_back(std::uint8_t(binOf(r.time)));
        values.push_back(r.value);
    });
    m_count = int(values.size());
    if (values.empty())
        return;

    // Glucose values span a few hundred mg/dL: a count per value and bin is
    // linear and small. Anything wider is sorted bin by bin.
    const std::int64_t range = std::int64_t(highest) - lowest + 1;
    std::vector<std::optional<GlucoseDistribution>> distributions(binCount);
    if (range <= GlucoseDistribution::countedRange) {
        std::vector<std::vector<std::uint32_t>> counts(
            binCount, std::vector<std::uint32_t>(std::size_t(range)));
        for (std::size_t i = 0; i < values.size(); ++i)
            ++counts[bins[i]][std::size_t(values[i] - lowest)];
        for (int b = 0; b < binCount; ++b)
            distributions[std::size_t(b)].emplace(lowest, std::move(counts[std::size_t(b)]));
    } else {
        std::vector<std::vector<int>> byBin(binCount);
        for (std::size_t i = 0; i < values.size(); ++i)
            byBin[bins[i]].push_back(values[i]);
        for (int b = 0; b < binCount; ++b)
            distributions[std::size_t(b)].emplace(std::move(byBin[std::size_t(b)]));
    }

    for (int b = 0; b < binCount; ++b) {
        const GlucoseDistribution &distribution = *distributions[std::size_t(b)];
        Bin &bin = m_bins[std::size_t(b)];
        bin.count = int(distribution.count());
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
    return time.msecsSinceStartOfDay() / (binMinutes * 60 * 1000);
}
