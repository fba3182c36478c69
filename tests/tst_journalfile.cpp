// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "JournalFile.h"
#include "SugarEntry.h"
#include "fulldisk.h"

#include <QCoreApplication>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <memory>
#include <sys/resource.h>

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
    for (int i = 0; i < lines.size(); ++i)
        QCOMPARE(file.lineText(i + 1), lines[i]);
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
}

void TstJournalFile::changesKeepOtherBytes()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, change);
    QFETCH(int, line);
    QFETCH(QByteArray, after);
    const QString path = dir.filePath("change.journal");
    put(path, before);
    JournalFile file(path);
    QVERIFY(file.read());
    const bool done = change == "replace" ? file.replace(line, "NEW")
        : change == "remove"              ? file.remove(line)
        : change == "insert"              ? file.insert(line, "NEW")
                                          : file.append({ "NEW", "NEW" });
    QVERIFY2(done, qPrintable(file.errorString()));
    QCOMPARE(bytesOf(path), after);
    // What it holds is what it wrote: a second change needs no reload.
    QVERIFY(file.isCurrent());
    QVERIFY(file.append({ "MORE" }));
    QVERIFY(bytesOf(path).startsWith(after));
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
    QCOMPARE(bytesOf(path), "\xef\xbb\xbf" "FIRST" + bytes.sliced(3 + lines[0].size()));
    QVERIFY(file.isCurrent());
    put(path, "other\n");
    QVERIFY(!file.isCurrent());
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
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("change");
    // Around the 16 KiB that a buffered file holds before it writes.
    const int sizes[] = { 1024, 4096, 16383, 16384, 16500, 65536 };
    for (const int kind : { fulldisk::FileSizeLimit, fulldisk::SmallFileSystem }) {
        for (const int size : sizes) {
            for (const char *change : { "add", "import", "edit", "delete", "insert" }) {
                QTest::addRow("%s, %d bytes, %s",
                    kind == fulldisk::FileSizeLimit ? "size limit" : "tmpfs", size, change)
                    << kind << size << QString::fromLatin1(change);
            }
        }
    }
}

void TstJournalFile::diskFullLeavesTheFile()
{
    QFETCH(int, kind);
    QFETCH(int, size);
    QFETCH(QString, change);
    const QString folder
        = dir.filePath(QStringLiteral("full-%1-%2-%3").arg(kind).arg(size).arg(change));
    QVERIFY(QDir().mkpath(folder));
    if (kind == fulldisk::SmallFileSystem) {
        const QString why = fulldisk::mountSmall(folder, 256, mountsAllowed);
        if (!why.isEmpty())
            QSKIP(qPrintable(why));
    }
    const auto unmount = qScopeGuard([&] {
        if (kind == fulldisk::SmallFileSystem)
            fulldisk::unmount(folder);
    });
    const QString path = folder + "/full.journal";
    const QByteArray before = fulldisk::journalOf(size);
    put(path, before);
    // Half the journal's size is left: no change of one line fits.
    qint64 limit = 0;
    if (kind == fulldisk::SmallFileSystem)
        QVERIFY(fulldisk::fill(folder, before.size() / 2));
    else
        limit = before.size() / 2;

    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
        { "--change", change, path, QString::number(limit) });
    QVERIFY(child.waitForFinished(30000));
    const QString said = QString::fromUtf8(child.readAllStandardOutput()).trimmed();
    QCOMPARE(child.exitCode(), 3);
    QCOMPARE(said, kind == fulldisk::FileSizeLimit ? "File too large" : "No space left on device");
    QCOMPARE(bytesOf(path), before);
    QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    left.removeAll("filler");
    QCOMPARE(left, QStringList { "full.journal" });
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

void TstJournalFile::problems_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("problem");
    QTest::newRow("sound") << "SUGR|20240101|0800|cgm|100|" << "";
    QTest::newRow("unknown type code") << "WEIGHT|20240101|0800|80" << "unknown type code";
    QTest::newRow("impossible date") << "SUGR|20240230|0800|cgm|100|" << "impossible date";
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
