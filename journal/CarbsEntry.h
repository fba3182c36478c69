// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef CARBSENTRY_H
#define CARBSENTRY_H

#include "Record.h"
#include "journal_export.h"

// Carbohydrates eaten: grams, the food and notes.
class JOURNAL_EXPORT CarbsEntry : public Record<CarbsEntry>
{
public:
    enum { Grams, Food, Notes };
    static const QString typecode;
    static const Description description;
    using Record::Record;
};

#endif
