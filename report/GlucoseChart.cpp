// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "GlucoseChart.h"

#include <QFontMetricsF>
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

void GlucoseChart::paintDay(QPainter *painter, const QRectF &rect,
    const std::vector<GlucoseReading> &readings, GlucoseUnit::Unit unit, bool compact,
    double highest)
{
    const SavedPainter saved(painter);
    painter->setRenderHint(QPainter::Antialiasing);
    const QRectF plot = plotArea(rect, painter, compact);
    const int top = axisTopFor(highest > 0 ? highest : highestOf(readings));
    painter->fillRect(QRectF(QPointF(plot.left(), yOf(plot, 180, top)),
                          QPointF(plot.right(), yOf(plot, 70, top))),
        targetFill);
    paintAxes(painter, plot, top, unit, compact);

    const auto point = [&plot, top](const GlucoseReading &r) {
        return QPointF(
            xOfMinutes(plot, r.time.msecsSinceStartOfDay() / 60000.0), yOf(plot, r.value, top));
    };
    const double width = std::max(compact ? 1.0 : 1.5, rect.height() / 120);
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
