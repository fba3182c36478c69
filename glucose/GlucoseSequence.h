// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef GLUCOSESEQUENCE_H
#define GLUCOSESEQUENCE_H

#include "GlucoseReading.h"
#include "glucose_export.h"

#include <vector>

// Readings gathered in the order a journal holds them and put in time
// order as they come: most follow the one before; the few stored late take
// their place among the last ones, or, from further back, are set aside to
// be sorted and merged back at the end. A journal read in parts at once
// gathers each part in a sequence of its own.
class GLUCOSE_EXPORT GlucoseSequence
{
public:
    void reserve(std::size_t readings) { m_inTurn.reserve(readings); }
    // The journal's next reading.
    void add(const QDate &date, const QTime &time, int value, GlucoseReading::Type type)
    {
        if (!m_inTurn.empty() && before(date, time, m_inTurn.back())) {
            addLate(date, time, value, type);
            return;
        }
        // Filled in place: a reading made aside and copied in whole would
        // wait for its fields to reach the cache, a stall on every reading.
        GlucoseReading &reading = m_inTurn.emplace_back();
        reading.date = date;
        reading.time = time;
        reading.value = value;
        reading.type = type;
    }

    // The readings of two parts of a journal, the second after the first,
    // in time order, keeping the journal's order among readings of one
    // moment. Both are left empty.
    static std::vector<GlucoseReading> join(GlucoseSequence &first, GlucoseSequence &second);
    // Readings in time order, and late ones in the journal's order that
    // came after them: all in time order, in inOrder.
    static void mergeLate(std::vector<GlucoseReading> &inOrder, std::vector<GlucoseReading> late);
    // Whether a reading comes before another in time.
    static bool earlier(const GlucoseReading &a, const GlucoseReading &b)
    {
        return before(a.date, a.time, b);
    }

private:
    void addLate(const QDate &date, const QTime &time, int value, GlucoseReading::Type type);
    static bool before(const QDate &date, const QTime &time, const GlucoseReading &b)
    {
        return date != b.date ? date < b.date : time < b.time;
    }

    std::vector<GlucoseReading> m_inTurn;
    std::vector<GlucoseReading> m_late;
};

#endif
