// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef CSVPARSER_H
#define CSVPARSER_H

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// One record of a CSV file and the line it starts on (from 1).
struct CsvRow
{
    int line = 0;
    QStringList fields;
};

// Splits UTF-8 CSV (RFC 4180, and the loose kinds devices write) into rows
// with libcsv. A leading BOM is dropped, blank lines give no row, spaces
// around unquoted fields are trimmed.
class CsvParser
{
public:
    // About the longest field read: a line of megabytes is not a device export.
    static constexpr qsizetype maxFieldBytes = 1 << 20;

    // Reads at most maxRows rows when it is not negative. On failure returns
    // the rows read so far and sets *error.
    static QList<CsvRow> parse(
        const QByteArray &data, char delimiter = ',', int maxRows = -1, QString *error = nullptr);

    // The data without a leading UTF-8 BOM.
    static QByteArray withoutBom(const QByteArray &data);
};

#endif
