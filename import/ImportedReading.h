// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef IMPORTEDREADING_H
#define IMPORTEDREADING_H

#include <QDate>
#include <QString>
#include <QTime>

// One glucose reading read from a device export: the local wall-clock time to
// the minute, the journal's reading type and the value in whole mg/dL.
struct ImportedReading
{
    QDate date;
    QTime time;
    QString type;
    int value = 0;
    QString notes;
};

#endif
