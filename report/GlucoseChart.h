// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef GLUCOSECHART_H
#define GLUCOSECHART_H

#include "GlucoseLogbook.h"
#include "GlucoseProfile.h"
#include "GlucoseReading.h"
#include "GlucoseStatistics.h"
#include "GlucoseUnit.h"
#include "TreatmentStatistics.h"

#include <QColor>
#include <QCoreApplication>
#include <QRectF>

#include <vector>

class QPainter;

// The glucose charts, painted into a given rectangle of any paint device:
// the panel's widgets, a PNG and a PDF page all use these. Sizes follow the
// rectangle and the painter's font, so one code serves a dock and a page.
class GlucoseChart
{
    Q_DECLARE_TR_FUNCTIONS(GlucoseChart)

public:
    // The usual band colours: dark red, red, green, yellow, orange.
    static QColor bandColour(GlucoseStatistics::Band band);
    // "< 54", "70–180" … in the unit, as the consensus writes them.
    static QString bandRange(GlucoseStatistics::Band band, GlucoseUnit::Unit unit);
    static QString bandName(GlucoseStatistics::Band band);

    // One vertical bar stacked from very low at the bottom to very high at
    // the top, each slice as tall as its share, labelled with its name,
    // range and percentage on the right. The bar takes the left quarter.
    static void paintBands(QPainter *painter, const QRectF &rect,
        const GlucoseStatistics &statistics, GlucoseUnit::Unit unit);
    // The bar's own rectangle inside rect, where paintBands puts it.
    static QRectF bandsBar(const QRectF &rect);

    // The profile over 0-24 h: the 5-95 and 25-75 % bands, the median and
    // lines at 70 and 180 mg/dL; bins without readings leave a gap.
    static void paintProfile(QPainter *painter, const QRectF &rect, const GlucoseProfile &profile,
        GlucoseUnit::Unit unit);

    // How a day is drawn: compact without axis labels, for small multiples;
    // on a scale that holds its highest reading, or the highest given, so
    // that small multiples share one; a meter's readings as points, since
    // nothing is known of the hours between them.
    struct DayStyle
    {
        bool compact = false;
        double highest = 0;
        bool points = false;
    };
    // A day's readings in time order over 0-24 h on the target band: a
    // curve that gaps over an hour break, lone readings as dots, or only
    // points, each on the colour of its range. The day's insulin doses hang
    // from the top at their times, filled for a bolus, open for basal, and
    // its carbohydrates stand on the bottom; unless compact, with amounts.
    static void paintDay(QPainter *painter, const QRectF &rect,
        const std::vector<GlucoseReading> &readings, GlucoseUnit::Unit unit, const DayStyle &style,
        const std::vector<TreatmentStatistics::Treatment> &treatments = {});
    // The half width of a dose's or carbohydrates' mark on a day of that plot.
    static double markSize(const QRectF &plot, bool compact);

    // The text on a band's colour: white on the dark ones, black on yellow and orange.
    static QColor bandTextColour(GlucoseStatistics::Band band);
    // One cell of the logbook: its readings on their band colours, and
    // below them the insulin and carbohydrates of the slot, each line
    // made smaller where the cell is narrow.
    static void paintLogbookCell(QPainter *painter, const QRectF &rect,
        const GlucoseLogbook::Cell &cell, GlucoseUnit::Unit unit);
    // The whole logbook as a table: a day a row under the slots' headings,
    // rows as tall as the rectangle allows, at most a few lines. Returns
    // the bottom of the table.
    static double paintLogbook(QPainter *painter, const QRectF &rect, const GlucoseLogbook &logbook,
        GlucoseUnit::Unit unit);
    // The marks of insulin and of carbohydrates, in the logbook and on the curves.
    static QColor insulinColour();
    static QColor carbsColour();

    // The plot area of a profile or day chart inside rect, without the axes.
    static QRectF plotArea(const QRectF &rect, const QPainter *painter, bool compact = false);
    // The mg/dL at the top of the value axis, at the least; higher values
    // raise it to the next 50 above them.
    static constexpr int axisTop = 350;
    static int axisTopFor(double highestMgPerDl);
    static double highestOf(const std::vector<GlucoseReading> &readings);
};

#endif
