// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "NightscoutReader.h"

#include "CsvParser.h"
#include "ReadingValue.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {

// 9999-12-31T23:59:59.999Z, the last moment a date can hold.
constexpr double lastMsecs = 253402300799999.0;

bool isJson(const QByteArray &data)
{
    const QByteArray start = data.trimmed().left(1);
    return start == "[" || start == "{";
}

char delimiterOf(const QByteArray &data)
{
    const qsizetype end = data.indexOf('\n');
    return data.left(end < 0 ? data.size() : end).contains('\t') ? '\t' : ',';
}

bool isEpochMsecs(const QString &text)
{
    const QString t = text.trimmed();
    if (t.size() < 10 || t.size() > 15)
        return false;
    return std::all_of(t.begin(), t.end(), [](QChar c) { return c.isDigit(); });
}

// The number a JSON value or a text holds; NaN when neither.
double numberOf(const QJsonValue &value)
{
    if (value.isDouble())
        return value.toDouble();
    bool ok = false;
    const double d = QLocale::c().toDouble(value.toString().trimmed(), &ok);
    return ok ? d : std::nan("");
}

QString textOf(const QJsonValue &value)
{
    if (value.isString())
        return value.toString().left(40);
    return value.isDouble() ? QString::number(value.toDouble(), 'g', 16) : QStringLiteral("none");
}

// One entry's type, value and date, from JSON or a CSV row alike.
void readEntry(int row, const QString &kind, const QJsonValue &value, const QJsonValue &date,
    const QString &direction, ImportResult &result)
{
    ImportedReading reading;
    QString reason;
    const double msecs = numberOf(date);
    if (date.isUndefined() || date.isNull()) {
        reason = QStringLiteral("no date");
    } else if (!std::isfinite(msecs) || msecs < 0 || msecs > lastMsecs) {
        reason = QStringLiteral("date %1 is not a time in epoch milliseconds").arg(textOf(date));
    } else {
        const QDateTime local = QDateTime::fromMSecsSinceEpoch(qint64(msecs), Qt::LocalTime);
        reading.date = local.date();
        reading.time = QTime(local.time().hour(), local.time().minute());
        const double number = numberOf(value);
        if (kind == QLatin1String("sgv") && std::isfinite(number)
            && number < NightscoutReader::lowestSgv && number >= 0) {
            reason = QStringLiteral("sgv %1 is a sensor code%2, not a glucose value")
                         .arg(textOf(value),
                             direction.isEmpty() ? QString() : u" (" + direction.left(40) + u')');
        } else if (value.isUndefined() || value.isNull()) {
            reason = QStringLiteral("%1 entry without a %1 value").arg(kind);
        } else if (!std::isfinite(number)) {
            reason = QStringLiteral("%1 \"%2\" is not a number").arg(kind, textOf(value));
        } else {
            ReadingValue::parse(
                QString::number(number, 'g', 16), GlucoseUnit::MgPerDl, &reading.value, &reason);
        }
    }
    if (!reason.isEmpty()) {
        result.rejected.append({ row, reason });
        return;
    }
    reading.type = kind == QLatin1String("sgv") ? QStringLiteral("cgm") : QStringLiteral("meter");
    result.readings.append(reading);
}

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
        && !single.contains(QLatin1String("mbg"))) {
        result.error = QStringLiteral("not Nightscout entries: a JSON object without sgv or mbg, "
                                      "where an array of entries was expected");
        return;
    }
    const QJsonArray entries = document.isArray() ? document.array() : QJsonArray({ single });
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const int row = int(i + 1);
        if (!entries.at(i).isObject()) {
            result.rejected.append({ row, QStringLiteral("entry is not an object") });
            continue;
        }
        const QJsonObject entry = entries.at(i).toObject();
        QString kind = entry.value(QLatin1String("type")).toString();
        if (kind.isEmpty())
            kind = entry.contains(QLatin1String("sgv")) ? QStringLiteral("sgv")
                : entry.contains(QLatin1String("mbg"))  ? QStringLiteral("mbg")
                                                        : QString();
        // Calibrations and the other entry types are not readings.
        if (kind != QLatin1String("sgv") && kind != QLatin1String("mbg"))
            continue;
        readEntry(row, kind, entry.value(kind), entry.value(QLatin1String("date")),
            entry.value(QLatin1String("direction")).toString(), result);
    }
}

void readTable(const QByteArray &data, ImportResult &result)
{
    const QList<CsvRow> rows = CsvParser::parse(data, delimiterOf(data), -1, &result.error);
    for (const CsvRow &row : rows) {
        if (row.fields.size() < 3) {
            result.rejected.append({ row.line,
                QStringLiteral("truncated row: %1 fields, sgv is field 3")
                    .arg(row.fields.size()) });
            continue;
        }
        const QString date = row.fields.at(1).trimmed();
        readEntry(row.line, QStringLiteral("sgv"), QJsonValue(row.fields.at(2)),
            date.isEmpty() ? QJsonValue() : QJsonValue(date),
            row.fields.size() > 3 ? row.fields.at(3).trimmed() : QString(), result);
    }
}

} // namespace

const QString NightscoutReader::format = QStringLiteral("nightscout");

bool NightscoutReader::recognises(const QByteArray &head)
{
    if (isJson(head))
        return true;
    const QList<CsvRow> rows = CsvParser::parse(head, delimiterOf(head), 1);
    return !rows.isEmpty() && rows.first().fields.size() >= 3
        && isEpochMsecs(rows.first().fields.at(1));
}

ImportResult NightscoutReader::read(const QByteArray &data)
{
    ImportResult result;
    result.format = format;
    const QByteArray text = CsvParser::withoutBom(data);
    if (isJson(text))
        readJson(text, result);
    else
        readTable(text, result);
    if (!result.error.isEmpty()) {
        result.readings.clear();
        result.rejected.clear();
    }
    return result;
}
