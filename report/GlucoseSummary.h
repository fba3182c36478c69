// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef GLUCOSESUMMARY_H
#define GLUCOSESUMMARY_H

#include "GlucoseStatistics.h"
#include "GlucoseUnit.h"
#include "TreatmentStatistics.h"

#include <QCoreApplication>
#include <QString>

#include <limits>

#include <vector>

// The statistics as the lines a person reads, the same in the panel and in
// the report: each figure with its value and, where the consensus sets
// one, its target and whether it is met.
class GlucoseSummary
{
    Q_DECLARE_TR_FUNCTIONS(GlucoseSummary)

public:
    enum State { NoTarget, Met, Missed };

    struct Line
    {
        QString label;
        QString value;
        QString target;
        State state = NoTarget;
        // What the figure measures, or why it is not shown.
        QString tooltip;
        // The change since the period before: "▲ 12", "▼ 0.4", "=".
        QString change;
        // A section's title, and a figure a meter's readings cannot give.
        bool heading = false;
        bool greyed = false;
        // The figure as a number in the unit shown, for the change; NaN for none.
        double number = std::numeric_limits<double>::quiet_NaN();
        int decimals = 0;
    };

    // With the period before, each figure that both have carries its change,
    // judged on the values as shown. With treatments, the last HbA1c stands
    // beside GMI and insulin, carbohydrates and activity a day follow.
    static std::vector<Line> lines(const GlucoseStatistics &statistics, GlucoseUnit::Unit unit,
        const GlucoseStatistics *previous = nullptr,
        const TreatmentStatistics *treatments = nullptr,
        const TreatmentStatistics *previousTreatments = nullptr);
    // The change from one value to another as shown with decimals: "=",
    // "▲ 1.2" or "▼ 3"; empty when either is NaN.
    static QString change(double now, double before, int decimals);
    // The period's days as text: "14 days: 2024-03-01 – 2024-03-14".
    static QString period(const GlucoseStatistics &statistics);
    // The heading of a meter's ranges, which stay with the main figures.
    static QString readingsInRange() { return tr("% of readings in range"); }
    // The period before as text, for the change column's heading.
    static QString previousPeriod(const GlucoseStatistics &previous);
    // Empty when the data meet the consensus; otherwise what is lacking.
    static QString insufficiency(const GlucoseStatistics &statistics);
};

#endif
