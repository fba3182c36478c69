// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef DEVICEIMPORT_H
#define DEVICEIMPORT_H

#include "ImportResult.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The one way in to the readers of device exports.
class DeviceImport
{
public:
    // "dexcom", "libre", "nightscout", "glucometer", "lingo", "tandem", "csv".
    static QStringList formats();

    // The format of an export from its first lines, or an empty string.
    static QString detect(const QByteArray &data);

    // Reads the export as the format, or as the detected one when format is
    // empty; `columns` names the columns of a "csv" (CsvReader). UTF-16 is
    // read as well as UTF-8. The readings and the records come in time
    // order, ties in file order. An unknown or undetectable format gives an
    // error and nothing else, and so does a file most of whose reading rows are rejected for
    // one reason, which is a file misread rather than a few bad rows.
    static ImportResult read(const QByteArray &data, const QString &format = QString(),
        const QString &columns = QString());
};

#endif
