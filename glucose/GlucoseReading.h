// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef GLUCOSEREADING_H
#define GLUCOSEREADING_H

#include <QDate>
#include <QTime>

// One glucose reading as the statistics see it. A value of 0 or below is
// one that did not convert: it is counted as ignored, never used.
struct GlucoseReading
{
    QDate date;
    QTime time;
    int value = 0; // whole mg/dL
};

#endif
