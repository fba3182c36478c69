// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "GlucoseStatistics.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <cmath>
#include <map>

using Readings = std::vector<GlucoseReading>;
Q_DECLARE_METATYPE(GlucosePeriod)

namespace {

const QString igluDir = QStringLiteral(SHARED_DIR "/data/fixtures/iglu/");

// Readings every 5 minutes from 00:00 on a day, one per value.
Readings series(const QDate &day, const std::vector<int> &values)
{
    Readings readings;
    for (std::size_t i = 0; i < values.size(); ++i)
        readings.push_back({ day, QTime(0, 0).addSecs(int(i) * 300), values[i] });
    return readings;
}

// The subjects of iglu's example data, as "id,time,gl" rows.
std::map<QString, Readings> readIgluSubjects()
{
    std::map<QString, Readings> subjects;
    QFile file(igluDir + QStringLiteral("example_data_5_subject.csv"));
    if (!file.open(QIODevice::ReadOnly))
        return subjects;
    file.readLine();
    while (!file.atEnd()) {
        const QList<QByteArray> fields = file.readLine().trimmed().split(',');
        if (fields.size() != 4)
            continue;
        const QString id = QString::fromUtf8(fields[1]).remove(QLatin1Char('"'));
        const QDateTime when = QDateTime::fromString(
            QString::fromUtf8(fields[2]), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        subjects[id].push_back({ when.date(), when.time(), fields[3].toInt() });
    }
    return subjects;
}

const std::map<QString, Readings> &igluSubjects()
{
    static const std::map<QString, Readings> subjects = readIgluSubjects();
    return subjects;
}

// iglu's result of a method for each subject, by the subject's id.
std::map<QString, double> igluResult(const QString &method, const QString &column)
{
    static const QJsonArray runs = [] {
        QFile file(igluDir + QStringLiteral("expected_results_iglu-4.2.2.json"));
        return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll())
                                                    .object()
                                                    .value(QStringLiteral("test_runs"))
                                                    .toArray()
                                              : QJsonArray();
    }();
    std::map<QString, double> result;
    for (const QJsonValue &run : runs) {
        const QJsonObject o = run.toObject();
        if (o.value(QStringLiteral("method")).toString() != method
            || !o.value(QStringLiteral("input_file_name"))
                    .toString()
                    .endsWith(QStringLiteral("5_subject.csv"))
            || !o.value(QStringLiteral("kwargs")).toObject().isEmpty())
            continue;
        const QJsonObject ids
            = o.value(QStringLiteral("results")).toObject().value(QStringLiteral("id")).toObject();
        const QJsonObject values
            = o.value(QStringLiteral("results")).toObject().value(column).toObject();
        for (auto it = ids.begin(); it != ids.end(); ++it)
            result[it.value().toString()] = values.value(it.key()).toDouble();
    }
    return result;
}

} // namespace

class TstGlucoseStatistics : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void agreesWithIglu_data();
    void agreesWithIglu();
    void bandEdges_data();
    void bandEdges();
    void quartiles_data();
    void quartiles();
    void activePercent_data();
    void activePercent();
    void periods_data();
    void periods();
    void emptyPeriodHasNoFigures();
    void targets_data();
    void targets();
    void roundedBandsSumTo100_data();
    void roundedBandsSumTo100();
    void griIsCapped();
};

void TstGlucoseStatistics::agreesWithIglu_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("column");
    QTest::addColumn<int>("figure");
    // The figure is picked in the test by its number, in this order.
    const char *const rows[][2] = { { "mean_glu", "mean" }, { "sd_glu", "SD" }, { "cv_glu", "CV" },
        { "gmi", "GMI" }, { "gri", "GRI" }, { "active_percent", "active_percent" },
        { "below_percent", "below_54" }, { "below_percent", "below_70" },
        { "in_range_percent", "in_range_70_180" }, { "above_percent", "above_180" },
        { "above_percent", "above_250" }, { "quantile_glu", "0" }, { "quantile_glu", "25" },
        { "quantile_glu", "50" }, { "quantile_glu", "75" }, { "quantile_glu", "100" } };
    int figure = 0;
    for (const auto &row : rows) {
        QTest::addRow("%s %s", row[0], row[1])
            << QString::fromLatin1(row[0]) << QString::fromLatin1(row[1]) << figure++;
    }
}

void TstGlucoseStatistics::agreesWithIglu()
{
    QFETCH(QString, method);
    QFETCH(QString, column);
    QFETCH(int, figure);
    const std::map<QString, Readings> &subjects = igluSubjects();
    if (subjects.empty())
        QSKIP("iglu's example data is not in " SHARED_DIR);
    const std::map<QString, double> expected = igluResult(method, column);
    QCOMPARE(expected.size(), std::size_t(5));
    for (const auto &[id, readings] : subjects) {
        const GlucoseStatistics s(readings, GlucosePeriod::all());
        using S = GlucoseStatistics;
        const double figures[] = { s.mean(), s.sd(), s.cv(), s.gmiPercent(), s.gri(),
            s.activePercent(), s.bandPercent(S::VeryLow), s.targetValue(S::BelowRangeTarget),
            s.bandPercent(S::InRange), s.targetValue(S::AboveRangeTarget),
            s.bandPercent(S::VeryHigh), s.minimum(), s.firstQuartile(), s.median(),
            s.thirdQuartile(), s.maximum() };
        const double want = expected.at(id);
        if (std::abs(figures[figure] - want) > 1e-9)
            QFAIL(qPrintable(QStringLiteral("%1: %2, iglu %3")
                                 .arg(id)
                                 .arg(figures[figure], 0, 'g', 17)
                                 .arg(want, 0, 'g', 17)));
    }
}

void TstGlucoseStatistics::bandEdges_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("band");
    QTest::newRow("53 very low") << 53 << int(GlucoseStatistics::VeryLow);
    QTest::newRow("54 low") << 54 << int(GlucoseStatistics::Low);
    QTest::newRow("69 low") << 69 << int(GlucoseStatistics::Low);
    QTest::newRow("70 in range") << 70 << int(GlucoseStatistics::InRange);
    QTest::newRow("180 in range") << 180 << int(GlucoseStatistics::InRange);
    QTest::newRow("181 high") << 181 << int(GlucoseStatistics::High);
    QTest::newRow("250 high") << 250 << int(GlucoseStatistics::High);
    QTest::newRow("251 very high") << 251 << int(GlucoseStatistics::VeryHigh);
    QTest::newRow("1 very low") << 1 << int(GlucoseStatistics::VeryLow);
    QTest::newRow("huge very high") << 2000000000 << int(GlucoseStatistics::VeryHigh);
}

void TstGlucoseStatistics::bandEdges()
{
    QFETCH(int, value);
    QFETCH(int, band);
    const GlucoseStatistics s(series(QDate(2024, 1, 1), { value }), GlucosePeriod::all());
    for (int b = 0; b < GlucoseStatistics::bandCount; ++b)
        QCOMPARE(s.bandPercent(GlucoseStatistics::Band(b)), b == band ? 100.0 : 0.0);
    const auto asBand = GlucoseStatistics::Band(band);
    QVERIFY(GlucoseStatistics::bandLowest(asBand) <= value);
    QVERIFY(value <= GlucoseStatistics::bandHighest(asBand));
}

void TstGlucoseStatistics::quartiles_data()
{
    QTest::addColumn<std::vector<int>>("values");
    QTest::addColumn<QList<double>>("expected"); // min, q1, median, q3, max
    QTest::newRow("one value") << std::vector<int> { 120 }
                               << QList<double> { 120, 120, 120, 120, 120 };
    QTest::newRow("two values interpolate")
        << std::vector<int> { 100, 200 } << QList<double> { 100, 125, 150, 175, 200 };
    // h = 3 p: q1 at 0.75 between 10 and 20, q3 at 2.25 between 30 and 40.
    QTest::newRow("four values, unsorted")
        << std::vector<int> { 40, 10, 30, 20 } << QList<double> { 10, 17.5, 25, 32.5, 40 };
    QTest::newRow("ties") << std::vector<int> { 5, 5, 5, 9, 9 } << QList<double> { 5, 5, 5, 9, 9 };
    // Too wide a range to count: the sorted path.
    QTest::newRow("wide range") << std::vector<int> { 1, 100000, 3, 50000, 7 }
                                << QList<double> { 1, 3, 7, 50000, 100000 };
}

void TstGlucoseStatistics::quartiles()
{
    QFETCH(std::vector<int>, values);
    QFETCH(QList<double>, expected);
    const GlucoseStatistics s(series(QDate(2024, 1, 1), values), GlucosePeriod::all());
    const QList<double> got { s.minimum(), s.firstQuartile(), s.median(), s.thirdQuartile(),
        s.maximum() };
    QCOMPARE(got, expected);
}

void TstGlucoseStatistics::activePercent_data()
{
    QTest::addColumn<QList<int>>("minutes");
    QTest::addColumn<double>("active");
    QTest::newRow("no gap") << QList<int> { 0, 5, 10, 15 } << 100.0;
    // dt0 5, span 30: 7 possible, the gap of 20 misses 3.
    QTest::newRow("one gap") << QList<int> { 0, 5, 10, 30 } << 100.0 * 4 / 7;
    // The gap of 7.5 rounds (7.5 - 5) / 5 = 0.5 to 0, as R does: nothing missing.
    QTest::newRow("half rounds to even") << QList<int> { 0, 5, 10, 15, 20 } << 100.0;
    QTest::newRow("one reading") << QList<int> { 0 } << 100.0;
    // All at one moment: the interval is taken as a minute, not 0.
    QTest::newRow("same moment") << QList<int> { 0, 0, 0 } << 100.0;
    QTest::newRow("across midnight") << QList<int> { 1430, 1435, 1440, 1445 } << 100.0;
}

void TstGlucoseStatistics::activePercent()
{
    QFETCH(QList<int>, minutes);
    QFETCH(double, active);
    Readings readings;
    const QDateTime start(QDate(2024, 1, 1), QTime(0, 0));
    for (const int m : minutes) {
        const QDateTime when = start.addSecs(m * 60);
        readings.push_back({ when.date(), when.time(), 100 });
    }
    if (QByteArray(QTest::currentDataTag()) == "half rounds to even")
        readings[3].time = readings[3].time.addSecs(150);
    const GlucoseStatistics s(readings, GlucosePeriod::all());
    QCOMPARE(s.activePercent(), active);
}

void TstGlucoseStatistics::periods_data()
{
    QTest::addColumn<GlucosePeriod>("period");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("ignored");
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QDate>("end");
    QTest::addColumn<int>("days");
    const QDate jan(2024, 1, 1);
    QTest::newRow("all") << GlucosePeriod::all() << 7 << 2 << jan << jan.addDays(9) << 6;
    QTest::newRow("last day only")
        << GlucosePeriod::lastDays(1) << 2 << 1 << jan.addDays(9) << jan.addDays(9) << 1;
    QTest::newRow("last 3 days skip a gap")
        << GlucosePeriod::lastDays(3) << 2 << 1 << jan.addDays(7) << jan.addDays(9) << 1;
    QTest::newRow("last 0 days is one day")
        << GlucosePeriod::lastDays(0) << 2 << 1 << jan.addDays(9) << jan.addDays(9) << 1;
    QTest::newRow("one day between") << GlucosePeriod::between(jan.addDays(2), jan.addDays(2)) << 1
                                     << 0 << jan.addDays(2) << jan.addDays(2) << 1;
    QTest::newRow("dates swapped")
        << GlucosePeriod::between(jan.addDays(3), jan) << 4 << 0 << jan << jan.addDays(3) << 4;
    QTest::newRow("a day without readings")
        << GlucosePeriod::between(jan.addDays(6), jan.addDays(6)) << 0 << 0 << jan.addDays(6)
        << jan.addDays(6) << 0;
    QTest::newRow("before all readings")
        << GlucosePeriod::between(QDate(2020, 1, 1), QDate(2020, 2, 1)) << 0 << 0
        << QDate(2020, 1, 1) << QDate(2020, 2, 1) << 0;
}

void TstGlucoseStatistics::periods()
{
    QFETCH(GlucosePeriod, period);
    QFETCH(int, count);
    QFETCH(int, ignored);
    QFETCH(QDate, start);
    QFETCH(QDate, end);
    QFETCH(int, days);
    const QDate jan(2024, 1, 1);
    // Days 0 to 4 and 9 have readings; day 9 ends on a value that did not
    // convert; an undated reading belongs to no day; the journal is out of order.
    Readings readings { { jan.addDays(9), QTime(8, 0), 150 }, { jan, QTime(8, 0), 100 },
        { jan.addDays(1), QTime(8, 0), 110 }, { jan.addDays(2), QTime(8, 0), 120 },
        { jan.addDays(3), QTime(8, 0), 130 }, { jan.addDays(4), QTime(8, 0), 140 },
        { jan.addDays(9), QTime(9, 0), 160 }, { jan.addDays(9), QTime(10, 0), 0 },
        { QDate(), QTime(), 90 } };
    const GlucoseStatistics s(readings, period);
    QCOMPARE(s.count(), count);
    QCOMPARE(s.ignored(), ignored);
    QCOMPARE(s.periodStart(), start);
    QCOMPARE(s.periodEnd(), end);
    QCOMPARE(s.daysWithReadings(), days);
    if (count > 0) {
        QVERIFY(s.firstDay() >= start && s.lastDay() <= end);
        QVERIFY(s.firstDay() <= s.lastDay());
    }
}

void TstGlucoseStatistics::emptyPeriodHasNoFigures()
{
    const GlucoseStatistics none({}, GlucosePeriod::lastDays(14));
    QCOMPARE(none.count(), 0);
    QVERIFY(!none.periodStart().isValid());
    QVERIFY(std::isnan(none.mean()) && std::isnan(none.sd()) && std::isnan(none.median()));
    QCOMPARE(none.activePercent(), 0.0);
    QVERIFY(!none.isSufficient());
    for (int t = 0; t < GlucoseStatistics::targetCount; ++t)
        QVERIFY(!none.targetMet(GlucoseStatistics::Target(t)));
    const GlucoseStatistics one(series(QDate(2024, 1, 1), { 100 }), GlucosePeriod::all());
    QCOMPARE(one.mean(), 100.0);
    QVERIFY(std::isnan(one.sd()));
    QVERIFY(!one.targetMet(GlucoseStatistics::VariabilityTarget));
}

void TstGlucoseStatistics::targets_data()
{
    QTest::addColumn<std::vector<int>>("values");
    QTest::addColumn<QList<bool>>("met");
    // 100 readings; the limits are strict, CV's is not.
    std::vector<int> inRange(100, 120);
    QTest::newRow("all in range, no variability")
        << inRange << QList<bool> { true, true, true, true, true, true };
    std::vector<int> oneVeryLow = inRange;
    oneVeryLow[0] = 40;
    QTest::newRow("1 % very low fails < 1")
        << oneVeryLow << QList<bool> { false, true, true, true, true, true };
    std::vector<int> highs = inRange;
    std::fill(highs.begin(), highs.begin() + 25, 200);
    QTest::newRow("25 % high fails < 25, 75 % in range meets > 70")
        << highs << QList<bool> { true, true, true, false, true, true };
    std::vector<int> lows = inRange;
    std::fill(lows.begin(), lows.begin() + 30, 60);
    QTest::newRow("30 % low fails both lows and in range")
        << lows << QList<bool> { true, false, false, true, true, true };
}

void TstGlucoseStatistics::targets()
{
    QFETCH(std::vector<int>, values);
    QFETCH(QList<bool>, met);
    const GlucoseStatistics s(series(QDate(2024, 1, 1), values), GlucosePeriod::all());
    QList<bool> got;
    for (int t = 0; t < GlucoseStatistics::targetCount; ++t)
        got << s.targetMet(GlucoseStatistics::Target(t));
    QCOMPARE(got, met);
}

void TstGlucoseStatistics::roundedBandsSumTo100_data()
{
    QTest::addColumn<std::vector<int>>("values");
    QTest::addColumn<QList<int>>("rounded");
    // Thirds: 33.3 each, one takes the missing point.
    QTest::newRow("thirds") << std::vector<int> { 40, 100, 300 } << QList<int> { 34, 0, 33, 0, 33 };
    QTest::newRow("exact") << std::vector<int> { 60, 100, 100, 200 }
                           << QList<int> { 0, 25, 50, 25, 0 };
}

void TstGlucoseStatistics::roundedBandsSumTo100()
{
    QFETCH(std::vector<int>, values);
    QFETCH(QList<int>, rounded);
    const GlucoseStatistics s(series(QDate(2024, 1, 1), values), GlucosePeriod::all());
    const auto got = s.roundedBandPercents();
    QCOMPARE(QList<int>(got.begin(), got.end()), rounded);
}

void TstGlucoseStatistics::griIsCapped()
{
    const GlucoseStatistics s(series(QDate(2024, 1, 1), { 30, 30, 30 }), GlucosePeriod::all());
    QCOMPARE(s.gri(), 100.0);
}

QTEST_GUILESS_MAIN(TstGlucoseStatistics)
#include "tst_glucosestatistics.moc"
