// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef ACTIVITYENTRY_H
#define ACTIVITYENTRY_H

#include "Record.h"
#include "journal_export.h"

// Exercise or other activity: what, how many minutes, how hard, and notes.
class JOURNAL_EXPORT ActivityEntry : public Record<ActivityEntry>
{
public:
    enum { Activity, Minutes, Intensity, Notes };
    static const QString typecode;
    static const Description description;
    using Record::Record;
};

#endif
