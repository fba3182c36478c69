// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef FIELDITERATOR_H
#define FIELDITERATOR_H

#include "journal_export.h"

#include <QString>
#include <QStringList>
#include <QStringView>

// Walks the fields of one record. It knows the end of its fields: the field
// at the end reads as empty text and advancing there stays there, so a
// record type reads every field that a short line lacks as empty.
class JOURNAL_EXPORT FieldIterator
{
public:
    // Over a field list, which must outlive the iterator.
    explicit FieldIterator(const QStringList &fields);
    // Over the fields of a journal line, split at "|" one at a time as the
    // iterator advances; empty fields count. The text must outlive the iterator.
    explicit FieldIterator(QStringView line);

    // A view of the current field: copy it (toString()) to keep it.
    QStringView operator*() const { return m_field; }
    FieldIterator &operator++();
    bool atEnd() const { return m_atEnd; }

private:
    void load();

    const QString *m_next = nullptr;
    const QString *m_end = nullptr;
    QStringView m_rest;
    QStringView m_field;
    bool m_inLine = false;
    bool m_atEnd = false;
};

#endif
