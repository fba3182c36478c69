// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef LOCALTIMESTAMP_H
#define LOCALTIMESTAMP_H

#include <QDate>
#include <QString>
#include <QTime>

// Wall-clock timestamps without a zone, kept as they stand: no zone turns
// them, so an hour repeated at a clock change stays two readings. Seconds
// are dropped, not rounded, as a clock shows the minute.
class LocalTimestamp
{
public:
    enum DayOrder { DayFirst, MonthFirst };

    // "YYYY-MM-DD HH:MM[:SS[.ffffff]]", with "T" or a space between.
    static bool parseIso(const QString &text, QDate *date, QTime *time);

    // "DD-MM-YYYY HH:MM" or "MM-DD-YYYY hh:MM AM", by the order given; "/"
    // or "." may stand for "-", and AM/PM may follow either order.
    static bool parseNumeric(const QString &text, DayOrder order, QDate *date, QTime *time);

    // The order that reads every text of a file: month first when one holds
    // AM/PM or a second number over 12 and no first number over 12.
    static DayOrder orderOf(const QStringList &texts);
};

#endif
