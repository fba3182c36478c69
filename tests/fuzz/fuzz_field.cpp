// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Field text of arbitrary UTF-16, lone surrogates included: decoding any
// text succeeds, and decoding an encoded text gives it back.

#include "SugarEntry.h"

#include <QString>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const SugarEntry codec;

    QString text(qsizetype(size / 2), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        text[i] = QChar(char16_t(data[2 * i] | data[2 * i + 1] << 8));

    const QString decoded = codec.decodeString(text);
    if (decoded.size() > text.size())
        std::abort();
    const QString field = codec.encodeItem(text);
    if (field.contains(u'|') || field.contains(u'\n') || codec.decodeString(field) != text)
        std::abort();
    return 0;
}
