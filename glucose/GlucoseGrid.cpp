// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "GlucoseGrid.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
constexpr std::int64_t secondsPerDay = 86400;
constexpr int minutesPerDay = 1440;
} // namespace

std::int64_t GlucoseGrid::secondsOf(const GlucoseReading &r)
{
    return r.date.toJulianDay() * secondsPerDay + r.time.msecsSinceStartOfDay() / 1000;
}

double GlucoseGrid::medianGapMinutes(const std::vector<std::int64_t> &seconds)
{
    if (seconds.size() < 2)
        return 0;
    std::vector<std::int64_t> gaps(seconds.size() - 1);
    for (std::size_t i = 1; i < seconds.size(); ++i)
        gaps[i - 1] = seconds[i] - seconds[i - 1];
    const auto middle = gaps.begin() + std::ptrdiff_t(gaps.size() / 2);
    std::nth_element(gaps.begin(), middle, gaps.end());
    double median = double(*middle);
    if (gaps.size() % 2 == 0)
        median = (median + double(*std::max_element(gaps.begin(), middle))) / 2;
    return median / 60;
}

GlucoseGrid::GlucoseGrid(
    const std::vector<GlucoseReading> &inOrder, int stepMinutes, int gapMinutes)
{
    // Moments once each, with the mean of their values.
    std::vector<std::int64_t> at;
    std::vector<double> value;
    at.reserve(inOrder.size());
    value.reserve(inOrder.size());
    std::vector<int> times;
    for (const GlucoseReading &r : inOrder) {
        const std::int64_t s = secondsOf(r);
        if (!at.empty() && at.back() == s) {
            const int n = ++times.back();
            value.back() += (r.value - value.back()) / n;
            continue;
        }
        at.push_back(s);
        value.push_back(r.value);
        times.push_back(1);
    }
    if (at.empty())
        return;
    if (stepMinutes <= 0) {
        std::vector<std::int64_t> all;
        all.reserve(inOrder.size());
        for (const GlucoseReading &r : inOrder)
            all.push_back(secondsOf(r));
        // A minute is the least a clock shows; a day the most a grid holds.
        stepMinutes = int(std::clamp(std::nearbyint(medianGapMinutes(all)), 1.0, 1440.0));
    }
    m_step = stepMinutes;
    const std::int64_t first = at.front() - at.front() % secondsPerDay;
    m_firstDay = QDate::fromJulianDay(first / secondsPerDay);
    // As iglu counts them: the span in days, plus one, rounded up.
    m_days = int(std::ceil(double(at.back() - at.front()) / secondsPerDay + 1));
    m_perDay = std::max(1, minutesPerDay / m_step);
    const std::size_t points = std::size_t(std::int64_t(m_days) * minutesPerDay / m_step);
    // Readings decades apart would make a grid of hundreds of megabytes:
    // such a journal has no grid, and the figures on it are not known.
    if (points > maxPoints) {
        m_days = 0;
        return;
    }
    m_values.assign(points, std::numeric_limits<double>::quiet_NaN());

    const std::int64_t stepSeconds = std::int64_t(m_step) * 60;
    const std::int64_t gapSeconds = std::int64_t(gapMinutes) * 60;
    std::size_t j = 0;
    for (std::size_t k = 0; k < points; ++k) {
        const std::int64_t x = first + stepSeconds * std::int64_t(k + 1);
        if (x < at.front())
            continue;
        if (x > at.back())
            break;
        while (j + 1 < at.size() && at[j + 1] < x)
            ++j;
        double v;
        if (at[j] == x) {
            v = value[j];
        } else if (at[j + 1] == x) {
            v = value[j + 1];
        } else {
            const std::int64_t a = at[j];
            const std::int64_t b = at[j + 1];
            if (b - a > gapSeconds)
                continue;
            v = value[j] + (value[j + 1] - value[j]) * double(x - a) / double(b - a);
        }
        m_values[k] = v;
        ++m_filled;
    }
}
