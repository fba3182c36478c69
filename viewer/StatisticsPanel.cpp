// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "StatisticsPanel.h"

#include "ChartWidget.h"
#include "GlucoseChart.h"
#include "GlucoseSummary.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The period list's entries: a number of days, all readings, or dates.
constexpr int allReadings = 0;
constexpr int fromTo = -1;

QLabel *heading(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

} // namespace

StatisticsPanel::StatisticsPanel(QWidget *parent)
    : QWidget(parent)
{
    auto *content = new QWidget;
    auto *layout = new QVBoxLayout(content);

    auto *choice = new QFormLayout;
    periods = new QComboBox(content);
    periods->setObjectName(QStringLiteral("period"));
    periods->addItem(tr("Last 14 days"), 14);
    periods->addItem(tr("Last 30 days"), 30);
    periods->addItem(tr("Last 90 days"), 90);
    periods->addItem(tr("All readings"), allReadings);
    periods->addItem(tr("From – to"), fromTo);
    auto *periodLabel = new QLabel(tr("&Period:"), content);
    periodLabel->setBuddy(periods);
    choice->addRow(periodLabel, periods);

    dates = new QWidget(content);
    auto *dateRow = new QHBoxLayout(dates);
    dateRow->setContentsMargins(0, 0, 0, 0);
    from = new QDateEdit(dates);
    to = new QDateEdit(dates);
    from->setObjectName(QStringLiteral("from"));
    to->setObjectName(QStringLiteral("to"));
    for (QDateEdit *edit : { from, to }) {
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    }
    dateRow->addWidget(from, 1);
    dateRow->addWidget(new QLabel(QStringLiteral("–"), dates));
    dateRow->addWidget(to, 1);
    choice->addRow(QString(), dates);
    dates->hide();
    layout->addLayout(choice);

    periodText = new QLabel(content);
    periodText->setObjectName(QStringLiteral("periodText"));
    layout->addWidget(periodText);
    warning = new QLabel(content);
    warning->setObjectName(QStringLiteral("warning"));
    warning->setWordWrap(true);
    warning->setStyleSheet(QStringLiteral("QLabel { color: #b71c1c; font-weight: bold; }"));
    layout->addWidget(warning);

    figures = new QTreeWidget(content);
    figures->setObjectName(QStringLiteral("figures"));
    figures->setHeaderLabels({ tr("Figure"), tr("Value"), tr("Target"), tr("Change") });
    figures->setRootIsDecorated(false);
    figures->setSelectionMode(QAbstractItemView::NoSelection);
    // The list shows all its rows and columns: the panel scrolls, not the list.
    figures->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    figures->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    figures->setTextElideMode(Qt::ElideMiddle);
    figures->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    figures->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    figures->header()->setStretchLastSection(false);
    layout->addWidget(figures);

    layout->addWidget(heading(tr("Time in ranges"), content));
    bands = new ChartWidget(130, content);
    bands->setObjectName(QStringLiteral("bands"));
    bands->setPaint([this](QPainter *painter, const QRectF &rect) {
        GlucoseChart::paintBands(painter, rect, stats, shownUnit);
    });
    layout->addWidget(bands);

    layout->addWidget(heading(tr("Daily profile"), content));
    profileChart = new ChartWidget(190, content);
    profileChart->setObjectName(QStringLiteral("profile"));
    profileChart->setPaint([this](QPainter *painter, const QRectF &rect) {
        GlucoseChart::paintProfile(painter, rect, profile, shownUnit);
    });
    layout->addWidget(profileChart);

    dayTitle = heading(QString(), content);
    dayTitle->setObjectName(QStringLiteral("dayTitle"));
    layout->addWidget(dayTitle);
    dayChart = new ChartWidget(150, content);
    dayChart->setObjectName(QStringLiteral("day"));
    dayChart->setPaint([this](QPainter *painter, const QRectF &rect) {
        GlucoseChart::DayStyle style;
        style.points = stats.count() > 0 && stats.isMeter();
        GlucoseChart::paintDay(painter, rect, dayReadings, shownUnit, style, dayTreatments);
    });
    layout->addWidget(dayChart);
    layout->addStretch(1);

    // A dock may be short: the panel scrolls rather than squeezes its charts.
    scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(content);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);

    connect(periods, qOverload<int>(&QComboBox::activated), this, &StatisticsPanel::choosePeriod);
    connect(from, &QDateEdit::dateChanged, this, &StatisticsPanel::chooseDates);
    connect(to, &QDateEdit::dateChanged, this, &StatisticsPanel::chooseDates);
    recompute();
}

void StatisticsPanel::setJournal(
    Source from, std::vector<GlucoseReading> readingDays, std::vector<Treatment> treatments)
{
    source = std::move(from);
    days = std::move(readingDays);
    allTreatments = std::move(treatments);
    recompute();
}

void StatisticsPanel::setReadings(
    std::vector<GlucoseReading> readings, std::vector<Treatment> treatments)
{
    std::stable_sort(
        readings.begin(), readings.end(), [](const GlucoseReading &a, const GlucoseReading &b) {
            return a.date != b.date ? a.date < b.date : a.time < b.time;
        });
    std::vector<GlucoseReading> readingDays;
    for (const GlucoseReading &r : readings)
        GlucosePeriod::addDay(readingDays, r);
    const auto all = std::make_shared<const std::vector<GlucoseReading>>(std::move(readings));
    setJournal(
        [all](const QDate &from, const QDate &to) {
            if (!from.isValid() && !to.isValid())
                return *all;
            std::vector<GlucoseReading> some;
            for (const GlucoseReading &r : *all) {
                if (r.date.isValid()
                        ? (!from.isValid() || r.date >= from) && (!to.isValid() || r.date <= to)
                        : !from.isValid())
                    some.push_back(r);
            }
            return some;
        },
        std::move(readingDays), std::move(treatments));
}

void StatisticsPanel::setUnit(GlucoseUnit::Unit unit)
{
    if (unit == shownUnit)
        return;
    shownUnit = unit;
    refreshTexts();
    bands->update();
    profileChart->update();
    dayChart->update();
}

void StatisticsPanel::setPeriod(const GlucosePeriod &period)
{
    const int data = period.kind() == GlucosePeriod::All ? allReadings
        : period.kind() == GlucosePeriod::Between        ? fromTo
                                                         : period.days();
    const int index = periods->findData(data);
    if (index >= 0) {
        periods->setCurrentIndex(index);
    } else {
        // A number of days the list does not offer is shown as its dates.
        periods->setCurrentIndex(periods->findData(fromTo));
    }
    const GlucosePeriod resolved = period.resolved(days);
    dates->setVisible(periods->currentData().toInt() == fromTo);
    {
        const QSignalBlocker blockFrom(from);
        const QSignalBlocker blockTo(to);
        if (resolved.from().isValid()) {
            from->setDate(resolved.from());
            to->setDate(resolved.to());
        }
    }
    const bool changed = period != chosen;
    chosen = index >= 0 ? period : resolved;
    recompute();
    if (changed)
        Q_EMIT periodChanged(chosen);
}

void StatisticsPanel::choosePeriod(int index)
{
    const int data = periods->itemData(index).toInt();
    if (data == fromTo) {
        // The dates start as those of the period shown so far.
        const GlucosePeriod shown = chosen.resolved(days);
        setPeriod(shown.from().isValid()
                ? shown
                : GlucosePeriod::between(QDate::currentDate(), QDate::currentDate()));
    } else {
        setPeriod(data == allReadings ? GlucosePeriod::all() : GlucosePeriod::lastDays(data));
    }
}

void StatisticsPanel::chooseDates()
{
    if (periods->currentData().toInt() == fromTo)
        setPeriod(GlucosePeriod::between(from->date(), to->date()));
}

void StatisticsPanel::showDay(const QDate &d)
{
    dayChosen = d.isValid();
    day = d;
    refreshDay();
    refreshTexts();
}

void StatisticsPanel::recompute()
{
    // The figures need the readings of the period and of the one before
    // it, which the days alone tell; all of them only for all readings.
    const bool everything = chosen.kind() == GlucosePeriod::All;
    const GlucosePeriod period = everything ? chosen : chosen.resolved(days);
    const GlucosePeriod previous = chosen.previous(days);
    if (!source || (!everything && !period.from().isValid()))
        near.clear();
    else if (everything)
        near = source(QDate(), QDate());
    else
        near = source(previous.from().isValid() ? previous.from() : period.from(), period.to());
    stats = GlucoseStatistics(near, period);
    before = GlucoseStatistics(near, previous);
    treated = TreatmentStatistics(allTreatments, stats, chosen);
    treatedBefore = TreatmentStatistics(allTreatments, before, previous);
    profile = GlucoseProfile(near, period);
    refreshDay();
    refreshTexts();
    bands->update();
    profileChart->update();
}

void StatisticsPanel::refreshDay()
{
    if (!dayChosen) {
        day = QDate();
        for (const GlucoseReading &r : days) {
            if (GlucosePeriod::isUsable(r) && (!day.isValid() || r.date > day))
                day = r.date;
        }
    }
    dayReadings = day.isValid() && source
        ? GlucosePeriod::between(day, day).select(source(day, day))
        : std::vector<GlucoseReading>();
    dayTreatments.clear();
    for (const Treatment &t : allTreatments) {
        if (t.date == day)
            dayTreatments.push_back(t);
    }
    dayChart->update();
}

void StatisticsPanel::refreshTexts()
{
    QString label = GlucoseSummary::period(stats);
    if (chosen.kind() == GlucosePeriod::LastDays && stats.periodEnd().isValid()) {
        label += stats.periodEnd() == QDate::currentDate() ? tr(", ending today")
            : chosen.endsBeforeNewest(days) ? tr(", up to today: readings dated later are left out")
                                            : tr(", ending on the newest reading");
    }
    periodText->setText(label);
    const QString lacking = stats.isMeter() ? QString() : GlucoseSummary::insufficiency(stats);
    warning->setText(stats.count() == 0 ? GlucoseSummary::insufficiency(stats) : lacking);
    warning->setVisible(!warning->text().isEmpty());

    figures->clear();
    const QColor missed(183, 28, 28);
    const QColor grey = palette().color(QPalette::Disabled, QPalette::Text);
    const bool comparing = before.count() > 0 && stats.count() > 0;
    figures->headerItem()->setText(3, comparing ? tr("Change") : QString());
    figures->headerItem()->setToolTip(3, GlucoseSummary::previousPeriod(before));
    figures->setColumnHidden(3, !comparing);
    for (const GlucoseSummary::Line &line : GlucoseSummary::lines(stats, shownUnit,
             comparing ? &before : nullptr, &treated, comparing ? &treatedBefore : nullptr)) {
        const QString mark = line.state == GlucoseSummary::Met ? QStringLiteral("✓ ")
            : line.state == GlucoseSummary::Missed             ? QStringLiteral("✗ ")
                                                               : QString();
        auto *item = new QTreeWidgetItem(
            figures, { line.label, mark + line.value, line.target, line.change });
        for (int c = 0; c < 4; ++c)
            item->setToolTip(c, line.tooltip);
        if (line.heading) {
            QFont bold = item->font(0);
            bold.setBold(true);
            item->setFont(0, bold);
            item->setFirstColumnSpanned(true);
            continue;
        }
        for (const int c : { 1, 2, 3 })
            item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
        if (line.greyed) {
            for (int c = 0; c < 4; ++c)
                item->setForeground(c, grey);
        }
        if (line.state == GlucoseSummary::Missed) {
            item->setForeground(1, missed);
            item->setToolTip(1, line.tooltip + tr(" (out of target)"));
        }
    }
    // Every figure shows without scrolling the list itself, and the panel
    // is never narrower than the list's columns.
    int height = figures->header()->sizeHint().height() + 2 * figures->frameWidth();
    for (int i = 0; i < figures->topLevelItemCount(); ++i)
        height += figures->sizeHintForRow(i);
    figures->setFixedHeight(height);
    // The labels need their own width; the other columns fit their contents.
    const int margin = 2 * figures->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 8;
    int width = 2 * figures->frameWidth() + margin;
    for (int i = 0; i < figures->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = figures->topLevelItem(i);
        if (!item->isFirstColumnSpanned())
            width = std::max(width,
                2 * figures->frameWidth() + margin
                    + QFontMetrics(item->font(0)).horizontalAdvance(item->text(0)));
    }
    for (int c = 1; c < figures->columnCount(); ++c) {
        if (!figures->isColumnHidden(c)) {
            figures->resizeColumnToContents(c);
            width += figures->header()->sectionSize(c);
        }
    }
    figures->setMinimumWidth(width);
    scroll->setMinimumWidth(width + figures->parentWidget()->layout()->contentsMargins().left()
        + figures->parentWidget()->layout()->contentsMargins().right()
        + scroll->verticalScrollBar()->sizeHint().width());

    dayTitle->setText(day.isValid()
            ? tr("Readings on %1").arg(QLocale().toString(day, QLocale::LongFormat))
            : tr("No day to show"));
    if (day.isValid() && dayReadings.empty())
        dayTitle->setText(
            tr("No readings on %1").arg(QLocale().toString(day, QLocale::LongFormat)));
}
