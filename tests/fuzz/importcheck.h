// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#ifndef IMPORTCHECK_H
#define IMPORTCHECK_H

// What every importer's result must be, whatever the bytes: an error and
// nothing else, or readings and records a journal can hold and rejections
// with reasons.

#include "DeviceImport.h"
#include "ReadingValue.h"

#include <cstdint>
#include <cstdlib>

namespace importcheck {

// No NUL, control character or broken surrogate reaches a message.
inline bool printable(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < 0x20 || (c >= 0x7f && c < 0xa0))
            return false;
        if (QChar::isHighSurrogate(c) && (i + 1 == text.size() || !text.at(++i).isLowSurrogate()))
            return false;
        if (QChar::isLowSurrogate(c))
            return false;
    }
    return true;
}

inline void check(const ImportResult &result, const QString &format)
{
    if (result.format != format || !printable(result.error))
        std::abort();
    if (!result.ok()
        && (!result.readings.isEmpty() || !result.records.isEmpty() || !result.rejected.isEmpty()
            || !result.skipped.isEmpty()))
        std::abort();
    // Every row is accounted for.
    if (result.ok() && result.accounted() != result.rows)
        std::abort();
    for (const ImportedRecord &r : result.records) {
        if (!r.date.isValid() || !r.time.isValid() || r.time.second() != 0 || r.type.isEmpty()
            || r.fields.contains(QString()) || r.row < 1)
            std::abort();
    }
    for (const ImportedReading &r : result.readings) {
        if (!r.date.isValid() || r.date.year() < 1 || r.date.year() > 9999 || !r.time.isValid()
            || r.time.second() != 0 || r.type.isEmpty() || r.value < 1
            || r.value > ReadingValue::maxMgPerDl)
            std::abort();
    }
    for (const RejectedRow &r : result.rejected) {
        if (r.row < 1 || r.reason.isEmpty() || !printable(r.reason))
            std::abort();
    }
}

// Reads the bytes as the format, and detects them, which must not fail either.
inline void run(
    const uint8_t *data, size_t size, const QString &format, const QString &columns = QString())
{
    const QByteArray bytes
        = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString detected = DeviceImport::detect(bytes);
    if (!detected.isEmpty() && !DeviceImport::formats().contains(detected))
        std::abort();
    check(DeviceImport::read(bytes, format, columns), format);
}

} // namespace importcheck

#endif
