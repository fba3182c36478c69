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
    // "dexcom", "libre", "nightscout", "glucometer", "csv".
    static QStringList formats();

    // The format of an export from its first lines, or an empty string.
    static QString detect(const QByteArray &data);

    // Reads the export as the format, or as the detected one when format is
    // empty. The readings come in time order, ties in file order. An
    // unknown or undetectable format gives an error and nothing else.
    static ImportResult read(const QByteArray &data, const QString &format = QString());
};

#endif
