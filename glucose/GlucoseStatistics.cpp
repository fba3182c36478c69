// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "GlucoseStatistics.h"

#include "GlucoseDistribution.h"
#include "GlucoseUnit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>

namespace {

constexpr int bandEdges[GlucoseStatistics::bandCount + 1]
    = { 1, 54, 70, 181, 251, std::numeric_limits<int>::max() };

GlucoseStatistics::Band bandOf(int value)
{
    if (value < 54)
        return GlucoseStatistics::VeryLow;
    if (value < 70)
        return GlucoseStatistics::Low;
    if (value <= 180)
        return GlucoseStatistics::InRange;
    if (value <= 250)
        return GlucoseStatistics::High;
    return GlucoseStatistics::VeryHigh;
}

// Seconds on one wall clock: a journal has no time zone.
std::int64_t secondsOf(const GlucoseReading &r)
{
    return r.date.toJulianDay() * 86400 + r.time.msecsSinceStartOfDay() / 1000;
}

std::int64_t dayOf(std::int64_t seconds)
{
    return seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
}

// Journals are in order but for a few lines stored late: those are set
// aside, sorted and merged back, which is linear in the rest.
void sortMostlySorted(std::vector<std::int64_t> &keys)
{
    std::vector<std::int64_t> late;
    std::size_t kept = 0;
    for (const std::int64_t key : keys) {
        if (kept == 0 || key >= keys[kept - 1])
            keys[kept++] = key;
        else
            late.push_back(key);
    }
    if (late.empty())
        return;
    keys.resize(kept);
    std::sort(late.begin(), late.end());
    std::vector<std::int64_t> merged(keys.size() + late.size());
    std::merge(keys.begin(), keys.end(), late.begin(), late.end(), merged.begin());
    keys.swap(merged);
}

// R's round(): halves go to the even neighbour, so the counts match iglu's.
double roundHalfEven(double x)
{
    return std::nearbyint(x);
}

// iglu's "% time CGM is active" over reading times in order, in seconds.
double activeOf(const std::vector<std::int64_t> &seconds)
{
    if (seconds.size() < 2)
        return seconds.empty() ? 0 : 100;
    std::vector<double> gaps(seconds.size() - 1);
    for (std::size_t i = 1; i < seconds.size(); ++i)
        gaps[i - 1] = double(seconds[i] - seconds[i - 1]) / 60;
    const double span = double(seconds.back() - seconds.front()) / 60;

    std::vector<double> order = gaps;
    const auto middle = order.begin() + std::ptrdiff_t(order.size() / 2);
    std::nth_element(order.begin(), middle, order.end());
    double median = *middle;
    if (order.size() % 2 == 0)
        median = (median + *std::max_element(order.begin(), middle)) / 2;
    // Readings at one moment would make the interval 0; a minute is the least a clock shows.
    const double dt0 = std::max(roundHalfEven(median), 1.0);

    const double theoretical = roundHalfEven(span / dt0) + 1;
    double missing = 0;
    for (const double gap : gaps) {
        if (gap > dt0)
            missing += roundHalfEven((gap - dt0) / dt0);
    }
    return 100 * (theoretical - missing) / theoretical;
}

} // namespace

GlucoseStatistics::GlucoseStatistics(
    const std::vector<GlucoseReading> &readings, const GlucosePeriod &period)
{
    const GlucosePeriod days = period.resolved(readings);
    m_periodStart = days.from();
    m_periodEnd = days.to();
    std::vector<std::int64_t> seconds;
    std::vector<int> values;
    seconds.reserve(readings.size());
    values.reserve(readings.size());
    std::array<std::size_t, bandCount> inBand {};
    m_ignored = period.forEachUsed(readings, [&](const GlucoseReading &r) {
        seconds.push_back(secondsOf(r));
        values.push_back(r.value);
        ++inBand[bandOf(r.value)];
    });
    m_count = int(values.size());
    if (values.empty())
        return;

    sortMostlySorted(seconds);
    m_firstDay = QDate::fromJulianDay(dayOf(seconds.front()));
    m_lastDay = QDate::fromJulianDay(dayOf(seconds.back()));
    m_days = 1;
    for (std::size_t i = 1; i < seconds.size(); ++i)
        m_days += dayOf(seconds[i]) != dayOf(seconds[i - 1]);
    m_active = activeOf(seconds);
    for (int b = 0; b < bandCount; ++b)
        m_bands[b] = 100.0 * double(inBand[b]) / double(values.size());

    const GlucoseDistribution distribution(std::move(values));
    m_mean = distribution.mean();
    m_sd = distribution.sd();
    m_cv = 100 * m_sd / m_mean;
    m_gmiPercent = 3.31 + 0.02392 * m_mean;
    m_gmiMmolPerMol = 12.71 + 4.70587 * m_mean / GlucoseUnit::mgPerDlPerMmol;
    m_gri = std::min(100.0,
        3.0 * m_bands[VeryLow] + 2.4 * m_bands[Low] + 1.6 * m_bands[VeryHigh]
            + 0.8 * m_bands[High]);
    const double ps[] = { 0, 0.25, 0.5, 0.75, 1 };
    for (int i = 0; i < 5; ++i)
        m_quantiles[i] = distribution.quantile(ps[i]);
}

bool GlucoseStatistics::isSufficient() const
{
    return m_days >= sufficientDays && m_active >= sufficientActivePercent;
}

std::array<int, GlucoseStatistics::bandCount> GlucoseStatistics::roundedBandPercents() const
{
    std::array<int, bandCount> rounded {};
    if (m_count == 0)
        return rounded;
    std::array<int, bandCount> order;
    int total = 0;
    for (int b = 0; b < bandCount; ++b) {
        rounded[b] = int(std::floor(m_bands[b]));
        total += rounded[b];
        order[b] = b;
    }
    // The slices with the largest remainders take the missing points.
    std::stable_sort(order.begin(), order.end(), [this, &rounded](int a, int b) {
        return m_bands[a] - rounded[a] > m_bands[b] - rounded[b];
    });
    for (int i = 0; total < 100 && i < bandCount; ++i, ++total)
        ++rounded[order[i]];
    return rounded;
}

int GlucoseStatistics::bandLowest(Band band)
{
    return bandEdges[band];
}

int GlucoseStatistics::bandHighest(Band band)
{
    return band == VeryHigh ? bandEdges[VeryHigh + 1] : bandEdges[band + 1] - 1;
}

double GlucoseStatistics::targetValue(Target target) const
{
    switch (target) {
    case VeryLowTarget:
        return m_bands[VeryLow];
    case BelowRangeTarget:
        return m_bands[VeryLow] + m_bands[Low];
    case InRangeTarget:
        return m_bands[InRange];
    case AboveRangeTarget:
        return m_bands[High] + m_bands[VeryHigh];
    case VeryHighTarget:
        return m_bands[VeryHigh];
    case VariabilityTarget:
        return m_cv;
    }
    return nan;
}

double GlucoseStatistics::targetLimit(Target target)
{
    static constexpr double limits[targetCount] = { 1, 4, 70, 25, 5, 36 };
    return limits[target];
}

bool GlucoseStatistics::targetIsMaximum(Target target)
{
    return target != InRangeTarget;
}

bool GlucoseStatistics::targetMet(Target target) const
{
    if (m_count == 0)
        return false;
    const double value = targetValue(target);
    const double limit = targetLimit(target);
    if (std::isnan(value))
        return false;
    if (target == VariabilityTarget)
        return value <= limit;
    return targetIsMaximum(target) ? value < limit : value > limit;
}
