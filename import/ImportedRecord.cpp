// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "ImportedRecord.h"

#include <QLocale>

#include <cmath>

bool ImportedRecord::setNumber(const QString &key, const QString &text)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return false;
    // Fifteen digits hold every figure a device writes, without an exponent.
    fields.insert(key, QString::number(value, 'g', 15));
    return true;
}
