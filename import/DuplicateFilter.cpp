// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "DuplicateFilter.h"

DuplicateFilter::Key DuplicateFilter::keyOf(
    const QDate &date, const QTime &time, const QString &type, int value)
{
    // Wall-clock minutes: a journal line knows no zone.
    const qint64 minute = date.toJulianDay() * 24 * 60 + time.hour() * 60 + time.minute();
    return { minute, type, value };
}

void DuplicateFilter::addExisting(
    const QDate &date, const QTime &time, const QString &type, int value)
{
    seen.insert(keyOf(date, time, type, value), true);
}

void DuplicateFilter::addExisting(const ImportedReading &reading)
{
    addExisting(reading.date, reading.time, reading.type, reading.value);
}

DuplicateFilter::Verdict DuplicateFilter::check(const ImportedReading &reading)
{
    const Key key = keyOf(reading.date, reading.time, reading.type, reading.value);
    const auto found = seen.constFind(key);
    if (found != seen.constEnd())
        return *found ? AlreadyThere : Repeated;
    seen.insert(key, false);
    return New;
}
