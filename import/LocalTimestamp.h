// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef LOCALTIMESTAMP_H
#define LOCALTIMESTAMP_H

#include <QDate>
#include <QString>
#include <QTime>

class QDateTime;

// Wall-clock timestamps without a zone, kept as they stand: no zone turns
// them, so an hour repeated at a clock change stays two readings. Seconds
// are dropped, not rounded, as a clock shows the minute.
class LocalTimestamp
{
public:
    enum DayOrder { DayFirst, MonthFirst };
    enum Result { Read, NotATime, OutOfRange };

    // "YYYY-MM-DD HH:MM[:SS[.ffffff]]", with "T" or a space between.
    static bool parseIso(const QString &text, QDate *date, QTime *time);

    // "DD-MM-YYYY HH:MM" or "MM-DD-YYYY hh:MM AM", by the order given; "/"
    // or "." may stand for "-", and AM/PM may follow either order.
    static bool parseNumeric(const QString &text, DayOrder order, QDate *date, QTime *time);

    // The order that reads every text of a file: month first when one holds
    // AM/PM or a second number over 12 and no first number over 12.
    static DayOrder orderOf(const QStringList &texts);

    // An ISO timestamp, numeric (by the order given) or ISO without a zone,
    // or ISO with one ("Z", "+02:00"), which is shown on this machine's clock.
    // OutOfRange when that clock puts it outside the years 1 to 9999, which
    // are all a journal holds.
    static Result parseMoment(const QString &text, DayOrder order, QDate *date, QTime *time);

    // A moment on this machine's clock; false outside the years 1 to 9999.
    static bool toLocal(const QDateTime &moment, QDate *date, QTime *time);
};

#endif
