// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef GLUCOSESUMMARY_H
#define GLUCOSESUMMARY_H

#include "GlucoseStatistics.h"
#include "GlucoseUnit.h"

#include <QCoreApplication>
#include <QString>

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
    };

    static std::vector<Line> lines(const GlucoseStatistics &statistics, GlucoseUnit::Unit unit);
    // The period's days as text: "14 days: 2024-03-01 – 2024-03-14".
    static QString period(const GlucoseStatistics &statistics);
    // Empty when the data meet the consensus; otherwise what is lacking.
    static QString insufficiency(const GlucoseStatistics &statistics);
};

#endif
