// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "JournalFile.h"
#include "RegularFile.h"
#include "SugarEntry.h"
#include "fulldisk.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <grp.h>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const SugarEntry::MyFactory sugarFactory;

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void put(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// Writes imports of 40 lines and edits of one line until it is killed; every
// line names its import and its place in it.
int runWriter(const QString &path)
{
    std::fputs("writing\n", stdout);
    std::fflush(stdout);
    for (int import = 0;; ++import) {
        JournalFile file(path);
        if (!file.read() && file.exists())
            return 1;
        if (import % 3 == 2 && file.lineCount() > 0) {
            const int n = 1 + int(QRandomGenerator::global()->bounded(file.lineCount()));
            file.replace(n, file.line(n).toByteArray());
            continue;
        }
        QStringList lines;
        for (int i = 0; i < 40; ++i)
            lines << QStringLiteral("SUGR|20240101|0800|cgm|%1|import %2 of %3 line %4 %5")
                         .arg(100 + i)
                         .arg(QCoreApplication::applicationPid())
                         .arg(import)
                         .arg(i)
                         .arg(QString(200, u'x'));
        file.append(lines);
    }
}

// One change to the journal under a limit on the size of files; prints why
// it failed, and exits with 3 then.
int runChange(const QString &change, const QString &path, qint64 limit)
{
    JournalFile file(path);
    if (!file.read())
        return 1;
    if (limit > 0)
        fulldisk::limitFileSize(rlim_t(limit));
    QStringList import;
    for (int i = 0; i < 1000; ++i)
        import << QStringLiteral("SUGR|20240306|0800|cgm|%1|").arg(100 + i % 100);
    const bool done = change == "add" ? file.append({ "SUGR|20240306|0800|cgm|120|" })
        : change == "import"          ? file.append(import)
        : change == "edit"            ? file.replace(2, "SUGR|20240305|0001|cgm|121|edited")
        : change == "delete"          ? file.remove(2)
                                      : file.insert(2, "SUGR|20240305|0001|cgm|121|");
    std::fputs(qPrintable(file.errorString() + u'\n'), stdout);
    return done ? 0 : 3;
}

// Holds the lock for a while, then lets go.
int runHolder(const QString &lockPath, int ms)
{
    QLockFile lock(lockPath);
    if (!lock.tryLock(0))
        return 1;
    std::fputs("holding\n", stdout);
    std::fflush(stdout);
    QThread::msleep(ulong(ms));
    return 0;
}

// Appends lines without the lock, as echo >> does.
int runAppender(const QString &path, int count)
{
    std::fputs("appending\n", stdout);
    std::fflush(stdout);
    const QByteArray native = QFile::encodeName(path);
    for (int i = 0; i < count; ++i) {
        const QByteArray line = "SUGR|20240402|0800|unlocked|" + QByteArray::number(i) + "|\n";
        const int fd = ::open(native.constData(), O_WRONLY | O_APPEND);
        if (fd < 0 || ::write(fd, line.constData(), size_t(line.size())) != line.size())
            return 1;
        ::close(fd);
        QThread::msleep(5);
    }
    return 0;
}

// A process id that names no process: one that ended.
qint64 endedProcess()
{
    QProcess ended;
    ended.start(QStringLiteral("true"), {});
    ended.waitForStarted();
    const qint64 pid = ended.processId();
    ended.waitForFinished();
    return pid;
}

} // namespace

class TstJournalFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lines_data();
    void lines();
    void changesKeepOtherBytes_data();
    void changesKeepOtherBytes();
    void scanHoldsNoBytes();
    void missingFileIsCreatedByAppend();
    void refusesChangesMadeByAnotherProgram();
    void refusesWhileAnotherWriterHoldsTheLock();
    void failuresLeaveTheFile_data();
    void failuresLeaveTheFile();
    void diskFullLeavesTheFile_data();
    void diskFullLeavesTheFile();
    void keepsPermissions();
    void keepsOwnerAndGroup();
    void groupMemberKeepsTheGroup();
    void hardLinkKeepsTheOldJournal();
    void linksLeadToTheFileWritten_data();
    void linksLeadToTheFileWritten();
    void currentFolderNotUtf8();
    void onlyRegularFilesAreRead_data();
    void onlyRegularFilesAreRead();
    void missingFolderAndNoInodes();
    void unnamedLocksAreStale_data();
    void unnamedLocksAreStale();
    void waitsForALiveWriter();
    void lockPathThatIsNoFile_data();
    void lockPathThatIsNoFile();
    void appendsWithoutTheLockAreKept();
    void problems_data();
    void problems();
    void killedWriterLeavesWholeImports();

public:
    bool mountsAllowed = false;

private:
    QTemporaryDir dir;
};

void TstJournalFile::lines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty") << QByteArray() << QStringList();
    QTest::newRow("one line") << QByteArray("a\n") << QStringList { "a" };
    QTest::newRow("no end on the last line") << QByteArray("a\nb") << QStringList { "a", "b" };
    QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << QStringList { "a", "b" };
    QTest::newRow("empty lines count") << QByteArray("\n\na\n") << QStringList { "", "", "a" };
    QTest::newRow("UTF-8") << QByteArray("caf\xc3\xa9\n") << QStringList { u"café"_qs };
    QTest::newRow("byte order mark") << QByteArray("\xef\xbb\xbf" "a\n") << QStringList { "a" };
    QTest::newRow("CR alone, as old Mac files end lines")
        << QByteArray("a\rb\r") << QStringList { "a", "b" };
    QTest::newRow("CR, CR LF and LF mixed")
        << QByteArray("a\rb\r\nc\nd") << QStringList { "a", "b", "c", "d" };
    QTest::newRow("CR before CR LF is a line of its own")
        << QByteArray("a\r\r\nb") << QStringList { "a", "", "b" };
    QTest::newRow("LF CR is two line ends") << QByteArray("a\n\rb") << QStringList { "a", "", "b" };
    // Either side of the megabyte that a scan reads at a time.
    const QByteArray piece((1 << 20) - 1, 'x');
    QTest::newRow("CR LF across pieces") << piece + "\r\nb" << QStringList { piece, "b" };
    QTest::newRow("CR alone across pieces") << piece + "\rb" << QStringList { piece, "b" };
    QTest::newRow("CR at the end of a piece, LF line next")
        << piece + "\r\n\nb" << QStringList { piece, "", "b" };
    // Lines are counted sixteen bytes at a time, with the bytes left over.
    const QByteArray line("SUGR|20240305|0800|cgm|104|");
    QTest::newRow("lines across blocks of sixteen")
        << QByteArray(line + '\n').repeated(9) + line << QStringList(10, QString::fromLatin1(line));
    QTest::newRow("CR LF and CR across blocks of sixteen")
        << QByteArray(line + "\r\n" + line + '\r').repeated(5)
        << QStringList(10, QString::fromLatin1(line));
    // A large file is read in two halves: here they part between CR and LF.
    const QByteArray half((3 << 20) - 1, 'y');
    QTest::newRow("large, halves parted inside a CR LF")
        << half + "\r\n" + half << QStringList { half, half };
    // Read in parts, lines of every length and end meet the parts' bounds.
    QByteArray many;
    QStringList manyLines;
    const char *const ends[] = { "\n", "\r\n", "\r", "\n\n" };
    for (int i = 0; many.size() < (9 << 20); ++i) {
        const QByteArray text = QByteArray::number(i) + QByteArray(i % 97, 'z');
        many += text + ends[i % 4];
        manyLines << QString::fromLatin1(text);
        if (i % 4 == 3)
            manyLines << QString();
    }
    QTest::newRow("large, lines of every length and end") << many << manyLines;
}

void TstJournalFile::lines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    const QString path = dir.filePath("lines.journal");
    put(path, bytes);
    JournalFile file(path);
    QVERIFY(file.read());
    QCOMPARE(file.lineCount(), lines.size());
    // The text whole is the bytes after a byte order mark.
    QCOMPARE(file.text(), bytes.startsWith("\xef\xbb\xbf") ? bytes.sliced(3) : bytes);
    for (int i = 0; i < lines.size(); ++i)
        QCOMPARE(file.lineText(i + 1), lines[i]);
    // A scan, which holds no bytes, reads the same lines.
    QStringList scanned;
    QVERIFY(file.scan([&](int, QByteArrayView line) { scanned << QString::fromUtf8(line); }));
    QCOMPARE(scanned, lines);
    QCOMPARE(file.lineCount(), lines.size());
    // So does a reading in parts, each part's lines in turn, byte for byte.
    QList<QByteArray> bytesOfLines;
    for (const QString &line : lines)
        bytesOfLines << line.toUtf8();
    for (const int parts : { 1, 2, 3 }) {
        std::vector<QList<QByteArray>> read(static_cast<std::size_t>(parts));
        QVERIFY(file.readInParts(parts, [&](int part, QByteArrayView line) {
            read[std::size_t(part)] << line.toByteArray();
        }));
        QList<QByteArray> all;
        for (const QList<QByteArray> &part : read)
            all += part;
        QCOMPARE(all, bytesOfLines);
    }
}

void TstJournalFile::changesKeepOtherBytes_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("line");
    QTest::addColumn<QByteArray>("after");
    const QByteArray odd = "SUGR|20240101|0800|cgm|0Hi|\r\n\xff\xfe junk\r\nSUGR|20240102|0900|x|5|";
    QTest::newRow("replace in CR LF, odd bytes kept")
        << odd << "replace" << 1
        << QByteArray("NEW\r\n\xff\xfe junk\r\nSUGR|20240102|0900|x|5|");
    QTest::newRow("replace the last line, no end added")
        << odd << "replace" << 3 << QByteArray("SUGR|20240101|0800|cgm|0Hi|\r\n\xff\xfe junk\r\nNEW");
    QTest::newRow("remove a middle line")
        << odd << "remove" << 2 << QByteArray("SUGR|20240101|0800|cgm|0Hi|\r\nSUGR|20240102|0900|x|5|");
    QTest::newRow("remove the last line")
        << odd << "remove" << 3 << QByteArray("SUGR|20240101|0800|cgm|0Hi|\r\n\xff\xfe junk\r\n");
    QTest::newRow("append ends the last line first, in the file's style")
        << odd << "append" << 0 << QByteArray(odd + "\r\nNEW\r\nNEW\r\n");
    QTest::newRow("replace the first line after a byte order mark")
        << QByteArray("\xef\xbb\xbf" "a\nb\n") << "replace" << 1
        << QByteArray("\xef\xbb\xbf" "NEW\nb\n");
    QTest::newRow("append to LF lines") << QByteArray("a\nb\n") << "append" << 0
                                        << QByteArray("a\nb\nNEW\nNEW\n");
    QTest::newRow("append to an empty file") << QByteArray() << "append" << 0
                                             << QByteArray("NEW\nNEW\n");
    QTest::newRow("insert before the first line")
        << odd << "insert" << 1 << QByteArray("NEW\r\n" + odd);
    QTest::newRow("insert after the last line") << QByteArray("a\nb") << "insert" << 3
                                                << QByteArray("a\nb\nNEW\n");
    QTest::newRow("append to CR lines, in their style")
        << QByteArray("a\rb") << "append" << 0 << QByteArray("a\rb\rNEW\rNEW\r");
    QTest::newRow("replace in CR lines")
        << QByteArray("a\rb\r") << "replace" << 2 << QByteArray("a\rNEW\r");
    QTest::newRow("insert into CR lines")
        << QByteArray("a\rb\r") << "insert" << 2 << QByteArray("a\rNEW\rb\r");
    QTest::newRow("remove from CR lines")
        << QByteArray("a\rb\rc\r") << "remove" << 2 << QByteArray("a\rc\r");
    QTest::newRow("append after a byte order mark alone")
        << QByteArray("\xef\xbb\xbf") << "append" << 0
        << QByteArray("\xef\xbb\xbf"
                      "NEW\nNEW\n");
}

void TstJournalFile::changesKeepOtherBytes()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, change);
    QFETCH(int, line);
    QFETCH(QByteArray, after);
    const QString path = dir.filePath("change.journal");
    // Read whole, or scanned and the bytes read again for the change.
    for (const bool scanned : { false, true }) {
        put(path, before);
        JournalFile file(path);
        QVERIFY(scanned ? file.scan([](int, QByteArrayView) {}) : file.read());
        const bool done = change == "replace" ? file.replace(line, "NEW")
            : change == "remove"              ? file.remove(line)
            : change == "insert"              ? file.insert(line, "NEW")
                                              : file.append({ "NEW", "NEW" });
        QVERIFY2(done, qPrintable(file.errorString()));
        QCOMPARE(bytesOf(path), after);
        JournalFile again(path);
        QVERIFY(again.read());
        QCOMPARE(file.lineCount(), again.lineCount());
        // What it holds is what it wrote: a second change needs no reload.
        QVERIFY(file.isCurrent());
        QVERIFY(file.append({ "MORE" }));
        QVERIFY(bytesOf(path).startsWith(after));
    }
}

void TstJournalFile::scanHoldsNoBytes()
{
    // Lines that cross the pieces it reads, a CR LF end among them.
    const QString path = dir.filePath("scan.journal");
    QByteArray bytes = "\xef\xbb\xbf";
    QList<QByteArray> lines;
    for (int i = 0; bytes.size() < 3 * 1024 * 1024; ++i) {
        lines << QByteArray::number(i) + QByteArray(i % 997, 'x');
        bytes += lines.last() + (i % 5 ? "\n" : "\r\n");
    }
    lines << "last";
    bytes += "last";
    put(path, bytes);
    JournalFile file(path);
    QList<QByteArray> seen;
    QVERIFY(file.scan([&](int n, QByteArrayView line) {
        QCOMPARE(n, seen.size() + 1);
        seen << line.toByteArray();
    }));
    QCOMPARE(seen, lines);
    QCOMPARE(file.lineCount(), lines.size());

    // A change reads the bytes again, and only while they are what was read.
    QCOMPARE(file.line(2), lines[1]);
    QVERIFY(file.replace(1, "FIRST"));
    QCOMPARE(bytesOf(path),
        "\xef\xbb\xbf"
        "FIRST"
            + bytes.sliced(3 + lines[0].size()));
    QVERIFY(file.isCurrent());

    // Lines appended after the last need no bytes: the old ones are copied,
    // and the new lines end as the first line does.
    const QByteArray replaced = bytesOf(path);
    QVERIFY(file.append({ "ONE", "TWO" }));
    QCOMPARE(bytesOf(path), replaced + "\r\nONE\r\nTWO\r\n");
    QCOMPARE(file.lineCount(), lines.size() + 2);
    QVERIFY(file.isCurrent());
    // Touched but the same: read and checked, then written.
    QFile touched(path);
    QVERIFY(touched.open(QIODevice::ReadWrite));
    QVERIFY(touched.setFileTime(
        QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
    touched.close();
    QVERIFY(file.insert(file.lineCount() + 1, "THREE"));
    QCOMPARE(bytesOf(path), replaced + "\r\nONE\r\nTWO\r\nTHREE\r\n");

    put(path, "other\n");
    QVERIFY(!file.isCurrent());
    QVERIFY(!file.append({ "X" }));
    QVERIFY(file.errorString().contains("changed by another program"));
    QVERIFY(!file.remove(2));
    QVERIFY(file.errorString().contains("changed by another program"));
    QCOMPARE(bytesOf(path), "other\n");
}

void TstJournalFile::missingFileIsCreatedByAppend()
{
    const QString path = dir.filePath("new.journal");
    JournalFile file(path);
    QVERIFY(!file.read());
    QCOMPARE(file.errorString(), "No such file");
    QCOMPARE(file.lineCount(), 0);
    QVERIFY(!file.readInParts(2, [](int, QByteArrayView) { QFAIL("a line of no file"); }));
    QCOMPARE(file.errorString(), "No such file");
    QVERIFY(file.append({ "SUGR|20240101|0800|cgm|100|" }));
    QCOMPARE(bytesOf(path), "SUGR|20240101|0800|cgm|100|\n");
}

void TstJournalFile::refusesChangesMadeByAnotherProgram()
{
    const QString path = dir.filePath("conflict.journal");
    put(path, "a\nb\n");
    JournalFile file(path);
    QVERIFY(file.read());
    put(path, "a\nb\nc\n"); // another program appends
    QVERIFY(!file.isCurrent());
    QVERIFY(!file.replace(1, "X"));
    QVERIFY(file.errorString().contains("changed by another program"));
    QVERIFY(!file.append({ "X" }));
    QCOMPARE(bytesOf(path), "a\nb\nc\n");
    QVERIFY(file.read());
    QVERIFY(file.replace(1, "X"));
    QCOMPARE(bytesOf(path), "X\nb\nc\n");
}

void TstJournalFile::refusesWhileAnotherWriterHoldsTheLock()
{
    const QString path = dir.filePath("locked.journal");
    put(path, "a\n");
    JournalFile file(path);
    QVERIFY(file.read());
    QLockFile other(path + ".lock");
    QVERIFY(other.tryLock());
    QVERIFY(!file.append({ "b" }));
    QVERIFY2(file.errorString().contains("is writing the journal"), qPrintable(file.errorString()));
    QCOMPARE(bytesOf(path), "a\n");
    other.unlock();
    QVERIFY(file.append({ "b" }));
}

void TstJournalFile::failuresLeaveTheFile_data()
{
    QTest::addColumn<QString>("failure");
    QTest::newRow("a line break in a reading") << "line break";
    QTest::newRow("no such line") << "no such line";
    QTest::newRow("the journal replaced by a folder") << "folder";
    QTest::newRow("a journal in UTF-16 is not written") << "utf-16";
}

void TstJournalFile::failuresLeaveTheFile()
{
    QFETCH(QString, failure);
    const QString path = dir.filePath("fail-" + failure + ".journal");
    put(path, "a\nb\n");
    JournalFile file(path);
    QVERIFY(file.read());
    bool done = true;
    if (failure == "line break") {
        done = file.append({ "ok", "bad\nline" }) || file.replace(1, "bad\rline");
    } else if (failure == "utf-16") {
        const QByteArray wide("\xff\xfe" "a\0\n\0", 6);
        put(path, wide);
        QVERIFY(file.read());
        QCOMPARE(file.lineText(1), "a");
        QVERIFY(!file.whyNotWritable().isEmpty());
        QVERIFY(!file.append({ "b" }));
        QCOMPARE(bytesOf(path), wide);
        return;
    } else if (failure == "no such line") {
        done = file.replace(3, "x") || file.remove(0);
    } else {
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir(dir.path()).mkdir("fail-folder.journal"));
        done = file.append({ "x" });
        QCOMPARE(file.errorString(), "Is a folder, not a journal");
        QVERIFY(QFileInfo(path).isDir());
        return;
    }
    QVERIFY(!done);
    QVERIFY(!file.errorString().isEmpty());
    QCOMPARE(bytesOf(path), "a\nb\n");
}

void TstJournalFile::diskFullLeavesTheFile_data()
{
    // Around the 16 KiB that a buffered file holds before it writes.
    fulldisk::addRows({ 1024, 4096, 16383, 16384, 16500, 65536 },
        { "add", "import", "edit", "delete", "insert" });
}

void TstJournalFile::diskFullLeavesTheFile()
{
    QFETCH(int, kind);
    QFETCH(int, size);
    QFETCH(QString, change);
    const QString folder
        = dir.filePath(QStringLiteral("full-%1-%2-%3").arg(kind).arg(size).arg(change));
    fulldisk::Disk disk(folder, kind, mountsAllowed);
    if (!disk.unavailable().isEmpty())
        QSKIP(qPrintable(disk.unavailable()));
    const QString path = folder + "/full.journal";
    const QByteArray before = fulldisk::journalOf(size);
    put(path, before);
    const rlim_t limit = disk.fill(before.size());

    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
        { "--change", change, path, QString::number(limit) });
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitCode(), 3);
    QCOMPARE(QString::fromUtf8(child.readAllStandardOutput()).trimmed(), disk.full());
    QCOMPARE(bytesOf(path), before);
    QCOMPARE(disk.files(), QStringList { "full.journal" });
}

void TstJournalFile::keepsPermissions()
{
    const QString path = dir.filePath("private.journal");
    put(path, "a\n");
    const auto mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    QVERIFY(QFile::setPermissions(path, mode));
    JournalFile file(path);
    QVERIFY(file.read());
    QVERIFY(file.append({ "b" }));
    const auto others = QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
    QCOMPARE(QFile::permissions(path) & others, QFile::ReadGroup);
}

void TstJournalFile::keepsOwnerAndGroup()
{
    if (::geteuid() != 0)
        QSKIP("only root gives a file to another user");
    const QString path = dir.filePath("users.journal");
    put(path, "a\n");
    const QByteArray native = QFile::encodeName(path);
    QCOMPARE(::chown(native.constData(), 65534, 65534), 0);
    QCOMPARE(::chmod(native.constData(), 0640), 0);
    JournalFile file(path);
    QVERIFY(file.read());
    QVERIFY(file.append({ "b" }));
    struct stat after = {};
    QCOMPARE(::stat(native.constData(), &after), 0);
    QCOMPARE(after.st_uid, uid_t(65534));
    QCOMPARE(after.st_gid, gid_t(65534));
    QCOMPARE(after.st_mode & 07777, mode_t(0640));
    QCOMPARE(bytesOf(path), "a\nb\n");
}

void TstJournalFile::groupMemberKeepsTheGroup()
{
    if (::geteuid() != 0)
        QSKIP("only root makes a journal of its own that a group shares");
    // root's journal, which the members of a group may write; one of them,
    // not root, adds to it.
    constexpr gid_t group = 4242;
    QTemporaryDir shared;
    QVERIFY(QFile::setPermissions(shared.path(),
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
            | QFile::ExeOther));
    const QByteArray folder = QFile::encodeName(shared.path()) + "/group";
    QCOMPARE(::mkdir(folder.constData(), 0700), 0);
    QCOMPARE(::chown(folder.constData(), 0, group), 0);
    QCOMPARE(::chmod(folder.constData(), 0775), 0);
    const QString path = QFile::decodeName(folder) + "/shared.journal";
    put(path, "SUGR|20240305|0800|cgm|100|\nSUGR|20240305|0805|cgm|101|\n");
    const QByteArray native = QFile::encodeName(path);
    QCOMPARE(::chown(native.constData(), 0, group), 0);
    QCOMPARE(::chmod(native.constData(), 0664), 0);
    QProcess member;
    member.setChildProcessModifier([] {
        const gid_t groups[] = { group };
        if (::setgroups(1, groups) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(9);
    });
    member.start(QCoreApplication::applicationFilePath(), { "--change", "add", path, "0" });
    QVERIFY(member.waitForFinished(30000));
    QVERIFY2(member.exitCode() == 0, member.readAllStandardOutput().constData());
    struct stat after = {};
    QCOMPARE(::stat(native.constData(), &after), 0);
    QCOMPARE(after.st_uid, uid_t(65534)); // only root gives a file away
    QCOMPARE(after.st_gid, group);
    QCOMPARE(after.st_mode & 07777, mode_t(0664));
    QVERIFY(bytesOf(path).endsWith("SUGR|20240306|0800|cgm|120|\n"));
}

void TstJournalFile::hardLinkKeepsTheOldJournal()
{
    // A change replaces the journal's name with a new file: another name
    // of the old file goes on holding the old journal.
    const QString path = dir.filePath("linked.journal");
    const QString other = dir.filePath("other-name.journal");
    put(path, "a\n");
    QCOMPARE(::link(QFile::encodeName(path).constData(), QFile::encodeName(other).constData()), 0);
    JournalFile file(path);
    QVERIFY(file.read());
    QVERIFY(file.append({ "b" }));
    QCOMPARE(bytesOf(path), "a\nb\n");
    QCOMPARE(bytesOf(other), "a\n");
}

void TstJournalFile::linksLeadToTheFileWritten_data()
{
    QTest::addColumn<QByteArrayList>("links"); // each a link to the next, the last to the file
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("refused");
    QTest::newRow("a link") << QByteArrayList { "one.journal" } << QByteArray("file.journal") << "";
    QTest::newRow("a link to a link, in another folder")
        << QByteArrayList { "two.journal", "sub/../sub/next.journal" }
        << QByteArray("../kept.journal") << "";
    QTest::newRow("a link to a name not UTF-8")
        << QByteArrayList { "bad.journal" } << QByteArray("j\xff\xfe.journal")
        << "Links to \"%1/j\\xff\\xfe.journal\", a name that is not UTF-8 (names are taken as "
           "UTF-8)";
    QTest::newRow("links in a circle")
        << QByteArrayList { "round.journal", "again.journal" } << QByteArray("round.journal")
        << "Too many levels of symbolic links";
}

void TstJournalFile::linksLeadToTheFileWritten()
{
    QFETCH(QByteArrayList, links);
    QFETCH(QByteArray, file);
    QFETCH(QString, refused);
    QTemporaryDir here;
    refused.replace("%1", here.path());
    QVERIFY(QDir(here.path()).mkpath("sub"));
    const QByteArray folder = QFile::encodeName(here.path()) + '/';
    // Each link's name is relative to the folder of the link before.
    QByteArrayList made;
    QByteArray at = folder + links[0];
    for (qsizetype i = 0; i < links.size(); ++i) {
        const QByteArray to = i + 1 < links.size() ? links[i + 1] : file;
        QCOMPARE(::symlink(to.constData(), at.constData()), 0);
        made << at;
        at = at.left(at.lastIndexOf('/') + 1) + to;
    }
    const bool circle = file == links[0];
    if (!circle) {
        const int fd = ::open(at.constData(), O_WRONLY | O_CREAT, 0644);
        QVERIFY(fd >= 0 && ::write(fd, "a\n", 2) == 2);
        ::close(fd);
    }
    const QStringList before = QDir(here.path()).entryList(QDir::AllEntries | QDir::System);
    const QString path = here.filePath(QString::fromUtf8(links[0]));
    JournalFile journal(path);
    QCOMPARE(journal.read(), !circle);
    QCOMPARE(journal.append({ "b" }), refused.isEmpty());
    QCOMPARE(journal.errorString(), refused);
    QCOMPARE(journal.whyNotWritable(), refused);
    QString error;
    QCOMPARE(RegularFile::save(path, "c\n", &error), refused.isEmpty());
    QCOMPARE(error, refused);
    // Written through the links, which stay links; nothing written beside them.
    QCOMPARE(QDir(here.path()).entryList(QDir::AllEntries | QDir::System), before);
    for (const QByteArray &link : made) {
        struct stat status = {};
        QVERIFY(::lstat(link.constData(), &status) == 0 && S_ISLNK(status.st_mode));
    }
    if (!circle) {
        char got[8] = {};
        const int fd = ::open(at.constData(), O_RDONLY);
        QVERIFY(fd >= 0);
        const ssize_t n = ::read(fd, got, sizeof got);
        ::close(fd);
        QCOMPARE(QByteArray(got, n), refused.isEmpty() ? "c\n" : "a\n");
        // QTemporaryDir would not find a name that is not UTF-8.
        QCOMPARE(::unlink(at.constData()), 0);
    }
}

void TstJournalFile::currentFolderNotUtf8()
{
    // Qt writes by full names, made from the current folder's name.
    QTemporaryDir here;
    const QByteArray folder = QFile::encodeName(here.path()) + "/d\xff";
    QCOMPARE(::mkdir(folder.constData(), 0755), 0);
    char was[4096];
    QVERIFY(::getcwd(was, sizeof was));
    QCOMPARE(::chdir(folder.constData()), 0);
    const auto back = qScopeGuard([&] {
        QCOMPARE(::unlink("j.journal"), 0);
        QCOMPARE(::chdir(was), 0);
        QCOMPARE(::rmdir(folder.constData()), 0);
    });
    put("j.journal", "a\n");
    JournalFile journal("j.journal");
    QVERIFY(journal.read());
    const QString refused = "The current folder, \"" + here.path()
        + "/d\\xff\", has a name that is not UTF-8 (names are taken as UTF-8)";
    QCOMPARE(journal.whyNotWritable(), refused);
    QVERIFY(!journal.append({ "b" }));
    QCOMPARE(journal.errorString(), refused);
    QCOMPARE(bytesOf("j.journal"), "a\n");
    QCOMPARE(QDir(".").entryList(QDir::Files), QStringList { "j.journal" });
}

void TstJournalFile::onlyRegularFilesAreRead_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("a FIFO") << dir.filePath("fifo.journal");
    QTest::newRow("a device that never ends") << "/dev/zero";
}

void TstJournalFile::onlyRegularFilesAreRead()
{
    QFETCH(QString, path);
    if (path.endsWith("fifo.journal") && !QFileInfo::exists(path))
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    // None of these waits for a writer or reads without end.
    JournalFile file(path);
    QVERIFY(!file.read());
    QCOMPARE(file.errorString(), "Not a regular file");
    QVERIFY(!file.scan([](int, QByteArrayView) {}));
    QCOMPARE(file.errorString(), "Not a regular file");
    QCOMPARE(file.whyNotWritable(), "Not a regular file");
    QVERIFY(!file.append({ "a" }));
    QCOMPARE(file.errorString(), "Not a regular file");
    QVERIFY(!QFileInfo(path).isFile());
    QByteArray bytes;
    QString why;
    QVERIFY(!RegularFile::readAll(path, 1 << 20, &bytes, &why));
    QCOMPARE(why, "Not a regular file");
}

void TstJournalFile::missingFolderAndNoInodes()
{
    const QString missing = dir.filePath("no-such-folder");
    JournalFile lost(missing + "/j.journal");
    QVERIFY(!lost.append({ "a" }));
    QCOMPARE(lost.errorString(), "The folder " + missing + " does not exist");

    const QString folder = dir.filePath("few-inodes");
    const QString why = fulldisk::mountSmall(folder, 256, mountsAllowed, 16);
    if (!why.isEmpty())
        QSKIP(qPrintable(why));
    const auto unmount = qScopeGuard([&] { fulldisk::unmount(folder); });
    const QString path = folder + "/j.journal";
    put(path, "a\n");
    for (int i = 0; QFile(folder + QStringLiteral("/%1").arg(i)).open(QIODevice::WriteOnly); ++i) {
    }
    JournalFile file(path);
    QVERIFY(file.read());
    QVERIFY(!file.append({ "b" }));
    QCOMPARE(file.errorString(), "No space left on device: no free inodes");
    QCOMPARE(bytesOf(path), "a\n");
}

void TstJournalFile::unnamedLocksAreStale_data()
{
    QTest::addColumn<QByteArray>("lock");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("garbage") << QByteArray("\x01\x02 not a lock\n");
    QTest::newRow("process 0") << QByteArray("0\ntst_journalfile\nhost\n");
    QTest::newRow("a process that has ended") << QByteArray::number(endedProcess())
            + "\ntst_journalfile\n" + QSysInfo::machineHostName().toUtf8() + "\n";
}

void TstJournalFile::unnamedLocksAreStale()
{
    QFETCH(QByteArray, lock);
    const QString path = dir.filePath("stale.journal");
    put(path, "a\n");
    put(path + ".lock", lock);
    // Taken over within a second, not after Qt's 30.
    JournalFile file(path);
    QVERIFY2(file.lock(1000), qPrintable(file.errorString()));
    QVERIFY(file.read());
    QVERIFY(file.append({ "b" }));
    QCOMPARE(bytesOf(path), "a\nb\n");
}

void TstJournalFile::waitsForALiveWriter()
{
    const QString path = dir.filePath("waits.journal");
    put(path, "a\n");
    QProcess holder;
    holder.start(QCoreApplication::applicationFilePath(), { "--hold", path + ".lock", "600" });
    QVERIFY(holder.waitForReadyRead(30000));
    // Older than Qt's stale time of 30 s, while its writer lives on: it holds.
    QFile lock(path + ".lock");
    QVERIFY(lock.open(QIODevice::ReadWrite));
    QVERIFY(lock.setFileTime(
        QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    lock.close();
    JournalFile impatient(path);
    QVERIFY(!impatient.lock(200));
    QCOMPARE(impatient.errorString(),
        QStringLiteral("Another program (tst_journalfile, process %1) is writing the journal; gave "
                       "up after 0 s")
            .arg(holder.processId()));
    // The holder lets go while this one waits.
    JournalFile patient(path);
    QVERIFY2(patient.lock(30000), qPrintable(patient.errorString()));
    QVERIFY(holder.waitForFinished());
    QVERIFY(patient.read());
    QVERIFY(patient.append({ "b" }));
    QCOMPARE(bytesOf(path), "a\nb\n");
}

void TstJournalFile::lockPathThatIsNoFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("said");
    QTest::newRow("a FIFO, which blocks a reader") << "fifo"
                                                   << "a FIFO";
    QTest::newRow("a link to /dev/zero, which never ends") << "zero"
                                                           << "a link";
    QTest::newRow("a link to a lock file") << "link"
                                           << "a link";
    QTest::newRow("a folder") << "folder"
                              << "a folder";
    QTest::newRow("a FIFO beside it, for the removal of a stale lock") << "rmlock"
                                                                       << "a FIFO";
}

void TstJournalFile::lockPathThatIsNoFile()
{
    QFETCH(QString, kind);
    QFETCH(QString, said);
    const QString path = dir.filePath(kind + "-lock.journal");
    put(path, "a\n");
    const QString lock = path + (kind == "rmlock" ? ".lock.rmlock" : ".lock");
    const QByteArray native = QFile::encodeName(lock);
    if (kind == "fifo" || kind == "rmlock")
        QCOMPARE(::mkfifo(native.constData(), 0600), 0);
    else if (kind == "zero")
        QCOMPARE(::symlink("/dev/zero", native.constData()), 0);
    else if (kind == "link")
        QVERIFY(QFile::link(dir.filePath("stale.journal.lock"), lock));
    else
        QVERIFY(QDir().mkpath(lock));
    if (kind == "rmlock") // a stale lock, whose removal Qt guards by the file beside it
        put(path + ".lock",
            QByteArray::number(endedProcess()) + "\ntst_journalfile\n"
                + QSysInfo::machineHostName().toUtf8() + "\n");
    // Refused at once: no wait, no read of what is there.
    JournalFile file(path);
    QVERIFY(!file.lock(60000));
    QCOMPARE(file.errorString(),
        "Cannot lock the journal: " + lock + " is " + said + ", not a lock file");
    QVERIFY(file.read());
    QVERIFY(!file.append({ "b" }));
    QCOMPARE(file.errorString(),
        "Cannot lock the journal: " + lock + " is " + said + ", not a lock file");
    QCOMPARE(bytesOf(path), "a\n");
}

void TstJournalFile::appendsWithoutTheLockAreKept()
{
    // A program appends lines without the lock while changes are written
    // under it: a change that would write over one of them is refused.
    const QString path = dir.filePath("unlocked.journal");
    put(path, fulldisk::journalOf(256 << 10));
    QProcess appender;
    appender.start(QCoreApplication::applicationFilePath(), { "--append", path, "150" });
    QVERIFY(appender.waitForReadyRead(30000));
    QStringList written;
    for (int i = 0; appender.state() == QProcess::Running && i < 400; ++i) {
        JournalFile file(path);
        QVERIFY(file.lock(30000));
        QVERIFY(file.read());
        const QString line = QStringLiteral("SUGR|20240401|0800|locked|%1|").arg(100 + i);
        if (file.append({ line }))
            written << line;
        else
            QVERIFY2(file.wasChanged(), qPrintable(file.errorString()));
    }
    QVERIFY(appender.waitForFinished(60000));
    QCOMPARE(appender.exitCode(), 0);
    const QByteArray now = bytesOf(path);
    for (int i = 0; i < 150; ++i)
        QVERIFY2(now.contains(QStringLiteral("|unlocked|%1|\n").arg(i).toUtf8()),
            qPrintable(QString::number(i)));
    for (const QString &line : written)
        QVERIFY(now.contains((line + u'\n').toUtf8()));
    qInfo("%lld changes under the lock written between the appends", qlonglong(written.size()));
    QVERIFY(!written.isEmpty());
}

void TstJournalFile::problems_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("problem");
    QTest::newRow("sound") << "SUGR|20240101|0800|cgm|100|" << "";
    QTest::newRow("unknown type code") << "WEIGHT|20240101|0800|80" << "unknown type code";
    QTest::newRow("impossible date") << "SUGR|20240230|0800|cgm|100|" << "impossible date";
    QTest::newRow("a year below 1") << "SUGR|-0011231|0800|cgm|100|"
                                    << "impossible date";
    QTest::newRow("a time typed by hand") << "SUGR|20240101|7:05|cgm|100|"
                                          << "";
    QTest::newRow("a time with a colon that is none") << "SUGR|20240101|7:5|cgm|100|"
                                                      << "impossible time";
    QTest::newRow("impossible time") << "SUGR|20240101|2460|cgm|100|" << "impossible time";
    QTest::newRow("value not a whole number") << "SUGR|20240101|0800|cgm|5.6|"
                                              << "value not a whole number";
}

void TstJournalFile::problems()
{
    QFETCH(QString, line);
    QFETCH(QString, problem);
    const std::unique_ptr<JournalEntry> entry(JournalEntry::decode(line));
    QCOMPARE(JournalFile::problem(entry.get()), problem);
}

void TstJournalFile::killedWriterLeavesWholeImports()
{
    const QString path = dir.filePath("killed.journal");
    put(path, "SUGR|20240101|0700|cgm|99|first\n");
    const QByteArray first = bytesOf(path);
    // The sanitized build looks for memory faults, not for rare timings.
#ifdef SANITIZED_BUILD
    constexpr int runs = 50;
#else
    constexpr int runs = 200;
#endif
    int kills = 0;
    for (; kills < runs; ++kills) {
        QProcess writer;
        writer.start(QCoreApplication::applicationFilePath(), { "--writer", path });
        QVERIFY(writer.waitForReadyRead(30000));
        QTest::qWait(int(QRandomGenerator::global()->bounded(30)));
        writer.kill();
        QVERIFY(writer.waitForFinished());

        // Only whole lines, and every import whole.
        const QByteArray now = bytesOf(path);
        QVERIFY(now.startsWith(first));
        QVERIFY(now.endsWith('\n'));
        QHash<QByteArray, int> importLines;
        for (const QByteArray &line : now.sliced(first.size()).split('\n')) {
            if (line.isEmpty())
                continue;
            QVERIFY2(line.startsWith("SUGR|20240101|0800|cgm|") && line.endsWith(QByteArray(200, 'x')),
                line.constData());
            const qsizetype from = line.indexOf("|import ");
            ++importLines[line.mid(from, line.indexOf(" line ") - from)];
        }
        for (auto it = importLines.cbegin(); it != importLines.cend(); ++it)
            QVERIFY2(it.value() == 40, it.key().constData());
    }
    // The writers got imports in between the kills.
    const qsizetype imported = bytesOf(path).count('\n') - 1;
    qInfo("%lld lines imported in between the kills", qlonglong(imported));
    QVERIFY(imported >= 40);
}

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--writer") == 0) {
        QCoreApplication app(argc, argv);
        return runWriter(QString::fromLocal8Bit(argv[2]));
    }
    if (argc == 4 && qstrcmp(argv[1], "--hold") == 0)
        return runHolder(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
    if (argc == 4 && qstrcmp(argv[1], "--append") == 0)
        return runAppender(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
    if (argc == 5 && qstrcmp(argv[1], "--change") == 0) {
        QCoreApplication app(argc, argv);
        return runChange(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
            QByteArray(argv[4]).toLongLong());
    }
    // Before any thread starts: mounts made in the test go with its process.
    const bool mounts = fulldisk::privateMounts();
    QCoreApplication app(argc, argv);
    TstJournalFile test;
    test.mountsAllowed = mounts;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_journalfile.moc"
