// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "NightscoutReader.h"

#include "CsvParser.h"
#include "LocalTimestamp.h"
#include "NightscoutReportReader.h"
#include "ReadingValue.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>

namespace {

// Enough to find the header of a report.
constexpr qsizetype headBytes = 64 * 1024;

// Epoch times below this are seconds: in milliseconds it is early 1973.
constexpr double firstMsecs = 1e11;

bool isJson(const QByteArray &data)
{
    const QByteArray start = data.trimmed().left(1);
    return start == "[" || start == "{";
}

bool isEpoch(const QString &text)
{
    const QString t = text.trimmed();
    if (t.size() < 10 || t.size() > 15)
        return false;
    return std::all_of(t.begin(), t.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// The number a JSON value or a text holds; NaN when neither.
double numberOf(const QJsonValue &value)
{
    if (value.isDouble())
        return value.toDouble();
    double d = 0;
    return ReadingValue::toNumber(value.toString(), &d) ? d : std::nan("");
}

QString textOf(const QJsonValue &value)
{
    if (value.isString())
        return ImportResult::excerpt(value.toString());
    return value.isDouble() ? QString::number(value.toDouble(), 'g', 16) : QStringLiteral("none");
}

// A moment on this machine's clock, if it falls in the years of the
// readings Nightscout keeps: from its first year to next year.
bool inYears(const QDateTime &moment, QDate *date, QTime *time)
{
    const int lastYear = QDate::currentDate().year() + 1;
    return LocalTimestamp::toLocal(moment, date, time)
        && date->year() >= NightscoutReader::firstYear && date->year() <= lastYear;
}

QString yearsText()
{
    return QStringLiteral("before %1 or after %2")
        .arg(NightscoutReader::firstYear)
        .arg(QDate::currentDate().year() + 1);
}

// The date of an entry on this machine's clock, or why it has none.
QString readDate(const QJsonValue &date, ImportedReading &reading)
{
    if (date.isUndefined() || date.isNull())
        return QStringLiteral("no date");
    double msecs = numberOf(date);
    if (!std::isfinite(msecs) || std::abs(msecs) > 1e15)
        return QStringLiteral("date %1 is not a time in epoch milliseconds or seconds")
            .arg(textOf(date));
    if (std::abs(msecs) < firstMsecs)
        msecs *= 1000;
    const QDateTime moment = QDateTime::fromMSecsSinceEpoch(qint64(msecs), Qt::UTC);
    if (!inYears(moment, &reading.date, &reading.time))
        return QStringLiteral("date %1 is %2, %3")
            .arg(textOf(date), moment.toString(Qt::ISODate), yearsText());
    return QString();
}

// When a treatment was given, on this machine's clock to the minute, or why
// it has no such time.
QString treatmentTime(const QJsonObject &treatment, QDate *date, QTime *time)
{
    const QString createdAt = treatment.value(QLatin1String("created_at")).toString().trimmed();
    const QDateTime at = QDateTime::fromString(createdAt, Qt::ISODateWithMs);
    if (at.isValid())
        return inYears(at, date, time) ? QString()
                                       : QStringLiteral("created_at \"%1\" is %2")
                                             .arg(ImportResult::excerpt(createdAt), yearsText());
    for (const char *key : { "mills", "date" }) {
        ImportedReading when;
        const QJsonValue value = treatment.value(QLatin1String(key));
        if (value.isUndefined())
            continue;
        const QString reason = readDate(value, when);
        *date = when.date;
        *time = when.time;
        return reason;
    }
    return createdAt.isEmpty() ? QStringLiteral("treatment without a time")
                               : QStringLiteral("created_at \"%1\" is not a date and time")
                                     .arg(ImportResult::excerpt(createdAt));
}

} // namespace

void NightscoutReader::readTreatment(int row, const QJsonObject &treatment, ImportResult &result)
{
    const QString event = treatment.value(QLatin1String("eventType")).toString().trimmed();
    const QString notes = treatment.value(QLatin1String("notes")).toString().trimmed();
    ImportedRecord record;
    record.row = row;
    if (const QString why = treatmentTime(treatment, &record.date, &record.time); !why.isEmpty()) {
        result.reject(row, why);
        return;
    }
    QList<ImportedRecord> made;
    QString reason;
    const auto amount = [&](const char *key, const char *field) {
        const QJsonValue value = treatment.value(QLatin1String(key));
        if (value.isUndefined() || value.isNull())
            return false;
        const double number = numberOf(value);
        if (!std::isfinite(number)) {
            reason = QStringLiteral("%1 \"%2\" is not a number")
                         .arg(QLatin1String(key), textOf(value));
            return false;
        }
        if (number <= 0)
            return false;
        made.append(record);
        made.last().setNumber(QString::fromLatin1(field), QString::number(number, 'g', 15));
        return true;
    };
    if (amount("insulin", "units")) {
        made.last().type = QStringLiteral("INSL");
        made.last().fields.insert(QStringLiteral("kind"),
            event.contains(QLatin1String("basal"), Qt::CaseInsensitive) ? QStringLiteral("basal")
                                                                        : QStringLiteral("bolus"));
    }
    if (amount("carbs", "grams")) {
        made.last().type = QStringLiteral("CARB");
        const QString food = treatment.value(QLatin1String("foodType")).toString().trimmed();
        if (!food.isEmpty())
            made.last().fields.insert(QStringLiteral("food"), food);
    }
    if (event.compare(QLatin1String("Exercise"), Qt::CaseInsensitive) == 0) {
        made.append(record);
        made.last().type = QStringLiteral("ACTV");
        made.last().fields.insert(QStringLiteral("activity"), QStringLiteral("exercise"));
        made.last().setNumber(QStringLiteral("minutes"),
            QString::number(numberOf(treatment.value(QLatin1String("duration"))), 'g', 15));
    }
    if (!reason.isEmpty()) {
        result.reject(row, reason);
        return;
    }
    if (made.isEmpty() && event.compare(QLatin1String("BG Check"), Qt::CaseInsensitive) == 0
        && treatment.contains(QLatin1String("glucose"))) {
        ImportedReading reading { record.date, record.time, QStringLiteral("meter"), 0, notes };
        const GlucoseUnit::Unit unit
            = treatment.value(QLatin1String("units")).toString().startsWith(u"mmol")
            ? GlucoseUnit::MmolPerL
            : GlucoseUnit::MgPerDl;
        const QJsonValue glucose = treatment.value(QLatin1String("glucose"));
        const QString text = glucose.isDouble() ? QString::number(glucose.toDouble(), 'g', 16)
                                                : glucose.toString();
        if (ReadingValue::parse(text, unit, &reading.value, &reason))
            result.readings.append(reading);
        else
            result.reject(row, reason);
        return;
    }
    if (made.isEmpty() && !notes.isEmpty()) {
        // The notes of a care event say what they are about with its name.
        const bool note = event.isEmpty()
            || event.compare(QLatin1String("Note"), Qt::CaseInsensitive) == 0
            || event.compare(QLatin1String("Announcement"), Qt::CaseInsensitive) == 0;
        made.append(record);
        made.last().type = QStringLiteral("NOTE");
        made.last().fields.insert(QStringLiteral("text"), note ? notes : event + u": " + notes);
    } else {
        for (ImportedRecord &r : made) {
            if (!notes.isEmpty())
                r.fields.insert(QStringLiteral("notes"), notes);
        }
    }
    if (made.isEmpty()) {
        const bool basal = event.compare(QLatin1String("Temp Basal"), Qt::CaseInsensitive) == 0;
        result.skip(basal         ? QStringLiteral("basal rate")
                : event.isEmpty() ? QStringLiteral("untyped treatment")
                                  : ImportResult::excerpt(event.toLower()));
    }
    if (!made.isEmpty())
        ++result.recordRows;
    result.records.append(made);
}

namespace {

void readJson(const QByteArray &data, ImportResult &result)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (document.isNull()) {
        result.error = QStringLiteral("not Nightscout JSON: %1 at byte %2")
                           .arg(error.errorString())
                           .arg(error.offset);
        return;
    }
    const QJsonObject single = document.object();
    if (document.isObject() && !single.contains(QLatin1String("sgv"))
        && !single.contains(QLatin1String("mbg")) && !single.contains(QLatin1String("eventType"))) {
        result.error = QStringLiteral("not Nightscout entries: a JSON object without sgv or mbg, "
                                      "where an array of entries was expected");
        return;
    }
    const QJsonArray entries = document.isArray() ? document.array() : QJsonArray({ single });
    result.rows = int(entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const int row = int(i + 1);
        if (!entries.at(i).isObject()) {
            result.reject(row, QStringLiteral("entry is not an object"));
            continue;
        }
        const QJsonObject entry = entries.at(i).toObject();
        // Treatments, from treatments.json, are told from entries by their event type.
        if (entry.contains(QLatin1String("eventType"))) {
            NightscoutReader::readTreatment(row, entry, result);
            continue;
        }
        QString kind = entry.value(QLatin1String("type")).toString();
        if (kind.isEmpty())
            kind = entry.contains(QLatin1String("sgv")) ? QStringLiteral("sgv")
                : entry.contains(QLatin1String("mbg"))  ? QStringLiteral("mbg")
                                                        : QString();
        if (kind.isEmpty()) {
            result.reject(row, QStringLiteral("entry without a type, sgv or mbg"));
        } else if (kind == QLatin1String("cal")) {
            // A sensor's calibration factors, not a blood glucose value.
            result.skip(QStringLiteral("calibration record"));
        } else if (kind != QLatin1String("sgv") && kind != QLatin1String("mbg")) {
            result.skip(QStringLiteral("\"%1\" entry").arg(ImportResult::excerpt(kind)));
        } else {
            NightscoutReader::readEntry(
                row, kind, entry.value(kind), entry.value(QLatin1String("date")), result);
        }
    }
}

void readTable(const QByteArray &data, ImportResult &result)
{
    const QList<CsvRow> rows = CsvParser::parse(data, 0, -1, &result.error);
    // The first row shows how many fields each has; a shorter one was cut.
    const int width = rows.isEmpty() ? 0 : std::max<int>(3, int(rows.first().fields.size()));
    result.rows = int(rows.size());
    for (const CsvRow &row : rows) {
        if (row.cut || row.fields.size() < width) {
            result.reject(row.line, CsvParser::fieldCountProblem(row, width));
            continue;
        }
        if (const QString cut = CsvParser::endProblem(row, 2); !cut.isEmpty()) {
            result.reject(row.line, cut);
            continue;
        }
        const QString date = row.fields.at(1).trimmed();
        NightscoutReader::readEntry(row.line, QStringLiteral("sgv"), QJsonValue(row.fields.at(2)),
            date.isEmpty() ? QJsonValue() : QJsonValue(date), result);
    }
}

} // namespace

const QString NightscoutReader::format = QStringLiteral("nightscout");

void NightscoutReader::readEntry(int row, const QString &kind, const QJsonValue &value,
    const QJsonValue &date, ImportResult &result)
{
    ImportedReading reading;
    QString reason = readDate(date, reading);
    const double number = numberOf(value);
    if (reason.isEmpty()) {
        if (kind == QLatin1String("sgv") && std::isfinite(number) && number >= 0
            && number <= highestCode) {
            result.skip(QStringLiteral("sensor code"));
            return;
        }
        if (value.isUndefined() || value.isNull())
            reason = QStringLiteral("%1 entry without a %1 value").arg(kind);
        else if (!std::isfinite(number))
            reason = QStringLiteral("%1 \"%2\" is not a number").arg(kind, textOf(value));
        else
            ReadingValue::fromNumber(number, GlucoseUnit::MgPerDl, &reading.value, &reason);
    }
    if (!reason.isEmpty()) {
        result.reject(row, reason);
        return;
    }
    reading.type = kind == QLatin1String("sgv") ? QStringLiteral("cgm") : QStringLiteral("meter");
    if (kind == QLatin1String("sgv") && reading.value < lowestInRange)
        reading.notes = QStringLiteral("below sensor range");
    result.readings.append(reading);
}

bool NightscoutReader::recognises(const QByteArray &head)
{
    if (isJson(head))
        return true;
    const QList<CsvRow> rows = CsvParser::parse(head, 0, 1);
    if (!rows.isEmpty() && rows.first().fields.size() >= 3 && isEpoch(rows.first().fields.at(1)))
        return true;
    return NightscoutReportReader::recognises(
        CsvParser::parse(head, 0, NightscoutReportReader::headRows));
}

ImportResult NightscoutReader::read(const QByteArray &data)
{
    const QByteArray text = CsvParser::withoutBom(data);
    if (!isJson(text)
        && NightscoutReportReader::recognises(
            CsvParser::parse(text.left(headBytes), 0, NightscoutReportReader::headRows)))
        return NightscoutReportReader::read(text);
    ImportResult result;
    result.format = format;
    if (isJson(text))
        readJson(text, result);
    else
        readTable(text, result);
    if (!result.error.isEmpty()) {
        result.readings.clear();
        result.records.clear();
        result.rejected.clear();
        result.skipped.clear();
    }
    return result;
}
