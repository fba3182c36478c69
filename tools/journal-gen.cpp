// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Writes a realistic journal of N blood sugar readings, the same for the
// same seed: a reading every 5 minutes from a drifting glucose curve, finger
// sticks around meals, a few notes with a line break, a "|" or a backslash,
// and a few lines stored late. With --records M, M other records besides,
// spread evenly over the same days: insulin and carbohydrates most, then
// activity, notes, ketones, weights, blood pressures and an HbA1c now and
// then. The readings are the same with and without them.
//
//   journal-gen N [SEED] [--records M] > journal.txt

#include "JournalTypes.h"
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

// Of every 100 other records, how many of each type, in the order of
// JournalTypes::records(): insulin, carbohydrates, activity, note, ketones,
// weight, blood pressure, HbA1c.
const int recordShares[] = { 35, 30, 10, 10, 5, 5, 4, 1 };

// One record of the type, plausible in its fields.
void fillRecord(RecordEntry &r, QRandomGenerator &random)
{
    static const char *const foods[] = { "porridge", "toast", "pasta", "apple", "rice | beans" };
    static const char *const texts[] = { "Alcohol", "Stress", "Illness\nstayed in", "Cycle" };
    const QString code = r.getType();
    const auto pick = [&random](const auto &words) {
        return QString::fromLatin1(words[random.bounded(int(std::size(words)))]);
    };
    if (code == QLatin1String("INSL")) {
        const bool basal = random.bounded(4) == 0;
        r.setText(0, basal ? QStringLiteral("basal") : QStringLiteral("bolus"));
        r.setNumber(1, basal ? 14 + random.bounded(8) : random.bounded(2, 24) / 2.0);
        r.setText(2, basal ? QStringLiteral("Lantus") : QStringLiteral("Humalog"));
    } else if (code == QLatin1String("CARB")) {
        r.setNumber(0, 5 * random.bounded(2, 20));
        r.setText(1, pick(foods));
    } else if (code == QLatin1String("ACTV")) {
        r.setText(0, QStringLiteral("exercise"));
        r.setNumber(1, 10 * random.bounded(1, 10));
        r.setText(2, random.bounded(2) ? QStringLiteral("medium") : QStringLiteral("light"));
    } else if (code == QLatin1String("NOTE")) {
        r.setText(0, pick(texts));
    } else if (code == QLatin1String("BLPR")) {
        r.setNumber(0, random.bounded(110, 150));
        r.setNumber(1, random.bounded(65, 95));
        r.setNumber(2, random.bounded(55, 90));
    } else {
        // Ketones, weight, HbA1c: one number.
        const double base = code == QLatin1String("WGHT") ? 72
            : code == QLatin1String("HBA1")               ? 6.8
                                                          : 0.4;
        r.setNumber(0, std::round(base * (0.9 + random.generateDouble() * 0.2) * 10) / 10);
    }
    if (r.fieldCount() > 1 && random.bounded(20) == 0)
        r.setText(r.fieldCount() - 1, QStringLiteral("see notes"));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    bool ok = true;
    qint64 records = 0;
    const qsizetype option = args.indexOf(QStringLiteral("--records"));
    if (option > 0) {
        records = args.value(option + 1).toLongLong(&ok);
        args.remove(option, std::min<qsizetype>(2, args.size() - option));
    }
    ok = ok && args.size() >= 2 && records >= 0;
    const qint64 count = ok ? args[1].toLongLong(&ok) : 0;
    const quint32 seed = args.size() >= 3 ? args[2].toUInt() : 1;
    if (!ok || count < 0) {
        std::fprintf(stderr, "usage: journal-gen N [SEED] [--records M] > journal.txt\n");
        return 2;
    }
    JournalTypes::registerAll();
    // A generator of its own, so that the readings stay the same.
    QRandomGenerator recordRandom(seed + 1);
    qint64 recordsWritten = 0;

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
        } else {
            stream << entry << '\n';
            while (!late.empty() && random.bounded(4) == 0) {
                stream << late.front() << '\n';
                late.pop_front();
            }
        }
        // The records due by this reading, a minute after it and after it in
        // the file, as a journal kept at the time holds them.
        while (count && recordsWritten < records * (i + 1) / count) {
            int share = recordRandom.bounded(100);
            size_t type = 0;
            while (share >= recordShares[type])
                share -= recordShares[type++];
            const auto record = JournalTypes::create(*JournalTypes::records()[type]);
            record->setDateTime(at.addSecs(60));
            fillRecord(*record, recordRandom);
            stream << *record << '\n';
            ++recordsWritten;
        }
    }
    for (const SugarEntry &e : late)
        stream << e << '\n';
    return stream.status() == QTextStream::Ok ? 0 : 1;
}
