// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "GlucoseChart.h"
#include "GlucoseSummary.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTest>

#include <functional>

using Readings = std::vector<GlucoseReading>;

namespace {

// Readings every 5 minutes from midnight of one day on, one per value.
Readings series(const std::vector<int> &values, const QDate &day = QDate(2024, 5, 1))
{
    Readings readings;
    const QDateTime start(day, QTime(0, 0));
    for (std::size_t i = 0; i < values.size(); ++i) {
        const QDateTime at = start.addSecs(qint64(i) * 300);
        readings.push_back({ at.date(), at.time(), values[i] });
    }
    return readings;
}

// A white image with a chart painted over all of it.
QImage painted(
    const std::function<void(QPainter *, const QRectF &)> &paint, QSize size = { 480, 240 })
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    paint(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

int pixelsOf(const QImage &image, const QColor &colour, const QRect &area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += image.pixelColor(x, y) == colour;
    return n;
}

} // namespace

class TstGlucoseChart : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void bandsAtTheirPlaces_data();
    void bandsAtTheirPlaces();
    void profileShowsItsBands();
    void dayCurveWhereTheReadingsAre();
    void meterDayIsPoints_data();
    void meterDayIsPoints();
    void scaleHoldsValuesAbove350();
    void dayMarksDosesAndCarbs_data();
    void dayMarksDosesAndCarbs();
    void changeAsShown_data();
    void changeAsShown();
    void summaryLines_data();
    void summaryLines();
    void insufficiency_data();
    void insufficiency();
};

void TstGlucoseChart::bandsAtTheirPlaces_data()
{
    QTest::addColumn<QList<int>>("shares"); // of 100 readings, very low to very high
    QTest::newRow("every band") << QList<int> { 10, 10, 50, 20, 10 };
    QTest::newRow("all in range") << QList<int> { 0, 0, 100, 0, 0 };
    QTest::newRow("lows and very high only") << QList<int> { 30, 20, 0, 0, 50 };
}

void TstGlucoseChart::bandsAtTheirPlaces()
{
    QFETCH(QList<int>, shares);
    const int values[] = { 40, 60, 120, 200, 300 };
    std::vector<int> readings;
    for (int b = 0; b < GlucoseStatistics::bandCount; ++b)
        readings.insert(readings.end(), std::size_t(shares[b]), values[b]);
    const GlucoseStatistics statistics(series(readings), GlucosePeriod::all());
    const QRectF whole(0, 0, 480, 240);
    const QImage image = painted([&](QPainter *p, const QRectF &rect) {
        GlucoseChart::paintBands(p, rect, statistics, GlucoseUnit::MgPerDl);
    });

    // From the bottom up, each slice's middle has its colour; absent bands no pixel.
    const QRectF bar = GlucoseChart::bandsBar(whole);
    const QRect column = bar.toRect().adjusted(1, 0, -1, 0);
    double below = 0;
    for (int b = 0; b < GlucoseStatistics::bandCount; ++b) {
        const QColor colour = GlucoseChart::bandColour(GlucoseStatistics::Band(b));
        if (shares[b] == 0) {
            QCOMPARE(pixelsOf(image, colour, column), 0);
            continue;
        }
        const double middle = bar.bottom() - bar.height() * (below + shares[b] / 200.0);
        QCOMPARE(image.pixelColor(int(bar.center().x()), int(middle)), colour);
        below += shares[b] / 100.0;
    }
}

void TstGlucoseChart::profileShowsItsBands()
{
    // 20 days with a daily rise after noon.
    std::vector<int> values;
    for (int day = 0; day < 20; ++day)
        for (int i = 0; i < 288; ++i)
            values.push_back(100 + (i >= 144 ? 100 : 0) + (day * 7 + i) % 60);
    const GlucoseProfile profile(series(values), GlucosePeriod::all());
    const QImage image = painted([&](QPainter *p, const QRectF &rect) {
        GlucoseChart::paintProfile(p, rect, profile, GlucoseUnit::MgPerDl);
    });
    // The 25-75 band sits on the median's level: its colour is at 06:00 near
    // the morning median, above it in the afternoon, and the chart is not blank.
    QPainter measure;
    QImage probe(1, 1, QImage::Format_RGB32);
    measure.begin(&probe);
    const QRectF plot = GlucoseChart::plotArea(QRectF(0, 0, 480, 240), &measure);
    measure.end();
    const auto at = [&](double hour, double mg) {
        return QPoint(int(plot.left() + plot.width() * hour / 24),
            int(plot.bottom() - plot.height() * mg / GlucoseChart::axisTop));
    };
    const QColor inner(100, 151, 177);
    const QColor outer(179, 205, 227);
    QVERIFY(pixelsOf(image, inner, QRect(at(6, 120) - QPoint(3, 3), QSize(7, 7))) > 0);
    QVERIFY(pixelsOf(image, inner, QRect(at(18, 220) - QPoint(3, 3), QSize(7, 7))) > 0);
    QCOMPARE(pixelsOf(image, inner, QRect(at(6, 220) - QPoint(3, 3), QSize(7, 7))), 0);
    QVERIFY(pixelsOf(image, outer, image.rect()) > 1000);

    const QImage empty = painted([](QPainter *p, const QRectF &rect) {
        GlucoseChart::paintProfile(p, rect, GlucoseProfile(), GlucoseUnit::MgPerDl);
    });
    QCOMPARE(pixelsOf(empty, inner, empty.rect()), 0);
}

void TstGlucoseChart::dayCurveWhereTheReadingsAre()
{
    // 08:00 to 10:00 at 250 mg/dL, then nothing.
    Readings readings = series(std::vector<int>(25, 250));
    for (GlucoseReading &r : readings)
        r.time = r.time.addSecs(8 * 3600);
    const QImage image = painted([&](QPainter *p, const QRectF &rect) {
        GlucoseChart::DayStyle style;
        style.compact = true;
        GlucoseChart::paintDay(p, rect, readings, GlucoseUnit::MgPerDl, style);
    });
    const QRectF plot = GlucoseChart::plotArea(QRectF(0, 0, 480, 240), nullptr, true);
    const auto near = [&](double hour, double mg) {
        const QPoint centre(int(plot.left() + plot.width() * hour / 24),
            int(plot.bottom() - plot.height() * mg / GlucoseChart::axisTop));
        return QRect(centre - QPoint(2, 2), QSize(5, 5));
    };
    const auto dark = [&](const QRect &area) {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                n += qGray(image.pixel(x, y)) < 140;
        return n;
    };
    QVERIFY(dark(near(9, 250)) > 0);
    QCOMPARE(dark(near(9, 120)), 0);
    QCOMPARE(dark(near(20, 250)), 0);
    // The target band is shaded between 70 and 180.
    QCOMPARE(image.pixelColor(near(20, 125).center()), QColor(232, 245, 233));
}

void TstGlucoseChart::meterDayIsPoints_data()
{
    QTest::addColumn<bool>("points");
    QTest::newRow("a sensor's curve") << false;
    QTest::newRow("a meter's points") << true;
}

void TstGlucoseChart::meterDayIsPoints()
{
    QFETCH(bool, points);
    // Two readings 40 minutes apart: a curve joins them, points do not.
    const QDate day(2024, 5, 1);
    const Readings readings { { day, QTime(8, 0), 250 }, { day, QTime(8, 40), 250 } };
    const QRectF rect(0, 0, 960, 240);
    const QImage image = painted(
        [&](QPainter *p, const QRectF &r) {
            GlucoseChart::DayStyle style;
            style.compact = true;
            style.points = points;
            GlucoseChart::paintDay(p, r, readings, GlucoseUnit::MgPerDl, style);
        },
        rect.size().toSize());
    const QRectF plot = GlucoseChart::plotArea(rect, nullptr, true);
    const auto at = [&](double hour) {
        return QPoint(int(plot.left() + plot.width() * hour / 24),
            int(plot.bottom() - plot.height() * 250 / GlucoseChart::axisTop));
    };
    const QColor high = GlucoseChart::bandColour(GlucoseStatistics::High);
    // Between the readings: the line, or the chart's white.
    QCOMPARE(qGray(image.pixel(at(8 + 20.0 / 60))) < 140, !points);
    // On a reading: a point on the colour of its range, or the curve.
    QCOMPARE(image.pixelColor(at(8)) == high, points);
}

void TstGlucoseChart::scaleHoldsValuesAbove350()
{
    // A meter's readings of 360 and 420 mg/dL: each dot at its own height,
    // both above where 350, the old top of the scale, now stands.
    const QDate day(2024, 5, 1);
    const Readings readings { { day, QTime(8, 0), 360 }, { day, QTime(12, 0), 100 },
        { day, QTime(16, 0), 420 } };
    const QRectF rect(0, 0, 480, 240);
    const QImage image = painted(
        [&](QPainter *p, const QRectF &r) {
            GlucoseChart::DayStyle style;
            style.compact = true;
            style.points = true;
            GlucoseChart::paintDay(p, r, readings, GlucoseUnit::MgPerDl, style);
        },
        rect.size().toSize());
    const QRectF plot = GlucoseChart::plotArea(rect, nullptr, true);
    // The middle of the dot's pixels in the colour of very high, around an hour.
    const QColor veryHigh = GlucoseChart::bandColour(GlucoseStatistics::VeryHigh);
    const auto dotAt = [&](double hour) {
        const int x = int(plot.left() + plot.width() * hour / 24);
        double sum = 0;
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int dx = -8; dx <= 8; ++dx)
                if (image.pixelColor(x + dx, y) == veryHigh) {
                    sum += y;
                    ++n;
                }
        return n ? sum / n : -1.0;
    };
    const double at360 = dotAt(8);
    const double at420 = dotAt(16);
    QVERIFY(at360 > 0 && at420 > 0);
    // The scale reaches the next 50 above the highest: 450 mg/dL.
    const double line350 = plot.bottom() - plot.height() * 350 / 450;
    QVERIFY2(at420 < line350 && at360 < line350,
        qPrintable(
            QStringLiteral("dots at %1 and %2, 350 at %3").arg(at420).arg(at360).arg(line350)));
    QVERIFY2(at360 - at420 > plot.height() * 60 / 450 * 0.8,
        qPrintable(QStringLiteral("dots at %1 and %2").arg(at420).arg(at360)));
}

void TstGlucoseChart::dayMarksDosesAndCarbs_data()
{
    QTest::addColumn<bool>("compact");
    QTest::newRow("a report's small day") << true;
    QTest::newRow("the dock's day, with amounts") << false;
}

void TstGlucoseChart::dayMarksDosesAndCarbs()
{
    QFETCH(bool, compact);
    using Treatment = TreatmentStatistics::Treatment;
    const QDate day(2024, 5, 1);
    const std::vector<Treatment> treatments { { day, QTime(7, 30), Treatment::Bolus, 8 },
        { day, QTime(12, 0), Treatment::Carbs, 40 }, { day, QTime(22, 0), Treatment::Basal, 20 },
        { day, QTime(9, 0), Treatment::Activity, 30 } };
    const QSize size(480, 240);
    const QImage image = painted(
        [&](QPainter *p, const QRectF &r) {
            GlucoseChart::DayStyle style;
            style.compact = compact;
            GlucoseChart::paintDay(
                p, r, series(std::vector<int>(288, 120)), GlucoseUnit::MgPerDl, style, treatments);
        },
        size);
    QImage probe(size, QImage::Format_RGB32);
    QPainter painter(&probe);
    const QRectF plot = GlucoseChart::plotArea(QRectF(QPointF(0, 0), size), &painter, compact);
    const double a = GlucoseChart::markSize(plot, compact);
    const auto x = [&](double hour) { return int(plot.left() + plot.width() * hour / 24); };
    const QColor insulin = GlucoseChart::insulinColour();
    const QColor carbs = GlucoseChart::carbsColour();
    // A dose hangs from the top at its time, carbohydrates stand on the bottom.
    QCOMPARE(image.pixelColor(x(7.5), int(plot.top() + a * 0.6)), insulin);
    QCOMPARE(image.pixelColor(x(12), int(plot.bottom() - a * 0.6)), carbs);
    // Basal is an open mark: its edge drawn, its middle not.
    QVERIFY(
        pixelsOf(image, insulin, QRect(x(22) - int(a), int(plot.top()), int(2 * a), int(a))) > 0);
    QVERIFY(image.pixelColor(x(22), int(plot.top() + a * 0.6)) != insulin);
    // Nothing of either before its first mark, nor for the activity at 09:00.
    const int top = int(plot.top());
    QCOMPARE(pixelsOf(image, insulin, QRect(0, 0, x(7.5) - int(a) - 1, size.height())), 0);
    QCOMPARE(pixelsOf(image, carbs, QRect(0, 0, x(12) - int(a) - 1, size.height())), 0);
    QCOMPARE(pixelsOf(image, insulin, QRect(x(9) - 2, top, 5, int(2 * a))), 0);
}

void TstGlucoseChart::changeAsShown_data()
{
    QTest::addColumn<double>("now");
    QTest::addColumn<double>("before");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("change");
    QTest::newRow("both show 6.4") << 6.43 << 6.36 << 1 << "=";
    QTest::newRow("6.4 to 6.5, though 0.02 apart") << 6.46 << 6.44 << 1 << "▲ 0.1";
    QTest::newRow("down in whole numbers") << 100.0 << 150.4 << 0 << "▼ 50";
    QTest::newRow("a minus zero shows as zero") << -0.01 << 0.01 << 1 << "=";
    QTest::newRow("nothing to compare") << std::nan("") << 1.0 << 1 << "";
}

void TstGlucoseChart::changeAsShown()
{
    QFETCH(double, now);
    QFETCH(double, before);
    QFETCH(int, decimals);
    QFETCH(QString, change);
    QLocale::setDefault(QLocale::c());
    QCOMPARE(GlucoseSummary::change(now, before, decimals), change);
}

void TstGlucoseChart::summaryLines_data()
{
    QTest::addColumn<int>("unit");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("state");
    const int mg = GlucoseUnit::MgPerDl;
    const int mmol = GlucoseUnit::MmolPerL;
    QTest::newRow("in range missed") << mg << "In range 70–180"
                                     << "50.0 %" << int(GlucoseSummary::Missed);
    QTest::newRow("in range in mmol/L") << mmol << "In range 3.9–10.0"
                                        << "50.0 %" << int(GlucoseSummary::Missed);
    QTest::newRow("both lows together") << mg << "Below range < 70"
                                        << "0.0 %" << int(GlucoseSummary::Met);
    QTest::newRow("very high missed") << mg << "Very high > 250"
                                      << "50.0 %" << int(GlucoseSummary::Missed);
    QTest::newRow("mean in mg/dL") << mg << "Mean glucose"
                                   << "200 mg/dL" << int(GlucoseSummary::NoTarget);
    QTest::newRow("mean in mmol/L") << mmol << "Mean glucose"
                                    << "11.1 mmol/L" << int(GlucoseSummary::NoTarget);
    QTest::newRow("quartiles in mmol/L")
        << mmol << "Min / Q1 / median / Q3 / max"
        << "5.6 / 5.6 / 11.1 / 16.7 / 16.7" << int(GlucoseSummary::NoTarget);
    QTest::newRow("too few days") << mg << "Days with readings"
                                  << "1" << int(GlucoseSummary::Missed);
}

void TstGlucoseChart::summaryLines()
{
    QFETCH(int, unit);
    QFETCH(QString, label);
    QFETCH(QString, value);
    QFETCH(int, state);
    QLocale::setDefault(QLocale::c());
    // Half at 100, half at 300 mg/dL.
    std::vector<int> values(50, 100);
    values.insert(values.end(), 50, 300);
    const GlucoseStatistics statistics(series(values), GlucosePeriod::all());
    for (const GlucoseSummary::Line &line :
        GlucoseSummary::lines(statistics, GlucoseUnit::Unit(unit))) {
        if (line.label != label)
            continue;
        QCOMPARE(line.value, value);
        QCOMPARE(int(line.state), state);
        return;
    }
    QFAIL(qPrintable(QStringLiteral("no line ") + label));
}

void TstGlucoseChart::insufficiency_data()
{
    QTest::addColumn<int>("days");
    QTest::addColumn<bool>("oddHoursEmpty");
    QTest::addColumn<QString>("mentions");
    QTest::addColumn<QString>("absent");
    QTest::newRow("enough") << 14 << false << QString() << QString();
    QTest::newRow("13 days") << 13 << false << "13 days with readings"
                             << "CGM active";
    QTest::newRow("one day") << 1 << false << "1 day with readings"
                             << "CGM active";
    QTest::newRow("half the readings missing") << 20 << true << "CGM active 50.1 %"
                                               << "days with";
}

void TstGlucoseChart::insufficiency()
{
    QFETCH(int, days);
    QFETCH(bool, oddHoursEmpty);
    QFETCH(QString, mentions);
    QFETCH(QString, absent);
    QLocale::setDefault(QLocale::c());
    Readings readings;
    for (const GlucoseReading &r : series(std::vector<int>(std::size_t(days) * 288, 120))) {
        if (!oddHoursEmpty || r.time.hour() % 2 == 0)
            readings.push_back(r);
    }
    const QString text
        = GlucoseSummary::insufficiency(GlucoseStatistics(readings, GlucosePeriod::all()));
    QCOMPARE(text.isEmpty(), mentions.isEmpty());
    QVERIFY2(text.contains(mentions), qPrintable(text));
    if (!absent.isEmpty())
        QVERIFY2(!text.contains(absent), qPrintable(text));
}

QTEST_MAIN(TstGlucoseChart)
#include "tst_glucosechart.moc"
