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
#include <QTest>

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

// A device export in the plain CSV form: readings a minute apart on the
// date, from 10:00.
inline QByteArray exportOf(const QString &date, int readings)
{
    QByteArray csv = "date,time,value\n";
    for (int i = 0; i < readings; ++i)
        csv += QStringLiteral("%1,%2:%3,%4\n")
                   .arg(date)
                   .arg(i / 60 + 10)
                   .arg(i % 60, 2, 10, QChar(u'0'))
                   .arg(100 + i % 300)
                   .toUtf8();
    return csv;
}

// The rows of a test of every kind of full disk, journals of the sizes
// and the changes named.
inline void addRows(std::initializer_list<int> sizes, std::initializer_list<const char *> changes)
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("change");
    for (const int kind : { FileSizeLimit, SmallFileSystem }) {
        for (const int size : sizes) {
            for (const char *change : changes) {
                QTest::addRow("%s, %d bytes, %s", kind == FileSizeLimit ? "size limit" : "tmpfs",
                    size, change)
                    << kind << size << QString::fromLatin1(change);
            }
        }
    }
}

// A folder of its own for one row, on a small file system of its own
// for a tmpfs row; unavailable() says why not, when the test must skip.
class Disk
{
public:
    Disk(const QString &folder, int kind, bool mountsAllowed)
        : folder(folder)
        , kind(kind)
    {
        QDir().mkpath(folder);
        if (kind == SmallFileSystem)
            why = mountSmall(folder, 256, mountsAllowed);
    }
    ~Disk()
    {
        unlimitFileSize();
        if (kind == SmallFileSystem && why.isEmpty())
            unmount(folder);
    }

    QString unavailable() const { return why; }
    // What the system says once the disk is full.
    QString full() const
    {
        return kind == FileSizeLimit ? "File too large" : "No space left on device";
    }

    // Leaves half the size free: on the file system, or as a limit on the
    // size of files, returned for the process that is to write.
    rlim_t fill(qint64 size)
    {
        if (kind == FileSizeLimit)
            return rlim_t(size / 2);
        fulldisk::fill(folder, size / 2);
        return 0;
    }
    // Frees the space again.
    void empty()
    {
        unlimitFileSize();
        QFile::remove(folder + QStringLiteral("/filler"));
    }
    // The files in the folder, without the filler.
    QStringList files() const
    {
        QStringList all = QDir(folder).entryList(QDir::Files | QDir::Hidden);
        all.removeAll(QStringLiteral("filler"));
        return all;
    }

private:
    QString folder;
    int kind;
    QString why;
};

} // namespace fulldisk

#endif
