// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef GLUCOSEEPISODES_H
#define GLUCOSEEPISODES_H

#include "GlucoseGrid.h"
#include "glucose_export.h"

#include <array>

// Hypo- and hyperglycaemic episodes on the grid, as iglu's
// episode_calculation counts them with its defaults: an episode begins
// with 15 minutes beyond its level (120 minutes for an extended hypo) and
// ends with 15 minutes back, or where the grid has a gap.
class GLUCOSE_EXPORT GlucoseEpisodes
{
public:
    enum Kind { HypoLevel1, HypoLevel2, HypoExtended, HyperLevel1, HyperLevel2 };
    static constexpr int kindCount = 5;

    GlucoseEpisodes() = default;
    explicit GlucoseEpisodes(const GlucoseGrid &grid);

    int count(Kind kind) const { return m_count[kind]; }
    // Minutes from the first point beyond the level to the last; 0 without episodes.
    double meanMinutes(Kind kind) const { return m_minutes[kind]; }
    double perDay(Kind kind) const;
    double perWeek(Kind kind) const { return 7 * perDay(kind); }
    // The days the grid holds values for, the measure of "per day".
    double days() const { return m_days; }

    // "< 70", "> 250" … in mg/dL.
    static int level(Kind kind);
    static bool isHypo(Kind kind) { return kind <= HypoExtended; }

private:
    std::array<int, kindCount> m_count {};
    std::array<double, kindCount> m_minutes {};
    double m_days = 0;
};

#endif
