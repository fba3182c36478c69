// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "LingoReader.h"

#include "ColumnNames.h"
#include "CsvReader.h"
#include "ReadingValue.h"

namespace {

constexpr int headerSearchRows = 5;

// "Time of Glucose Reading [T=(local time) +/- (time zone offset)]" and
// "Measurement(mg/dL)" are Lingo's own; the others let a column renamed by
// a spreadsheet still be found beside one of them.
const ColumnNames::Names lingoTimeNames = { "Time of Glucose Reading" };
const ColumnNames::Names lingoValueNames = { "Measurement" };
const ColumnNames::Names timeNames
    = { "Time of Glucose Reading", "Timestamp", "Date Time", "Date/Time", "Time" };
const ColumnNames::Names valueNames = { "Measurement", "Glucose" };

CsvReader::Columns columnsOf(const QStringList &header)
{
    CsvReader::Columns c;
    const bool lingo = ColumnNames::find(header, lingoTimeNames, ColumnNames::Start) >= 0
        || ColumnNames::find(header, lingoValueNames, ColumnNames::Start) >= 0;
    if (!lingo)
        return c;
    c.timestamp = ColumnNames::find(header, timeNames, ColumnNames::Start);
    c.value = ColumnNames::find(header, valueNames, ColumnNames::Start);
    if (c.value >= 0)
        ReadingValue::unitInName(header.at(c.value), &c.valueUnit);
    return c;
}

int headerIndex(const QList<CsvRow> &rows)
{
    for (int i = 0; i < std::min<int>(headerSearchRows, int(rows.size())); ++i) {
        if (columnsOf(rows.at(i).fields).usable())
            return i;
    }
    return -1;
}

} // namespace

const QString LingoReader::format = QStringLiteral("lingo");

bool LingoReader::recognises(const QList<CsvRow> &head)
{
    return headerIndex(head) >= 0;
}

ImportResult LingoReader::read(const QByteArray &data)
{
    ImportResult result;
    result.format = format;
    const QList<CsvRow> rows = CsvParser::parse(data, 0, -1, &result.error);
    if (!result.error.isEmpty())
        return result;
    const int h = headerIndex(rows);
    if (h < 0) {
        result.error = QStringLiteral("not a Lingo export: no header line with the Time of "
                                      "Glucose Reading and Measurement (unit) columns");
        return result;
    }
    CsvReader::readRows(rows, h, columnsOf(rows.at(h).fields), QStringLiteral("cgm"), result);
    return result;
}
