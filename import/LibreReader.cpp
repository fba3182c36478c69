// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "LibreReader.h"

#include "LocalTimestamp.h"
#include "ReadingValue.h"

#include <QSet>

namespace {

// The header follows a title line, which re-saved copies may lack.
constexpr int headerSearchRows = 3;

// Re-saved copies may pad the names, so the header is read trimmed.
int columnOf(const QStringList &header, QLatin1String name)
{
    for (int i = 0; i < header.size(); ++i) {
        if (header.at(i).trimmed() == name)
            return i;
    }
    return -1;
}

int headerIndex(const QList<CsvRow> &rows)
{
    for (int i = 0; i < std::min<int>(headerSearchRows, int(rows.size())); ++i) {
        const QStringList &fields = rows.at(i).fields;
        if (columnOf(fields, QLatin1String("Device Timestamp")) >= 0
            && columnOf(fields, QLatin1String("Record Type")) >= 0)
            return i;
    }
    return -1;
}

struct GlucoseColumn
{
    int index = -1;
    GlucoseUnit::Unit unit = GlucoseUnit::MgPerDl;
    QString name;
};

GlucoseColumn glucoseColumn(const QStringList &header, QLatin1String prefix)
{
    GlucoseColumn column;
    for (int i = 0; i < header.size(); ++i) {
        const QString name = header.at(i).trimmed();
        if (name.startsWith(prefix) && ReadingValue::unitInName(name, &column.unit)) {
            column.index = i;
            column.name = name;
            break;
        }
    }
    return column;
}

} // namespace

const QString LibreReader::format = QStringLiteral("libre");

bool LibreReader::recognises(const QList<CsvRow> &head)
{
    return headerIndex(head) >= 0;
}

ImportResult LibreReader::read(const QByteArray &data)
{
    ImportResult result;
    result.format = format;
    const QList<CsvRow> rows = CsvParser::parse(data, ',', -1, &result.error);
    if (!result.error.isEmpty())
        return result;
    const int h = headerIndex(rows);
    if (h < 0) {
        result.error = QStringLiteral("not a LibreView export: no header line with the Device "
                                      "Timestamp and Record Type columns");
        return result;
    }
    const QStringList header = rows.at(h).fields;
    const int timestampColumn = columnOf(header, QLatin1String("Device Timestamp"));
    const int typeColumn = columnOf(header, QLatin1String("Record Type"));
    const int notesColumn = columnOf(header, QLatin1String("Notes"));
    const GlucoseColumn columns[] = { glucoseColumn(header, QLatin1String("Historic Glucose")),
        glucoseColumn(header, QLatin1String("Scan Glucose")),
        glucoseColumn(header, QLatin1String("Strip Glucose")) };
    const QString types[]
        = { QStringLiteral("cgm"), QStringLiteral("scan"), QStringLiteral("meter") };
    if (columns[0].index < 0 && columns[1].index < 0 && columns[2].index < 0) {
        result.error = QStringLiteral("not a LibreView export: no Historic, Scan or Strip Glucose "
                                      "column with a unit");
        return result;
    }

    // The rows that are readings, each once, and every date to tell the day order from.
    QList<const CsvRow *> readingRows;
    QStringList stamps;
    QSet<QString> seen;
    if (h > 0 && rows.first().fields.size() > 2)
        stamps.append(QString(rows.first().fields.at(2)).remove(QLatin1String("UTC")));
    for (qsizetype i = h + 1; i < rows.size(); ++i) {
        const CsvRow &row = rows.at(i);
        if (row.fields.size() <= std::max(typeColumn, timestampColumn)) {
            result.rejected.append({ row.line,
                QStringLiteral("truncated row: %1 fields, the header names %2")
                    .arg(row.fields.size())
                    .arg(header.size()) });
            continue;
        }
        const QString type = row.fields.at(typeColumn).trimmed();
        if (type != QLatin1String("0") && type != QLatin1String("1") && type != QLatin1String("2"))
            continue;
        if (!seen.contains(row.fields.join(QChar(0)))) {
            seen.insert(row.fields.join(QChar(0)));
            readingRows.append(&row);
            stamps.append(row.fields.at(timestampColumn));
        }
    }
    const LocalTimestamp::DayOrder order = LocalTimestamp::orderOf(stamps);

    for (const CsvRow *row : readingRows) {
        const int type = row->fields.at(typeColumn).trimmed().toInt();
        const GlucoseColumn &column = columns[type];
        ImportedReading reading;
        const QString stamp = row->fields.at(timestampColumn);
        QString reason;
        if (!LocalTimestamp::parseNumeric(stamp, order, &reading.date, &reading.time)) {
            reason
                = QStringLiteral("device timestamp \"%1\" is not a date and time (%2)")
                      .arg(stamp.left(40),
                          order == LocalTimestamp::DayFirst ? QLatin1String("DD-MM-YYYY HH:MM")
                                                            : QLatin1String("MM-DD-YYYY hh:MM AM"));
        } else if (column.index < 0) {
            reason = QStringLiteral("record type %1 but no %2 Glucose column")
                         .arg(type)
                         .arg(type == 0      ? u"Historic"
                                 : type == 1 ? u"Scan"
                                             : u"Strip");
        } else if (row->fields.size() <= column.index) {
            reason = QStringLiteral("truncated row: %1 fields, %2 is field %3")
                         .arg(row->fields.size())
                         .arg(column.name)
                         .arg(column.index + 1);
        }
        if (reason.isEmpty()
            && ReadingValue::parse(
                row->fields.at(column.index), column.unit, &reading.value, &reason)) {
            reading.type = types[type];
            if (notesColumn >= 0 && notesColumn < row->fields.size())
                reading.notes = row->fields.at(notesColumn).trimmed();
            result.readings.append(reading);
        } else {
            result.rejected.append({ row->line, reason });
        }
    }
    return result;
}
