// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "GlucoseReading.h"

#include <QString>

namespace {

struct Name
{
    const char *text;
    GlucoseReading::Type type;
};

// The names journals and the reading dialog use, then their other spellings.
constexpr Name names[] = { { "unspecified", GlucoseReading::Unspecified },
    { "pre-breakfast", GlucoseReading::PreBreakfast },
    { "post-breakfast", GlucoseReading::PostBreakfast }, { "pre-lunch", GlucoseReading::PreLunch },
    { "post-lunch", GlucoseReading::PostLunch }, { "pre-dinner", GlucoseReading::PreDinner },
    { "post-dinner", GlucoseReading::PostDinner }, { "snack", GlucoseReading::Snack },
    { "bedtime", GlucoseReading::Bedtime }, { "night", GlucoseReading::Night },
    { "sensor", GlucoseReading::Sensor }, { "pre-supper", GlucoseReading::PreDinner },
    { "post-supper", GlucoseReading::PostDinner }, { "fasting", GlucoseReading::PreBreakfast },
    { "pre-snack", GlucoseReading::Snack }, { "post-snack", GlucoseReading::Snack },
    { "cgm", GlucoseReading::Sensor } };

} // namespace

GlucoseReading::Type GlucoseReading::typeOf(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    for (const Name &name : names) {
        if (trimmed.compare(QLatin1String(name.text), Qt::CaseInsensitive) == 0)
            return name.type;
    }
    return Unspecified;
}

const char *GlucoseReading::typeName(Type type)
{
    for (const Name &name : names) {
        if (name.type == type)
            return name.text;
    }
    return "unspecified";
}
