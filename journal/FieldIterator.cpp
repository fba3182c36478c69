// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "FieldIterator.h"

FieldIterator::FieldIterator(const QStringList &fields)
    : m_next(fields.constData())
    , m_end(fields.constData() + fields.size())
{
    load();
}

FieldIterator::FieldIterator(QStringView line)
    : m_rest(line.isNull() ? QStringView(u"") : line)
    , m_inLine(true)
{
    load();
}

FieldIterator &FieldIterator::operator++()
{
    if (!m_atEnd)
        load();
    return *this;
}

void FieldIterator::load()
{
    if (m_inLine && !m_rest.isNull()) {
        // Fields are a few characters long: a plain loop finds the bar
        // sooner than a general search sets itself up.
        const QChar *begin = m_rest.data();
        const QChar *end = begin + m_rest.size();
        const QChar *bar = begin;
        while (bar != end && *bar != u'|')
            ++bar;
        if (bar == end) {
            m_field = m_rest;
            m_rest = QStringView();
        } else {
            m_field = QStringView(begin, bar);
            m_rest = QStringView(bar + 1, end);
        }
    } else if (!m_inLine && m_next != m_end) {
        m_field = *m_next++;
    } else {
        m_field = QStringView();
        m_atEnd = true;
    }
}
