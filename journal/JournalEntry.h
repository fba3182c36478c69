// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef JOURNALENTRY_H
#define JOURNALENTRY_H

#include "journal_export.h"

#include <QDate>
#include <QDateTime>
#include <QMultiHash>
#include <QString>
#include <QStringList>
#include <QTime>

class FieldIterator;
class QTextStream;

// The abstract record of a journal: the moment it refers to, its type, and
// the field codec with which record types write and read their own fields.
class JOURNAL_EXPORT JournalEntry
{
public:
    // Creates the entries of one record type. Constructing a factory
    // registers it under its type code; factories are never deleted.
    class JOURNAL_EXPORT JournalFactory
    {
    public:
        explicit JournalFactory(const QString &typecode);

        // Builds an entry from the fields after the type code; the caller owns it.
        virtual JournalEntry *create(FieldIterator &it) const = 0;

        // Adds beside any factory already under the code: a lookup finds the
        // one registered last.
        static void registerFactory(const QString &typecode, const JournalFactory *factory);

        // Holds the factories without owning them.
        static QMultiHash<QString, const JournalFactory *> factories;

    protected:
        ~JournalFactory() = default;
    };

    JournalEntry();
    // Reads the date and the time fields and leaves it on the field after them.
    explicit JournalEntry(FieldIterator &it);
    virtual ~JournalEntry() = default;

    const QDate &getDate() const { return date; }
    const QTime &getTime() const { return time; }
    QDateTime getDateTime() const;
    void setDate(const QDate &d) { date = d; }
    void setTime(const QTime &t) { time = t; }
    void setDateTime(const QDateTime &dt);

    // By calendar date, then clock time: no time zone shifts the order, and
    // neither looks at the type or its fields.
    bool operator<(const JournalEntry &other) const;
    bool operator==(const JournalEntry &other) const;

    virtual const QString &getType() const = 0;
    virtual QString getSummary() const;
    virtual void showDetail() const;
    // Appends the type code, date and time; record types append their fields after.
    virtual void encode(QStringList &fields) const;

    // The journal line, without a line end.
    QString encode() const;
    // The entry that a journal line describes, or null when no factory is
    // registered under its type code. The caller owns the entry.
    static JournalEntry *decode(const QString &line);
    static JournalEntry *decode(QStringView line);

    QString encodeItem(const QString &s) const;
    QString encodeItem(int n) const;
    QString encodeItem(const QDate &d) const;
    QString encodeItem(const QTime &t) const;
    QString decodeString(QStringView s) const;
    int decodeInt(QStringView s) const;
    QDate decodeDate(QStringView s) const;
    QTime decodeTime(QStringView s) const;

private:
    QDate date;
    QTime time;
};

// Writes the entry's journal line and nothing else: the writer ends the line.
JOURNAL_EXPORT QTextStream &operator<<(QTextStream &s, const JournalEntry &e);
// Reads one line; e becomes a new entry, owned by the caller, or null. The
// caller tests for the end of the stream.
JOURNAL_EXPORT QTextStream &operator>>(QTextStream &s, const JournalEntry *&e);

#endif
