// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "GlucoseSequence.h"

#include <algorithm>

void GlucoseSequence::addLate(
    const QDate &date, const QTime &time, int value, GlucoseReading::Type type)
{
    // Most late readings are a few lines late: one whose place is among the
    // last readings in turn takes it at once, after those of its moment. One
    // further back is set aside for the merge.
    GlucoseReading reading;
    reading.date = date;
    reading.time = time;
    reading.value = value;
    reading.type = type;
    constexpr std::ptrdiff_t nearby = 64;
    const auto from = m_inTurn.end() - std::min(nearby, std::ptrdiff_t(m_inTurn.size()));
    const auto place = std::upper_bound(from, m_inTurn.end(), reading, earlier);
    if (place != from || from == m_inTurn.begin())
        m_inTurn.insert(place, reading);
    else
        m_late.push_back(reading);
}

std::vector<GlucoseReading> GlucoseSequence::join(GlucoseSequence &first, GlucoseSequence &second)
{
    std::vector<GlucoseReading> all = std::move(first.m_inTurn);
    std::vector<GlucoseReading> late = std::move(first.m_late);
    // Those in turn in the second part that come before the end of the
    // first are late after all: a run at its start, as they are in order.
    // Late ones stay in the journal's order: the first part's, that run,
    // then the second's, which come after any of that run of one moment.
    const std::vector<GlucoseReading> &next = second.m_inTurn;
    std::size_t run = 0;
    while (!all.empty() && run < next.size() && earlier(next[run], all.back()))
        ++run;
    late.insert(late.end(), next.begin(), next.begin() + std::ptrdiff_t(run));
    // All those belong among the first part's readings: merged there, they
    // move none of the second's.
    if (second.m_late.empty())
        mergeLate(all, std::move(late));
    else
        late.insert(late.end(), second.m_late.begin(), second.m_late.end());
    all.insert(all.end(), next.begin() + std::ptrdiff_t(run), next.end());
    if (!second.m_late.empty())
        mergeLate(all, std::move(late));
    first = GlucoseSequence();
    second = GlucoseSequence();
    return all;
}

void GlucoseSequence::mergeLate(
    std::vector<GlucoseReading> &inOrder, std::vector<GlucoseReading> late)
{
    if (late.empty())
        return;
    std::stable_sort(late.begin(), late.end(), earlier);
    // Merged from the back, in place: the late ones after those in order
    // of the same moment, as a merge from the front would put them.
    std::size_t kept = inOrder.size();
    inOrder.resize(inOrder.size() + late.size());
    std::size_t to = inOrder.size();
    while (!late.empty()) {
        if (kept > 0 && earlier(late.back(), inOrder[kept - 1])) {
            inOrder[--to] = inOrder[--kept];
        } else {
            inOrder[--to] = late.back();
            late.pop_back();
        }
    }
}
