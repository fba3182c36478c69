// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "GlucoseDistribution.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
constexpr double noValue = std::numeric_limits<double>::quiet_NaN();
} // namespace

GlucoseDistribution::GlucoseDistribution(std::vector<int> values)
    : m_count(values.size())
{
    if (values.empty())
        return;
    const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
    m_lowest = *lo;
    for (const int v : values)
        m_sum += v;
    if (std::int64_t(*hi) - *lo < countedRange) {
        m_counts.assign(std::size_t(*hi - *lo) + 1, 0);
        for (const int v : values)
            ++m_counts[std::size_t(v - m_lowest)];
    } else {
        std::sort(values.begin(), values.end());
        m_sorted = std::move(values);
    }
}

GlucoseDistribution::GlucoseDistribution(int lowest, std::vector<std::uint32_t> counts)
    : m_lowest(lowest)
    , m_counts(std::move(counts))
{
    for (std::size_t i = 0; i < m_counts.size(); ++i) {
        m_count += m_counts[i];
        m_sum += std::int64_t(m_counts[i]) * (std::int64_t(lowest) + std::int64_t(i));
    }
}

double GlucoseDistribution::mean() const
{
    return m_count ? double(m_sum) / double(m_count) : noValue;
}

double GlucoseDistribution::sd() const
{
    if (m_count < 2)
        return noValue;
    const double m = mean();
    double squares = 0;
    if (m_sorted.empty()) {
        for (std::size_t i = 0; i < m_counts.size(); ++i) {
            const double d = double(m_lowest) + double(i) - m;
            squares += double(m_counts[i]) * d * d;
        }
    } else {
        for (const int v : m_sorted)
            squares += (v - m) * (v - m);
    }
    return std::sqrt(squares / double(m_count - 1));
}

double GlucoseDistribution::quantile(double p) const
{
    if (m_count == 0)
        return noValue;
    const double h = double(m_count - 1) * std::clamp(p, 0.0, 1.0);
    const auto k = std::size_t(std::floor(h));
    const double low = at(k);
    if (k + 1 >= m_count)
        return low;
    return low + (h - double(k)) * (double(at(k + 1)) - low);
}

int GlucoseDistribution::at(std::size_t k) const
{
    if (!m_sorted.empty())
        return m_sorted[k];
    std::size_t seen = 0;
    for (std::size_t i = 0; i < m_counts.size(); ++i) {
        seen += m_counts[i];
        if (seen > k)
            return m_lowest + int(i);
    }
    return m_lowest + int(m_counts.size()) - 1;
}
