// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef GLUCOSEREADING_H
#define GLUCOSEREADING_H

#include "glucose_export.h"

#include <QDate>
#include <QStringView>
#include <QTime>

#include <cstdint>

// One glucose reading as the statistics see it. A value outside the
// plausible range (0 for one that did not convert) is counted as ignored,
// never used.
struct GLUCOSE_EXPORT GlucoseReading
{
    // The values a reading may plausibly hold, in whole mg/dL: meters say
    // "LO" and "HI" beyond them, and a number outside is most likely one in
    // the other unit or a typing error.
    static constexpr int plausibleLowest = 20;
    static constexpr int plausibleHighest = 600;
    static constexpr bool isPlausible(int mgPerDl)
    {
        return mgPerDl >= plausibleLowest && mgPerDl <= plausibleHighest;
    }

    // The moment of a reading that a meter journal groups by: what the
    // reading type says, read from its usual names.
    enum Type : std::uint8_t {
        Unspecified,
        PreBreakfast,
        PostBreakfast,
        PreLunch,
        PostLunch,
        PreDinner,
        PostDinner,
        Snack,
        Bedtime,
        Night,
        Sensor
    };
    static constexpr int typeCount = Sensor + 1;

    QDate date;
    QTime time;
    int value = 0; // whole mg/dL
    Type type = Unspecified;

    // "pre-breakfast" and "fasting", "post-supper" and "post-dinner", "cgm" … in any case.
    static Type typeOf(QStringView text);
    // A short English name: "pre-breakfast", "post-dinner", "sensor" …
    static const char *typeName(Type type);
};

#endif
