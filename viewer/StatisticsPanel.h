// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#ifndef STATISTICSPANEL_H
#define STATISTICSPANEL_H

#include "GlucosePeriod.h"
#include "GlucoseProfile.h"
#include "GlucoseReading.h"
#include "GlucoseStatistics.h"
#include "GlucoseUnit.h"
#include "TreatmentStatistics.h"

#include <QDate>
#include <QWidget>

#include <functional>
#include <vector>

class ChartWidget;
class QComboBox;
class QDateEdit;
class QLabel;
class QScrollArea;
class QTreeWidget;

// The glucose summary of a journal beside its list: the period, the
// figures against their targets, a warning when the data are too few, the
// bands, the daily profile and one day's curve, with the journal's
// insulin, carbohydrates, activity and HbA1c beside them.
class StatisticsPanel : public QWidget
{
    Q_OBJECT

public:
    explicit StatisticsPanel(QWidget *parent = nullptr);

    using Treatment = TreatmentStatistics::Treatment;
    // The readings of the days from and to, both included, in time order;
    // invalid days leave both ends open, undated readings first.
    using Source = std::function<std::vector<GlucoseReading>(const QDate &from, const QDate &to)>;
    // The journal: where its readings come from, a reading of each day
    // that has any (GlucosePeriod::addDay) and its treatments; called again
    // whenever the journal changes. The panel asks for the days its figures
    // need rather than holding a million readings.
    void setJournal(
        Source source, std::vector<GlucoseReading> days, std::vector<Treatment> treatments = {});
    // The same from all of a journal's readings.
    void setReadings(std::vector<GlucoseReading> readings, std::vector<Treatment> treatments = {});
    // The readings of the period and of the one before it, in time order.
    const std::vector<GlucoseReading> &readings() const { return near; }
    const std::vector<Treatment> &treatments() const { return allTreatments; }

    void setUnit(GlucoseUnit::Unit unit);
    GlucoseUnit::Unit unit() const { return shownUnit; }

    // Last 14 days until the user picks another.
    void setPeriod(const GlucosePeriod &period);
    GlucosePeriod period() const { return chosen; }
    const GlucoseStatistics &statistics() const { return stats; }

    // The day whose readings the day chart shows; until one is chosen it
    // is the newest day of the journal.
    void showDay(const QDate &day);
    QDate shownDay() const { return day; }

Q_SIGNALS:
    void periodChanged(const GlucosePeriod &period);

private:
    void choosePeriod(int index);
    void chooseDates();
    void recompute();
    void refreshDay();
    void refreshTexts();

    Source source;
    std::vector<GlucoseReading> days;
    std::vector<GlucoseReading> near;
    std::vector<Treatment> allTreatments;
    GlucoseUnit::Unit shownUnit = GlucoseUnit::MgPerDl;
    GlucosePeriod chosen = GlucosePeriod::lastDays(14);
    GlucoseStatistics stats;
    // The period of the same length before, for the change of each figure.
    GlucoseStatistics before;
    TreatmentStatistics treated;
    TreatmentStatistics treatedBefore;
    GlucoseProfile profile;
    QDate day;
    bool dayChosen = false;
    std::vector<GlucoseReading> dayReadings;
    std::vector<Treatment> dayTreatments;

    QComboBox *periods;
    QWidget *dates;
    QDateEdit *from;
    QDateEdit *to;
    QLabel *periodText;
    QLabel *warning;
    QTreeWidget *figures;
    QScrollArea *scroll;
    ChartWidget *bands;
    ChartWidget *profileChart;
    QLabel *dayTitle;
    ChartWidget *dayChart;
};

#endif
