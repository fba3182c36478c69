// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef CSVPARSER_H
#define CSVPARSER_H

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// One record of a CSV file and the line it starts on (from 1). `cut` when
// the file ends inside the quotes of its last field, a file cut short;
// `unended` when it is the last of several rows and the file ends without a
// line end in its unquoted last field, which may then be cut short too.
struct CsvRow
{
    int line = 0;
    QStringList fields;
    bool cut = false;
    bool unended = false;
};

// Splits UTF-8 CSV (RFC 4180, and the loose kinds devices write) into rows
// with libcsv. A BOM is dropped at the start of the file only, blank lines
// and lines of empty fields give no row, spaces around unquoted fields are trimmed.
class CsvParser
{
public:
    // About the longest field read: a line of megabytes is not a device export.
    static constexpr qsizetype maxFieldBytes = 1 << 20;

    // Reads at most maxRows rows when it is not negative, fields split by
    // the delimiter, or by delimiterOf() when it is 0. On failure returns
    // the rows read so far and sets *error: a field of maxFieldBytes, or a
    // quoted field that runs over a line end to the end of the file.
    static QList<CsvRow> parse(
        const QByteArray &data, char delimiter = 0, int maxRows = -1, QString *error = nullptr);

    // The data without a leading UTF-8 BOM.
    static QByteArray withoutBom(const QByteArray &data);

    // ',', ';' or a tab: the one found most often outside quotes on one of
    // the first lines, so that a title line does not decide for its header.
    static char delimiterOf(const QByteArray &data);

    // A line of one field, such as a section's title.
    static bool isTitle(const CsvRow &row);

    // Why a row that should have `expected` fields is not whole, or an empty
    // string. Fewer fields mean a row cut off (a device may leave `mayLack`
    // empty last fields off); more, a value split by an unquoted delimiter,
    // such as a decimal comma, even when the field it pushes out is empty.
    // Only where every row has more (`widest`, see widest()) may the surplus
    // be empty fields.
    static QString fieldCountProblem(
        const CsvRow &row, int expected, int mayLack = 0, int widest = -1);

    // The fields the rows from `first` to before `end` may have: the
    // header's, or more when every one of them has more, as a writer does
    // that ends each row with a delimiter.
    static int widest(const QList<CsvRow> &rows, qsizetype first, qsizetype end, int header);

    // Why the number read from `column` may not be whole, or an empty string:
    // it is the last field of an unended row, which a cut file ends inside.
    static QString endProblem(const CsvRow &row, int column);

    // Why a whole number at `column` may be half of one, or an empty string:
    // the next field, which the row leaves empty, holds one or two digits,
    // as a decimal comma that is not quoted leaves them ("5,8" read as "5"
    // and "8"). The caller knows that the next column is none the row fills.
    static QString splitProblem(const CsvRow &row, int column);
};

#endif
