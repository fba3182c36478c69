// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "DexcomReader.h"

#include "ColumnNames.h"
#include "LocalTimestamp.h"
#include "ReadingValue.h"

#include <QHash>

#include <algorithm>

namespace {

// Clarity's names in the languages known here. A header in another
// language is still read by its shape: the timestamp's column names its
// format, the glucose value's its unit in brackets, and the event type
// follows the timestamp.
const ColumnNames::Names timestampNames = { "Timestamp (", "タイムスタンプ" };
const ColumnNames::Names eventTypeNames = { "Event Type", "イベントタイプ" };
const ColumnNames::Names glucoseNames = { "Glucose Value (", "グルコース値" };
// The treatments' columns, known by their English names only.
const ColumnNames::Names subtypeNames = { "Event Subtype" };
const ColumnNames::Names insulinNames = { "Insulin Value" };
const ColumnNames::Names carbNames = { "Carb Value" };
const ColumnNames::Names durationNames = { "Duration" };

struct EventKind
{
    const char *name;
    const char *kind; // nullptr: a reading
};

// Event types as Clarity writes them; "EGV" stays so in every language.
const EventKind eventKinds[] = {
    { "EGV", nullptr },
    { "Calibration", nullptr },
    { "キャリブレーション", nullptr },
    { "較正", nullptr },
    { "FirstName", "patient info row" },
    { "LastName", "patient info row" },
    { "DateOfBirth", "patient info row" },
    { "名", "patient info row" },
    { "姓", "patient info row" },
    { "生年月日", "patient info row" },
    { "Device", "device row" },
    { "デバイス", "device row" },
    { "Alert", "alert" },
    { "アラート", "alert" },
    { "Insulin", "insulin dose" },
    { "インスリン", "insulin dose" },
    { "Carbs", "carbohydrate entry" },
    { "炭水化物", "carbohydrate entry" },
    { "Exercise", "activity" },
    { "運動", "activity" },
    { "Health", "health event" },
    { "健康", "health event" },
};

// Out of range the sensor writes a word; Dexcom's range ends at 40 and 400.
const ColumnNames::Names lowWords = { "Low", "低" };
const ColumnNames::Names highWords = { "High", "高" };

int columnContaining(const QStringList &header, QLatin1String part)
{
    for (int i = 0; i < header.size(); ++i) {
        if (header.at(i).contains(part, Qt::CaseInsensitive))
            return i;
    }
    return -1;
}

struct Columns
{
    int timestamp = -1;
    int eventType = -1;
    int glucose = -1;
    GlucoseUnit::Unit unit = GlucoseUnit::MgPerDl;
    int subtype = -1;
    int insulin = -1;
    int carbs = -1;
    int duration = -1;
};

Columns columnsOf(const QStringList &header)
{
    Columns c;
    c.timestamp = ColumnNames::find(header, timestampNames, ColumnNames::Start);
    if (c.timestamp < 0)
        c.timestamp = columnContaining(header, QLatin1String("(YYYY-MM-DDThh:mm:ss)"));
    c.eventType = ColumnNames::find(header, eventTypeNames, ColumnNames::Start);
    if (c.eventType < 0 && c.timestamp >= 0 && c.timestamp + 1 < header.size())
        c.eventType = c.timestamp + 1;
    c.glucose = ColumnNames::find(header, glucoseNames, ColumnNames::Start);
    if (c.glucose < 0) {
        c.glucose = columnContaining(header, QLatin1String("(mg/dL)"));
        if (c.glucose < 0)
            c.glucose = columnContaining(header, QLatin1String("(mmol/L)"));
    }
    if (c.glucose >= 0 && !ReadingValue::unitInName(header.at(c.glucose), &c.unit))
        c.glucose = -1;
    c.subtype = ColumnNames::find(header, subtypeNames, ColumnNames::Start);
    c.insulin = ColumnNames::find(header, insulinNames, ColumnNames::Start);
    c.carbs = ColumnNames::find(header, carbNames, ColumnNames::Start);
    c.duration = ColumnNames::find(header, durationNames, ColumnNames::Start);
    return c;
}

// The kind of a row that is no reading, or nullptr for a reading.
const EventKind *kindOf(const QString &eventType)
{
    for (const EventKind &k : eventKinds) {
        if (QAnyStringView::compare(eventType, QUtf8StringView(k.name), Qt::CaseInsensitive) == 0)
            return &k;
    }
    return nullptr;
}

// A treatment row as a record: insulin, carbohydrates, exercise or a health
// event. False when the row is none, or its columns are not known here; a
// record that cannot be read gives its reason instead.
bool readTreatment(
    const CsvRow &row, const Columns &c, const QString &kind, ImportResult &result, QString *reason)
{
    const auto field = [&row](int column) {
        return column >= 0 && column < row.fields.size() ? row.fields.at(column).trimmed()
                                                         : QString();
    };
    const QString subtype = field(c.subtype);
    ImportedRecord record;
    bool ok = true;
    if (kind == QLatin1String("insulin dose") && c.insulin >= 0) {
        record.type = QStringLiteral("INSL");
        record.fields.insert(QStringLiteral("kind"),
            subtype == QLatin1String("Fast-Acting")       ? QStringLiteral("bolus")
                : subtype == QLatin1String("Long-Acting") ? QStringLiteral("basal")
                                                          : subtype.toLower());
        ok = record.setNumber(QStringLiteral("units"), field(c.insulin));
        *reason = QStringLiteral("insulin value \"%1\" is not a number")
                      .arg(ImportResult::excerpt(field(c.insulin)));
    } else if (kind == QLatin1String("carbohydrate entry") && c.carbs >= 0) {
        record.type = QStringLiteral("CARB");
        ok = record.setNumber(QStringLiteral("grams"), field(c.carbs));
        *reason = QStringLiteral("carb value \"%1\" is not a number")
                      .arg(ImportResult::excerpt(field(c.carbs)));
    } else if (kind == QLatin1String("activity") && c.duration >= 0) {
        record.type = QStringLiteral("ACTV");
        record.fields.insert(QStringLiteral("activity"), QStringLiteral("exercise"));
        record.fields.insert(QStringLiteral("intensity"), subtype.toLower());
        const QTime duration = QTime::fromString(field(c.duration), u"hh:mm:ss");
        ok = duration.isValid();
        if (ok)
            record.fields.insert(QStringLiteral("minutes"),
                QString::number((duration.msecsSinceStartOfDay() / 1000 + 30) / 60));
        *reason = QStringLiteral("duration \"%1\" is not hh:mm:ss")
                      .arg(ImportResult::excerpt(field(c.duration)));
    } else if (kind == QLatin1String("health event") && !subtype.isEmpty()) {
        record.type = QStringLiteral("NOTE");
        record.fields.insert(QStringLiteral("text"), subtype);
    } else {
        return false;
    }
    const QString timestamp = field(c.timestamp);
    if (ok && !LocalTimestamp::parseIso(timestamp, &record.date, &record.time)) {
        ok = false;
        *reason = timestamp.isEmpty() ? QStringLiteral("%1 row without a timestamp")
                                            .arg(ImportResult::excerpt(field(c.eventType)))
                                      : QStringLiteral("timestamp \"%1\" is not a date and time")
                                            .arg(ImportResult::excerpt(timestamp));
    }
    if (ok) {
        result.records.append(record);
        ++result.recordRows;
    } else {
        result.reject(row.line, *reason);
    }
    return true;
}

} // namespace

const QString DexcomReader::format = QStringLiteral("dexcom");

bool DexcomReader::recognises(const QList<CsvRow> &head)
{
    if (head.isEmpty())
        return false;
    const Columns c = columnsOf(head.first().fields);
    return c.timestamp >= 0 && c.eventType >= 0 && c.glucose >= 0 && c.eventType != c.glucose;
}

ImportResult DexcomReader::read(const QByteArray &data)
{
    ImportResult result;
    result.format = format;
    const QList<CsvRow> rows = CsvParser::parse(data, 0, -1, &result.error);
    if (!result.error.isEmpty())
        return result;
    if (!recognises(rows)) {
        result.error = QStringLiteral("not a Dexcom Clarity export: the first line does not name "
                                      "the Timestamp, Event Type and Glucose Value (unit) columns");
        return result;
    }
    const QStringList header = rows.first().fields;
    const Columns c = columnsOf(header);
    const auto field = [](const CsvRow &row, int column) {
        return column < row.fields.size() ? row.fields.at(column).trimmed() : QString();
    };

    // A file whose sensor readings go by a name not known here: they are the
    // event with a time and a glucose value that comes most often.
    QString egv = QStringLiteral("EGV");
    const bool english
        = header.at(c.eventType).trimmed().compare(QLatin1String("Event Type"), Qt::CaseInsensitive)
        == 0;
    QHash<QString, int> timed;
    bool egvSeen = english;
    for (qsizetype i = 1; i < rows.size() && !egvSeen; ++i) {
        const QString type = field(rows.at(i), c.eventType);
        egvSeen = type.compare(egv, Qt::CaseInsensitive) == 0;
        if (!kindOf(type) && !type.isEmpty() && !field(rows.at(i), c.timestamp).isEmpty()
            && !field(rows.at(i), c.glucose).isEmpty())
            ++timed[type];
    }
    if (!egvSeen && !timed.isEmpty())
        egv = std::max_element(
            timed.keyValueBegin(), timed.keyValueEnd(), [](const auto &a, const auto &b) {
                return a.second < b.second;
            })->first;

    // Clarity leaves the last column (the transmitter) off rows without one;
    // a row cut inside its glucose value ends there.
    const int width = int(header.size());
    const int mayLack = width - 1 > c.glucose + 1 ? 1 : 0;
    const int widest = CsvParser::widest(rows, 1, rows.size(), width);
    result.rows = int(rows.size()) - 1;
    for (qsizetype i = 1; i < rows.size(); ++i) {
        const CsvRow &row = rows.at(i);
        const QString cut = CsvParser::fieldCountProblem(row, width, mayLack, widest);
        if (!cut.isEmpty()) {
            result.reject(row.line, cut);
            continue;
        }
        const QString type = field(row, c.eventType);
        const bool isEgv = type.compare(egv, Qt::CaseInsensitive) == 0;
        const EventKind *known = kindOf(type);
        if (type.isEmpty()) {
            result.reject(row.line, QStringLiteral("row without an event type"));
            continue;
        }
        QString reason;
        if (known && known->kind
            && readTreatment(row, c, QString::fromUtf8(known->kind), result, &reason))
            continue;
        if (!isEgv && (!known || known->kind)) {
            result.skip(known ? QString::fromUtf8(known->kind)
                              : QStringLiteral("\"%1\" event").arg(ImportResult::excerpt(type)));
            continue;
        }
        ImportedReading reading;
        const QString timestamp = field(row, c.timestamp);
        if (timestamp.isEmpty()) {
            result.reject(row.line,
                QStringLiteral("%1 row without a timestamp").arg(ImportResult::excerpt(type)));
            continue;
        }
        if (!LocalTimestamp::parseIso(timestamp, &reading.date, &reading.time)) {
            result.reject(row.line,
                QStringLiteral("timestamp \"%1\" is not a date and time")
                    .arg(ImportResult::excerpt(timestamp)));
            continue;
        }
        // A reading leaves the treatments' columns empty.
        reason = CsvParser::endProblem(row, c.glucose);
        if (reason.isEmpty() && (c.glucose + 1 == c.insulin || c.glucose + 1 == c.carbs))
            reason = CsvParser::splitProblem(row, c.glucose);
        if (!reason.isEmpty()) {
            result.reject(row.line, reason);
            continue;
        }
        const QString value = field(row, c.glucose);
        if (ColumnNames::matches(value, lowWords)) {
            reading.value = 40;
            reading.notes = QStringLiteral("Low");
        } else if (ColumnNames::matches(value, highWords)) {
            reading.value = 400;
            reading.notes = QStringLiteral("High");
        } else if (!ReadingValue::parse(value, c.unit, &reading.value, &reason)) {
            result.reject(row.line, reason);
            continue;
        }
        reading.type = isEgv ? QStringLiteral("cgm") : QStringLiteral("calibration");
        result.readings.append(reading);
    }
    return result;
}
