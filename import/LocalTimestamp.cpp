// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "LocalTimestamp.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QStringList>

namespace {

const QRegularExpression &isoPattern()
{
    static const QRegularExpression re(QStringLiteral(
        R"(^([0-9]{4})-([0-9]{2})-([0-9]{2})[T ]([0-9]{2}):([0-9]{2})(?::([0-9]{2})(?:\.[0-9]{1,9})?)?$)"));
    return re;
}

const QRegularExpression &numericPattern()
{
    static const QRegularExpression re(QStringLiteral(
        R"(^([0-9]{1,2})[-/.]([0-9]{1,2})[-/.]([0-9]{4})\s+([0-9]{1,2}):([0-9]{2})(?::([0-9]{2}))?\s*([AaPp][Mm])?$)"));
    return re;
}

} // namespace

bool LocalTimestamp::parseIso(const QString &text, QDate *date, QTime *time)
{
    const QRegularExpressionMatch m = isoPattern().match(text.trimmed());
    if (!m.hasMatch())
        return false;
    const QDate d(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const QTime t(m.captured(4).toInt(), m.captured(5).toInt());
    const bool secondsOk = !m.hasCaptured(6) || m.captured(6).toInt() < 60;
    if (!d.isValid() || d.year() < 1 || !t.isValid() || !secondsOk)
        return false;
    *date = d;
    *time = t;
    return true;
}

bool LocalTimestamp::parseNumeric(const QString &text, DayOrder order, QDate *date, QTime *time)
{
    const QRegularExpressionMatch m = numericPattern().match(text.trimmed());
    if (!m.hasMatch())
        return false;
    const int first = m.captured(1).toInt();
    const int second = m.captured(2).toInt();
    const QDate d(m.captured(3).toInt(), order == DayFirst ? second : first,
        order == DayFirst ? first : second);
    int hour = m.captured(4).toInt();
    const QString marker = m.captured(7).toUpper();
    if (!marker.isEmpty()) {
        if (hour < 1 || hour > 12)
            return false;
        hour = hour % 12 + (marker == QLatin1String("PM") ? 12 : 0);
    }
    const QTime t(hour, m.captured(5).toInt());
    const bool secondsOk = !m.hasCaptured(6) || m.captured(6).toInt() < 60;
    if (!d.isValid() || d.year() < 1 || !t.isValid() || !secondsOk)
        return false;
    *date = d;
    *time = t;
    return true;
}

LocalTimestamp::DayOrder LocalTimestamp::orderOf(const QStringList &texts)
{
    bool marker = false;
    bool firstOver12 = false;
    bool secondOver12 = false;
    for (const QString &text : texts) {
        const QRegularExpressionMatch m = numericPattern().match(text.trimmed());
        if (!m.hasMatch())
            continue;
        marker = marker || m.hasCaptured(7);
        firstOver12 = firstOver12 || m.captured(1).toInt() > 12;
        secondOver12 = secondOver12 || m.captured(2).toInt() > 12;
    }
    if (firstOver12)
        return DayFirst;
    return marker || secondOver12 ? MonthFirst : DayFirst;
}

LocalTimestamp::Result LocalTimestamp::parseMoment(
    const QString &text, DayOrder order, QDate *date, QTime *time)
{
    if (parseIso(text, date, time) || parseNumeric(text, order, date, time))
        return Read;
    const QDateTime moment = QDateTime::fromString(text.trimmed(), Qt::ISODateWithMs);
    if (!moment.isValid() || moment.timeSpec() == Qt::LocalTime)
        return NotATime;
    return toLocal(moment, date, time) ? Read : OutOfRange;
}

bool LocalTimestamp::toLocal(const QDateTime &moment, QDate *date, QTime *time)
{
    const QDateTime local = moment.toLocalTime();
    if (!local.isValid() || local.date().year() < 1 || local.date().year() > 9999)
        return false;
    *date = local.date();
    *time = QTime(local.time().hour(), local.time().minute());
    return true;
}
