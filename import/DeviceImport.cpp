// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "DeviceImport.h"

#include "CsvParser.h"
#include "CsvReader.h"
#include "DexcomReader.h"
#include "GlucometerReader.h"
#include "LibreReader.h"
#include "LingoReader.h"
#include "NightscoutReader.h"
#include "TandemReader.h"

#include <QCoreApplication>
#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>

namespace {

// Enough for any header and a few rows, and quick on a file of one huge line;
// a pump's export has its patient's lines first.
constexpr qsizetype headBytes = 64 * 1024;
constexpr int headRows = 40;

// The export as UTF-8. UTF-16 and UTF-32 are known by their BOM, UTF-16
// also by ASCII text with every other byte NUL; `encoding` names the one
// decoded, and `error` is set when it does not decode.
QByteArray asUtf8(const QByteArray &data, QString *encoding, QString *error)
{
    std::optional<QStringConverter::Encoding> found = QStringConverter::encodingForData(data);
    if (!found && data.size() >= 4) {
        if (data.at(0) && !data.at(1) && data.at(2) && !data.at(3))
            found = QStringConverter::Utf16LE;
        else if (!data.at(0) && data.at(1) && !data.at(2) && data.at(3))
            found = QStringConverter::Utf16BE;
    }
    if (!found || *found == QStringConverter::Utf8)
        return data;
    QStringDecoder decoder(*found, QStringDecoder::Flag::Stateless);
    *encoding = QString::fromLatin1(QStringConverter::nameForEncoding(*found));
    const QString text = decoder.decode(data);
    const bool utf32 = *found == QStringConverter::Utf32LE || *found == QStringConverter::Utf32BE;
    // Qt's decoder leaves an odd last byte unreported.
    if (decoder.hasError() || data.size() % (utf32 ? 4 : 2) != 0) {
        *error = QStringLiteral("the file is not valid %1").arg(*encoding);
        return QByteArray();
    }
    return text.toUtf8();
}

// A reason with its quoted texts and numbers left out: what rows rejected alike share.
QString causeOf(const QString &reason)
{
    static const QRegularExpression variable(QStringLiteral(R"("[^"]*"|[0-9]+(?:\.[0-9]+)?)"));
    return QString(reason).replace(variable, QStringLiteral("#"));
}

// Refuses a result most of whose reading rows fail alike.
void refuseIfMisread(ImportResult &result)
{
    // Rows that became records were read as well.
    const qsizetype candidates
        = result.readings.size() + result.recordRows + result.rejected.size();
    // Each cause's count and its first row.
    QHash<QString, QPair<int, const RejectedRow *>> causes;
    QPair<int, const RejectedRow *> most { 0, nullptr };
    for (const RejectedRow &r : std::as_const(result.rejected)) {
        auto &cause = causes[causeOf(r.reason)];
        if (!cause.second)
            cause.second = &r;
        if (++cause.first > most.first)
            most = cause;
    }
    if (2 * qsizetype(most.first) <= candidates)
        return;
    const RejectedRow *example = most.second;
    // One row fails alike only when it is the one row: the count of rows says "is" or "are".
    result.error = QCoreApplication::translate("DeviceImport",
        "%1 of %n rows with readings are rejected alike, as line %2: %3; nothing is imported",
        nullptr, int(candidates))
                       .arg(most.first)
                       .arg(example->row)
                       .arg(example->reason);
    result.readings.clear();
    result.records.clear();
    result.rejected.clear();
    result.skipped.clear();
    result.repeated = 0;
    result.recordRows = 0;
    result.rows = 0;
}

} // namespace

QStringList DeviceImport::formats()
{
    return { DexcomReader::format, LibreReader::format, NightscoutReader::format,
        GlucometerReader::format, LingoReader::format, TandemReader::format, CsvReader::format };
}

QString DeviceImport::detect(const QByteArray &data)
{
    QString encoding;
    QString error;
    const QByteArray head = CsvParser::withoutBom(asUtf8(data.left(headBytes), &encoding, &error));
    const QList<CsvRow> rows = CsvParser::parse(head, 0, headRows);
    if (DexcomReader::recognises(rows))
        return DexcomReader::format;
    if (LibreReader::recognises(rows))
        return LibreReader::format;
    if (TandemReader::recognises(rows))
        return TandemReader::format;
    if (LingoReader::recognises(rows))
        return LingoReader::format;
    if (CsvReader::recognises(rows))
        return CsvReader::format;
    if (NightscoutReader::recognises(head))
        return NightscoutReader::format;
    if (GlucometerReader::recognises(CsvParser::parse(head, ',', headRows)))
        return GlucometerReader::format;
    return QString();
}

ImportResult DeviceImport::read(
    const QByteArray &bytes, const QString &format, const QString &columns)
{
    ImportResult result;
    QString encoding;
    const QByteArray data = asUtf8(bytes, &encoding, &result.error);
    const QString chosen = !format.isEmpty() ? format.toLower()
        : columns.isEmpty()                  ? detect(data)
                                             : CsvReader::format;
    result.format = chosen;
    if (!result.error.isEmpty())
        return result;
    if (!columns.isEmpty() && chosen != CsvReader::format) {
        result.error = QStringLiteral("--columns names the columns of a csv, not of %1")
                           .arg(chosen.isEmpty() ? QStringLiteral("an unknown format") : chosen);
        return result;
    }
    if (chosen == DexcomReader::format) {
        result = DexcomReader::read(data);
    } else if (chosen == LibreReader::format) {
        result = LibreReader::read(data);
    } else if (chosen == NightscoutReader::format) {
        result = NightscoutReader::read(data);
    } else if (chosen == GlucometerReader::format) {
        result = GlucometerReader::read(data);
    } else if (chosen == LingoReader::format) {
        result = LingoReader::read(data);
    } else if (chosen == TandemReader::format) {
        result = TandemReader::read(data);
    } else if (chosen == CsvReader::format) {
        result = CsvReader::read(data, columns);
    } else {
        // A table of other columns may be read by naming them.
        const QList<CsvRow> first = CsvParser::parse(data.left(headBytes), 0, 1);
        const bool table = !first.isEmpty() && first.first().fields.size() > 1;
        if (format.isEmpty())
            result.error = CsvParser::withoutBom(data).trimmed().isEmpty()
                ? QStringLiteral("the file is empty")
                : QStringLiteral("not a known export format (%1)%2%3")
                      .arg(formats().join(u", "),
                          encoding.isEmpty() ? QString() : u", read as " + encoding,
                          table ? QStringLiteral("; name the date, time and value columns of a "
                                                 "CSV with --columns")
                                : QString());
        else
            result.error = QStringLiteral("unknown format \"%1\": use one of %2")
                               .arg(format, formats().join(u", "));
        return result;
    }
    if (!result.ok())
        return result;
    refuseIfMisread(result);
    std::stable_sort(result.readings.begin(), result.readings.end(),
        [](const ImportedReading &a, const ImportedReading &b) {
            return a.date != b.date ? a.date < b.date : a.time < b.time;
        });
    std::stable_sort(result.records.begin(), result.records.end(),
        [](const ImportedRecord &a, const ImportedRecord &b) {
            return a.date != b.date ? a.date < b.date : a.time < b.time;
        });
    std::stable_sort(result.rejected.begin(), result.rejected.end(),
        [](const RejectedRow &a, const RejectedRow &b) { return a.row < b.row; });
    return result;
}
