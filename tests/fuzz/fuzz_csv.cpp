// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Arbitrary bytes as a readings CSV: an error, or readings a journal can
// hold, which the CSV export writes so that they read back the same.

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
    importcheck::run(data, size, csv);
    const QByteArray bytes
        = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const ImportResult first = DeviceImport::read(bytes, csv);
    const ImportResult again = DeviceImport::read(CsvExport::write(first.readings), csv);
    if (!again.ok() || !again.rejected.isEmpty() || again.readings.size() != first.readings.size())
        std::abort();
    for (qsizetype i = 0; i < first.readings.size(); ++i) {
        if (!same(first.readings.at(i), again.readings.at(i)))
            std::abort();
    }
    return 0;
}
