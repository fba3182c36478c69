// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef GLUCOSELOGBOOK_H
#define GLUCOSELOGBOOK_H

#include "GlucoseReading.h"
#include "GlucoseUnit.h"
#include "TreatmentStatistics.h"
#include "glucose_export.h"

#include <QDate>
#include <QString>
#include <QTime>

#include <array>
#include <vector>

// The readings as a meter's logbook lays them out: one row a day, a column
// for each time slot of the day, each cell the slot's readings with the
// insulin and carbohydrates of that slot. A reading whose type names a
// slot ("pre-lunch", "bedtime", ...) goes there; any other goes by its time.
class GLUCOSE_EXPORT GlucoseLogbook
{
public:
    enum Slot {
        Night,
        PreBreakfast,
        PostBreakfast,
        PreLunch,
        PostLunch,
        PreDinner,
        PostDinner,
        Bedtime
    };
    static constexpr int slotCount = Bedtime + 1;
    // A cell of more readings than this, a sensor's, shows their lowest and highest.
    static constexpr int listedReadings = 3;

    struct Cell
    {
        int count = 0;
        int lowest = 0;
        int highest = 0;
        // The first readings in time order, whole mg/dL.
        std::array<int, listedReadings> first {};
        double bolus = 0;
        double basal = 0;
        double carbs = 0;
        int doses = 0;
        int meals = 0;
    };
    struct Day
    {
        QDate date;
        std::array<Cell, slotCount> cells;
    };

    // One piece of a cell's text: a reading, coloured by its band, or what
    // stands between readings (mgPerDl 0).
    struct Piece
    {
        QString text;
        int mgPerDl = 0;
    };

    GlucoseLogbook() = default;
    // The days from first to last, both inclusive, each with its readings.
    GlucoseLogbook(
        const std::vector<GlucoseReading> &readings, const QDate &first, const QDate &last);
    // Doses and carbohydrates on days outside the logbook are left out.
    void addInsulin(const QDate &date, const QTime &time, double units, bool basal);
    void addCarbs(const QDate &date, const QTime &time, double grams);
    // The doses and carbohydrates among treatments of any kind.
    void addTreatments(const std::vector<TreatmentStatistics::Treatment> &treatments);

    const std::vector<Day> &days() const { return m_days; }
    // The row of a date, or -1 when the logbook does not hold it.
    int rowOf(const QDate &date) const;

    static Slot slotOf(const GlucoseReading &reading);
    static Slot slotOfTime(const QTime &time);
    // The hour a slot begins at, when its reading type does not say.
    static int startHour(Slot slot);
    // The meal a slot belongs to ("Breakfast"), and "before" or "after"
    // for a slot beside a meal, else an empty string.
    static QString mealName(Slot slot);
    static QString mealSide(Slot slot);

    // The readings of a cell: "104 126", or "86–212" for a sensor's many.
    static std::vector<Piece> readingPieces(const Cell &cell, GlucoseUnit::Unit unit);
    static QString readingsText(const Cell &cell, GlucoseUnit::Unit unit);
    // "8 u", "20 u basal", "8 u, 20 u basal"; empty without a dose.
    static QString insulinText(const Cell &cell);
    // "40 g"; empty without carbohydrates.
    static QString carbsText(const Cell &cell);
    // Both, as "8 u · 40 g"; empty without either.
    static QString treatmentsText(const Cell &cell);
    static QString treatmentsSeparator() { return QStringLiteral(" · "); }
    // An amount to a tenth, without trailing zeros: "8", "4.5".
    static QString amount(double value);

private:
    Cell *cellAt(const QDate &date, const QTime &time);

    std::vector<Day> m_days;
};

#endif
