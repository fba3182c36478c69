// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "GlucoseChart.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

const QColor targetFill(232, 245, 233);
const QColor targetLine(46, 125, 50);
const QColor gridLine(210, 210, 210);
const QColor outerBand(179, 205, 227);
const QColor innerBand(100, 151, 177);
const QColor medianLine(3, 57, 108);
const QColor curveLine(31, 78, 121);

// The painter's state comes back as it was, whatever a chart sets.
class SavedPainter
{
public:
    explicit SavedPainter(QPainter *painter)
        : m_painter(painter)
    {
        m_painter->save();
    }
    ~SavedPainter() { m_painter->restore(); }
    SavedPainter(const SavedPainter &) = delete;
    SavedPainter &operator=(const SavedPainter &) = delete;

private:
    QPainter *m_painter;
};

double yOf(const QRectF &plot, double mgPerDl, int top)
{
    const double clamped = std::clamp(mgPerDl, 0.0, double(top));
    return plot.bottom() - plot.height() * clamped / top;
}

double xOfMinutes(const QRectF &plot, double minutes)
{
    return plot.left() + plot.width() * minutes / (24 * 60);
}

// The grid, the target lines and, unless compact, the labels of both axes.
void paintAxes(QPainter *painter, const QRectF &plot, int top, GlucoseUnit::Unit unit, bool compact)
{
    painter->setPen(QPen(gridLine, 0));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(plot);
    for (int hour = 3; hour < 24; hour += 3)
        painter->drawLine(QPointF(xOfMinutes(plot, hour * 60), plot.top()),
            QPointF(xOfMinutes(plot, hour * 60), plot.bottom()));
    for (const int level : { 54, 250 })
        painter->drawLine(QPointF(plot.left(), yOf(plot, level, top)),
            QPointF(plot.right(), yOf(plot, level, top)));
    painter->setPen(QPen(targetLine, compact ? 0 : 1.5));
    for (const int level : { 70, 180 })
        painter->drawLine(QPointF(plot.left(), yOf(plot, level, top)),
            QPointF(plot.right(), yOf(plot, level, top)));
    if (compact)
        return;

    painter->setPen(Qt::black);
    const QFontMetricsF metrics(painter->font());
    // Target lines first; the others only where they leave room.
    double taken[5];
    int labels = 0;
    for (const int level : { 70, 180, top, 54, 250 }) {
        const double y = yOf(plot, level, top);
        if (std::any_of(taken, taken + labels,
                [&](double other) { return std::abs(other - y) < metrics.height(); }))
            continue;
        taken[labels++] = y;
        const QString text = GlucoseUnit::format(level, unit);
        const QRectF box(plot.left() - metrics.horizontalAdvance(text) - metrics.height() / 3,
            yOf(plot, level, top) - metrics.height() / 2, metrics.horizontalAdvance(text),
            metrics.height());
        painter->drawText(box, Qt::AlignRight | Qt::AlignVCenter, text);
    }
    for (int hour = 0; hour <= 24; hour += 6) {
        const QString text = QStringLiteral("%1:00").arg(hour, 2, 10, QLatin1Char('0'));
        const double width = metrics.horizontalAdvance(text);
        const double x = std::clamp(xOfMinutes(plot, hour * 60) - width / 2,
            plot.left() - width / 2, plot.right() - width / 2);
        painter->drawText(QRectF(x, plot.bottom() + metrics.height() / 6, width, metrics.height()),
            Qt::AlignCenter, text);
    }
}

// The font scaled by a factor, whether it is sized in points or in pixels.
QFont scaledFont(QFont font, double factor);

// Insulin from the top of a day's plot, carbohydrates from its bottom, at
// their times; amounts beside them unless compact.
void paintMarks(QPainter *painter, const QRectF &plot,
    const std::vector<TreatmentStatistics::Treatment> &treatments, bool compact)
{
    using Treatment = TreatmentStatistics::Treatment;
    const double a = GlucoseChart::markSize(plot, compact);
    painter->setFont(scaledFont(painter->font(), 0.8));
    const QFontMetricsF metrics(painter->font());
    for (const Treatment &t : treatments) {
        const bool insulin = t.kind == Treatment::Bolus || t.kind == Treatment::Basal;
        if (!insulin && t.kind != Treatment::Carbs)
            continue;
        const QColor colour = insulin ? GlucoseChart::insulinColour() : GlucoseChart::carbsColour();
        const double x = xOfMinutes(plot, t.time.msecsSinceStartOfDay() / 60000.0);
        const double edge = insulin ? plot.top() : plot.bottom();
        const double tip = insulin ? edge + 1.6 * a : edge - 1.6 * a;
        const QPolygonF triangle { QPointF(x - a, edge), QPointF(x + a, edge), QPointF(x, tip) };
        const bool open = t.kind == Treatment::Basal;
        painter->setPen(open ? QPen(colour, std::max(1.0, a / 3)) : QPen(Qt::NoPen));
        painter->setBrush(open ? QBrush(Qt::NoBrush) : QBrush(colour));
        painter->drawPolygon(triangle);
        if (compact)
            continue;
        const QString text = GlucoseLogbook::amount(t.amount)
            + (insulin ? QStringLiteral(" u") : QStringLiteral(" g"));
        const double textWidth = metrics.horizontalAdvance(text);
        // Right of the mark, or left of it near the day's end.
        const double left
            = x + a + a / 3 + textWidth <= plot.right() ? x + a + a / 3 : x - a - a / 3 - textWidth;
        painter->setPen(colour);
        painter->drawText(
            QRectF(left, insulin ? edge : edge - metrics.height(), textWidth, metrics.height()),
            Qt::AlignLeft | Qt::AlignVCenter, text);
    }
}

// The font scaled by a factor, whether it is sized in points or in pixels.
QFont scaledFont(QFont font, double factor)
{
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * factor);
    else
        font.setPixelSize(std::max(1, int(std::lround(font.pixelSize() * factor))));
    return font;
}

// The factor that fits a width into room, down to a least one.
double fitting(double width, double room, double least = 0.6)
{
    return width > room && width > 0 ? std::max(least, room / width) : 1.0;
}

} // namespace

QColor GlucoseChart::bandColour(GlucoseStatistics::Band band)
{
    switch (band) {
    case GlucoseStatistics::VeryLow:
        return QColor(139, 0, 0);
    case GlucoseStatistics::Low:
        return QColor(229, 57, 53);
    case GlucoseStatistics::InRange:
        return QColor(67, 160, 71);
    case GlucoseStatistics::High:
        return QColor(253, 216, 53);
    case GlucoseStatistics::VeryHigh:
        return QColor(251, 140, 0);
    }
    return Qt::gray;
}

QString GlucoseChart::bandRange(GlucoseStatistics::Band band, GlucoseUnit::Unit unit)
{
    // The consensus's own mmol/L edges: 181 mg/dL would read 10.0, not 10.1.
    static const char *const mg[] = { "< 54", "54–69", "70–180", "181–250", "> 250" };
    static const char *const mmol[] = { "< 3.0", "3.0–3.8", "3.9–10.0", "10.1–13.9", "> 13.9" };
    return QString::fromUtf8(unit == GlucoseUnit::MmolPerL ? mmol[band] : mg[band]);
}

QString GlucoseChart::bandName(GlucoseStatistics::Band band)
{
    switch (band) {
    case GlucoseStatistics::VeryLow:
        return tr("Very low");
    case GlucoseStatistics::Low:
        return tr("Low");
    case GlucoseStatistics::InRange:
        return tr("In range");
    case GlucoseStatistics::High:
        return tr("High");
    case GlucoseStatistics::VeryHigh:
        return tr("Very high");
    }
    return QString();
}

QRectF GlucoseChart::bandsBar(const QRectF &rect)
{
    return QRectF(rect.left(), rect.top(), rect.width() / 4, rect.height());
}

void GlucoseChart::paintBands(QPainter *painter, const QRectF &rect,
    const GlucoseStatistics &statistics, GlucoseUnit::Unit unit)
{
    const SavedPainter saved(painter);
    const QRectF bar = bandsBar(rect);
    const QFontMetricsF metrics(painter->font());
    if (statistics.count() == 0) {
        painter->setPen(QPen(gridLine, 0));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(bar);
        painter->setPen(Qt::black);
        painter->drawText(rect.adjusted(bar.width() + metrics.height() / 2, 0, 0, 0),
            Qt::AlignLeft | Qt::AlignVCenter, tr("No readings"));
        return;
    }

    // Slices from the bottom up, each placed on the running total so that
    // rounding leaves no seam.
    double below = 0;
    double centres[GlucoseStatistics::bandCount];
    painter->setPen(Qt::NoPen);
    for (int b = 0; b < GlucoseStatistics::bandCount; ++b) {
        const auto band = GlucoseStatistics::Band(b);
        const double share = statistics.bandPercent(band) / 100;
        const double bottom = bar.bottom() - bar.height() * below;
        const double top = bar.bottom() - bar.height() * std::min(below + share, 1.0);
        painter->setBrush(bandColour(band));
        painter->drawRect(QRectF(bar.left(), top, bar.width(), bottom - top));
        centres[b] = (top + bottom) / 2;
        below += share;
    }

    // Labels at their slices' centres, pushed apart where slices are thin.
    const double line = metrics.height();
    double y[GlucoseStatistics::bandCount];
    for (int b = GlucoseStatistics::bandCount - 1; b >= 0; --b) {
        y[b] = std::max(centres[b], rect.top() + line / 2);
        if (b < GlucoseStatistics::bandCount - 1)
            y[b] = std::max(y[b], y[b + 1] + line);
    }
    for (int b = 0; b < GlucoseStatistics::bandCount; ++b) {
        y[b] = std::min(y[b], rect.bottom() - line / 2);
        if (b > 0)
            y[b] = std::min(y[b], y[b - 1] - line);
    }
    const auto percents = statistics.roundedBandPercents();
    painter->setPen(Qt::black);
    const double left = bar.right() + line / 2;
    for (int b = 0; b < GlucoseStatistics::bandCount; ++b) {
        const auto band = GlucoseStatistics::Band(b);
        // A slice that rounds to 0 but is there still shows that it is.
        const int shown = percents[std::size_t(b)];
        const QString share = shown == 0 && statistics.bandPercent(band) > 0
            ? QStringLiteral("< 1")
            : QString::number(shown);
        const QString text = tr("%1 %2: %3 %").arg(bandName(band), bandRange(band, unit), share);
        painter->drawText(QRectF(left, y[b] - line / 2, rect.right() - left, line),
            Qt::AlignLeft | Qt::AlignVCenter, text);
    }
}

QRectF GlucoseChart::plotArea(const QRectF &rect, const QPainter *painter, bool compact)
{
    if (compact)
        return rect.adjusted(1, 1, -1, -1);
    const QFontMetricsF metrics(painter->font());
    const double left = metrics.horizontalAdvance(QStringLiteral("00.0")) + metrics.height() / 2;
    const double half = metrics.horizontalAdvance(QStringLiteral("00:00")) / 2;
    return rect.adjusted(left, metrics.height() / 2, -half, -metrics.height() * 1.3);
}

void GlucoseChart::paintProfile(
    QPainter *painter, const QRectF &rect, const GlucoseProfile &profile, GlucoseUnit::Unit unit)
{
    const SavedPainter saved(painter);
    painter->setRenderHint(QPainter::Antialiasing);
    const QRectF plot = plotArea(rect, painter);
    double highest = 0;
    for (int b = 0; b < GlucoseProfile::binCount; ++b) {
        if (profile.bin(b).count > 0)
            highest = std::max(highest, profile.bin(b).p95);
    }
    const int top = axisTopFor(highest);
    const auto x
        = [&plot](int bin) { return xOfMinutes(plot, (bin + 0.5) * GlucoseProfile::binMinutes); };

    // Runs of bins with readings; a run of one bin is a point.
    std::vector<std::pair<int, int>> runs;
    for (int b = 0; b < GlucoseProfile::binCount; ++b) {
        if (profile.bin(b).count == 0)
            continue;
        if (!runs.empty() && runs.back().second == b - 1)
            runs.back().second = b;
        else
            runs.push_back({ b, b });
    }
    const auto band = [&](int first, int last, double GlucoseProfile::Bin::*low,
                          double GlucoseProfile::Bin::*high) {
        QPolygonF area;
        for (int b = first; b <= last; ++b)
            area << QPointF(x(b), yOf(plot, profile.bin(b).*high, top));
        for (int b = last; b >= first; --b)
            area << QPointF(x(b), yOf(plot, profile.bin(b).*low, top));
        return area;
    };
    painter->setPen(Qt::NoPen);
    for (const auto &[first, last] : runs) {
        if (first == last) {
            // A lone bin is as wide as a bin, so that it shows.
            const double halfBin = plot.width() / GlucoseProfile::binCount / 2;
            const GlucoseProfile::Bin &bin = profile.bin(first);
            painter->setBrush(outerBand);
            painter->drawRect(QRectF(QPointF(x(first) - halfBin, yOf(plot, bin.p95, top)),
                QPointF(x(first) + halfBin, yOf(plot, bin.p5, top))));
            painter->setBrush(innerBand);
            painter->drawRect(QRectF(QPointF(x(first) - halfBin, yOf(plot, bin.p75, top)),
                QPointF(x(first) + halfBin, yOf(plot, bin.p25, top))));
            continue;
        }
        painter->setBrush(outerBand);
        painter->drawPolygon(
            band(first, last, &GlucoseProfile::Bin::p5, &GlucoseProfile::Bin::p95));
        painter->setBrush(innerBand);
        painter->drawPolygon(
            band(first, last, &GlucoseProfile::Bin::p25, &GlucoseProfile::Bin::p75));
    }
    paintAxes(painter, plot, top, unit, false);
    painter->setPen(QPen(medianLine, std::max(1.5, rect.height() / 150)));
    painter->setBrush(Qt::NoBrush);
    for (const auto &[first, last] : runs) {
        QPolygonF median;
        for (int b = first; b <= last; ++b)
            median << QPointF(x(b), yOf(plot, profile.bin(b).p50, top));
        if (first == last)
            median << median.first() + QPointF(0.1, 0);
        painter->drawPolyline(median);
    }
    if (profile.count() == 0) {
        painter->setPen(Qt::black);
        painter->drawText(plot, Qt::AlignCenter, tr("No readings"));
    }
}

int GlucoseChart::axisTopFor(double highest)
{
    return std::max(axisTop, int(std::ceil(highest / 50)) * 50);
}

double GlucoseChart::highestOf(const std::vector<GlucoseReading> &readings)
{
    double highest = 0;
    for (const GlucoseReading &r : readings) {
        if (GlucosePeriod::isUsable(r))
            highest = std::max(highest, double(r.value));
    }
    return highest;
}

double GlucoseChart::markSize(const QRectF &plot, bool compact)
{
    return std::max(3.0, plot.height() / (compact ? 18 : 16));
}

void GlucoseChart::paintDay(QPainter *painter, const QRectF &rect,
    const std::vector<GlucoseReading> &readings, GlucoseUnit::Unit unit, const DayStyle &style,
    const std::vector<TreatmentStatistics::Treatment> &treatments)
{
    const SavedPainter saved(painter);
    painter->setRenderHint(QPainter::Antialiasing);
    const QRectF plot = plotArea(rect, painter, style.compact);
    const int top = axisTopFor(style.highest > 0 ? style.highest : highestOf(readings));
    painter->fillRect(QRectF(QPointF(plot.left(), yOf(plot, 180, top)),
                          QPointF(plot.right(), yOf(plot, 70, top))),
        targetFill);
    paintAxes(painter, plot, top, unit, style.compact);

    const auto point = [&plot, top](const GlucoseReading &r) {
        return QPointF(
            xOfMinutes(plot, r.time.msecsSinceStartOfDay() / 60000.0), yOf(plot, r.value, top));
    };
    const double width = std::max(style.compact ? 1.0 : 1.5, rect.height() / 120);
    if (style.points) {
        painter->setPen(QPen(curveLine, width / 2));
        for (const GlucoseReading &r : readings) {
            if (!GlucosePeriod::isUsable(r))
                continue;
            painter->setBrush(bandColour(GlucoseStatistics::bandOf(r.value)));
            painter->drawEllipse(point(r), width * 2.5, width * 2.5);
        }
    } else {
        painter->setPen(QPen(curveLine, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter->setBrush(curveLine);
        QPolygonF curve;
        QTime previous;
        const auto flush = [&] {
            if (curve.size() == 1)
                painter->drawEllipse(curve.first(), width * 1.5, width * 1.5);
            else if (curve.size() > 1)
                painter->drawPolyline(curve);
            curve.clear();
        };
        for (const GlucoseReading &r : readings) {
            if (!GlucosePeriod::isUsable(r))
                continue;
            if (!curve.isEmpty() && previous.secsTo(r.time) > 3600)
                flush();
            curve << point(r);
            previous = r.time;
        }
        flush();
    }
    paintMarks(painter, plot, treatments, style.compact);
}

QColor GlucoseChart::bandTextColour(GlucoseStatistics::Band band)
{
    return band == GlucoseStatistics::High || band == GlucoseStatistics::VeryHigh ? Qt::black
                                                                                  : Qt::white;
}

QColor GlucoseChart::insulinColour()
{
    return QColor(21, 101, 192);
}

QColor GlucoseChart::carbsColour()
{
    return QColor(141, 85, 36);
}

void GlucoseChart::paintLogbookCell(
    QPainter *painter, const QRectF &rect, const GlucoseLogbook::Cell &cell, GlucoseUnit::Unit unit)
{
    const SavedPainter saved(painter);
    painter->setRenderHint(QPainter::Antialiasing);
    const QFont base = painter->font();
    const QString insulin = GlucoseLogbook::insulinText(cell);
    const QString carbs = GlucoseLogbook::carbsText(cell);
    const QString both = GlucoseLogbook::treatmentsText(cell);
    const bool treated = !both.isEmpty();
    const double line = QFontMetricsF(base).height();
    // Both lines share the cell's height; one line stands in its middle.
    const double gap = treated && cell.count > 0 ? std::max(0.0, rect.height() - 2 * line) / 3
                                                 : std::max(0.0, rect.height() - line) / 2;
    double y = rect.top() + gap;

    if (cell.count > 0) {
        const std::vector<GlucoseLogbook::Piece> pieces = GlucoseLogbook::readingPieces(cell, unit);
        // Each reading on its band's colour, a little wider than its text.
        const auto widthOf = [&pieces](const QFontMetricsF &metrics) {
            const double pad = metrics.height() / 4;
            double width = 0;
            for (const GlucoseLogbook::Piece &p : pieces)
                width += p.mgPerDl > 0 ? metrics.horizontalAdvance(p.text) + 2 * pad
                                       : metrics.horizontalAdvance(p.text);
            return width;
        };
        QFont font = base;
        font = scaledFont(font, fitting(widthOf(QFontMetricsF(font)), rect.width() - 2));
        painter->setFont(font);
        const QFontMetricsF metrics(font);
        const double pad = metrics.height() / 4;
        double x = rect.center().x() - std::min(widthOf(metrics), rect.width() - 2) / 2;
        const double top = y + (line - metrics.height()) / 2;
        for (const GlucoseLogbook::Piece &p : pieces) {
            const double width = metrics.horizontalAdvance(p.text);
            if (p.mgPerDl > 0) {
                const auto band = GlucoseStatistics::bandOf(p.mgPerDl);
                const QRectF chip(x, top, width + 2 * pad, metrics.height());
                painter->setPen(Qt::NoPen);
                painter->setBrush(bandColour(band));
                painter->drawRoundedRect(chip, pad, pad);
                painter->setPen(bandTextColour(band));
                painter->drawText(chip, Qt::AlignCenter, p.text);
                x += chip.width();
            } else {
                painter->setPen(Qt::black);
                painter->drawText(QRectF(x, top, width, metrics.height()), Qt::AlignCenter, p.text);
                x += width;
            }
        }
        y += line + gap;
    }

    if (treated) {
        const QFont font = scaledFont(
            base, fitting(QFontMetricsF(base).horizontalAdvance(both), rect.width() - 2));
        painter->setFont(font);
        const QFontMetricsF metrics(font);
        const double width = std::min(metrics.horizontalAdvance(both), rect.width() - 2);
        double x = rect.center().x() - width / 2;
        const double right = x + width;
        const double top = y + (line - metrics.height()) / 2;
        const auto part = [&](const QString &text, const QColor &colour) {
            if (text.isEmpty() || x >= right)
                return;
            const QString shown = metrics.elidedText(text, Qt::ElideRight, right - x);
            painter->setPen(colour);
            painter->drawText(QRectF(x, top, right - x, metrics.height()),
                Qt::AlignLeft | Qt::AlignVCenter, shown);
            x += metrics.horizontalAdvance(shown);
        };
        part(insulin, insulinColour());
        if (!insulin.isEmpty() && !carbs.isEmpty())
            part(GlucoseLogbook::treatmentsSeparator(), Qt::darkGray);
        part(carbs, carbsColour());
    }
}

double GlucoseChart::paintLogbook(
    QPainter *painter, const QRectF &rect, const GlucoseLogbook &logbook, GlucoseUnit::Unit unit)
{
    const SavedPainter saved(painter);
    const QFont base = painter->font();
    const QFontMetricsF metrics(base);
    const double line = metrics.height();
    const double dateWidth = metrics.horizontalAdvance(QStringLiteral("Wed 30 Sep")) + line;
    const double slotWidth = (rect.width() - dateWidth) / GlucoseLogbook::slotCount;
    const double headerHeight = 2 * line + line / 2;
    const std::size_t rows = logbook.days().size();
    // Two lines and a little air a row at the most.
    const double rowHeight
        = rows == 0 ? 0 : std::min(2.6 * line, (rect.height() - headerHeight) / double(rows));
    const auto slotLeft = [&](int slot) { return rect.left() + dateWidth + slotWidth * slot; };

    // Headings: the meal over its two slots, then before and after.
    QFont bold = base;
    bold.setBold(true);
    painter->setPen(Qt::black);
    for (int s = 0; s < GlucoseLogbook::slotCount;) {
        const auto slot = GlucoseLogbook::Slot(s);
        const int span = GlucoseLogbook::mealSide(slot).isEmpty() ? 1 : 2;
        painter->setFont(bold);
        painter->drawText(QRectF(slotLeft(s), rect.top(), slotWidth * span, line), Qt::AlignCenter,
            GlucoseLogbook::mealName(slot));
        painter->setFont(base);
        for (int k = s; k < s + span; ++k)
            painter->drawText(QRectF(slotLeft(k), rect.top() + line, slotWidth, line),
                Qt::AlignCenter, GlucoseLogbook::mealSide(GlucoseLogbook::Slot(k)));
        s += span;
    }
    painter->setFont(bold);
    painter->drawText(QRectF(rect.left(), rect.top(), dateWidth, 2 * line),
        Qt::AlignLeft | Qt::AlignVCenter, tr("Day"));
    painter->setFont(base);

    const double top = rect.top() + headerHeight;
    for (std::size_t r = 0; r < rows; ++r) {
        const GlucoseLogbook::Day &day = logbook.days()[r];
        const QRectF row(rect.left(), top + double(r) * rowHeight, rect.width(), rowHeight);
        if (r % 2 == 1)
            painter->fillRect(row, QColor(245, 245, 245));
        painter->setPen(Qt::black);
        painter->drawText(QRectF(row.left() + line / 4, row.top(), dateWidth, rowHeight),
            Qt::AlignLeft | Qt::AlignVCenter,
            QLocale().toString(day.date, QStringLiteral("ddd d MMM")));
        for (int s = 0; s < GlucoseLogbook::slotCount; ++s)
            paintLogbookCell(painter,
                QRectF(slotLeft(s), row.top(), slotWidth, rowHeight).adjusted(1, 1, -1, -1),
                day.cells[std::size_t(s)], unit);
    }

    // The lines: under the headings and between days, and a line before
    // each meal, a dotted one between its before and after.
    const double bottom = top + double(rows) * rowHeight;
    painter->setPen(QPen(gridLine, 0));
    painter->drawLine(QPointF(rect.left(), top), QPointF(rect.right(), top));
    for (std::size_t r = 1; r <= rows; ++r)
        painter->drawLine(QPointF(rect.left(), top + double(r) * rowHeight),
            QPointF(rect.right(), top + double(r) * rowHeight));
    for (int s = 0; s < GlucoseLogbook::slotCount; ++s) {
        const bool after = s == GlucoseLogbook::PostBreakfast || s == GlucoseLogbook::PostLunch
            || s == GlucoseLogbook::PostDinner;
        painter->setPen(QPen(gridLine, 0, after ? Qt::DotLine : Qt::SolidLine));
        painter->drawLine(
            QPointF(slotLeft(s), after ? top : rect.top()), QPointF(slotLeft(s), bottom));
    }
    return bottom;
}
