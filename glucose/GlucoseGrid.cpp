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
    : GlucoseGrid(inOrder.data(), inOrder.size(), stepMinutes, gapMinutes)
{ }

GlucoseGrid::GlucoseGrid(
    const GlucoseReading *inOrder, std::size_t count, int stepMinutes, int gapMinutes)
{
    if (count == 0)
        return;
    if (stepMinutes <= 0) {
        std::vector<std::int64_t> all;
        all.reserve(count);
        for (std::size_t i = 0; i < count; ++i)
            all.push_back(secondsOf(inOrder[i]));
        // A minute is the least a clock shows; a day the most a grid holds.
        stepMinutes = int(std::clamp(std::nearbyint(medianGapMinutes(all)), 1.0, 1440.0));
    }
    m_step = stepMinutes;
    const std::int64_t front = secondsOf(inOrder[0]);
    const std::int64_t back = secondsOf(inOrder[count - 1]);
    const std::int64_t first = front - front % secondsPerDay;
    m_firstDay = QDate::fromJulianDay(first / secondsPerDay);
    // As iglu counts them: the span in days, plus one, rounded up.
    m_days = int(std::ceil(double(back - front) / secondsPerDay + 1));
    m_perDay = std::max(1, minutesPerDay / m_step);
    const std::size_t points = std::size_t(std::int64_t(m_days) * minutesPerDay / m_step);
    // Readings decades apart would make a grid of hundreds of megabytes:
    // such a journal has no grid, and the figures on it are not known.
    if (points > maxPoints) {
        m_days = 0;
        return;
    }
    m_values.assign(points, std::numeric_limits<double>::quiet_NaN());

    // Point k lies at first + (k + 1) steps. Each moment, its readings
    // taken as their mean, gives the points after the moment before it up
    // to itself: its own value on it, a straight line between the two
    // before it unless they are more than a gap apart.
    const std::int64_t stepSeconds = std::int64_t(m_step) * 60;
    const std::int64_t gapSeconds = std::int64_t(gapMinutes) * 60;
    std::size_t k = std::size_t(std::max<std::int64_t>(0, (front - first) / stepSeconds - 1));
    const auto at
        = [&](std::size_t point) { return first + stepSeconds * std::int64_t(point + 1); };
    while (k < points && at(k) < front)
        ++k;
    // The first moment gives only the point on it, if one is.
    std::int64_t a = front;
    double va = 0;
    const auto reach = [&](std::int64_t b, double vb) {
        for (; k < points && at(k) <= b; ++k) {
            const std::int64_t x = at(k);
            if (x == b) {
                m_values[k] = vb;
            } else if (b - a > gapSeconds) {
                continue;
            } else {
                m_values[k] = va + (vb - va) * double(x - a) / double(b - a);
            }
            ++m_filled;
        }
        a = b;
        va = vb;
    };
    std::int64_t moment = front;
    double value = inOrder[0].value;
    int times = 1;
    for (std::size_t i = 1; i < count; ++i) {
        const std::int64_t s = secondsOf(inOrder[i]);
        if (s == moment) {
            value += (inOrder[i].value - value) / ++times;
            continue;
        }
        reach(moment, value);
        moment = s;
        value = inOrder[i].value;
        times = 1;
    }
    reach(moment, value);
}
