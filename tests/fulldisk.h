// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#ifndef FULLDISK_H
#define FULLDISK_H

// What the tests of a full disk share: a real small file system filled up,
// and a limit on the size of the files a process may write.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

namespace fulldisk {

// The ways a disk may be full for a test.
enum Kind { FileSizeLimit, SmallFileSystem };

// Gives the test process mounts of its own, which go with it: call once
// at start. False where the system does not allow it.
inline bool privateMounts()
{
    return ::unshare(CLONE_NEWNS) == 0
        && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

// A tmpfs of the size (and of so many files, when given) on the folder,
// and an empty string; else why not.
inline QString mountSmall(const QString &folder, int kib, bool allowed, int files = 0)
{
    if (!allowed)
        return QStringLiteral("mounts are not allowed here");
    QDir().mkpath(folder);
    QByteArray options = "size=" + QByteArray::number(kib) + "k";
    if (files > 0)
        options += ",nr_inodes=" + QByteArray::number(files);
    if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, options.constData())
        != 0)
        return QStringLiteral("cannot mount a tmpfs: %1").arg(qt_error_string(errno));
    return {};
}

inline void unmount(const QString &folder)
{
    ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH);
}

// Fills the file system of the folder up to the last free bytes left,
// rounded down to its pages.
inline bool fill(const QString &folder, qint64 left)
{
    const QByteArray path = QFile::encodeName(folder + QStringLiteral("/filler"));
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
        return false;
    const QByteArray block(4096, 'f');
    qint64 size = 0;
    for (ssize_t n; (n = ::write(fd, block.constData(), size_t(block.size()))) > 0;)
        size += n;
    const bool done = ::ftruncate(fd, std::max<qint64>(0, size - left)) == 0;
    ::close(fd);
    return done;
}

// Limits the size of the files this process writes; no signal kills it
// at the limit, the write fails.
inline void limitFileSize(rlim_t bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit {};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

inline void unlimitFileSize()
{
    rlimit limit {};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

// A journal of about the size, in whole lines of readings.
inline QByteArray journalOf(qint64 size)
{
    QByteArray bytes;
    for (int i = 0; bytes.size() < size; ++i)
        bytes += QStringLiteral("SUGR|20240305|%1%2|cgm|%3|\n")
                     .arg(i / 60 % 24, 2, 10, QChar(u'0'))
                     .arg(i % 60, 2, 10, QChar(u'0'))
                     .arg(80 + i % 150)
                     .toUtf8();
    return bytes;
}

} // namespace fulldisk

#endif
