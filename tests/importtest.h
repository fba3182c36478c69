// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#ifndef IMPORTTEST_H
#define IMPORTTEST_H

// What the importer tests share: the real exports and readings as text.

#include "ImportResult.h"

#include <QFile>
#include <QMap>
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

// "2024-03-05 07:10 INSL kind=bolus units=4", the fields by name.
inline QString describe(const ImportedRecord &r)
{
    QStringList keys = r.fields.keys();
    keys.sort();
    QString text = r.date.toString(Qt::ISODate) + u' ' + r.time.toString(u"HH:mm") + u' ' + r.type;
    for (const QString &key : keys)
        text += u' ' + key + u'=' + r.fields.value(key);
    return text;
}

inline QString describe(const QList<ImportedRecord> &records)
{
    QStringList lines;
    for (const ImportedRecord &r : records)
        lines.append(describe(r));
    return lines.join(u'|');
}

// The first of "|"-separated records that is not among the records, or empty.
inline QString firstMissing(const QList<ImportedRecord> &records, const QString &wanted)
{
    const QStringList all = describe(records).split(u'|');
    for (const QString &w : wanted.split(u'|', Qt::SkipEmptyParts)) {
        if (!all.contains(w))
            return w;
    }
    return QString();
}

// "CARB 339|INSL 394": how many records of each type.
inline QString countByType(const QList<ImportedRecord> &records)
{
    QMap<QString, int> counts;
    for (const ImportedRecord &r : records)
        ++counts[r.type];
    QStringList parts;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        parts << it.key() + u' ' + QString::number(it.value());
    return parts.join(u'|');
}

// The sum of one number field over the records of a type that have it, with the kind when given.
inline double sumOf(const QList<ImportedRecord> &records, const QString &type, const QString &key,
    const QString &kind = QString())
{
    double sum = 0;
    for (const ImportedRecord &r : records) {
        if (r.type == type && (kind.isEmpty() || r.fields.value(QStringLiteral("kind")) == kind))
            sum += r.fields.value(key).toDouble();
    }
    return sum;
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
