// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "TandemReader.h"

#include "ColumnNames.h"
#include "LocalTimestamp.h"
#include "ReadingValue.h"

namespace {

const ColumnNames::Names timeNames = { "EventDateTime", "Event Date Time", "EventTimestamp",
    "Timestamp", "DateTime", "Date/Time", "CompletionDateTime", "Completion Date Time" };
const ColumnNames::Names tandemTimeNames = { "EventDateTime", "Event Date Time" };
const ColumnNames::Names readingNames = { "Readings", "Reading", "BG", "Glucose", "CGM" };
const ColumnNames::Names meterNames = { "BG" };
const ColumnNames::Names descriptionNames = { "Description", "Type", "Event Type" };
const ColumnNames::Names bolusNames
    = { "BolusType", "Bolus Type", "InsulinDelivered", "Insulin Delivered", "BolusDeliveryStatus" };
const ColumnNames::Names basalNames = { "BasalRate", "Basal Rate", "CommandedRate" };
const ColumnNames::Names cgmWords = { "EGV", "CGM" };
const ColumnNames::Names meterWords = { "BG", "BG Reading", "Fingerstick" };
// A header line among the first lines of a file: the patient and pump lines come first.
constexpr int headRows = 40;

struct Section
{
    enum Kind { None, Readings, Boluses, Basal, Other } kind = None;
    int width = 0;
    int time = -1;
    int value = -1;
    int description = -1;
    GlucoseUnit::Unit unit = GlucoseUnit::MgPerDl;
    bool meter = false;
};

bool looksLikeTime(const QString &text)
{
    QDate date;
    QTime time;
    return LocalTimestamp::parseMoment(text, LocalTimestamp::MonthFirst, &date, &time)
        != LocalTimestamp::NotATime;
}

// The section a header line starts, or None when the row is no header.
Section sectionOf(const CsvRow &row)
{
    Section s;
    const QStringList &fields = row.fields;
    s.time = ColumnNames::find(fields, timeNames);
    if (s.time < 0 || std::any_of(fields.begin(), fields.end(), looksLikeTime))
        return s;
    s.width = int(fields.size());
    // A bolus section names the BG the bolus was worked out from: bolus first.
    s.value = ColumnNames::find(fields, readingNames, ColumnNames::Start);
    if (ColumnNames::find(fields, bolusNames) >= 0) {
        s.kind = Section::Boluses;
    } else if (ColumnNames::find(fields, basalNames) >= 0) {
        s.kind = Section::Basal;
    } else if (s.value >= 0) {
        s.kind = Section::Readings;
        s.description = ColumnNames::find(fields, descriptionNames);
        s.meter = ColumnNames::matches(fields.at(s.value), meterNames, ColumnNames::Start);
        ReadingValue::unitInName(fields.at(s.value), &s.unit);
    } else {
        s.kind = Section::Other;
    }
    return s;
}

} // namespace

const QString TandemReader::format = QStringLiteral("tandem");

bool TandemReader::recognises(const QList<CsvRow> &head)
{
    for (int i = 0; i < std::min<int>(headRows, int(head.size())); ++i) {
        const Section s = sectionOf(head.at(i));
        if (s.kind == Section::Readings
            && ColumnNames::matches(head.at(i).fields.at(s.time), tandemTimeNames))
            return true;
    }
    return false;
}

ImportResult TandemReader::read(const QByteArray &data)
{
    ImportResult result;
    result.format = format;
    const QList<CsvRow> rows = CsvParser::parse(data, 0, -1, &result.error);
    if (!result.error.isEmpty())
        return result;
    if (!recognises(rows)) {
        result.error = QStringLiteral("not a Tandem export: no header line with the "
                                      "EventDateTime and Readings columns");
        return result;
    }
    // Each row under the header of its section; the day order from all times.
    QList<Section> sections(rows.size());
    QStringList times;
    Section current;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const Section header = sectionOf(rows.at(i));
        if (header.kind != Section::None) {
            current = header;
            // A line of one field before a header is the section's title.
            if (i > 0 && CsvParser::isTitle(rows.at(i - 1)))
                sections[i - 1] = Section();
            continue;
        }
        sections[i] = current;
        if (current.kind == Section::Readings && current.time < rows.at(i).fields.size())
            times.append(rows.at(i).fields.at(current.time));
    }
    const LocalTimestamp::DayOrder order = LocalTimestamp::orderOf(times);

    for (qsizetype i = 0; i < rows.size(); ++i) {
        const CsvRow &row = rows.at(i);
        const Section &s = sections.at(i);
        // Title lines, before the first section or of one, and header lines are no rows.
        if (s.kind == Section::None)
            continue;
        ++result.rows;
        if (s.kind == Section::Boluses) {
            result.skip(QStringLiteral("insulin dose"));
            continue;
        }
        if (s.kind == Section::Basal) {
            result.skip(QStringLiteral("basal rate"));
            continue;
        }
        if (s.kind == Section::Other) {
            result.skip(QStringLiteral("other pump event"));
            continue;
        }
        QString reason = CsvParser::fieldCountProblem(row, s.width);
        ImportedReading reading;
        const QString description = s.description >= 0 && reason.isEmpty()
            ? row.fields.at(s.description).trimmed()
            : QString();
        if (reason.isEmpty()) {
            const QString time = row.fields.at(s.time).trimmed();
            const LocalTimestamp::Result read
                = LocalTimestamp::parseMoment(time, order, &reading.date, &reading.time);
            if (read != LocalTimestamp::Read)
                reason = QStringLiteral("event time \"%1\" is not a date and time%2")
                             .arg(ImportResult::excerpt(time),
                                 read == LocalTimestamp::OutOfRange
                                     ? QStringLiteral(" in the years 1 to 9999")
                                     : QString());
            else
                ReadingValue::parse(row.fields.at(s.value), s.unit, &reading.value, &reason);
        }
        if (!reason.isEmpty()) {
            result.reject(row.line, reason);
            continue;
        }
        if (description.contains(QLatin1String("calibrat"), Qt::CaseInsensitive))
            reading.type = QStringLiteral("calibration");
        else if (ColumnNames::matches(description, meterWords)
            || (s.meter && !ColumnNames::matches(description, cgmWords)))
            reading.type = QStringLiteral("meter");
        else
            reading.type = QStringLiteral("cgm");
        result.readings.append(reading);
    }
    return result;
}
