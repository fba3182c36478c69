// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#ifndef IMPORTTEST_H
#define IMPORTTEST_H

// What the importer tests share: the real exports and readings as text.

#include "ImportResult.h"

#include <QFile>
#include <QStringList>

namespace importtest {

// A real export from the shared fixtures, or an empty array when they are absent.
inline QByteArray fixture(const QString &path)
{
    QFile file(QStringLiteral(SHARED_DIR "/data/fixtures/") + path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// "2024-03-05 07:08 cgm 104 'notes'"
inline QString describe(const ImportedReading &r)
{
    return QStringLiteral("%1 %2 %3 %4 '%5'")
        .arg(r.date.toString(Qt::ISODate), r.time.toString(u"HH:mm"), r.type)
        .arg(r.value)
        .arg(r.notes);
}

inline QString describe(const QList<ImportedReading> &readings)
{
    QStringList lines;
    for (const ImportedReading &r : readings)
        lines.append(describe(r));
    return lines.join(u'|');
}

// "3: reason|7: reason"
inline QString describe(const QList<RejectedRow> &rejected)
{
    QStringList lines;
    for (const RejectedRow &r : rejected)
        lines.append(QString::number(r.row) + u": " + r.reason);
    return lines.join(u'|');
}

} // namespace importtest

#endif
