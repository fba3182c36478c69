// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef GLUCOSESTATISTICS_H
#define GLUCOSESTATISTICS_H

#include "GlucoseEpisodes.h"
#include "GlucosePeriod.h"
#include "GlucoseReading.h"
#include "GlucoseVariability.h"
#include "glucose_export.h"

#include <QDate>

#include <array>
#include <limits>
#include <vector>

// The glucose summary of a period, per the consensus on time in range:
// mean, variability, GMI, the five bands with their targets, GRI and the
// quartiles. Figures that the readings cannot give (a mean of none, an SD
// of one) are NaN.
class GLUCOSE_EXPORT GlucoseStatistics
{
public:
    // Slices of the readings that sum to 100 %: < 54, 54-69, 70-180,
    // 181-250 and > 250 mg/dL.
    enum Band { VeryLow, Low, InRange, High, VeryHigh };
    static constexpr int bandCount = 5;
    // The consensus targets; the two middle bands of each side share one.
    enum Target {
        VeryLowTarget,
        BelowRangeTarget,
        InRangeTarget,
        AboveRangeTarget,
        VeryHighTarget,
        VariabilityTarget
    };
    static constexpr int targetCount = 6;

    // The data the consensus needs: 14 days and 70 % of the possible readings.
    static constexpr int sufficientDays = 14;
    static constexpr double sufficientActivePercent = 70;
    // Readings further apart than this, at the median, come from a meter.
    static constexpr double meterGapMinutes = 30;

    // The quarters of a day a meter journal is looked at by.
    enum TimeOfDay { Night, Morning, Afternoon, Evening };
    static constexpr int timeOfDayCount = 4;
    static TimeOfDay timeOfDayOf(const QTime &time);

    // The readings of one kind of moment: count, mean and sample SD.
    struct Group
    {
        int count = 0;
        double mean = std::numeric_limits<double>::quiet_NaN();
        double sd = std::numeric_limits<double>::quiet_NaN();
    };

    GlucoseStatistics() = default;
    GlucoseStatistics(const std::vector<GlucoseReading> &readings, const GlucosePeriod &period);

    // The days the period covers; invalid when it covers none.
    QDate periodStart() const { return m_periodStart; }
    QDate periodEnd() const { return m_periodEnd; }

    // Readings used, and readings in the period without a usable value.
    int count() const { return m_count; }
    int ignored() const { return m_ignored; }
    QDate firstDay() const { return m_firstDay; }
    QDate lastDay() const { return m_lastDay; }
    int daysWithReadings() const { return m_days; }
    // The share of the possible readings that are there, as iglu computes it.
    double activePercent() const { return m_active; }
    bool isSufficient() const;
    // The median time between readings; sparse readings are a meter's,
    // whose figures are shares of readings, not of time.
    double medianGapMinutes() const { return m_medianGap; }
    bool isMeter() const { return m_count < 2 || m_medianGap > meterGapMinutes; }
    // Readings over the days of the period.
    double readingsPerDay() const;
    int countBelow70() const { return m_below70; }
    int countBelow54() const { return m_below54; }
    int countAbove250() const { return m_above250; }
    const Group &byType(GlucoseReading::Type type) const { return m_byType[type]; }
    const Group &byTimeOfDay(TimeOfDay part) const { return m_byTimeOfDay[part]; }

    const GlucoseVariability &variability() const { return m_variability; }
    const GlucoseEpisodes &episodes() const { return m_episodes; }

    double mean() const { return m_mean; }
    double sd() const { return m_sd; }
    double cv() const { return m_cv; }
    double gmiPercent() const { return m_gmiPercent; }
    double gmiMmolPerMol() const { return m_gmiMmolPerMol; }
    double gri() const { return m_gri; }

    double bandPercent(Band band) const { return m_bands[band]; }
    // The band percentages rounded to whole numbers that still sum to 100
    // (largest remainder); all 0 without readings.
    std::array<int, bandCount> roundedBandPercents() const;
    // The band a value in whole mg/dL is in.
    static Band bandOf(int mgPerDl);
    // The mg/dL range of a band: the lowest and highest value inside it.
    static int bandLowest(Band band);
    static int bandHighest(Band band);

    // The measured percent a target is about, its limit, whether the limit
    // is a maximum (else a minimum), and whether the readings meet it.
    double targetValue(Target target) const;
    static double targetLimit(Target target);
    static bool targetIsMaximum(Target target);
    bool targetMet(Target target) const;

    double minimum() const { return m_quantiles[0]; }
    double firstQuartile() const { return m_quantiles[1]; }
    double median() const { return m_quantiles[2]; }
    double thirdQuartile() const { return m_quantiles[3]; }
    double maximum() const { return m_quantiles[4]; }

private:
    static constexpr double nan = std::numeric_limits<double>::quiet_NaN();

    QDate m_periodStart;
    QDate m_periodEnd;
    int m_count = 0;
    int m_ignored = 0;
    QDate m_firstDay;
    QDate m_lastDay;
    int m_days = 0;
    double m_active = 0;
    double m_medianGap = 0;
    int m_below70 = 0;
    int m_below54 = 0;
    int m_above250 = 0;
    std::array<Group, GlucoseReading::typeCount> m_byType {};
    std::array<Group, timeOfDayCount> m_byTimeOfDay {};
    GlucoseVariability m_variability;
    GlucoseEpisodes m_episodes;
    double m_mean = nan;
    double m_sd = nan;
    double m_cv = nan;
    double m_gmiPercent = nan;
    double m_gmiMmolPerMol = nan;
    double m_gri = nan;
    std::array<double, bandCount> m_bands {};
    std::array<double, 5> m_quantiles { nan, nan, nan, nan, nan };
};

#endif
