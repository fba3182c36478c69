// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef GLUCOSEVARIABILITY_H
#define GLUCOSEVARIABILITY_H

#include "GlucoseGrid.h"
#include "GlucoseReading.h"
#include "glucose_export.h"

#include <functional>
#include <limits>
#include <vector>

// How much glucose moves, in the measures iglu computes with its default
// arguments: MAGE (moving averages of 5 and 32 points, excursions above
// one SD, gaps over 3 hours apart), MODD, CONGA, MAG and GVP on the grid,
// the risk indices, J-index and COGI on the readings themselves. A figure
// the data cannot give is NaN.
class GLUCOSE_EXPORT GlucoseVariability
{
public:
    GlucoseVariability() = default;
    // Readings in time order, all usable, and their grid.
    GlucoseVariability(const std::vector<GlucoseReading> &inOrder, const GlucoseGrid &grid);
    // The same for count readings that stand one after the other.
    GlucoseVariability(const GlucoseReading *inOrder, std::size_t count, const GlucoseGrid &grid);
    // The same with MAGE as findMage() gives it, called once the other
    // figures are worked out: for a caller that works MAGE out elsewhere,
    // with mageOnFiveMinutes().
    GlucoseVariability(const GlucoseReading *inOrder, std::size_t count, const GlucoseGrid &grid,
        const std::function<double()> &findMage);
    // MAGE of readings on their grid of 5 minutes, the grid MAGE is always
    // found on.
    static double mageOnFiveMinutes(const GlucoseGrid &fiveMinutes);

    double mage() const { return m_mage; }
    double modd() const { return m_modd; }
    // CONGA over 24 hours, and over any other number of hours.
    double conga() const { return m_conga; }
    static double conga(const GlucoseGrid &grid, double hours);
    double lbgi() const { return m_lbgi; }
    double hbgi() const { return m_hbgi; }
    double adrr() const { return m_adrr; }
    double jIndex() const { return m_jIndex; }
    double mag() const { return m_mag; }
    double cogi() const { return m_cogi; }
    double gvp() const { return m_gvp; }

private:
    static constexpr double nan = std::numeric_limits<double>::quiet_NaN();

    double m_mage = nan;
    double m_modd = nan;
    double m_conga = nan;
    double m_lbgi = nan;
    double m_hbgi = nan;
    double m_adrr = nan;
    double m_jIndex = nan;
    double m_mag = nan;
    double m_cogi = nan;
    double m_gvp = nan;
};

#endif
