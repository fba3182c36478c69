// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "NightscoutReportReader.h"

#include "ColumnNames.h"
#include "LocalTimestamp.h"
#include "NightscoutReader.h"
#include "ReadingValue.h"

#include <QDateTime>
#include <QJsonObject>

#include <algorithm>

namespace {

// Nightscout's own field names, which its sections' headers use.
const ColumnNames::Names fieldNames = { "sgv", "mbg", "date", "dateString", "sysTime", "type",
    "direction", "device", "eventType", "created_at", "insulin", "carbs", "glucose", "notes",
    "enteredBy", "duration", "mills", "_id" };
const ColumnNames::Names dateNames = { "dateString", "created_at", "sysTime", "time" };

struct Section
{
    enum Kind { None, Entries, Treatments, Other } kind = None;
    QString title;
    QStringList names; // Nightscout's own spelling where it is one of its fields
    int width = 0;
    int sgv = -1;
    int mbg = -1;
    int type = -1;
    int epoch = -1;
    int date = -1;
    int eventType = -1;
    int insulin = -1;
    int carbs = -1;
};

bool isHeader(const QStringList &fields)
{
    int known = 0;
    for (const QString &f : fields)
        known += ColumnNames::matches(f, fieldNames);
    return known >= 2;
}

Section sectionOf(const QStringList &header, const QString &title)
{
    Section s;
    s.title = title;
    s.width = int(header.size());
    for (const QString &name : header) {
        const auto known = std::find_if(fieldNames.begin(), fieldNames.end(),
            [&name](const char *field) { return ColumnNames::matches(name, { field }); });
        s.names.append(known == fieldNames.end() ? name.trimmed() : QLatin1String(*known));
    }
    s.sgv = ColumnNames::find(header, { "sgv" });
    s.mbg = ColumnNames::find(header, { "mbg" });
    s.type = ColumnNames::find(header, { "type" });
    s.epoch = ColumnNames::find(header, { "date", "mills" });
    s.date = ColumnNames::find(header, dateNames);
    s.eventType = ColumnNames::find(header, { "eventType" });
    s.insulin = ColumnNames::find(header, { "insulin" });
    s.carbs = ColumnNames::find(header, { "carbs" });
    if ((s.sgv >= 0 || s.mbg >= 0) && (s.epoch >= 0 || s.date >= 0))
        s.kind = Section::Entries;
    else if (s.eventType >= 0)
        s.kind = Section::Treatments;
    else
        s.kind = Section::Other;
    return s;
}

QString fieldOf(const CsvRow &row, int column)
{
    return column >= 0 && column < row.fields.size() ? row.fields.at(column).trimmed() : QString();
}

// The entry's time as epoch milliseconds from `date`, else from an ISO
// dateString, on this machine's clock when it has no zone.
QJsonValue dateOf(const CsvRow &row, const Section &s)
{
    const QString epoch = fieldOf(row, s.epoch);
    if (!epoch.isEmpty())
        return epoch;
    const QString text = fieldOf(row, s.date);
    if (text.isEmpty())
        return QJsonValue();
    QDateTime moment = QDateTime::fromString(text, Qt::ISODateWithMs);
    QDate date;
    QTime time;
    if (!moment.isValid() && LocalTimestamp::parseIso(text, &date, &time))
        moment = QDateTime(date, time);
    return moment.isValid() ? QJsonValue(double(moment.toMSecsSinceEpoch())) : QJsonValue(text);
}

} // namespace

bool NightscoutReportReader::recognises(const QList<CsvRow> &head)
{
    for (int i = 0; i < std::min<int>(headRows, int(head.size())); ++i) {
        if (isHeader(head.at(i).fields)
            && sectionOf(head.at(i).fields, QString()).kind == Section::Entries)
            return true;
    }
    return false;
}

ImportResult NightscoutReportReader::read(const QByteArray &data)
{
    ImportResult result;
    result.format = NightscoutReader::format;
    const QList<CsvRow> rows = CsvParser::parse(data, 0, -1, &result.error);
    if (!result.error.isEmpty())
        return result;
    if (!recognises(rows)) {
        result.error = QStringLiteral("not a Nightscout report: no section of entries with sgv "
                                      "or mbg and a date");
        return result;
    }
    // A section's title is a line of one field before a line of more, its
    // header; a header without a title names Nightscout's fields.
    const auto isTitleAt = [&rows](qsizetype i) {
        return i + 1 < rows.size() && CsvParser::isTitle(rows.at(i))
            && !CsvParser::isTitle(rows.at(i + 1));
    };
    Section current;
    QString title;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const CsvRow &row = rows.at(i);
        // Titles and headers are no rows; neither is what comes before the first.
        if (isTitleAt(i)) {
            title = row.fields.first().trimmed();
            continue;
        }
        if ((i > 0 && isTitleAt(i - 1)) || isHeader(row.fields)) {
            current = sectionOf(row.fields, i > 0 && isTitleAt(i - 1) ? title : QString());
            continue;
        }
        if (current.kind == Section::None)
            continue;
        ++result.rows;
        if (current.kind == Section::Treatments) {
            // A treatment as its JSON would have it, by the header's names.
            const QString cut = CsvParser::fieldCountProblem(row, current.width);
            if (!cut.isEmpty()) {
                result.reject(row.line, cut);
                continue;
            }
            QJsonObject treatment;
            for (qsizetype f = 0; f < row.fields.size() && f < current.names.size(); ++f) {
                if (!row.fields.at(f).trimmed().isEmpty())
                    treatment.insert(current.names.at(f), row.fields.at(f).trimmed());
            }
            NightscoutReader::readTreatment(row.line, treatment, result);
            continue;
        }
        if (current.kind == Section::Other) {
            result.skip(current.title.isEmpty()
                    ? QStringLiteral("other row")
                    : QStringLiteral("\"%1\" row").arg(ImportResult::excerpt(current.title)));
            continue;
        }
        const QString cut = CsvParser::fieldCountProblem(row, current.width);
        if (!cut.isEmpty()) {
            result.reject(row.line, cut);
            continue;
        }
        QString kind = fieldOf(row, current.type);
        if (kind.isEmpty())
            kind = fieldOf(row, current.sgv).isEmpty() && current.mbg >= 0 ? QStringLiteral("mbg")
                                                                           : QStringLiteral("sgv");
        if (kind == QLatin1String("cal")) {
            result.skip(QStringLiteral("calibration record"));
            continue;
        }
        if (kind != QLatin1String("sgv") && kind != QLatin1String("mbg")) {
            result.skip(QStringLiteral("\"%1\" entry").arg(ImportResult::excerpt(kind)));
            continue;
        }
        const int column = kind == QLatin1String("sgv") ? current.sgv : current.mbg;
        const QString value = fieldOf(row, column);
        if (const QString end = CsvParser::endProblem(row, column); !end.isEmpty()) {
            result.reject(row.line, end);
            continue;
        }
        NightscoutReader::readEntry(row.line, kind,
            value.isEmpty() ? QJsonValue() : QJsonValue(value), dateOf(row, current), result);
    }
    return result;
}
