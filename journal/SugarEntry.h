// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef SUGARENTRY_H
#define SUGARENTRY_H

#include "JournalEntry.h"
#include "journal_export.h"

#include <QByteArrayView>

#include <cstddef>

// A blood sugar reading: a reading type, a whole-number value and notes. A
// value field that is not a whole number ("0Hi", "5.6") reads as 0 but is
// kept as written, so that it is shown and written back as it stands.
class JOURNAL_EXPORT SugarEntry : public JournalEntry
{
public:
    // Registers the type under "SUGR"; construct one before reading a journal.
    class JOURNAL_EXPORT MyFactory : public JournalFactory
    {
    public:
        MyFactory();
        JournalEntry *create(FieldIterator &it) const override;
    };

    static const QString typecode;

    SugarEntry();
    SugarEntry(const SugarEntry &) = default;
    SugarEntry &operator=(const SugarEntry &) = default;
    // Readings come by the million: they share large blocks of memory.
    static void *operator new(std::size_t bytes);
    static void operator delete(void *entry, std::size_t bytes) noexcept;
    // Reads date, time, reading type, value and notes, and leaves it after the notes.
    explicit SugarEntry(FieldIterator &it);
    ~SugarEntry() override;

    const QString &getType() const override;
    QString getSummary() const override;
    // Opens a modal dialog and returns when it is closed.
    void showDetail() const override;
    // The same, with the value as the caller shows it and its unit:
    // "Blood Sugar Reading 5.8 mmol/L (fasting)".
    void showDetail(const QString &value, const QString &unit) const;
    using JournalEntry::encode;
    void encode(QStringList &fields) const override;

    // What a reading's line says, read straight from its bytes without
    // making an entry, for a program that reads a million lines for their
    // figures: the same as the entry decode() makes of the line would say.
    struct Reading
    {
        QDate date;
        QTime time;
        QByteArrayView type; // the reading type, a view into the line
        int value = 0;
        bool hasNotes = false;
    };
    // False when the line is not a plain reading: not one at all, or one
    // whose fields need the whole decoding (escapes or bytes beyond ASCII
    // in its type, a date or time not written as the journal writes them, a
    // value that is not a whole number): decode() it then. The notes are
    // not read, only whether there are any.
    static bool readPlain(QByteArrayView line, Reading *reading);

    const QString &getRType() const { return rtype; }
    int getValue() const { return value; }
    // The value as shown: the number, or the field as written when it is not one.
    QString getValueText() const;
    bool hasWholeValue() const { return valueField.isNull(); }
    // Why the value is none a reading holds, or an empty string: "value not
    // a whole number", "impossible value -5", or one outside the plausible
    // range, "implausible value 1200 mg/dL". Statistics leave such a
    // reading out.
    QString valueProblem() const;
    const QString &getNotes() const { return notes; }
    void setRType(const QString &r) { rtype = r; }
    void setValue(int v)
    {
        value = v;
        valueField.clear();
    }
    void setNotes(const QString &n) { notes = n; }

private:
    QString rtype = QStringLiteral("????");
    int value = 0;
    QString valueField; // the raw field, only when it is not a whole number
    QString notes;
};

#endif
