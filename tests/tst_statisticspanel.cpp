// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "GlucoseChart.h"
#include "StatisticsPanel.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDockWidget>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QScrollArea>
#include <QTest>
#include <QTreeWidget>

using Readings = std::vector<GlucoseReading>;

namespace {

const QDate firstDay(2024, 4, 1);

// Readings every 5 minutes over some days from firstDay: the value of a
// reading is given by its day and minute.
Readings days(int count, const std::function<int(int day, int minute)> &value)
{
    Readings readings;
    for (int d = 0; d < count; ++d)
        for (int m = 0; m < 24 * 60; m += 5)
            readings.push_back({ firstDay.addDays(d), QTime(0, 0).addSecs(m * 60), value(d, m) });
    return readings;
}

// The figures as "label: value | target" lines.
QStringList figures(const StatisticsPanel &panel)
{
    QStringList lines;
    const auto *tree = panel.findChild<QTreeWidget *>(QStringLiteral("figures"));
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = tree->topLevelItem(i);
        lines << item->text(0) + QStringLiteral(": ") + item->text(1) + QStringLiteral(" | ")
                + item->text(2);
    }
    return lines;
}

QString figure(const StatisticsPanel &panel, const QString &label)
{
    for (const QString &line : figures(panel))
        if (line.startsWith(label + QStringLiteral(": ")))
            return line.mid(label.size() + 2);
    return QString();
}

QImage grabbed(const StatisticsPanel &panel, const char *chart)
{
    return panel.findChild<QWidget *>(QLatin1String(chart))->grab().toImage();
}

int pixelsOf(const QImage &image, const QColor &colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixelColor(x, y) == colour;
    return n;
}

void choose(StatisticsPanel &panel, const QString &period)
{
    auto *box = panel.findChild<QComboBox *>(QStringLiteral("period"));
    const int index = box->findText(period);
    QVERIFY(index >= 0);
    box->setFocus();
    // The keyboard reaches the entry as a person would.
    while (box->currentIndex() != index)
        QTest::keyClick(box, box->currentIndex() < index ? Qt::Key_Down : Qt::Key_Up);
}

} // namespace

class TstStatisticsPanel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void figuresWithTargets_data();
    void figuresWithTargets();
    void warnsWhenTooFew();
    void bandsBarColours();
    void profileIsDrawn();
    void periods();
    void fromTo();
    void unitChangesEveryText();
    void dayCurve();
    void followsTheJournal();
    void everyFigureIsVisible_data();
    void everyFigureIsVisible();
    void sectionsSayWhatTheyMeasure();
    void meterFiguresAreGreyed();
    void changeSincePeriodBefore();
    void futureReadingsAreLeftOut();
    void figureOfOneReadingIsNotJudged();
    void treatmentsBesideTheFigures();
    void daysAskedForAgreeWithAllReadings_data();
    void daysAskedForAgreeWithAllReadings();

private:
    std::unique_ptr<StatisticsPanel> panel;
};

void TstStatisticsPanel::init()
{
    QLocale::setDefault(QLocale::c());
    panel = std::make_unique<StatisticsPanel>();
    panel->resize(420, 1100);
    panel->show();
    QVERIFY(QTest::qWaitForWindowExposed(panel.get()));
}

void TstStatisticsPanel::figuresWithTargets_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("shown");
    // 20 days: 00-06 h at 60, otherwise 150; the last 14 days are shown.
    QTest::newRow("readings of 14 days") << "Readings"
                                         << "4032 | ";
    QTest::newRow("in range met, marked") << "In range 70–180"
                                          << "✓ 75.0 % | > 70 %";
    QTest::newRow("both lows missed") << "Below range < 70"
                                      << "✗ 25.0 % | < 4 %";
    QTest::newRow("very low met") << "Very low < 54"
                                  << "✓ 0.0 % | < 1 %";
    QTest::newRow("days met") << "Days with readings"
                              << "✓ 14 | ≥ 14";
}

void TstStatisticsPanel::figuresWithTargets()
{
    QFETCH(QString, label);
    QFETCH(QString, shown);
    panel->setReadings(days(20, [](int, int minute) { return minute < 360 ? 60 : 150; }));
    QCOMPARE(figure(*panel, label), shown);
    QVERIFY(panel->findChild<QLabel *>(QStringLiteral("warning"))->isHidden());
}

void TstStatisticsPanel::warnsWhenTooFew()
{
    const auto *warning = panel->findChild<QLabel *>(QStringLiteral("warning"));
    QVERIFY(warning->isVisible());
    QCOMPARE(warning->text(), QStringLiteral("No readings in this period."));
    panel->setReadings(days(3, [](int, int) { return 120; }));
    QVERIFY(warning->isVisible());
    QVERIFY2(warning->text().contains(QStringLiteral("3 days with readings")),
        qPrintable(warning->text()));
}

void TstStatisticsPanel::bandsBarColours()
{
    // Half of each day high, a quarter in range, a quarter very high.
    panel->setReadings(days(14, [](int, int minute) {
        return minute < 720 ? 200 : minute < 1080 ? 120 : 300;
    }));
    const QImage image = grabbed(*panel, "bands");
    const QRectF bar = GlucoseChart::bandsBar(QRectF(image.rect()).adjusted(4, 4, -4, -4));
    const auto colourAt = [&](double fromBottom) {
        return image.pixelColor(
            int(bar.center().x()), int(bar.bottom() - bar.height() * fromBottom));
    };
    QCOMPARE(colourAt(0.125), GlucoseChart::bandColour(GlucoseStatistics::InRange));
    QCOMPARE(colourAt(0.5), GlucoseChart::bandColour(GlucoseStatistics::High));
    QCOMPARE(colourAt(0.875), GlucoseChart::bandColour(GlucoseStatistics::VeryHigh));
    QCOMPARE(pixelsOf(image, GlucoseChart::bandColour(GlucoseStatistics::Low)), 0);
}

void TstStatisticsPanel::profileIsDrawn()
{
    const QColor inner(100, 151, 177);
    QCOMPARE(pixelsOf(grabbed(*panel, "profile"), inner), 0);
    panel->setReadings(
        days(14, [](int day, int minute) { return 100 + (day * 13 + minute) % 80; }));
    QVERIFY(pixelsOf(grabbed(*panel, "profile"), inner) > 500);
}

void TstStatisticsPanel::periods()
{
    // 100 days; day d at 100 + d mg/dL.
    panel->setReadings(days(100, [](int day, int) { return 100 + day; }));
    QCOMPARE(figure(*panel, QStringLiteral("Readings")), QStringLiteral("4032 | "));
    const auto *text = panel->findChild<QLabel *>(QStringLiteral("periodText"));
    QCOMPARE(text->text(),
        QStringLiteral("14 days: 2024-06-26 – 2024-07-09, ending on the newest reading"));
    choose(*panel, QStringLiteral("Last 90 days"));
    QCOMPARE(figure(*panel, QStringLiteral("Readings")), QStringLiteral("25920 | "));
    QCOMPARE(panel->period(), GlucosePeriod::lastDays(90));
    choose(*panel, QStringLiteral("All readings"));
    QCOMPARE(figure(*panel, QStringLiteral("Readings")), QStringLiteral("28800 | "));
    QCOMPARE(figure(*panel, QStringLiteral("Mean glucose")), QStringLiteral("150 mg/dL | "));
}

void TstStatisticsPanel::fromTo()
{
    panel->setReadings(days(30, [](int day, int) { return 100 + day; }));
    auto *box = panel->findChild<QComboBox *>(QStringLiteral("period"));
    box->setFocus();
    QTest::keyClick(box, Qt::Key_End);
    QCOMPARE(box->currentText(), QStringLiteral("From – to"));
    auto *from = panel->findChild<QDateEdit *>(QStringLiteral("from"));
    auto *to = panel->findChild<QDateEdit *>(QStringLiteral("to"));
    QVERIFY(from->isVisible() && to->isVisible());
    // They start on the days shown before.
    QCOMPARE(from->date(), firstDay.addDays(16));
    QCOMPARE(to->date(), firstDay.addDays(29));
    to->setDate(firstDay.addDays(20));
    from->setDate(firstDay.addDays(20));
    QCOMPARE(figure(*panel, QStringLiteral("Readings")), QStringLiteral("288 | "));
    QCOMPARE(figure(*panel, QStringLiteral("Mean glucose")), QStringLiteral("120 mg/dL | "));
    choose(*panel, QStringLiteral("Last 14 days"));
    QVERIFY(!from->isVisible());
}

void TstStatisticsPanel::unitChangesEveryText()
{
    panel->setReadings(days(14, [](int, int) { return 180; }));
    QCOMPARE(figure(*panel, QStringLiteral("Mean glucose")), QStringLiteral("180 mg/dL | "));
    panel->setUnit(GlucoseUnit::MmolPerL);
    QCOMPARE(figure(*panel, QStringLiteral("Mean glucose")), QStringLiteral("10.0 mmol/L | "));
    QCOMPARE(
        figure(*panel, QStringLiteral("In range 3.9–10.0")), QStringLiteral("✓ 100.0 % | > 70 %"));
    for (const QString &line : figures(*panel))
        QVERIFY2(!line.contains(QStringLiteral("mg/dL")), qPrintable(line));
}

void TstStatisticsPanel::dayCurve()
{
    // Readings only in the morning of each day.
    Readings readings = days(5, [](int, int) { return 250; });
    readings.erase(std::remove_if(readings.begin(), readings.end(),
                       [](const GlucoseReading &r) { return r.time.hour() >= 12; }),
        readings.end());
    panel->setReadings(readings);
    const auto *title = panel->findChild<QLabel *>(QStringLiteral("dayTitle"));
    // Until a day is chosen, the newest.
    QVERIFY2(title->text().contains(QStringLiteral("5 April 2024")), qPrintable(title->text()));
    panel->showDay(firstDay.addDays(1));
    QVERIFY2(title->text().contains(QStringLiteral("2 April 2024")), qPrintable(title->text()));
    const QImage image = grabbed(*panel, "day");
    // Dark blue is the curve: on the left half (before noon), none after 17 h.
    int darkMorning = 0;
    int darkEvening = 0;
    for (int y = 0; y < image.height() / 2; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (qGray(c.rgb()) < 120 && c.blue() > 100) {
                darkMorning += x < image.width() / 2;
                darkEvening += x > image.width() * 7 / 10;
            }
        }
    }
    QVERIFY(darkMorning > 50);
    QCOMPARE(darkEvening, 0);
    panel->showDay(QDate(2030, 1, 1));
    QVERIFY2(title->text().startsWith(QStringLiteral("No readings on")), qPrintable(title->text()));
}

void TstStatisticsPanel::followsTheJournal()
{
    Readings readings = days(14, [](int, int) { return 100; });
    panel->setReadings(readings);
    QCOMPARE(figure(*panel, QStringLiteral("Mean glucose")), QStringLiteral("100 mg/dL | "));
    readings.push_back({ firstDay.addDays(13), QTime(23, 59), 0 });
    for (GlucoseReading &r : readings)
        r.value = r.value ? 200 : 0;
    panel->setReadings(readings);
    QCOMPARE(figure(*panel, QStringLiteral("Mean glucose")), QStringLiteral("200 mg/dL | "));
    QCOMPARE(figure(*panel, QStringLiteral("Readings")), QStringLiteral("4032 (1 ignored) | "));
}

void TstStatisticsPanel::everyFigureIsVisible_data()
{
    QTest::addColumn<QSize>("window");
    QTest::newRow("1920x1080") << QSize(1920, 1080);
    QTest::newRow("1024x768") << QSize(1024, 768);
    QTest::newRow("default under X") << QSize(660, 401);
}

void TstStatisticsPanel::everyFigureIsVisible()
{
    QFETCH(QSize, window);
    // In a dock of a window, as the viewer has it, with a period before.
    QMainWindow main;
    auto *dock = new QDockWidget(QStringLiteral("Statistics"), &main);
    auto *docked = new StatisticsPanel;
    dock->setWidget(docked);
    main.setCentralWidget(new QWidget);
    main.addDockWidget(Qt::RightDockWidgetArea, dock);
    main.resize(window);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    // With the widest lines too: the last HbA1c and insulin.
    using Treatment = TreatmentStatistics::Treatment;
    docked->setReadings(days(28, [](int day, int minute) { return 60 + (day * 7 + minute) % 250; }),
        { { firstDay, QTime(8, 0), Treatment::HbA1c, 10.4 },
            { firstDay.addDays(27), QTime(8, 0), Treatment::Bolus, 12.5 } });
    QTest::qWait(10);
    const auto *tree = docked->findChild<QTreeWidget *>(QStringLiteral("figures"));
    QVERIFY(!tree->isColumnHidden(3));
    const QRect viewport = tree->viewport()->rect();
    for (int c = 0; c < tree->columnCount(); ++c) {
        if (tree->isColumnHidden(c))
            continue;
        const int right
            = tree->header()->sectionViewportPosition(c) + tree->header()->sectionSize(c);
        QVERIFY2(right <= viewport.width(),
            qPrintable(QStringLiteral("column %1 ends at %2 of %3")
                           .arg(c)
                           .arg(right)
                           .arg(viewport.width())));
        // The widest text of the column fits its section.
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *item = tree->topLevelItem(i);
            if (c == 0 || !item->isFirstColumnSpanned())
                QVERIFY2(QFontMetrics(item->font(c)).horizontalAdvance(item->text(c))
                        <= tree->header()->sectionSize(c),
                    qPrintable(item->text(c)));
        }
    }
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        const QRect row = tree->visualItemRect(tree->topLevelItem(i));
        QVERIFY2(viewport.contains(row.topLeft()) && row.bottom() <= viewport.bottom(),
            qPrintable(tree->topLevelItem(i)->text(0)));
    }
    // The panel itself scrolls to them: the table is never cut sideways.
    const auto *scroll = docked->findChild<QScrollArea *>();
    QVERIFY(tree->width() <= scroll->viewport()->width());
}

void TstStatisticsPanel::sectionsSayWhatTheyMeasure()
{
    panel->setReadings(days(14, [](int, int minute) { return minute < 60 ? 50 : 120; }));
    const auto *tree = panel->findChild<QTreeWidget *>(QStringLiteral("figures"));
    QStringList headings;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = tree->topLevelItem(i);
        // Every row, heading or figure, says what it is.
        QVERIFY2(
            !item->toolTip(0).isEmpty() && !item->toolTip(1).isEmpty(), qPrintable(item->text(0)));
        if (item->isFirstColumnSpanned())
            headings << item->text(0);
    }
    QCOMPARE(headings, (QStringList { "Episodes", "Variability" }));
    const auto tip = [tree](const QString &label) {
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            if (tree->topLevelItem(i)->text(0) == label)
                return tree->topLevelItem(i)->toolTip(1);
        return QString();
    };
    QVERIFY(tip(QStringLiteral("MAGE")).contains(QStringLiteral("excursions")));
    QVERIFY(tip(QStringLiteral("Below 70")).contains(QStringLiteral("Hypoglycaemia")));
    // Every day below 70 from midnight to 00:55: 14 episodes of an hour, the
    // first from 00:05, where the grid begins.
    QCOMPARE(
        figure(*panel, QStringLiteral("Below 70")), QStringLiteral("14 (7.0 a week, 60 min) | "));
    QVERIFY(!figure(*panel, QStringLiteral("MODD")).startsWith(QStringLiteral("–")));
}

void TstStatisticsPanel::meterFiguresAreGreyed()
{
    // Four readings a day.
    Readings readings;
    for (int d = 0; d < 14; ++d)
        for (const int hour : { 7, 12, 18, 22 })
            readings.push_back({ firstDay.addDays(d), QTime(hour, 0), 80 + 10 * hour,
                hour == 7 ? GlucoseReading::PreBreakfast : GlucoseReading::Unspecified });
    panel->setReadings(readings);
    const auto *tree = panel->findChild<QTreeWidget *>(QStringLiteral("figures"));
    const QColor grey = panel->palette().color(QPalette::Disabled, QPalette::Text);
    int sensorFigures = 0;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = tree->topLevelItem(i);
        // MAG measures the change an hour, which readings hours apart do not show.
        // The figures of the curve between readings: readings hours apart do not show it.
        if (QStringList { "CGM active", "GRI", "MAGE", "MODD", "CONGA", "MAG", "GVP" }.contains(
                item->text(0))) {
            ++sensorFigures;
            QCOMPARE(item->text(1), QStringLiteral("– (meter)"));
            QCOMPARE(item->foreground(1).color(), grey);
            QVERIFY(item->toolTip(1).contains(QStringLiteral("meter")));
        }
    }
    QCOMPARE(sensorFigures, 7);
    QCOMPARE(figure(*panel, QStringLiteral("% of readings in range")), QStringLiteral(" | "));
    QCOMPARE(figure(*panel, QStringLiteral("Readings per day")), QStringLiteral("4.0 | "));
    QCOMPARE(figure(*panel, QStringLiteral("pre-breakfast")), QStringLiteral("150 ± 0 (14) | "));
    QCOMPARE(figure(*panel, QStringLiteral("Evening")), QStringLiteral("280 ± 20 (28) | "));
    QCOMPARE(figure(*panel, QStringLiteral("Episodes per week")), QStringLiteral("– (meter) | "));
    // No warning about sensor data that a meter never gives.
    QVERIFY(panel->findChild<QLabel *>(QStringLiteral("warning"))->isHidden());
}

void TstStatisticsPanel::changeSincePeriodBefore()
{
    // Two weeks at 100, then two weeks at 150.
    panel->setReadings(days(28, [](int day, int) { return day < 14 ? 100 : 150; }));
    const auto *tree = panel->findChild<QTreeWidget *>(QStringLiteral("figures"));
    QVERIFY(!tree->isColumnHidden(3));
    QVERIFY(tree->headerItem()->toolTip(3).contains(QStringLiteral("2024-04-01 – 2024-04-14")));
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = tree->topLevelItem(i);
        if (item->text(0) == QLatin1String("Mean glucose"))
            QCOMPARE(item->text(3), QStringLiteral("▲ 50"));
        if (item->text(0) == QLatin1String("Readings"))
            QCOMPARE(item->text(3), QStringLiteral("="));
    }
    choose(*panel, QStringLiteral("All readings"));
    QVERIFY(tree->isColumnHidden(3));
}

void TstStatisticsPanel::futureReadingsAreLeftOut()
{
    const QDate today = QDate::currentDate();
    panel->setReadings(
        { { today.addDays(-1), QTime(8, 0), 100 }, { today.addYears(1), QTime(8, 0), 300 } });
    const auto *text = panel->findChild<QLabel *>(QStringLiteral("periodText"));
    QVERIFY2(
        text->text().endsWith(QStringLiteral("up to today: readings dated later are left out")),
        qPrintable(text->text()));
    QCOMPARE(figure(*panel, QStringLiteral("Mean glucose")), QStringLiteral("100 mg/dL | "));
}

void TstStatisticsPanel::figureOfOneReadingIsNotJudged()
{
    // One reading has no SD: its CV is not known, so neither met nor missed.
    panel->setReadings({ { firstDay, QTime(8, 0), 104 } });
    QCOMPARE(figure(*panel, QStringLiteral("CV")), QStringLiteral("– | ≤ 36 %"));
    QCOMPARE(
        figure(*panel, QStringLiteral("In range 70–180")), QStringLiteral("✓ 100.0 % | > 70 %"));
}

void TstStatisticsPanel::treatmentsBesideTheFigures()
{
    using Treatment = TreatmentStatistics::Treatment;
    // 28 days: a bolus of 6 u and 50 g each day, basal of 18 u on the last
    // 14 only; an HbA1c before the readings and one in the first fortnight.
    std::vector<Treatment> treatments;
    for (int d = 0; d < 28; ++d) {
        treatments.push_back({ firstDay.addDays(d), QTime(7, 30), Treatment::Bolus, 6 });
        treatments.push_back({ firstDay.addDays(d), QTime(7, 40), Treatment::Carbs, 50 });
        if (d >= 14)
            treatments.push_back({ firstDay.addDays(d), QTime(22, 0), Treatment::Basal, 18 });
    }
    treatments.push_back({ firstDay.addDays(-30), QTime(9, 0), Treatment::HbA1c, 7.4 });
    treatments.push_back({ firstDay.addDays(3), QTime(9, 0), Treatment::HbA1c, 6.8 });
    treatments.push_back({ firstDay.addDays(20), QTime(18, 0), Treatment::Activity, 45 });
    panel->setReadings(days(28, [](int, int) { return 120; }), treatments);

    QCOMPARE(figure(*panel, QStringLiteral("Insulin a day")), QStringLiteral("24.0 u | "));
    QCOMPARE(figure(*panel, QStringLiteral("Bolus a day")), QStringLiteral("6.0 u | "));
    QCOMPARE(figure(*panel, QStringLiteral("Basal a day")), QStringLiteral("18.0 u | "));
    QCOMPARE(figure(*panel, QStringLiteral("Carbohydrates a day")), QStringLiteral("50 g | "));
    // Over the one day with activity, not over the fortnight.
    QCOMPARE(figure(*panel, QStringLiteral("Activity a day")), QStringLiteral("45 min | "));
    // The last HbA1c up to the period's end, right after GMI.
    const QStringList lines = figures(*panel);
    const auto gmi = std::find_if(lines.begin(), lines.end(),
        [](const QString &line) { return line.startsWith(QStringLiteral("GMI: ")); });
    QVERIFY(gmi != lines.end() && gmi + 1 != lines.end());
    QCOMPARE(*(gmi + 1), QStringLiteral("Last HbA1c: 6.8 % (51 mmol/mol), 2024-04-04 | "));

    const auto *tree = panel->findChild<QTreeWidget *>(QStringLiteral("figures"));
    const auto change = [tree](const QString &label) {
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            if (tree->topLevelItem(i)->text(0) == label)
                return tree->topLevelItem(i)->text(3);
        return QStringLiteral("no row");
    };
    QCOMPARE(change(QStringLiteral("Insulin a day")), QStringLiteral("▲ 18.0"));
    QCOMPARE(change(QStringLiteral("Carbohydrates a day")), QStringLiteral("="));

    // The day's curve marks the dose at its time, 07:30, from the top.
    panel->showDay(firstDay.addDays(27));
    const QImage image = grabbed(*panel, "day");
    int early = 0;
    int atDose = 0;
    const QColor insulin = GlucoseChart::insulinColour();
    for (int y = 0; y < image.height() / 3; ++y)
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) != insulin)
                continue;
            early += x < image.width() * 6 / 24;
            atDose += x > image.width() * 6 / 24 && x < image.width() * 10 / 24;
        }
    QCOMPARE(early, 0);
    QVERIFY(atDose > 5);
}

QTEST_MAIN(TstStatisticsPanel)
void TstStatisticsPanel::daysAskedForAgreeWithAllReadings_data()
{
    QTest::addColumn<QString>("period");
    QTest::addColumn<bool>("allAskedFor");
    QTest::newRow("last 14 days") << QStringLiteral("Last 14 days") << false;
    QTest::newRow("last 90 days, more than the journal") << QStringLiteral("Last 90 days") << false;
    QTest::newRow("all readings") << QStringLiteral("All readings") << true;
}

void TstStatisticsPanel::daysAskedForAgreeWithAllReadings()
{
    QFETCH(QString, period);
    QFETCH(bool, allAskedFor);
    // 40 days with a value that is no number now and then, a reading
    // without a date and one dated after today.
    Readings all = days(40, [](int day, int minute) { return minute % 97 ? 90 + day : 0; });
    all.push_back({ QDate(), QTime(8, 0), 120 });
    all.push_back({ QDate::currentDate().addDays(3), QTime(8, 0), 300 });
    // Today's readings take the last days past the 40 days above.
    for (int m = 0; m < 60; m += 5)
        all.push_back({ QDate::currentDate(), QTime(7, m), 140 });

    StatisticsPanel whole;
    whole.setReadings(all);
    choose(whole, period);

    std::vector<GlucoseReading> readingDays;
    Readings inOrder = all;
    std::stable_sort(inOrder.begin(), inOrder.end(), [](const auto &a, const auto &b) {
        return a.date != b.date ? a.date < b.date : a.time < b.time;
    });
    for (const GlucoseReading &r : inOrder)
        GlucosePeriod::addDay(readingDays, r);
    bool askedForAll = false;
    StatisticsPanel asking;
    asking.setJournal(
        [&](const QDate &from, const QDate &to) {
            askedForAll = askedForAll || (!from.isValid() && !to.isValid());
            Readings some;
            for (const GlucoseReading &r : inOrder) {
                if (r.date.isValid()
                        ? (!from.isValid() || r.date >= from) && (!to.isValid() || r.date <= to)
                        : !from.isValid())
                    some.push_back(r);
            }
            return some;
        },
        readingDays);
    choose(asking, period);

    // Every column, the change since the period before too.
    const auto rows = [](const StatisticsPanel &p) {
        QStringList texts;
        const auto *tree = p.findChild<QTreeWidget *>(QStringLiteral("figures"));
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            for (int c = 0; c < tree->columnCount(); ++c)
                texts << tree->topLevelItem(i)->text(c);
        return texts;
    };
    QCOMPARE(rows(asking), rows(whole));
    const auto label = [](const StatisticsPanel &p) {
        return p.findChild<QLabel *>(QStringLiteral("periodText"))->text();
    };
    QCOMPARE(label(asking), label(whole));
    QCOMPARE(asking.shownDay(), whole.shownDay());
    QCOMPARE(askedForAll, allAskedFor);
}

#include "tst_statisticspanel.moc"
