// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A journal line of arbitrary bytes: whatever decodes must encode, and the
// encoded line must decode to an entry with the same fields that encodes to
// the same line again; a plain reading read from the bytes must say what
// the entry says.

#include "JournalTypes.h"
#include "SugarEntry.h"

#include <QString>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

bool sameFields(const JournalEntry &a, const JournalEntry &b)
{
    if (a.getType() != b.getType() || a.getDate() != b.getDate() || a.getTime() != b.getTime())
        return false;
    if (const auto *ra = dynamic_cast<const RecordEntry *>(&a)) {
        const auto *rb = dynamic_cast<const RecordEntry *>(&b);
        if (!rb || ra->fieldCount() != rb->fieldCount())
            return false;
        for (int i = 0; i < ra->fieldCount(); ++i) {
            if (ra->text(i) != rb->text(i) || ra->number(i) != rb->number(i))
                return false;
        }
        return ra->getSummary() == rb->getSummary() && ra->problem() == rb->problem();
    }
    const auto *sa = dynamic_cast<const SugarEntry *>(&a);
    const auto *sb = dynamic_cast<const SugarEntry *>(&b);
    return sa && sb && sa->getRType() == sb->getRType() && sa->getValue() == sb->getValue()
        && sa->getNotes() == sb->getNotes();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    JournalTypes::registerAll();

    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString line = QString::fromUtf8(bytes);
    const std::unique_ptr<JournalEntry> entry(JournalEntry::decode(line));
    // A plain reading read from its bytes says what its entry says.
    SugarEntry::Reading plain;
    if (SugarEntry::readPlain(bytes, &plain)) {
        const auto *sugar = dynamic_cast<const SugarEntry *>(entry.get());
        if (!sugar || sugar->getDate() != plain.date || sugar->getTime() != plain.time
            || sugar->getRType() != QLatin1String(plain.type) || sugar->getValue() != plain.value
            || !sugar->hasWholeValue() || sugar->getNotes().isEmpty() == plain.hasNotes)
            std::abort();
    }
    if (!entry)
        return 0;
    const QString encoded = entry->encode();
    const std::unique_ptr<JournalEntry> again(JournalEntry::decode(encoded));
    if (!again || !sameFields(*entry, *again) || again->encode() != encoded)
        std::abort();
    return 0;
}
