// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef IMPORTRESULT_H
#define IMPORTRESULT_H

#include "ImportedReading.h"

#include <QList>
#include <QString>

// A row that looks like a reading but cannot be one. `row` is the file's
// line number for text formats and the entry's place (from 1) for JSON.
struct RejectedRow
{
    int row = 0;
    QString reason;
};

// What reading one export gives. `error` is set, and nothing else is, when
// the file cannot be read as the format at all.
struct ImportResult
{
    QString format;
    QList<ImportedReading> readings;
    QList<RejectedRow> rejected;
    QString error;

    bool ok() const { return error.isEmpty(); }
};

#endif
