// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "RegularFile.h"

#include "CommandLine.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool RegularFile::open(QFile &file, const QString &path, QString *error)
{
    if (QFileInfo(path).isDir()) {
        *error = QStringLiteral("Is a folder, not a file");
        return false;
    }
    // Without O_NONBLOCK the open of a FIFO waits for a writer; the check
    // is on what was opened, so nothing can be swapped in between.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *error = errno == ENOENT ? QStringLiteral("No such file") : qt_error_string(errno);
        return false;
    }
    struct stat status = {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        *error = QStringLiteral("Not a regular file");
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        *error = file.errorString();
        return false;
    }
    return true;
}

bool RegularFile::readAll(const QString &path, qint64 limit, QByteArray *bytes, QString *error)
{
    QFile file;
    if (!open(file, path, error))
        return false;
    const auto tooLarge = [&] {
        const bool gib = limit % (qint64(1) << 30) == 0;
        *error = QStringLiteral("Too large: more than %1 %2")
                     .arg(gib ? limit >> 30 : limit >> 20)
                     .arg(gib ? QLatin1String("GiB") : QLatin1String("MiB"));
        return false;
    };
    if (file.size() > limit)
        return tooLarge();
    // The file may grow while it is read: never more than the limit.
    bytes->clear();
    bytes->reserve(qsizetype(file.size()));
    for (QByteArray piece = file.read(1 << 20); !piece.isEmpty(); piece = file.read(1 << 20)) {
        *bytes += piece;
        if (bytes->size() > limit) {
            bytes->clear();
            return tooLarge();
        }
    }
    if (file.error() != QFileDevice::NoError) {
        *error = file.errorString();
        bytes->clear();
        return false;
    }
    return true;
}

bool RegularFile::target(const QString &path, QString *target, QString *error)
{
    // By the bytes: Qt's own resolution decodes each link's name, and a
    // name that is not UTF-8 comes back as another one.
    QByteArray native = QFile::encodeName(path);
    for (int links = 0;; ++links) {
        struct stat status = {};
        if (::lstat(native.constData(), &status) != 0 || !S_ISLNK(status.st_mode))
            break;
        if (links == 40) {
            *error = qt_error_string(ELOOP);
            return false;
        }
        char buffer[PATH_MAX];
        const ssize_t n = ::readlink(native.constData(), buffer, sizeof buffer);
        if (n < 0 || n == sizeof buffer) {
            *error = qt_error_string(n < 0 ? errno : ENAMETOOLONG);
            return false;
        }
        // A relative link's name is relative to the folder that holds it.
        QByteArray next(buffer, n);
        if (!next.startsWith('/'))
            next.prepend(native.left(native.lastIndexOf('/') + 1));
        native = next;
    }
    *target = QFile::decodeName(native);
    if (QFile::encodeName(*target) != native) {
        *error
            = QStringLiteral("Links to \"%1\", a name that is not UTF-8 (names are taken as UTF-8)")
                  .arg(CommandLine::escaped(native));
        return false;
    }
    // Qt writes a new file by its full name, which it makes from the name
    // of the current folder: one that is not UTF-8 would name another.
    if (!native.startsWith('/')) {
        char here[PATH_MAX];
        const QByteArray folder = ::getcwd(here, sizeof here) ? QByteArray(here) : QByteArray();
        if (QFile::encodeName(QFile::decodeName(folder)) != folder) {
            *error = QStringLiteral("The current folder, \"%1\", has a name that is not UTF-8 "
                                    "(names are taken as UTF-8)")
                         .arg(CommandLine::escaped(folder));
            return false;
        }
    }
    return true;
}

namespace {

// The system's words for a failed write, never "Unknown error".
QString writeError(const QFileDevice &file, const QString &otherwise)
{
    return file.error() == QFileDevice::NoError
            || file.errorString() == QLatin1String("Unknown error")
        ? otherwise
        : file.errorString();
}

} // namespace

bool RegularFile::write(QFileDevice &file, QByteArrayView bytes, QString *error)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const qint64 n = file.write(bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            *error = writeError(file, QStringLiteral("The file could not be written whole"));
            return false;
        }
        done += n;
    }
    return true;
}

bool RegularFile::open(QSaveFile &file, QString *error)
{
    file.setDirectWriteFallback(false);
    // Unbuffered: each write tells how much reached the file, and why the
    // rest did not. A buffered one loses a short write below its buffer.
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return true;
    *error = writeError(file, QStringLiteral("Cannot write beside the file"));
    return false;
}

bool RegularFile::writeAll(QSaveFile &file, QByteArrayView bytes, QString *error)
{
    return writeAll(file, std::vector<QByteArrayView> { bytes }, error);
}

bool RegularFile::writeAll(
    QSaveFile &file, const std::vector<QByteArrayView> &pieces, QString *error)
{
    for (const QByteArrayView piece : pieces) {
        if (!write(file, piece, error))
            return false;
    }
    // Some file systems tell of a full disk only when the data go to it.
    if (::fdatasync(file.handle()) != 0) {
        *error = qt_error_string(errno);
        return false;
    }
    // Everything written, copied ones too, is on the disk.
    if (file.size() != ::lseek(file.handle(), 0, SEEK_CUR)) {
        *error = QStringLiteral("The file could not be written whole");
        return false;
    }
    return true;
}

bool RegularFile::copy(QFile &from, qint64 size, QSaveFile &to, QString *error)
{
    loff_t at = 0;
    while (at < size) {
        const ssize_t n
            = ::copy_file_range(from.handle(), &at, to.handle(), nullptr, size_t(size - at), 0);
        if (n > 0)
            continue;
        if (n < 0 && at == 0
            && (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL))
            break; // a system or file system that cannot: copied here
        *error = n < 0 ? qt_error_string(errno)
                       : QStringLiteral("The file ended before it was copied whole");
        return false;
    }
    QByteArray buffer;
    while (at < size) {
        buffer.resize(qsizetype(std::min<qint64>(size - at, 1 << 20)));
        const ssize_t n = ::pread(from.handle(), buffer.data(), size_t(buffer.size()), at);
        if (n <= 0) {
            *error = n < 0 ? qt_error_string(errno)
                           : QStringLiteral("The file ended before it was copied whole");
            return false;
        }
        if (!write(to, QByteArrayView(buffer).first(n), error))
            return false;
        at += n;
    }
    return true;
}

bool RegularFile::save(const QString &path, QByteArrayView bytes, QString *error)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile() && !info.isDir()) {
        QFile device(path);
        if (!device.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            *error = device.errorString();
            return false;
        }
        return write(device, bytes, error);
    }
    QString resolved;
    if (!target(path, &resolved, error))
        return false;
    QSaveFile file(resolved);
    if (!open(file, error))
        return false;
    if (!writeAll(file, bytes, error)) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = writeError(file, QStringLiteral("Cannot replace the file"));
        return false;
    }
    return true;
}
