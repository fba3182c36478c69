// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef GLUCOSEDISTRIBUTION_H
#define GLUCOSEDISTRIBUTION_H

#include <cstdint>
#include <vector>

// Whole values in order, for percentiles, the mean and the SD. Values that
// span a small range are counted, which is linear; others are sorted.
class GlucoseDistribution
{
public:
    explicit GlucoseDistribution(std::vector<int> values);
    // From counts already made: counts[i] values of lowest + i.
    GlucoseDistribution(int lowest, std::vector<std::uint32_t> counts);

    // The widest range of values that is counted rather than sorted.
    static constexpr std::int64_t countedRange = 1 << 14;

    std::size_t count() const { return m_count; }
    double mean() const;
    // The sample SD, with n - 1; NaN under two values.
    double sd() const;
    // R's type 7: linear between the order statistics; NaN when empty.
    double quantile(double p) const;

private:
    // The k-th smallest value, from 0.
    int at(std::size_t k) const;

    std::size_t m_count = 0;
    std::int64_t m_sum = 0;
    // Counted: m_counts[v - m_lowest]; sorted: m_sorted.
    int m_lowest = 0;
    std::vector<std::uint32_t> m_counts;
    std::vector<int> m_sorted;
};

#endif
