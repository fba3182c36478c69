// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef HBA1CENTRY_H
#define HBA1CENTRY_H

#include "Record.h"
#include "journal_export.h"

// A laboratory HbA1c in percent, with notes.
class JOURNAL_EXPORT HbA1cEntry : public Record<HbA1cEntry>
{
public:
    enum { Percent, Notes };
    static const QString typecode;
    static const Description description;
    using Record::Record;

    // The IFCC figure of a percentage, rounded: (percent - 2.15) * 10.929.
    static int mmolPerMol(double percent);
};

#endif
