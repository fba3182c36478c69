// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "GlucoseReport.h"

#include "GlucoseChart.h"
#include "GlucoseSummary.h"
#include "RegularFile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <functional>

namespace {

constexpr double margin = 36; // points, half an inch
constexpr double pngDpi = 150;
constexpr double pdfDpi = 300;

QFont font(double points, bool bold = false)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    // Pixels of the page's point grid: the painter's scale makes them points.
    f.setPixelSize(qMax(1, qRound(points * 4)));
    f.setBold(bold);
    return f;
}

} // namespace

GlucoseReport::GlucoseReport(const std::vector<GlucoseReading> &readings,
    const GlucosePeriod &period, GlucoseUnit::Unit unit,
    const std::vector<TreatmentStatistics::Treatment> &treatments)
    : m_unit(unit)
    , m_pageSize(pageSizeFor(paperLocale()))
    , m_statistics(readings, period)
    , m_previous(readings, period.previous(readings))
    , m_treatments(treatments, m_statistics, period)
    , m_previousTreatments(treatments, m_previous, period.previous(readings))
    , m_profile(readings, period)
    , m_lastDay(m_statistics.periodEnd())
{
    if (!m_lastDay.isValid())
        return;
    const int days = int(m_statistics.periodStart().daysTo(m_lastDay)) + 1;
    m_logbook = GlucoseLogbook(readings,
        m_lastDay.addDays(1 - (days <= shortLogbookDays ? days : longLogbookDays)), m_lastDay);
    m_logbook.addTreatments(treatments);
    const QDate first = m_lastDay.addDays(1 - dailyCurves);
    for (const GlucoseReading &r : GlucosePeriod::between(first, m_lastDay).select(readings))
        m_days[std::size_t(first.daysTo(r.date))].push_back(r);
    for (const TreatmentStatistics::Treatment &t : treatments) {
        if (t.date >= first && t.date <= m_lastDay)
            m_dayTreatments[std::size_t(first.daysTo(t.date))].push_back(t);
    }
}

QPageSize::PageSizeId GlucoseReport::pageSizeFor(const QLocale &locale)
{
    switch (locale.territory()) {
    case QLocale::UnitedStates:
    case QLocale::Canada:
    case QLocale::Mexico:
    case QLocale::Philippines:
    case QLocale::Chile:
    case QLocale::Colombia:
    case QLocale::Venezuela:
    case QLocale::Guatemala:
    case QLocale::CostaRica:
    case QLocale::PuertoRico:
    case QLocale::DominicanRepublic:
    case QLocale::Panama:
    case QLocale::ElSalvador:
    case QLocale::Nicaragua:
        return QPageSize::Letter;
    default:
        return locale.measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                       : QPageSize::A4;
    }
}

QLocale GlucoseReport::paperLocale()
{
    for (const char *name : { "LC_ALL", "LC_PAPER" }) {
        const QString value = qEnvironmentVariable(name);
        if (!value.isEmpty() && value != QLatin1String("C") && value != QLatin1String("POSIX"))
            return QLocale(value.section(QLatin1Char('.'), 0, 0));
    }
    return QLocale();
}

// A page being painted: its size in points, the painter scaled to them,
// and text and charts drawn on a grid four times finer than points, so
// that fonts keep their shape at any scale.
class GlucoseReport::Page
{
public:
    Page(QPainter *painter, const QRectF &rect, QPageSize::PageSizeId size)
        : painter(painter)
        , size(QPageSize(size).size(QPageSize::Point))
        , width(this->size.width() - 2 * margin)
    {
        painter->save();
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / this->size.width(), rect.height() / this->size.height());
        painter->fillRect(QRectF(QPointF(0, 0), this->size), Qt::white);
        painter->setPen(Qt::black);
    }
    ~Page() { painter->restore(); }
    Page(const Page &) = delete;
    Page &operator=(const Page &) = delete;

    void setFont(double points, bool bold = false) { painter->setFont(font(points, bold)); }
    void text(const QRectF &box, int flags, const QString &s)
    {
        painter->save();
        painter->scale(0.25, 0.25);
        painter->drawText(QRectF(box.topLeft() * 4, box.size() * 4), flags, s);
        painter->restore();
    }
    void chart(const QRectF &box, const std::function<void(const QRectF &)> &draw)
    {
        painter->save();
        painter->scale(0.25, 0.25);
        draw(QRectF(box.topLeft() * 4, box.size() * 4));
        painter->restore();
    }
    // The report's heading and a line under it; y goes below them.
    void heading(const QString &title, const QString &line)
    {
        setFont(17, true);
        painter->setPen(Qt::black);
        text(QRectF(margin, y, width, 24), Qt::AlignLeft | Qt::AlignVCenter, title);
        y += 26;
        setFont(9.5);
        text(QRectF(margin, y, width, 14), Qt::AlignLeft | Qt::AlignVCenter, line);
        y += 18;
    }

    QPainter *const painter;
    const QSizeF size;
    const double width;
    double y = margin;
};

QString GlucoseReport::title() const
{
    return m_title.isEmpty() ? tr("Glucose report") : tr("Glucose report: %1").arg(m_title);
}

void GlucoseReport::paint(QPainter *painter, const QRectF &rect, int page) const
{
    Page p(painter, rect, m_pageSize);
    p.heading(title(),
        tr("%1 · values in %2 · made %3 · page %4 of %5")
            .arg(GlucoseSummary::period(m_statistics), GlucoseUnit::name(m_unit),
                QDate::currentDate().toString(Qt::ISODate))
            .arg(page + 1)
            .arg(pageCount));
    if (page == 0)
        paintFigures(p);
    else
        paintLogbook(p);
}

void GlucoseReport::paintFigures(Page &p) const
{
    QPainter *const painter = p.painter;
    const double width = p.width;
    double &y = p.y;
    const QSizeF page = p.size;

    const bool meter = m_statistics.count() > 0 && m_statistics.isMeter();
    const QString lacking = GlucoseSummary::insufficiency(m_statistics);
    p.setFont(9.5, true);
    painter->setPen(meter || lacking.isEmpty() ? QColor(27, 94, 32) : QColor(183, 28, 28));
    p.text(QRectF(margin, y, width, 14), Qt::AlignLeft | Qt::AlignVCenter,
        meter ? tr("A meter's readings, %1 a day: the ranges are shares of readings; a sensor's "
                   "figures are left out.")
                    .arg(QLocale().toString(m_statistics.readingsPerDay(), 'f', 1))
            : lacking.isEmpty()
            ? tr("Enough data for the consensus: %1 days with readings, CGM active %2 %.")
                  .arg(m_statistics.daysWithReadings())
                  .arg(QLocale().toString(m_statistics.activePercent(), 'f', 1))
            : lacking);
    y += 22;

    // The figures on the left, the bands on the right; episodes,
    // variability and a meter's groups below in two columns.
    const std::vector<GlucoseSummary::Line> lines = GlucoseSummary::lines(
        m_statistics, m_unit, &m_previous, &m_treatments, &m_previousTreatments);
    const auto table = [&](std::size_t from, std::size_t to, double left, double top,
                           double tableWidth, double row) {
        for (std::size_t i = from; i < to; ++i) {
            const GlucoseSummary::Line &line = lines[i];
            const QRectF box(left, top + double(i - from) * row, tableWidth, row);
            if ((i - from) % 2 == 0 && !line.heading)
                painter->fillRect(box, QColor(245, 245, 245));
            p.setFont(8.5, line.heading);
            painter->setPen(line.greyed ? Qt::gray : Qt::black);
            p.text(box.adjusted(3, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, line.label);
            const QString mark = line.state == GlucoseSummary::Met ? QStringLiteral("✓ ")
                : line.state == GlucoseSummary::Missed             ? QStringLiteral("✗ ")
                                                                   : QString();
            if (line.state == GlucoseSummary::Missed)
                painter->setPen(QColor(183, 28, 28));
            p.text(QRectF(box.left() + tableWidth * 0.28, box.top(), tableWidth * 0.48, row),
                Qt::AlignRight | Qt::AlignVCenter, mark + line.value);
            painter->setPen(Qt::darkGray);
            p.text(QRectF(box.left() + tableWidth * 0.76, box.top(), tableWidth * 0.11, row),
                Qt::AlignRight | Qt::AlignVCenter, line.target);
            p.text(QRectF(box.left() + tableWidth * 0.87, box.top(), tableWidth * 0.13 - 3, row),
                Qt::AlignRight | Qt::AlignVCenter, line.change);
        }
    };
    std::size_t core = 0;
    while (core < lines.size()
        && !(lines[core].heading && lines[core].label != GlucoseSummary::readingsInRange()))
        ++core;
    const double row = 12.5;
    const double tableWidth = width * 0.62;
    table(0, core, margin, y, tableWidth, row);
    const double tableHeight = double(core) * row;
    p.setFont(8.5);
    painter->setPen(Qt::black);
    const QRectF bands(margin + tableWidth + 16, y, width - tableWidth - 16, tableHeight);
    p.chart(bands,
        [&](const QRectF &box) { GlucoseChart::paintBands(painter, box, m_statistics, m_unit); });
    y += tableHeight + 8;
    if (!m_previous.periodStart().isValid() || m_previous.count() == 0) {
        // Nothing to compare with: the change column stays empty.
    } else {
        p.setFont(7.5);
        painter->setPen(Qt::darkGray);
        p.text(QRectF(margin, y - 6, tableWidth, 10), Qt::AlignRight | Qt::AlignVCenter,
            GlucoseSummary::previousPeriod(m_previous));
        y += 6;
    }
    // The sections below, each whole, in two columns: each goes to the
    // shorter column, so that neither runs far below the other.
    const double columnWidth = (width - 16) / 2;
    const double smallRow = 11;
    std::size_t rows[2] = { 0, 0 };
    for (std::size_t from = core; from < lines.size();) {
        std::size_t to = from + 1;
        while (to < lines.size() && !lines[to].heading)
            ++to;
        const int column = rows[1] < rows[0] ? 1 : 0;
        table(from, to, margin + column * (columnWidth + 16), y + double(rows[column]) * smallRow,
            columnWidth, smallRow);
        rows[column] += to - from;
        from = to;
    }
    y += double(std::max(rows[0], rows[1])) * smallRow + 10;

    p.setFont(11, true);
    painter->setPen(Qt::black);
    p.text(QRectF(margin, y, width, 16), Qt::AlignLeft | Qt::AlignVCenter,
        tr("Ambulatory glucose profile (median, 25–75 % and 5–95 %)"));
    y += 18;
    p.setFont(8);
    if (meter) {
        // Percentiles of a few readings an hour say little: no bands.
        p.setFont(8.5);
        painter->setPen(Qt::gray);
        p.text(QRectF(margin, y, width, 14), Qt::AlignLeft | Qt::AlignVCenter,
            tr("Left out: a meter's readings are too few at each time of day for percentiles."));
        y += 22;
    } else {
        // As tall as the daily curves below leave room for.
        const double profile
            = std::clamp(page.height() - margin - y - 7 - 18 - 2 * 85, 110.0, 165.0);
        p.chart(QRectF(margin, y, width, profile), [&](const QRectF &box) {
            GlucoseChart::paintProfile(painter, box, m_profile, m_unit);
        });
        y += profile + 7;
    }

    p.setFont(11, true);
    painter->setPen(Qt::black);
    p.text(QRectF(margin, y, width, 16), Qt::AlignLeft | Qt::AlignVCenter,
        tr("Daily curves, the last %1 days").arg(dailyCurves));
    const bool marked = std::any_of(m_dayTreatments.begin(), m_dayTreatments.end(),
        [](const std::vector<TreatmentStatistics::Treatment> &day) { return !day.empty(); });
    if (marked) {
        // What the marks on the curves are, at the heading's right.
        p.setFont(8);
        const QString carbs = tr("▲ carbohydrates");
        const QString insulin = tr("▼ insulin, ▽ basal") + QStringLiteral("   ");
        const double carbsWidth = painter->fontMetrics().horizontalAdvance(carbs) / 4.0;
        painter->setPen(GlucoseChart::carbsColour());
        p.text(QRectF(margin, y, width, 16), Qt::AlignRight | Qt::AlignVCenter, carbs);
        painter->setPen(GlucoseChart::insulinColour());
        p.text(
            QRectF(margin, y, width - carbsWidth, 16), Qt::AlignRight | Qt::AlignVCenter, insulin);
    }
    y += 18;
    const int columns = dailyCurves / 2;
    const double cell = width / columns;
    const double cellHeight = std::min(100.0, (page.height() - margin - y) / 2);
    p.setFont(7);
    // One scale for all days, high enough for the highest of them.
    double highest = 0;
    for (const std::vector<GlucoseReading> &day : m_days)
        highest = std::max(highest, GlucoseChart::highestOf(day));
    GlucoseChart::DayStyle style;
    style.compact = true;
    style.highest = highest;
    style.points = meter;
    for (int d = 0; d < dailyCurves && m_lastDay.isValid(); ++d) {
        const QDate day = m_lastDay.addDays(d + 1 - dailyCurves);
        const QRectF box(
            margin + (d % columns) * cell, y + (d / columns) * cellHeight, cell, cellHeight);
        painter->setPen(Qt::black);
        p.text(QRectF(box.left() + 2, box.top(), box.width() - 4, 10),
            Qt::AlignLeft | Qt::AlignVCenter, QLocale().toString(day, QStringLiteral("ddd d MMM")));
        p.chart(box.adjusted(2, 11, -2, -3), [&](const QRectF &plot) {
            GlucoseChart::paintDay(painter, plot, m_days[std::size_t(d)], m_unit, style,
                m_dayTreatments[std::size_t(d)]);
        });
    }
}

void GlucoseReport::paintLogbook(Page &p) const
{
    const std::size_t days = m_logbook.days().size();
    p.setFont(11, true);
    p.painter->setPen(Qt::black);
    p.text(QRectF(margin, p.y, p.width, 16), Qt::AlignLeft | Qt::AlignVCenter,
        days == 0 ? tr("Logbook") : tr("Logbook, the last %n days", nullptr, int(days)));
    p.y += 20;
    // The table takes the room the legend leaves; the legend stands under it.
    const double legend = 36;
    double bottom = p.size.height() - margin - legend;
    p.setFont(8);
    p.chart(QRectF(margin, p.y, p.width, bottom - p.y), [&](const QRectF &box) {
        bottom = GlucoseChart::paintLogbook(p.painter, box, m_logbook, m_unit) / 4;
    });
    p.setFont(7.5);
    p.painter->setPen(Qt::darkGray);
    p.text(QRectF(margin, bottom + 8, p.width, legend), Qt::AlignLeft | Qt::TextWordWrap,
        tr("Each reading on the colour of its range; a cell of more than %1 readings shows the "
           "lowest and the highest. A reading whose type names no time of day goes by its time: "
           "night 0–6 h, breakfast 6–11 h (after it from 9 h), lunch 11–17 h (from 13 h), dinner "
           "17–22 h (from 19 h), bedtime 22–24 h; insulin (u) and carbohydrates (g) go by their "
           "time.")
            .arg(GlucoseLogbook::listedReadings));
}

bool GlucoseReport::write(const QString &path, QString *error) const
{
    const auto fail = [error](const QString &message) {
        if (error)
            *error = message;
        return false;
    };
    // Made whole in memory first, then written with a check of every byte.
    QByteArray bytes;
    QBuffer file(&bytes);
    file.open(QIODevice::WriteOnly);

    const QPageSize size(m_pageSize);
    if (path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive)) {
        const QSize pixels = size.sizePixels(int(pngDpi));
        QImage image(pixels.width(), pixels.height() * pageCount, QImage::Format_RGB32);
        image.setDotsPerMeterX(qRound(pngDpi / 0.0254));
        image.setDotsPerMeterY(qRound(pngDpi / 0.0254));
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing);
        for (int page = 0; page < pageCount; ++page) {
            paint(&painter, QRectF(QPointF(0, page * pixels.height()), QSizeF(pixels)), page);
        }
        painter.end();
        if (!image.save(&file, "PNG"))
            return fail(tr("Cannot write %1: the image could not be encoded").arg(path));
    } else {
        QPdfWriter writer(&file);
        writer.setResolution(int(pdfDpi));
        writer.setPageLayout(QPageLayout(size, QPageLayout::Portrait, QMarginsF()));
        writer.setTitle(title());
        writer.setCreator(QStringLiteral("Health Journal"));
        QPainter painter;
        if (!painter.begin(&writer))
            return fail(tr("Cannot write %1: the PDF could not be started").arg(path));
        for (int page = 0; page < pageCount; ++page) {
            if (page > 0)
                writer.newPage();
            paint(&painter, QRectF(0, 0, writer.width(), writer.height()), page);
        }
        painter.end();
    }
    QString why;
    if (!RegularFile::save(path, bytes, &why))
        return fail(tr("Cannot write %1: %2").arg(path, why));
    return true;
}
