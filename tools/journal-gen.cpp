// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Writes a realistic journal of N blood sugar readings, the same for the
// same seed: a reading every 5 minutes from a drifting glucose curve, finger
// sticks around meals, a few notes with a line break, a "|" or a backslash,
// and a few lines stored late.
//
//   journal-gen N [SEED] > journal.txt

#include "SugarEntry.h"

#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>

namespace {

struct Meal
{
    int minute;
    const char *before;
    const char *after;
};

const Meal meals[] = { { 7 * 60, "pre-breakfast", "post-breakfast" },
    { 12 * 60 + 30, "pre-lunch", "post-lunch" }, { 18 * 60 + 30, "pre-supper", "post-supper" } };

const char *const notes[] = { "felt shaky\nhad juice", "pizza | two slices", "new sensor\\site B",
    "after a run\nlegs tired", "meter says HI | retested", "C:\\export\\day.csv" };

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    bool ok = args.size() >= 2;
    const qint64 count = ok ? args[1].toLongLong(&ok) : 0;
    const quint32 seed = args.size() >= 3 ? args[2].toUInt() : 1;
    if (!ok || count < 0) {
        std::fprintf(stderr, "usage: journal-gen N [SEED] > journal.txt\n");
        return 2;
    }

    QRandomGenerator random(seed);
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly))
        return 1;
    QTextStream stream(&out);

    // Glucose drifts back towards 110 mg/dL and rises after each meal.
    double glucose = 110;
    double drift = 0;
    QDateTime at(QDate(2016, 1, 1), QTime(0, 0), Qt::UTC);
    std::deque<SugarEntry> late; // lines held back to be written a little later

    SugarEntry entry;
    for (qint64 i = 0; i < count; ++i, at = at.addSecs(5 * 60)) {
        const int minute = at.time().msecsSinceStartOfDay() / 60000;
        QString rtype = QStringLiteral("cgm");
        for (const Meal &meal : meals) {
            if (minute == meal.minute)
                rtype = QString::fromLatin1(meal.before);
            if (minute == meal.minute + 120)
                rtype = QString::fromLatin1(meal.after);
            if (minute >= meal.minute && minute < meal.minute + 60)
                drift += 1.2 + random.bounded(1.0);
        }
        drift = drift * 0.92 + (random.generateDouble() - 0.5) * 3.0 - (glucose - 110) * 0.01;
        glucose = std::clamp(glucose + drift, 40.0, 400.0);

        entry.setDateTime(at);
        entry.setRType(rtype);
        entry.setValue(int(std::lround(glucose)));
        entry.setNotes(
            random.bounded(50) == 0 ? QString::fromLatin1(notes[random.bounded(6)]) : QString());

        if (random.bounded(100) < 2) {
            late.push_back(entry);
            continue;
        }
        stream << entry << '\n';
        while (!late.empty() && random.bounded(4) == 0) {
            stream << late.front() << '\n';
            late.pop_front();
        }
    }
    for (const SugarEntry &e : late)
        stream << e << '\n';
    return stream.status() == QTextStream::Ok ? 0 : 1;
}
