// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef IMPORTRESULT_H
#define IMPORTRESULT_H

#include "ImportedReading.h"
#include "ImportedRecord.h"

#include <QList>
#include <QMap>
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
//
// Every row of the source is accounted for: it is a reading, rejected,
// skipped by kind, or a repeat of an earlier row, so that these add up to
// `rows`. A kind of record that becomes an import of its own gets its list
// here and its place in accounted().
struct ImportResult
{
    QString format;
    QList<ImportedReading> readings;
    // Doses, meals, activities, notes and the like, in file order.
    QList<ImportedRecord> records;
    QList<RejectedRow> rejected;
    // Rows that are no reading and no record, by kind: a singular noun such
    // as "alert".
    QMap<QString, int> skipped;
    // Rows that repeat an earlier row of the file exactly and are read once.
    int repeated = 0;
    // Rows that became one or more records (a row of LibreView may hold
    // several doses).
    int recordRows = 0;
    // The source's rows after its title and header lines (entries of JSON).
    int rows = 0;
    QString error;

    bool ok() const { return error.isEmpty(); }
    void skip(const QString &kind) { ++skipped[kind]; }
    void reject(int row, const QString &reason) { rejected.append({ row, reason }); }
    int skippedCount() const;
    // The rows that the lists and counts above stand for.
    int accounted() const;

    // "1 alert", "7 alerts", "2 carbohydrate entries".
    static QString counted(int n, const QString &noun);
    // The skipped kinds, most first: "37 calibrations, 7 alerts", or "0".
    QString skippedText() const;
    // A file's text as a reason quotes it: at most 40 characters, control
    // characters escaped, so that no message carries a NUL or a line break.
    static QString excerpt(const QString &text);
};

#endif
