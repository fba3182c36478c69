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
const ColumnNames::Names unitsNames = { "InsulinDelivered", "Insulin Delivered" };
const ColumnNames::Names bolusTypeNames = { "BolusType", "Bolus Type" };
const ColumnNames::Names standardWords = { "Standard" };
const ColumnNames::Names basalNames = { "BasalRate", "Basal Rate", "CommandedRate" };
const ColumnNames::Names cgmWords = { "EGV", "CGM" };
const ColumnNames::Names meterWords = { "BG", "BG Reading", "Fingerstick" };
// A header line among the first lines of a file: the patient and pump lines come first.
constexpr int headRows = 40;

struct Section
{
    enum Kind { None, Readings, Boluses, Basal, Other } kind = None;
    qsizetype header = -1; // its header's row
    int width = 0;
    int widest = 0; // CsvParser::widest() of its rows
    int time = -1;
    int value = -1;
    int description = -1;
    int units = -1; // a bolus's insulin delivered
    int bolusType = -1;
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
        s.units = ColumnNames::find(fields, unitsNames);
        s.bolusType = ColumnNames::find(fields, bolusTypeNames);
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

// Why an event time cannot be read, or empty when it is read into date and time.
QString timeProblem(const QString &text, LocalTimestamp::DayOrder order, QDate *date, QTime *time)
{
    const LocalTimestamp::Result read = LocalTimestamp::parseMoment(text, order, date, time);
    if (read == LocalTimestamp::Read)
        return QString();
    return QStringLiteral("event time \"%1\" is not a date and time%2")
        .arg(ImportResult::excerpt(text),
            read == LocalTimestamp::OutOfRange ? QStringLiteral(" in the years 1 to 9999")
                                               : QString());
}

// A bolus row as a dose of what was delivered, its type other than a
// standard bolus kept as the notes; a row without units, or with none
// delivered, is counted by kind. Why the row cannot be read, or empty.
QString readBolus(
    const CsvRow &row, const Section &s, const QDate &date, const QTime &time, ImportResult &result)
{
    const QString units = s.units >= 0 ? row.fields.at(s.units).trimmed() : QString();
    if (units.isEmpty()) {
        result.skip(QStringLiteral("unitless insulin row"));
        return QString();
    }
    ImportedRecord dose { date, time, QStringLiteral("INSL"), {}, row.line };
    if (const QString cut = CsvParser::endProblem(row, s.units); !cut.isEmpty())
        return cut;
    if (!dose.setNumber(QStringLiteral("units"), units))
        return QStringLiteral("insulin delivered \"%1\" is not a number")
            .arg(ImportResult::excerpt(units));
    if (dose.fields.value(QStringLiteral("units")) == QLatin1String("0")) {
        result.skip(QStringLiteral("bolus of no insulin"));
        return QString();
    }
    dose.fields.insert(QStringLiteral("kind"), QStringLiteral("bolus"));
    const QString type = s.bolusType >= 0 ? row.fields.at(s.bolusType).trimmed() : QString();
    if (!type.isEmpty() && !ColumnNames::matches(type, standardWords))
        dose.fields.insert(QStringLiteral("notes"), type);
    result.records.append(dose);
    ++result.recordRows;
    return QString();
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
            current.header = i;
            // A line of one field before a header is the section's title.
            if (i > 0 && CsvParser::isTitle(rows.at(i - 1)))
                sections[i - 1] = Section();
            continue;
        }
        sections[i] = current;
        if ((current.kind == Section::Readings || current.kind == Section::Boluses)
            && current.time < rows.at(i).fields.size())
            times.append(rows.at(i).fields.at(current.time));
    }
    const LocalTimestamp::DayOrder order = LocalTimestamp::orderOf(times);
    for (qsizetype first = 0, end = 0; first < rows.size(); first = end) {
        end = first + 1;
        while (end < rows.size() && sections.at(end).header == sections.at(first).header)
            ++end;
        const int widest = CsvParser::widest(rows, first, end, sections.at(first).width);
        for (qsizetype i = first; i < end; ++i)
            sections[i].widest = widest;
    }

    for (qsizetype i = 0; i < rows.size(); ++i) {
        const CsvRow &row = rows.at(i);
        const Section &s = sections.at(i);
        // Title lines, before the first section or of one, and header lines are no rows.
        if (s.kind == Section::None)
            continue;
        ++result.rows;
        if (s.kind == Section::Basal) {
            result.skip(QStringLiteral("basal rate"));
            continue;
        }
        if (s.kind == Section::Other) {
            result.skip(QStringLiteral("other pump event"));
            continue;
        }
        QString reason = CsvParser::fieldCountProblem(row, s.width, 0, s.widest);
        QDate date;
        QTime time;
        if (reason.isEmpty())
            reason = timeProblem(row.fields.at(s.time).trimmed(), order, &date, &time);
        if (s.kind == Section::Boluses) {
            if (reason.isEmpty())
                reason = readBolus(row, s, date, time, result);
            if (!reason.isEmpty())
                result.reject(row.line, reason);
            continue;
        }
        ImportedReading reading;
        reading.date = date;
        reading.time = time;
        if (reason.isEmpty())
            reason = CsvParser::endProblem(row, s.value);
        // Out of the sensor's range, the ends of Dexcom's range, as Clarity gives them.
        if (reason.isEmpty()
            && !ReadingValue::rangeEnd(
                row.fields.at(s.value).trimmed(), &reading.value, &reading.notes))
            ReadingValue::parse(row.fields.at(s.value), s.unit, &reading.value, &reason);
        if (!reason.isEmpty()) {
            result.reject(row.line, reason);
            continue;
        }
        const QString description
            = s.description >= 0 ? row.fields.at(s.description).trimmed() : QString();
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
