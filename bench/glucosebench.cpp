// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The glucose statistics and profile over one journal file:
//
//   glucosebench [--runs N] FILE   reading the file, then statistics and
//                                  profile over all readings and over the
//                                  last 14 days: median and worst of N runs
//   glucosebench --once FILE       reads the file, computes both once over
//                                  all readings and prints their milliseconds

#include "GlucoseProfile.h"
#include "GlucoseStatistics.h"
#include "JournalEntry.h"
#include "SugarEntry.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

// The readings of a journal, as the viewer hands them to the statistics.
std::vector<GlucoseReading> readJournal(const QString &path, bool *ok)
{
    std::vector<GlucoseReading> readings;
    QFile file(path);
    *ok = file.open(QIODevice::ReadOnly);
    if (!*ok)
        return readings;
    QTextStream in(&file);
    QString line;
    while (in.readLineInto(&line)) {
        const std::unique_ptr<JournalEntry> entry(JournalEntry::decode(line));
        if (const auto *sugar = dynamic_cast<const SugarEntry *>(entry.get()))
            readings.push_back({ sugar->getDate(), sugar->getTime(), sugar->getValue() });
    }
    return readings;
}

// Milliseconds to compute the statistics and the profile of a period.
double summarise(
    const std::vector<GlucoseReading> &readings, const GlucosePeriod &period, int *used)
{
    QElapsedTimer clock;
    clock.start();
    const GlucoseStatistics statistics(readings, period);
    const GlucoseProfile profile(readings, period);
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    *used = profile.count() == statistics.count() ? statistics.count() : -1;
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    static const SugarEntry::MyFactory sugarFactory;
    QStringList args = app.arguments().mid(1);
    int runs = 7;
    bool once = false;
    if (args.value(0) == QLatin1String("--once")) {
        once = true;
        args.removeFirst();
    } else if (args.value(0) == QLatin1String("--runs") && args.size() >= 2) {
        runs = std::max(1, args[1].toInt());
        args = args.mid(2);
    }
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: glucosebench [--runs N | --once] FILE\n");
        return 2;
    }

    QElapsedTimer clock;
    clock.start();
    bool ok = false;
    const std::vector<GlucoseReading> readings = readJournal(args[0], &ok);
    const double readMs = double(clock.nsecsElapsed()) / 1e6;
    if (!ok) {
        std::fprintf(stderr, "glucosebench: cannot read %s\n", qPrintable(args[0]));
        return 1;
    }

    int used = 0;
    if (once) {
        std::printf("%.1f\n", summarise(readings, GlucosePeriod::all(), &used));
        return used > 0 ? 0 : 1;
    }
    std::printf("readings: %zu, read from the journal in %.0f ms\n", readings.size(), readMs);
    const std::pair<const char *, GlucosePeriod> periods[]
        = { { "all readings", GlucosePeriod::all() },
              { "last 14 days", GlucosePeriod::lastDays(14) } };
    for (const auto &[name, period] : periods) {
        std::vector<double> figures;
        for (int i = 0; i < runs; ++i)
            figures.push_back(summarise(readings, period, &used));
        std::sort(figures.begin(), figures.end());
        std::printf("statistics and profile, %s (%d used): median %.1f ms, worst %.1f ms\n", name,
            used, figures[figures.size() / 2], figures.back());
    }
    return 0;
}
