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
        const qsizetype bar = m_rest.indexOf(u'|');
        if (bar < 0) {
            m_field = m_rest;
            m_rest = QStringView();
        } else {
            m_field = m_rest.first(bar);
            m_rest = m_rest.sliced(bar + 1);
        }
    } else if (!m_inLine && m_next != m_end) {
        m_field = *m_next++;
    } else {
        m_field = QStringView();
        m_atEnd = true;
    }
}
