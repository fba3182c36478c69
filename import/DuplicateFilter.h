// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef DUPLICATEFILTER_H
#define DUPLICATEFILTER_H

#include "ImportedReading.h"

#include <QHash>

// Tells which imported readings a journal already holds: one of the same
// minute, type and value, in the journal or earlier in the same import.
// Importing a file twice so adds nothing the second time.
class DuplicateFilter
{
public:
    enum Verdict { New, AlreadyThere, Repeated };

    // A reading of the journal.
    void addExisting(const QDate &date, const QTime &time, const QString &type, int value);
    void addExisting(const ImportedReading &reading);

    // Whether the reading is new, in the journal, or repeats one admitted
    // before; a new one is remembered.
    Verdict check(const ImportedReading &reading);
    // True, and remembers it, when the reading is new.
    bool admit(const ImportedReading &reading) { return check(reading) == New; }

private:
    struct Key
    {
        qint64 minute = 0;
        QString type;
        int value = 0;
        bool operator==(const Key &other) const
        {
            return minute == other.minute && value == other.value && type == other.type;
        }
    };
    friend size_t qHash(const Key &key, size_t seed) noexcept
    {
        return qHashMulti(seed, key.minute, key.type, key.value);
    }
    static Key keyOf(const QDate &date, const QTime &time, const QString &type, int value);

    // Each key seen, true when it came from the journal.
    QHash<Key, bool> seen;
};

#endif
