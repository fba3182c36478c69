// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef REGULARFILE_H
#define REGULARFILE_H

#include "journal_export.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <vector>

class QFile;
class QFileDevice;
class QSaveFile;

// Files read and written whole. Only regular files are read: a FIFO would
// block the open and every read, and a device such as /dev/zero never
// ends. A file is written as a new one that replaces the old one once all
// of it is on the disk, so a full disk or a kill leaves the old one.
class JOURNAL_EXPORT RegularFile
{
public:
    // Opens the file read-only without waiting on it. False, with the
    // reason, for what is not a regular file or cannot be opened.
    static bool open(QFile &file, const QString &path, QString *error);

    // The whole file, refused when it holds more than limit bytes.
    static bool readAll(const QString &path, qint64 limit, QByteArray *bytes, QString *error);

    // The file that writing path changes: path itself, or where its links
    // lead, followed from the bytes of their names. False, with the reason,
    // when a link leads to a name that is not UTF-8, which Qt would decode
    // to the name of another file, or when links lead round in a circle.
    static bool target(const QString &path, QString *target, QString *error);

    // Writes the file anew. A FIFO or a device is written to as it is; a
    // link stays a link to the new file.
    static bool save(const QString &path, QByteArrayView bytes, QString *error);
    // Opens the new file beside the old one, to be filled by writeAll().
    static bool open(QSaveFile &file, QString *error);
    // Writes all the bytes to a file opened unbuffered, with the system's
    // reason when it cannot.
    static bool write(QFileDevice &file, QByteArrayView bytes, QString *error);
    // Writes all the bytes to a file that open() opened and puts them on
    // the disk, with the system's reason when it cannot ("No space left on
    // device"); the caller commits or cancels.
    static bool writeAll(QSaveFile &file, QByteArrayView bytes, QString *error);
    // Copies the first size bytes of from into a file that open() opened,
    // ahead of what writeAll() writes: the system copies them where it can,
    // without their passing through here.
    static bool copy(QFile &from, qint64 size, QSaveFile &to, QString *error);
    // The same for pieces written one after the other.
    static bool writeAll(
        QSaveFile &file, const std::vector<QByteArrayView> &pieces, QString *error);
};

#endif
