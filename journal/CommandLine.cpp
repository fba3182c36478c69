// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "CommandLine.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

void CommandLine::prepare()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    // The folder Qt would fall back on, made as Qt wants it, or not used.
    const uid_t uid = ::geteuid();
    const passwd *user = ::getpwuid(uid);
    const QString path = QDir::tempPath() + QStringLiteral("/runtime-")
        + (user ? QString::fromLocal8Bit(user->pw_name) : QString::number(uid));
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return;
    struct stat status = {};
    if (::lstat(native.constData(), &status) == 0 && S_ISDIR(status.st_mode) && status.st_uid == uid
        && (status.st_mode & 0777) == 0700)
        qputenv("XDG_RUNTIME_DIR", native);
}

QString CommandLine::undecodable(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray bytes(argv[i]);
        if (QFile::encodeName(QFile::decodeName(bytes)) != bytes)
            return escaped(bytes);
    }
    return {};
}

QString CommandLine::escaped(QByteArrayView bytes)
{
    QString shown;
    for (const char c : bytes) {
        const auto b = uchar(c);
        shown += b >= 0x20 && b < 0x7f ? QString(QChar(b))
                                       : QStringLiteral("\\x%1").arg(b, 2, 16, QChar(u'0'));
    }
    return shown;
}

QString CommandLine::printable(QStringView text)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7f && u < 0xa0))
            shown += QStringLiteral("\\x%1").arg(uint(u), 2, 16, QChar(u'0'));
        else
            shown += c;
    }
    return shown;
}
