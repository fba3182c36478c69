// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "GlucoseEpisodes.h"

#include <cmath>

int GlucoseEpisodes::level(Kind kind)
{
    static constexpr int levels[kindCount] = { 70, 54, 70, 180, 250 };
    return levels[kind];
}

double GlucoseEpisodes::perDay(Kind kind) const
{
    return m_days > 0 ? m_count[kind] / m_days : 0;
}

GlucoseEpisodes::GlucoseEpisodes(const GlucoseGrid &grid)
{
    const std::vector<double> &g = grid.values();
    const int step = grid.step();
    if (g.empty() || step <= 0)
        return;
    m_days = double(grid.filled()) * step / 1440;
    const auto points
        = [step](int minutes) { return std::size_t(std::ceil(double(minutes) / step)); };
    const std::size_t n = g.size();
    for (int k = 0; k < kindCount; ++k) {
        const auto kind = Kind(k);
        const double threshold = level(kind);
        const auto beyond
            = [&](std::size_t i) { return isHypo(kind) ? g[i] < threshold : g[i] > threshold; };
        const std::size_t begin = points(kind == HypoExtended ? 120 : 15);
        const std::size_t end = points(15);
        double total = 0;
        std::size_t i = 0;
        while (i < n) {
            std::size_t run = 0;
            while (i + run < n && run < begin && beyond(i + run))
                ++run;
            if (run < begin) {
                i += run + 1;
                continue;
            }
            // In an episode: it lasts to the last point beyond the level
            // before a return long enough, or to the edge of a gap.
            std::size_t last = i + run - 1;
            std::size_t j = last + 1;
            while (j < n && !std::isnan(g[j])) {
                if (beyond(j)) {
                    last = j++;
                    continue;
                }
                std::size_t back = j;
                while (back < n && !std::isnan(g[back]) && !beyond(back))
                    ++back;
                if (back - j >= end)
                    break;
                last = back - 1;
                j = back;
            }
            ++m_count[k];
            total += double(last - i + 1) * step;
            i = last + 1;
        }
        m_minutes[k] = m_count[k] ? total / m_count[k] : 0;
    }
}
