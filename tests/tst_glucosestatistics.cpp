// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "GlucoseStatistics.h"
#include "TreatmentStatistics.h"

#include "GlucoseGrid.h"
#include "GlucoseLogbook.h"
#include "GlucosePeriod.h"
#include "GlucoseSequence.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTest>

#include <cmath>
#include <functional>
#include <iterator>
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

// Each row of iglu's example data, "row,id,time,gl", as its row number,
// its subject's id and its reading.
void readIgluRows(const std::function<void(int, const QString &, const GlucoseReading &)> &take)
{
    QFile file(igluDir + QStringLiteral("example_data_5_subject.csv"));
    if (!file.open(QIODevice::ReadOnly))
        return;
    file.readLine();
    while (!file.atEnd()) {
        const QList<QByteArray> fields = file.readLine().trimmed().split(',');
        if (fields.size() != 4)
            continue;
        const QDateTime when = QDateTime::fromString(
            QString::fromUtf8(fields[2]), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        take(QByteArray(fields[0]).replace('"', "").toInt(),
            QString::fromUtf8(fields[1]).remove(QLatin1Char('"')),
            { when.date(), when.time(), fields[3].toInt() });
    }
}

std::map<QString, Readings> readIgluSubjects()
{
    std::map<QString, Readings> subjects;
    readIgluRows([&subjects](int, const QString &id, const GlucoseReading &r) {
        subjects[id].push_back(r);
    });
    return subjects;
}

// The rows from first to last of iglu's example data.
Readings igluRows(int first, int last)
{
    Readings readings;
    readIgluRows([&](int row, const QString &, const GlucoseReading &r) {
        if (row >= first && row <= last)
            readings.push_back(r);
    });
    return readings;
}

const std::map<QString, Readings> &igluSubjects()
{
    static const std::map<QString, Readings> subjects = readIgluSubjects();
    return subjects;
}

// The four readings of iglu's simple_test_1, whose results the file holds
// beside the example subjects': 100 to 130 mg/dL, five minutes apart.
Readings simpleTest()
{
    return series(QDate(2020, 1, 1), { 100, 110, 120, 130 });
}

// iglu's result of a method run on a file with arguments, by subject id;
// for episodes, of one type and level. A null result is NaN.
std::map<QString, double> igluResult(const QString &method, const QString &file,
    const QJsonObject &kwargs, const QString &column, const QString &type, const QString &level)
{
    static const QJsonArray runs = [] {
        QFile json(igluDir + QStringLiteral("expected_results_iglu-4.2.2.json"));
        return json.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(json.readAll())
                                                    .object()
                                                    .value(QStringLiteral("test_runs"))
                                                    .toArray()
                                              : QJsonArray();
    }();
    std::map<QString, double> result;
    for (const QJsonValue &run : runs) {
        const QJsonObject o = run.toObject();
        if (o.value(QStringLiteral("method")).toString() != method
            || !o.value(QStringLiteral("input_file_name")).toString().endsWith(file)
            || o.value(QStringLiteral("kwargs")).toObject() != kwargs)
            continue;
        const QJsonObject results = o.value(QStringLiteral("results")).toObject();
        const QJsonObject ids = results.value(QStringLiteral("id")).toObject();
        const QJsonObject values = results.value(column).toObject();
        for (auto it = ids.begin(); it != ids.end(); ++it) {
            if (!type.isEmpty()
                && (results[QStringLiteral("type")][it.key()].toString() != type
                    || results[QStringLiteral("level")][it.key()].toString() != level))
                continue;
            const QJsonValue v = values.value(it.key());
            result[it.value().toString()]
                = v.isDouble() ? v.toDouble() : std::numeric_limits<double>::quiet_NaN();
        }
    }
    return result;
}

using Figure = double (*)(const GlucoseStatistics &, const Readings &);

// One figure of ours and the iglu result it must equal.
struct IgluFigure
{
    const char *method;
    const char *column;
    Figure figure;
    const char *kwargs = "{}";
    const char *type = "";
    const char *level = "";
};

using S = GlucoseStatistics;
using E = GlucoseEpisodes;

double conga96(const S &, const Readings &readings)
{
    return GlucoseVariability::conga(GlucoseGrid(readings), 96);
}

// A figure per episode kind: its count, mean duration or rate per day.
template <E::Kind kind> double episodes(const S &s, const Readings &)
{
    return s.episodes().count(kind);
}
template <E::Kind kind> double episodeMinutes(const S &s, const Readings &)
{
    return s.episodes().meanMinutes(kind);
}
template <E::Kind kind> double episodesPerDay(const S &s, const Readings &)
{
    return s.episodes().perDay(kind);
}

#define EPISODES(kind, type, level)                                                                \
    { "episode_calculation", "total_episodes", episodes<kind>, "{}", type, level },                \
        { "episode_calculation", "avg_ep_duration", episodeMinutes<kind>, "{}", type, level },     \
    {                                                                                              \
        "episode_calculation", "avg_ep_per_day", episodesPerDay<kind>, "{}", type, level           \
    }

const IgluFigure igluFigures[] = {
    { "mean_glu", "mean", [](const S &s, const Readings &) { return s.mean(); } },
    { "sd_glu", "SD", [](const S &s, const Readings &) { return s.sd(); } },
    { "cv_glu", "CV", [](const S &s, const Readings &) { return s.cv(); } },
    { "gmi", "GMI", [](const S &s, const Readings &) { return s.gmiPercent(); } },
    { "gri", "GRI", [](const S &s, const Readings &) { return s.gri(); } },
    { "active_percent", "active_percent",
        [](const S &s, const Readings &) { return s.activePercent(); } },
    { "below_percent", "below_54",
        [](const S &s, const Readings &) { return s.bandPercent(S::VeryLow); } },
    { "below_percent", "below_70",
        [](const S &s, const Readings &) { return s.targetValue(S::BelowRangeTarget); } },
    { "in_range_percent", "in_range_70_180",
        [](const S &s, const Readings &) { return s.bandPercent(S::InRange); } },
    { "above_percent", "above_180",
        [](const S &s, const Readings &) { return s.targetValue(S::AboveRangeTarget); } },
    { "above_percent", "above_250",
        [](const S &s, const Readings &) { return s.bandPercent(S::VeryHigh); } },
    { "quantile_glu", "0", [](const S &s, const Readings &) { return s.minimum(); } },
    { "quantile_glu", "25", [](const S &s, const Readings &) { return s.firstQuartile(); } },
    { "quantile_glu", "50", [](const S &s, const Readings &) { return s.median(); } },
    { "quantile_glu", "75", [](const S &s, const Readings &) { return s.thirdQuartile(); } },
    { "quantile_glu", "100", [](const S &s, const Readings &) { return s.maximum(); } },
    { "mage", "MAGE", [](const S &s, const Readings &) { return s.variability().mage(); } },
    { "modd", "MODD", [](const S &s, const Readings &) { return s.variability().modd(); } },
    { "conga", "CONGA", [](const S &s, const Readings &) { return s.variability().conga(); } },
    { "conga", "CONGA", conga96, R"({"n":96})" },
    { "lbgi", "LBGI", [](const S &s, const Readings &) { return s.variability().lbgi(); } },
    { "hbgi", "HBGI", [](const S &s, const Readings &) { return s.variability().hbgi(); } },
    { "adrr", "ADRR", [](const S &s, const Readings &) { return s.variability().adrr(); } },
    { "j_index", "J_index", [](const S &s, const Readings &) { return s.variability().jIndex(); } },
    { "mag", "MAG", [](const S &s, const Readings &) { return s.variability().mag(); } },
    { "cogi", "COGI", [](const S &s, const Readings &) { return s.variability().cogi(); } },
    { "gvp", "GVP", [](const S &s, const Readings &) { return s.variability().gvp(); } },
    EPISODES(E::HypoLevel1, "hypo", "lv1"),
    EPISODES(E::HypoLevel2, "hypo", "lv2"),
    EPISODES(E::HypoExtended, "hypo", "extended"),
    EPISODES(E::HyperLevel1, "hyper", "lv1"),
    EPISODES(E::HyperLevel2, "hyper", "lv2"),
};

} // namespace

class TstGlucoseStatistics : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void agreesWithIglu_data();
    void agreesWithIglu();
    void mageOfCheckedStretches_data();
    void mageOfCheckedStretches();
    void bandEdges_data();
    void bandEdges();
    void quartiles_data();
    void quartiles();
    void activePercent_data();
    void activePercent();
    void implausibleValuesAreIgnored_data();
    void implausibleValuesAreIgnored();
    void periods_data();
    void periods();
    void futureReadingsDoNotTakeThePeriod();
    void meterJournal();
    void readingTypes_data();
    void readingTypes();
    void emptyPeriodHasNoFigures();
    void targets_data();
    void targets();
    void roundedBandsSumTo100_data();
    void roundedBandsSumTo100();
    void griIsCapped();
    void logbookSlots_data();
    void logbookSlots();
    void logbookCells_data();
    void logbookCells();
    void logbookDays();
    void treatments_data();
    void treatments();
    void timeOrderKeepsTheFilesOrderOfAMoment_data();
    void timeOrderKeepsTheFilesOrderOfAMoment();
    void gridPoints_data();
    void gridPoints();
    void manyReadingsTakeTheirGrid_data();
    void manyReadingsTakeTheirGrid();

private:
    std::vector<TreatmentStatistics::Treatment> treatmentsSeen;
};

void TstGlucoseStatistics::agreesWithIglu_data()
{
    QTest::addColumn<int>("figure");
    QTest::addColumn<bool>("simple");
    for (std::size_t i = 0; i < std::size(igluFigures); ++i) {
        const IgluFigure &f = igluFigures[i];
        for (const bool simple : { false, true }) {
            QTest::addRow("%s %s %s%s%s%s%s", simple ? "simple_test_1" : "5 subjects", f.method,
                f.column, *f.type ? " " : "", f.type, *f.level ? " " : "", f.level)
                << int(i) << simple;
        }
    }
}

void TstGlucoseStatistics::agreesWithIglu()
{
    QFETCH(int, figure);
    QFETCH(bool, simple);
    const IgluFigure &f = igluFigures[figure];
    std::map<QString, Readings> subjects;
    if (simple)
        subjects[QStringLiteral("subject1")] = simpleTest();
    else
        subjects = igluSubjects();
    if (subjects.empty())
        QSKIP("iglu's example data is not in " SHARED_DIR);
    const std::map<QString, double> expected = igluResult(QString::fromLatin1(f.method),
        simple ? QStringLiteral("simple_test_1.csv") : QStringLiteral("5_subject.csv"),
        QJsonDocument::fromJson(f.kwargs).object(), QString::fromLatin1(f.column),
        QString::fromLatin1(f.type), QString::fromLatin1(f.level));
    if (expected.empty())
        QSKIP("iglu's results do not hold this figure for this data");
    QCOMPARE(expected.size(), subjects.size());
    for (const auto &[id, readings] : subjects) {
        const GlucoseStatistics s(readings, GlucosePeriod::all());
        const double got = f.figure(s, readings);
        const double want = expected.at(id);
        const bool same = std::isnan(want) ? std::isnan(got) : std::abs(got - want) <= 1e-9;
        QVERIFY2(same,
            qPrintable(QStringLiteral("%1: %2, iglu %3")
                           .arg(id)
                           .arg(got, 0, 'g', 17)
                           .arg(want, 0, 'g', 17)));
    }
}

// iglu's MAGE of the stretches of its example data that its authors also
// measured by hand: manual_calculations.csv names each stretch by its rows,
// mage_ground_truth.csv gives iglu's results in the same order.
void TstGlucoseStatistics::mageOfCheckedStretches_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<double>("mage");
    QFile stretches(igluDir + QStringLiteral("manual_calculations.csv"));
    QFile truth(igluDir + QStringLiteral("mage_ground_truth.csv"));
    if (!stretches.open(QIODevice::ReadOnly) || !truth.open(QIODevice::ReadOnly))
        QSKIP("iglu's MAGE checks are not in " SHARED_DIR);
    stretches.readLine();
    truth.readLine();
    while (!stretches.atEnd()) {
        const QList<QByteArray> s = stretches.readLine().split(',');
        if (s.size() < 11 || !s[2].contains("ExampleData5Subjects"))
            continue;
        const QList<QByteArray> t = truth.readLine().trimmed().split(',');
        QVERIFY(t.size() == 7);
        // The fourth column: the mean of the rises' and the falls' averages.
        QTest::addRow("%s rows %s-%s", QByteArray(s[10]).replace('"', "").constData(),
            s[3].constData(), s[4].constData())
            << s[3].toInt() << s[4].toInt() << t[4].toDouble();
    }
}

void TstGlucoseStatistics::mageOfCheckedStretches()
{
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(double, mage);
    const Readings readings = igluRows(first, last);
    QVERIFY(!readings.empty());
    const GlucoseStatistics s(readings, GlucosePeriod::all());
    QVERIFY2(std::abs(s.variability().mage() - mage) <= 1e-9,
        qPrintable(QString::number(s.variability().mage(), 'g', 17)));
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
    QTest::newRow("the lowest plausible, very low") << 20 << int(GlucoseStatistics::VeryLow);
    QTest::newRow("the highest plausible, very high") << 600 << int(GlucoseStatistics::VeryHigh);
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
    // h = 3 p: q1 at 0.75 between 40 and 50, q3 at 2.25 between 60 and 70.
    QTest::newRow("four values, unsorted")
        << std::vector<int> { 70, 40, 60, 50 } << QList<double> { 40, 47.5, 55, 62.5, 70 };
    QTest::newRow("ties") << std::vector<int> { 25, 25, 25, 29, 29 }
                          << QList<double> { 25, 25, 25, 29, 29 };
    QTest::newRow("the whole plausible range")
        << std::vector<int> { 20, 600, 22, 300, 27 } << QList<double> { 20, 22, 27, 300, 600 };
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
    QTest::addColumn<double>("medianGap");
    QTest::newRow("no gap") << QList<int> { 0, 5, 10, 15 } << 100.0 << 5.0;
    // dt0 5, span 30: 7 possible, the gap of 20 misses 3.
    QTest::newRow("one gap") << QList<int> { 0, 5, 10, 30 } << 100.0 * 4 / 7 << 5.0;
    // The gap of 7.5 rounds (7.5 - 5) / 5 = 0.5 to 0, as R does: nothing missing.
    QTest::newRow("half rounds to even") << QList<int> { 0, 5, 10, 15, 20 } << 100.0 << 5.0;
    QTest::newRow("one reading") << QList<int> { 0 } << 100.0 << 0.0;
    // All at one moment: the interval is taken as a minute, not 0.
    QTest::newRow("same moment") << QList<int> { 0, 0, 0 } << 100.0 << 0.0;
    QTest::newRow("across midnight") << QList<int> { 1430, 1435, 1440, 1445 } << 100.0 << 5.0;
    // Gaps of a day and more are kept apart from the counted ones.
    // dt0 5, span 2010: 403 possible, the gap of 1990 misses 397.
    QTest::newRow("a gap over a day")
        << QList<int> { 0, 5, 10, 2000, 2005, 2010 } << 100.0 * 6 / 403 << 5.0;
    QTest::newRow("the median over a day") << QList<int> { 0, 1500, 3000, 3005 } << 100.0 << 1500.0;
    // Gaps 5, 1495, 1500, 5: the median is (5 + 1495) / 2 = 750; the span
    // of 3005 gives 5 possible, and each long gap misses one.
    QTest::newRow("an even count, a middle gap over a day")
        << QList<int> { 0, 5, 1500, 3000, 3005 } << 100.0 * 3 / 5 << 750.0;
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
    QFETCH(double, medianGap);
    if (QByteArray(QTest::currentDataTag()) == "half rounds to even")
        readings[3].time = readings[3].time.addSecs(150);
    const GlucoseStatistics s(readings, GlucosePeriod::all());
    QCOMPARE(s.activePercent(), active);
    QCOMPARE(s.medianGapMinutes(), medianGap);
}

void TstGlucoseStatistics::implausibleValuesAreIgnored_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("used");
    QTest::newRow("0, a value that did not convert") << 0 << false;
    QTest::newRow("below 0") << -5 << false;
    QTest::newRow("19, below the plausible") << 19 << false;
    QTest::newRow("20, the lowest plausible") << 20 << true;
    QTest::newRow("600, the highest plausible") << 600 << true;
    QTest::newRow("601, above the plausible") << 601 << false;
    QTest::newRow("1200, above the plausible") << 1200 << false;
}

void TstGlucoseStatistics::implausibleValuesAreIgnored()
{
    QFETCH(int, value);
    QFETCH(bool, used);
    const QDate day(2024, 1, 1);
    const GlucoseStatistics s(
        { { day, QTime(8, 0), 100 }, { day, QTime(9, 0), value } }, GlucosePeriod::all());
    QCOMPARE(s.count(), used ? 2 : 1);
    QCOMPARE(s.ignored(), used ? 0 : 1);
    QCOMPARE(s.maximum(), used ? std::max(100.0, double(value)) : 100.0);
    QCOMPARE(GlucoseReading::isPlausible(value), used);
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

void TstGlucoseStatistics::futureReadingsDoNotTakeThePeriod()
{
    const QDate today = QDate::currentDate();
    const Readings readings { { today.addDays(-3), QTime(8, 0), 100 },
        { today.addDays(-20), QTime(8, 0), 120 }, { today.addYears(2), QTime(8, 0), 300 } };
    const GlucosePeriod last14 = GlucosePeriod::lastDays(14);
    QCOMPARE(last14.resolved(readings).to(), today.addDays(-3));
    QVERIFY(last14.endsBeforeNewest(readings));
    const GlucoseStatistics s(readings, last14);
    QCOMPARE(s.count(), 1);
    QCOMPARE(s.mean(), 100.0);
    // The 14 days before, whole, even where the journal begins inside them.
    const GlucosePeriod before = last14.previous(readings);
    QCOMPARE(before.from(), today.addDays(-30));
    QCOMPARE(before.to(), today.addDays(-17));
    QCOMPARE(GlucoseStatistics(readings, before).mean(), 120.0);
    QVERIFY(!GlucosePeriod::all().endsBeforeNewest(readings));
    // Only future readings: the period is the days up to today, without them.
    const Readings future { { today.addDays(5), QTime(8, 0), 100 } };
    QCOMPARE(last14.resolved(future).to(), today);
    QCOMPARE(GlucoseStatistics(future, last14).count(), 0);
}

void TstGlucoseStatistics::meterJournal()
{
    // Four readings a day, typed, over two days.
    const QDate day(2024, 3, 1);
    Readings readings;
    const std::pair<const char *, int> slots[]
        = { { "pre-breakfast", 7 }, { "post-lunch", 13 }, { "pre-supper", 18 }, { "bedtime", 22 } };
    for (int d = 0; d < 2; ++d) {
        for (const auto &[type, hour] : slots)
            readings.push_back({ day.addDays(d), QTime(hour, 0), 50 + 100 * d,
                GlucoseReading::typeOf(QString::fromLatin1(type)) });
    }
    const GlucoseStatistics s(readings, GlucosePeriod::all());
    QVERIFY(s.isMeter());
    QCOMPARE(s.readingsPerDay(), 4.0);
    QCOMPARE(s.countBelow54(), 4);
    QCOMPARE(s.countBelow70(), 4);
    QCOMPARE(s.countAbove250(), 0);
    const GlucoseStatistics::Group &dinner = s.byType(GlucoseReading::PreDinner);
    QCOMPARE(dinner.count, 2);
    QCOMPARE(dinner.mean, 100.0);
    QCOMPARE(dinner.sd, std::sqrt(5000.0));
    QCOMPARE(s.byType(GlucoseReading::Unspecified).count, 0);
    QCOMPARE(s.byTimeOfDay(GlucoseStatistics::Evening).count, 4);
    QCOMPARE(s.byTimeOfDay(GlucoseStatistics::Night).count, 0);
    // Readings 5 minutes apart are a sensor's.
    QVERIFY(!GlucoseStatistics(series(day, { 100, 110, 120 }), GlucosePeriod::all()).isMeter());
}

void TstGlucoseStatistics::readingTypes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("type");
    QTest::newRow("fasting is before breakfast") << "Fasting" << int(GlucoseReading::PreBreakfast);
    QTest::newRow("supper is dinner") << "post-supper" << int(GlucoseReading::PostDinner);
    QTest::newRow("spaces around") << " bedtime " << int(GlucoseReading::Bedtime);
    QTest::newRow("cgm is a sensor") << "CGM" << int(GlucoseReading::Sensor);
    QTest::newRow("insulin is no moment") << "regular insulin" << int(GlucoseReading::Unspecified);
    QTest::newRow("empty") << "" << int(GlucoseReading::Unspecified);
}

void TstGlucoseStatistics::readingTypes()
{
    QFETCH(QString, text);
    QFETCH(int, type);
    QCOMPARE(int(GlucoseReading::typeOf(text)), type);
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
    // Days chosen, and no reading at all.
    const GlucoseStatistics noneOfDays(
        {}, GlucosePeriod::between(QDate(2024, 1, 1), QDate(2024, 1, 14)));
    QCOMPARE(noneOfDays.count(), 0);
    QVERIFY(std::isnan(noneOfDays.mean()));
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

void TstGlucoseStatistics::logbookSlots_data()
{
    using R = GlucoseReading;
    using L = GlucoseLogbook;
    QTest::addColumn<int>("type");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<int>("slot");
    // The type names the slot, whatever the time.
    QTest::newRow("pre-breakfast at 03:00")
        << int(R::PreBreakfast) << QTime(3, 0) << int(L::PreBreakfast);
    QTest::newRow("post-breakfast at 08:00")
        << int(R::PostBreakfast) << QTime(8, 0) << int(L::PostBreakfast);
    QTest::newRow("pre-lunch at 13:30") << int(R::PreLunch) << QTime(13, 30) << int(L::PreLunch);
    QTest::newRow("post-lunch at 11:30") << int(R::PostLunch) << QTime(11, 30) << int(L::PostLunch);
    QTest::newRow("pre-dinner at 20:00") << int(R::PreDinner) << QTime(20, 0) << int(L::PreDinner);
    QTest::newRow("post-dinner at 23:30")
        << int(R::PostDinner) << QTime(23, 30) << int(L::PostDinner);
    QTest::newRow("bedtime at 01:00") << int(R::Bedtime) << QTime(1, 0) << int(L::Bedtime);
    QTest::newRow("night at 23:50") << int(R::Night) << QTime(23, 50) << int(L::Night);
    // No slot in the type: the time decides, each slot from its first minute.
    QTest::newRow("untyped at midnight") << int(R::Unspecified) << QTime(0, 0) << int(L::Night);
    QTest::newRow("untyped at 05:59") << int(R::Unspecified) << QTime(5, 59) << int(L::Night);
    QTest::newRow("untyped at 06:00") << int(R::Unspecified) << QTime(6, 0) << int(L::PreBreakfast);
    QTest::newRow("untyped at 08:59")
        << int(R::Unspecified) << QTime(8, 59) << int(L::PreBreakfast);
    QTest::newRow("untyped at 09:00")
        << int(R::Unspecified) << QTime(9, 0) << int(L::PostBreakfast);
    QTest::newRow("untyped at 11:00") << int(R::Unspecified) << QTime(11, 0) << int(L::PreLunch);
    QTest::newRow("untyped at 13:00") << int(R::Unspecified) << QTime(13, 0) << int(L::PostLunch);
    QTest::newRow("untyped at 16:59") << int(R::Unspecified) << QTime(16, 59) << int(L::PostLunch);
    QTest::newRow("untyped at 17:00") << int(R::Unspecified) << QTime(17, 0) << int(L::PreDinner);
    QTest::newRow("untyped at 19:00") << int(R::Unspecified) << QTime(19, 0) << int(L::PostDinner);
    QTest::newRow("untyped at 21:59") << int(R::Unspecified) << QTime(21, 59) << int(L::PostDinner);
    QTest::newRow("untyped at 22:00") << int(R::Unspecified) << QTime(22, 0) << int(L::Bedtime);
    QTest::newRow("untyped at 23:59") << int(R::Unspecified) << QTime(23, 59) << int(L::Bedtime);
    QTest::newRow("snack by its time") << int(R::Snack) << QTime(15, 0) << int(L::PostLunch);
    QTest::newRow("sensor by its time") << int(R::Sensor) << QTime(7, 0) << int(L::PreBreakfast);
}

void TstGlucoseStatistics::logbookSlots()
{
    QFETCH(int, type);
    QFETCH(QTime, time);
    QFETCH(int, slot);
    const GlucoseReading r { QDate(2024, 1, 1), time, 100, GlucoseReading::Type(type) };
    QCOMPARE(int(GlucoseLogbook::slotOf(r)), slot);
    const GlucoseLogbook book({ r }, r.date, r.date);
    QCOMPARE(book.days().front().cells[std::size_t(slot)].count, 1);
}

void TstGlucoseStatistics::logbookCells_data()
{
    QTest::addColumn<QList<int>>("values"); // at 09:00, 09:05, ...: after breakfast
    QTest::addColumn<bool>("mmol");
    QTest::addColumn<QString>("text");
    QTest::newRow("one") << QList<int> { 104 } << false << "104";
    QTest::newRow("three in time order") << QList<int> { 140, 98, 212 } << false << "140 98 212";
    QTest::newRow("more show lowest and highest")
        << QList<int> { 140, 98, 212, 180 } << false << QStringLiteral(u"98\u2009–\u2009212");
    QTest::newRow("in mmol/L") << QList<int> { 90, 180 } << true << "5.0 10.0";
    // A value that did not convert is no reading.
    QTest::newRow("unusable left out") << QList<int> { 0, 120 } << false << "120";
    QTest::newRow("none") << QList<int> {} << false << "";
}

void TstGlucoseStatistics::logbookCells()
{
    QFETCH(QList<int>, values);
    QFETCH(bool, mmol);
    QFETCH(QString, text);
    const QDate day(2024, 1, 1);
    Readings readings;
    // Given newest first: the cell lists them in time order.
    for (int i = int(values.size()) - 1; i >= 0; --i)
        readings.push_back({ day, QTime(9, 5 * i), values[i] });
    const GlucoseLogbook book(readings, day, day);
    const GlucoseLogbook::Cell &cell = book.days().front().cells[GlucoseLogbook::PostBreakfast];
    QCOMPARE(
        GlucoseLogbook::readingsText(cell, mmol ? GlucoseUnit::MmolPerL : GlucoseUnit::MgPerDl),
        text);
    // Each reading is a piece of its own, coloured by its value.
    for (const GlucoseLogbook::Piece &piece :
        GlucoseLogbook::readingPieces(cell, GlucoseUnit::MgPerDl))
        QCOMPARE(piece.mgPerDl > 0, piece.text == QString::number(piece.mgPerDl));
}

void TstGlucoseStatistics::logbookDays()
{
    const QDate first(2024, 3, 30);
    const Readings readings { { first.addDays(-1), QTime(7, 0), 90 },
        { first.addDays(1), QTime(7, 0), 110, GlucoseReading::PreBreakfast },
        { first.addDays(3), QTime(7, 0), 120 } };
    // Three days, the middle one on the change to summer time in Europe.
    GlucoseLogbook book(readings, first, first.addDays(2));
    QCOMPARE(book.days().size(), std::size_t(3));
    QCOMPARE(book.days()[1].date, first.addDays(1));
    QCOMPARE(book.rowOf(first.addDays(2)), 2);
    QCOMPARE(book.rowOf(first.addDays(3)), -1);
    int readingsShown = 0;
    for (const GlucoseLogbook::Day &day : book.days())
        for (const GlucoseLogbook::Cell &cell : day.cells)
            readingsShown += cell.count;
    QCOMPARE(readingsShown, 1);

    // Doses and carbohydrates go to the slot of their time and add up.
    book.addInsulin(first, QTime(7, 30), 8, false);
    book.addInsulin(first, QTime(8, 10), 2.5, false);
    book.addInsulin(first, QTime(22, 0), 20, true);
    book.addInsulin(first, QTime(12, 0), 0, false);
    book.addCarbs(first, QTime(7, 45), 40);
    book.addCarbs(first, QTime(8, 0), 12.25);
    book.addCarbs(first.addDays(5), QTime(7, 0), 30); // not a day of the logbook
    book.addInsulin(first, QTime(22, 30), 4, false);
    const auto &cells = book.days().front().cells;
    QCOMPARE(GlucoseLogbook::insulinText(cells[GlucoseLogbook::PreBreakfast]), "10.5 u");
    QCOMPARE(GlucoseLogbook::carbsText(cells[GlucoseLogbook::PreBreakfast]), "52.3 g");
    QCOMPARE(GlucoseLogbook::treatmentsText(cells[GlucoseLogbook::PreBreakfast]),
        QStringLiteral(u"10.5 u · 52.3 g"));
    QCOMPARE(GlucoseLogbook::insulinText(cells[GlucoseLogbook::Bedtime]), "4 u, 20 u basal");
    // A dose of nothing is still written down.
    QCOMPARE(GlucoseLogbook::insulinText(cells[GlucoseLogbook::PreLunch]), "0 u");
    QCOMPARE(GlucoseLogbook::treatmentsText(cells[GlucoseLogbook::Night]), QString());
    QCOMPARE(
        GlucoseLogbook::carbsText(book.days()[2].cells[GlucoseLogbook::PreBreakfast]), QString());

    // No days, or dates the wrong way round: an empty logbook.
    QVERIFY(GlucoseLogbook(readings, QDate(), first).days().empty());
    QVERIFY(GlucoseLogbook(readings, first, first.addDays(-1)).days().empty());
}

void TstGlucoseStatistics::treatments_data()
{
    using T = TreatmentStatistics::Treatment;
    QTest::addColumn<GlucosePeriod>("period");
    // With readings, the treatments are taken over the readings' days.
    QTest::addColumn<QDate>("readingsOn");
    QTest::addColumn<QString>("figures");
    // Three days; insulin on two of them, carbohydrates on one, and HbA1c
    // before and after the middle day.
    const QDate d(2024, 3, 5);
    const std::vector<T> all { { d, QTime(7, 0), T::Bolus, 8 }, { d, QTime(22, 0), T::Basal, 14 },
        { d.addDays(2), QTime(7, 0), T::Bolus, 4.5 }, { d.addDays(2), QTime(8, 0), T::Carbs, 40 },
        { d.addDays(2), QTime(13, 0), T::Carbs, 60 }, { d, QTime(12, 0), T::Activity, 30 },
        { d.addDays(-30), QTime(9, 0), T::HbA1c, 7.1 },
        { d.addDays(1), QTime(9, 0), T::HbA1c, 6.8 }, { QDate(), QTime(9, 0), T::Bolus, 100 } };
    treatmentsSeen = all;
    QTest::newRow("every day") << GlucosePeriod::all() << QDate()
                               << "insulin 2 days 3 doses 13.25 (6.25 + 7) carbs 1 2 100 "
                                  "activity 1 30 HbA1c 6.8 2024-03-06";
    QTest::newRow("the last day") << GlucosePeriod::lastDays(1) << QDate()
                                  << "insulin 1 days 1 doses 4.5 (4.5 + 0) carbs 1 2 100 "
                                     "activity 0 nan HbA1c 6.8 2024-03-06";
    QTest::newRow("the first day: the HbA1c of before")
        << GlucosePeriod::between(d, d) << QDate() << "insulin 1 days 2 doses 22 (8 + 14) carbs 0 0 nan activity 1 30 HbA1c 7.1 2024-02-04";
    QTest::newRow("no day") << GlucosePeriod::between(d.addDays(-300), d.addDays(-200)) << QDate()
                            << "insulin 0 days 0 doses nan (nan + nan) carbs 0 0 nan "
                               "activity 0 nan HbA1c none";
    QTest::newRow("the last day of the readings, not of the treatments")
        << GlucosePeriod::lastDays(1) << d.addDays(1)
        << "insulin 0 days 0 doses nan (nan + nan) carbs 0 0 nan activity 0 nan HbA1c 6.8 "
           "2024-03-06";
    QTest::newRow("every day, not only the readings'")
        << GlucosePeriod::all() << d.addDays(1)
        << "insulin 2 days 3 doses 13.25 (6.25 + 7) carbs 1 2 100 activity 1 30 HbA1c 6.8 "
           "2024-03-06";
    QTest::newRow("dates without readings: their own days")
        << GlucosePeriod::between(d, d) << d.addDays(-100)
        << "insulin 1 days 2 doses 22 (8 + 14) carbs 0 0 nan activity 1 30 HbA1c 7.1 2024-02-04";
}

void TstGlucoseStatistics::treatments()
{
    QFETCH(GlucosePeriod, period);
    QFETCH(QDate, readingsOn);
    const TreatmentStatistics t = readingsOn.isValid()
        ? TreatmentStatistics(treatmentsSeen,
              GlucoseStatistics({ { readingsOn, QTime(12, 0), 120 } }, period), period)
        : TreatmentStatistics(treatmentsSeen, period);
    const QString figures = QStringLiteral("insulin %1 days %2 doses %3 (%4 + %5) carbs %6 %7 %8 "
                                           "activity %9 %10 HbA1c %11")
                                .arg(t.insulinDays())
                                .arg(t.doses())
                                .arg(t.insulinPerDay())
                                .arg(t.bolusPerDay())
                                .arg(t.basalPerDay())
                                .arg(t.carbDays())
                                .arg(t.carbEntries())
                                .arg(t.gramsPerDay())
                                .arg(t.activityDays())
                                .arg(t.minutesPerDay())
                                .arg(t.lastHbA1cDate().isValid() ? QString::number(t.lastHbA1c())
                                            + u' ' + t.lastHbA1cDate().toString(Qt::ISODate)
                                                                 : QStringLiteral("none"));
    QTEST(figures, "figures");
}

QTEST_GUILESS_MAIN(TstGlucoseStatistics)
void TstGlucoseStatistics::timeOrderKeepsTheFilesOrderOfAMoment_data()
{
    QTest::addColumn<int>("lateEvery");
    QTest::addColumn<int>("farthest"); // lines a late one is moved by, at most
    QTest::newRow("in order") << 0 << 0;
    QTest::newRow("a few lines stored late") << 50 << 40;
    QTest::newRow("many") << 3 << 40;
    QTest::newRow("any order") << 1 << 40;
    QTest::newRow("a few lines stored far too late") << 50 << 1500;
    QTest::newRow("many far too late") << 3 << 1500;
}

void TstGlucoseStatistics::timeOrderKeepsTheFilesOrderOfAMoment()
{
    QFETCH(int, lateEvery);
    QFETCH(int, farthest);
    // Readings over a few minutes of one day, many of one moment, each
    // told by its value, the file's order.
    QRandomGenerator random(3);
    std::vector<GlucoseReading> read;
    for (int i = 0; i < 3000; ++i)
        read.push_back({ QDate(2024, 3, 5), QTime(8, i / 100), i + 1 });
    for (std::size_t i = 0; lateEvery > 0 && i + std::size_t(farthest) < read.size();
         i += std::size_t(lateEvery))
        std::swap(read[i], read[i + std::size_t(random.bounded(1, farthest))]);
    std::vector<GlucoseReading> expected = read;
    std::stable_sort(expected.begin(), expected.end(),
        [](const GlucoseReading &a, const GlucoseReading &b) { return a.time < b.time; });
    const auto valuesOf = [](const std::vector<GlucoseReading> &readings) {
        QList<int> values;
        for (const GlucoseReading &r : readings)
            values << r.value;
        return values;
    };
    std::vector<GlucoseReading> readings = read;
    GlucosePeriod::putInTimeOrder(readings);
    QCOMPARE(valuesOf(readings), valuesOf(expected));
    // Gathered in two parts as they are read, then joined, wherever the
    // parts meet.
    for (const std::size_t split : { std::size_t(0), std::size_t(1), read.size() / 3,
             read.size() / 2, read.size() - 1, read.size() }) {
        GlucoseSequence first;
        GlucoseSequence second;
        for (std::size_t i = 0; i < read.size(); ++i)
            (i < split ? first : second).add(read[i].date, read[i].time, read[i].value, read[i].type);
        QCOMPARE(valuesOf(GlucoseSequence::join(first, second)), valuesOf(expected));
    }
}

void TstGlucoseStatistics::gridPoints_data()
{
    QTest::addColumn<int>("point"); // from 00:05, every 5 minutes
    QTest::addColumn<double>("value"); // NaN for none
    constexpr double none = std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("on the first reading") << 0 << 100.0;
    QTest::newRow("between two, the second the mean of its moment") << 1 << 112.5;
    QTest::newRow("on a moment of two readings") << 2 << 125.0;
    QTest::newRow("inside a gap over 45 minutes") << 3 << none;
    QTest::newRow("on the reading after the gap") << 15 << 200.0;
    QTest::newRow("after the last reading") << 16 << none;
}

// The grid that variability and episodes are measured on.
void TstGlucoseStatistics::gridPoints()
{
    QFETCH(int, point);
    QFETCH(double, value);
    const QDate day(2024, 1, 1);
    const GlucoseGrid grid(Readings { { day, QTime(0, 5), 100 }, { day, QTime(0, 15), 120 },
                               { day, QTime(0, 15), 130 }, { day, QTime(1, 20), 200 } },
        5);
    QCOMPARE(grid.filled(), std::size_t(4));
    // As iglu counts days: the span of 75 minutes plus one day, rounded up.
    QCOMPARE(grid.values().size(), std::size_t(2 * 288));
    const double shown = grid.values()[std::size_t(point)];
    if (std::isnan(value))
        QVERIFY2(std::isnan(shown), qPrintable(QString::number(shown)));
    else
        QCOMPARE(shown, value);
}

void TstGlucoseStatistics::manyReadingsTakeTheirGrid_data()
{
    QTest::addColumn<int>("minutes");
    QTest::newRow("a CGM's 5 minutes: one grid for all") << 5;
    QTest::newRow("15 minutes: MAGE on a grid of its own") << 15;
    QTest::newRow("3 hours: no MAGE") << 180;
}

void TstGlucoseStatistics::manyReadingsTakeTheirGrid()
{
    // Enough readings for the figures to be found on several threads: each
    // is the one found on its grid directly.
    QFETCH(int, minutes);
    Readings readings;
    QRandomGenerator random(minutes);
    const QDateTime start(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC);
    for (int i = 0; i < 60000; ++i) {
        const QDateTime at = start.addSecs(qint64(i) * minutes * 60);
        const int value = 140 + int(90 * std::sin(i / 20.0)) + random.bounded(-15, 16);
        readings.push_back({ at.date(), at.time(), value });
    }
    const GlucoseStatistics s(readings, GlucosePeriod::all());
    QCOMPARE(s.count(), 60000);
    const GlucoseGrid grid(readings, minutes);
    const GlucoseVariability direct(readings, grid);
    const double mage = minutes < 180
        ? GlucoseVariability::mageOnFiveMinutes(GlucoseGrid(readings, 5))
        : std::numeric_limits<double>::quiet_NaN();
    const auto same = [](double a, double b) { return (std::isnan(a) && std::isnan(b)) || a == b; };
    QVERIFY2(same(s.variability().mage(), mage), qPrintable(QString::number(s.variability().mage())));
    QVERIFY(same(direct.mage(), mage));
    QVERIFY(minutes == 180 || !std::isnan(mage));
    QVERIFY(same(s.variability().conga(), GlucoseVariability::conga(grid, 24)));
    QVERIFY(same(s.variability().modd(), direct.modd()));
    const GlucoseEpisodes episodes(grid);
    for (int kind = 0; kind < GlucoseEpisodes::kindCount; ++kind) {
        const auto k = GlucoseEpisodes::Kind(kind);
        QCOMPARE(s.episodes().count(k), episodes.count(k));
    }
}

#include "tst_glucosestatistics.moc"
