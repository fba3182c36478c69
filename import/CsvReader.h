// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef CSVREADER_H
#define CSVREADER_H

#include "CsvParser.h"
#include "GlucoseUnit.h"
#include "ImportResult.h"

// A CSV with a header naming date and time, or one timestamp, and the value;
// type, unit and notes may follow. CsvExport's files read back as they were
// written. Names go in any case and order, or as the user names them; a
// missing type is "unspecified", a missing unit the one in the value's name,
// else mg/dL. Dates are ISO, or numeric in the day order of the whole file.
class CsvReader
{
public:
    static const QString format;

    // Which column holds what, -1 where none.
    struct Columns
    {
        int date = -1;
        int time = -1;
        int timestamp = -1;
        int value = -1;
        int type = -1;
        int unit = -1;
        int notes = -1;
        // The type of a record other than a reading, as an export writes it.
        int record = -1;
        GlucoseUnit::Unit valueUnit = GlucoseUnit::MgPerDl;

        bool usable() const { return value >= 0 && (timestamp >= 0 || (date >= 0 && time >= 0)); }
    };

    static bool recognises(const QList<CsvRow> &head);

    // Reads by the header's names, or by the columns a user names, such as
    // "date=Datum,time=Zeit,value=Glukose,unit=mmol/L": the keys date, time,
    // timestamp, value, type, unit and notes, each a header's name; unit may
    // name the unit of every value instead, and a date without a time holds
    // the whole timestamp. A name in double quotes may hold a comma; the
    // header is the first line that has every name, below a preamble.
    static ImportResult read(const QByteArray &data, const QString &columns = QString());
    // Why the names are no sound list of keys and names, or an empty string.
    static QString columnsProblem(const QString &columns);

    // The rows after `header` read as readings by the columns; a row without
    // a type column is of `type`. Every row is a reading or rejected.
    static void readRows(const QList<CsvRow> &rows, int header, const Columns &columns,
        const QString &type, ImportResult &result);
};

#endif
