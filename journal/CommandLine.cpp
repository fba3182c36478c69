// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "CommandLine.h"

#include <QFile>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The runtime folder made for this process, removed at its exit.
char runtimeFolder[PATH_MAX];

int removeOne(const char *path, const struct stat *, int, struct FTW *)
{
    return ::remove(path);
}

void removeRuntimeFolder()
{
    ::nftw(runtimeFolder, removeOne, 8, FTW_DEPTH | FTW_PHYS);
}

} // namespace

void CommandLine::prepare()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    // A folder of this process's own, made afresh: one of a fixed name in a
    // shared temporary folder may be another user's, or of another mode,
    // and Qt would warn of it. Qt wants it private, which mkdtemp makes it.
    QByteArray temporary = qgetenv("TMPDIR");
    if (temporary.isEmpty())
        temporary = "/tmp";
    const QByteArray pattern = temporary + "/journal-runtime-XXXXXX";
    if (pattern.size() >= qsizetype(sizeof runtimeFolder))
        return;
    std::memcpy(runtimeFolder, pattern.constData(), size_t(pattern.size()) + 1);
    if (!::mkdtemp(runtimeFolder)) {
        runtimeFolder[0] = '\0';
        return;
    }
    std::atexit(removeRuntimeFolder);
    qputenv("XDG_RUNTIME_DIR", QByteArray(runtimeFolder));
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
