// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "DeviceImport.h"

#include "CsvParser.h"
#include "CsvReader.h"
#include "DexcomReader.h"
#include "GlucometerReader.h"
#include "LibreReader.h"
#include "NightscoutReader.h"

#include <algorithm>

namespace {

// Enough for any header and a few rows, and quick on a file of one huge line.
constexpr qsizetype headBytes = 64 * 1024;
constexpr int headRows = 8;

} // namespace

QStringList DeviceImport::formats()
{
    return { DexcomReader::format, LibreReader::format, NightscoutReader::format,
        GlucometerReader::format, CsvReader::format };
}

QString DeviceImport::detect(const QByteArray &data)
{
    const QByteArray head = CsvParser::withoutBom(data.left(headBytes));
    const QList<CsvRow> rows = CsvParser::parse(head, ',', headRows);
    if (DexcomReader::recognises(rows))
        return DexcomReader::format;
    if (LibreReader::recognises(rows))
        return LibreReader::format;
    if (CsvReader::recognises(CsvParser::parse(head, CsvReader::delimiterOf(head), 1)))
        return CsvReader::format;
    if (NightscoutReader::recognises(head))
        return NightscoutReader::format;
    if (GlucometerReader::recognises(rows))
        return GlucometerReader::format;
    return QString();
}

ImportResult DeviceImport::read(const QByteArray &data, const QString &format)
{
    const QString chosen = format.isEmpty() ? detect(data) : format.toLower();
    ImportResult result;
    if (chosen == DexcomReader::format) {
        result = DexcomReader::read(data);
    } else if (chosen == LibreReader::format) {
        result = LibreReader::read(data);
    } else if (chosen == NightscoutReader::format) {
        result = NightscoutReader::read(data);
    } else if (chosen == GlucometerReader::format) {
        result = GlucometerReader::read(data);
    } else if (chosen == CsvReader::format) {
        result = CsvReader::read(data);
    } else {
        result.format = chosen;
        if (format.isEmpty())
            result.error = CsvParser::withoutBom(data).trimmed().isEmpty()
                ? QStringLiteral("the file is empty")
                : QStringLiteral("not a known export format (%1)").arg(formats().join(u", "));
        else
            result.error = QStringLiteral("unknown format \"%1\": use one of %2")
                               .arg(format, formats().join(u", "));
        return result;
    }
    std::stable_sort(result.readings.begin(), result.readings.end(),
        [](const ImportedReading &a, const ImportedReading &b) {
            return a.date != b.date ? a.date < b.date : a.time < b.time;
        });
    std::stable_sort(result.rejected.begin(), result.rejected.end(),
        [](const RejectedRow &a, const RejectedRow &b) { return a.row < b.row; });
    return result;
}
