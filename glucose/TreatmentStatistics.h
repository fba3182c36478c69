// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef TREATMENTSTATISTICS_H
#define TREATMENTSTATISTICS_H

#include "GlucosePeriod.h"
#include "glucose_export.h"

class GlucoseStatistics;

#include <QDate>
#include <QTime>

#include <vector>

// What the diabetes day holds besides glucose, over the days of a period:
// insulin, carbohydrates and activity a day, each a mean over the days of
// the period that have any, and the last HbA1c. Means over no day are NaN.
class GLUCOSE_EXPORT TreatmentStatistics
{
public:
    struct Treatment
    {
        enum Kind { Bolus, Basal, Carbs, Activity, HbA1c };
        QDate date;
        QTime time;
        Kind kind = Bolus;
        double amount = 0; // units, grams, minutes or percent
    };

    TreatmentStatistics() = default;
    // A period of kind Between or All is taken as it is; the last days end
    // on the newest treatment's day.
    TreatmentStatistics(const std::vector<Treatment> &treatments, const GlucosePeriod &period);
    // Beside the glucose figures of the period: over their days, so that
    // both speak of the same days, or over the period's own when it holds
    // no reading.
    TreatmentStatistics(const std::vector<Treatment> &treatments, const GlucoseStatistics &glucose,
        const GlucosePeriod &period);

    int insulinDays() const { return insulin.days; }
    int doses() const { return insulin.count; }
    double insulinPerDay() const { return insulin.perDay(); }
    double bolusPerDay() const { return perDay(bolus, insulin.days); }
    double basalPerDay() const { return perDay(basal, insulin.days); }

    int carbDays() const { return carbs.days; }
    int carbEntries() const { return carbs.count; }
    double gramsPerDay() const { return carbs.perDay(); }

    int activityDays() const { return activity.days; }
    double minutesPerDay() const { return activity.perDay(); }

    // The newest HbA1c on or before the period's last day; an invalid date when none.
    QDate lastHbA1cDate() const { return hba1cDate; }
    double lastHbA1c() const { return hba1c; }

private:
    struct Sum
    {
        int days = 0;
        int count = 0;
        double total = 0;
        double perDay() const { return TreatmentStatistics::perDay(total, days); }
    };
    static double perDay(double total, int days);

    Sum insulin;
    Sum carbs;
    Sum activity;
    double bolus = 0;
    double basal = 0;
    QDate hba1cDate;
    QTime hba1cTime;
    double hba1c = 0;
};

#endif
