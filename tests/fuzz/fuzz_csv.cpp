// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Arbitrary bytes as a readings CSV: an error, or readings a journal can
// hold, which the CSV export writes so that they read back the same. An
// input whose first line starts "columns:" names its columns with the rest
// of that line, as --columns does.

#include "CsvExport.h"
#include "importcheck.h"

namespace {

bool same(const ImportedReading &a, const ImportedReading &b)
{
    return a.date == b.date && a.time == b.time && a.type == b.type && a.value == b.value
        && a.notes == b.notes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString csv = QStringLiteral("csv");
    QByteArray bytes
        = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QString columns;
    if (bytes.startsWith("columns:")) {
        const qsizetype end = bytes.indexOf('\n');
        columns = QString::fromUtf8(bytes.mid(8, end < 0 ? -1 : end - 8)).trimmed();
        bytes = end < 0 ? QByteArray() : bytes.mid(end + 1);
        if (columns.isEmpty())
            return 0;
    }
    importcheck::run(
        reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()), csv, columns);
    const ImportResult first = DeviceImport::read(bytes, csv, columns);
    const ImportResult again = DeviceImport::read(CsvExport::write(first.readings), csv);
    if (!again.ok() || !again.rejected.isEmpty() || again.readings.size() != first.readings.size())
        std::abort();
    for (qsizetype i = 0; i < first.readings.size(); ++i) {
        if (!same(first.readings.at(i), again.readings.at(i)))
            std::abort();
    }
    return 0;
}
