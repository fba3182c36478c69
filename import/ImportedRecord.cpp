// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "ImportedRecord.h"

#include "ReadingValue.h"

#include <cmath>

bool ImportedRecord::setNumber(const QString &key, const QString &text)
{
    double value = 0;
    if (!ReadingValue::toNumber(text, &value) || !std::isfinite(value))
        return false;
    // Fifteen digits hold every figure a device writes, without an exponent.
    fields.insert(key, QString::number(value, 'g', 15));
    return true;
}
