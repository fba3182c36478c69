// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "JournalViewer.h"
#include "ListBoxEntryItem.h"
#include "SugarEntry.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

namespace {

const SugarEntry::MyFactory sugarFactory;

// A few good lines to put inside damaged files.
const QByteArray goodLines = "SUGR|20240305|0708|pre-lunch|104|fine\n"
                             "SUGR|20240306|2359|cgm|93|\n";

QByteArray randomBytes(int size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &b : bytes)
        b = char(random.bounded(256));
    bytes[0] = 'x'; // no byte-order mark by chance
    return bytes;
}

QByteArray utf16WithBom(const QByteArray &utf8)
{
    const QString text = QString::fromUtf8(utf8);
    QByteArray bytes("\xff\xfe");
    for (const QChar c : text)
        bytes += char(c.unicode() & 0xff) + QByteArray(1, char(c.unicode() >> 8));
    return bytes;
}

// The lines a reader sees, told apart without the library: lines end at a
// line feed, a carriage return before it goes, and the text is UTF-8 unless
// a UTF-16 byte-order mark says otherwise.
QStringList linesOf(const QByteArray &bytes)
{
    const bool utf16 = bytes.startsWith("\xff\xfe");
    QString text
        = utf16 ? QStringDecoder(QStringDecoder::Utf16LE)(bytes.mid(2)) : QString::fromUtf8(bytes);
    QStringList lines = text.split(u'\n');
    if (lines.last().isEmpty())
        lines.removeLast();
    for (QString &line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    return lines;
}

} // namespace

// Damaged, huge and foreign files: the viewer ends normally within a
// bounded time, leaves the file as it was, and shows every reading that the
// file still holds.
class TstHostileJournals : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void open_data();
    void open();

private:
    QTemporaryDir dir;
};

void TstHostileJournals::initTestCase()
{
    QVERIFY(dir.isValid());
}

void TstHostileJournals::open_data()
{
    QTest::addColumn<QByteArray>("bytes");

    // The sanitized build checks the same kinds at a tenth of the size: its
    // checks cost a hundred times the work they watch.
#ifdef SANITIZED_BUILD
    constexpr int scale = 10;
#else
    constexpr int scale = 1;
#endif
    QByteArray unregistered;
    for (int i = 0; i < 200000 / scale; ++i)
        unregistered += "NOTE|20240305|0700|a note of another type\n";
    QByteArray longLine = "SUGR|20240305|0700|";
    longLine += QByteArray("a|").repeated(10 * 1024 * 1024 / scale) + '\n' + goodLines;
    QByteArray binary = randomBytes((1 << 20) / scale, 42);
    binary.insert(1000, "\n" + goodLines);
    QByteArray crlf = goodLines;
    crlf.replace("\n", "\r\n");

    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("separators only") << QByteArray("|\n||||\n|||||||||||\n");
    QTest::newRow("many lines of an unregistered type") << unregistered;
    QTest::newRow("one very long line") << longLine;
    QTest::newRow("random bytes") << binary;
    QTest::newRow("NUL bytes inside lines")
        << QByteArray("SUGR|20240305|0700|c_gm|5|n_otes\n___\n").replace('_', '\0') + goodLines;
    QTest::newRow("invalid UTF-8")
        << QByteArray("SUGR|20240305|0700|\xff\xfe\xc0|5|\x80\xbf\n") + goodLines;
    QTest::newRow("UTF-16 with a byte-order mark")
        << utf16WithBom(goodLines + "SUGR|20240307|0800|\xc3\xa9t\xc3\xa9|5|\n");
    QTest::newRow("CRLF line ends") << crlf;
    QTest::newRow("no line end at the end") << goodLines + "SUGR|20240307|0800|cgm|77|last";
    QTest::newRow("truncated last line") << goodLines + "SUGR|2024030";
    QTest::newRow("impossible dates and times") << goodLines
            + "SUGR|19910631|0800|a|1|\nSUGR|20240305|5635|a|2|\nSUGR|20241301|18800|a|3|\n";
    QTest::newRow("value of 30 digits")
        << goodLines + "SUGR|20240305|0800|a|123456789012345678901234567890|\n";
    QTest::newRow("directory instead of a file") << QByteArray();
}

void TstHostileJournals::open()
{
    QFETCH(QByteArray, bytes);

    static int files = 0;
    QString path = dir.filePath(QString::number(++files) + ".journal");
    if (QByteArray(QTest::currentDataTag()).startsWith("directory")) {
        path = dir.filePath("folder");
        QVERIFY(QDir().mkpath(path));
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }
    const QDateTime modified = QFileInfo(path).lastModified();

    // The real program, as a person starts it.
    QProcess viewer;
    QElapsedTimer clock;
    clock.start();
    viewer.start(VIEWER, { path, "-grab", dir.filePath("picture.png") });
    QVERIFY2(viewer.waitForFinished(120000), "the viewer did not end within two minutes");
    QCOMPARE(viewer.exitStatus(), QProcess::NormalExit);
    QCOMPARE(viewer.exitCode(), 0);
    qDebug("%s: %lld ms", QTest::currentDataTag(), clock.elapsed());

    // The library, through the list window: one row for every line that
    // begins with the readings' type code.
    static const QRegularExpression reading(QStringLiteral("^\\|*SUGR(\\||$)"));
    int expected = 0;
    for (const QString &line : linesOf(bytes))
        expected += reading.match(line).hasMatch();
    JournalViewer list(path);
    list.reload();
    int shown = 0;
    for (int i = 0; i < list.count(); ++i)
        shown += dynamic_cast<const ListBoxEntryItem *>(list.item(i)) != nullptr;
    QCOMPARE(shown, expected);
    if (linesOf(bytes).contains("SUGR|20240305|0708|pre-lunch|104|fine"))
        QVERIFY(!list.findItems("07:08:00: Sugar = 104 (pre-lunch) [NOTE]", Qt::MatchExactly)
                     .isEmpty());

    // Neither reader changed the file.
    QCOMPARE(QFileInfo(path).lastModified(), modified);
    if (QFileInfo(path).isFile()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll() == bytes);
    }
}

QTEST_MAIN(TstHostileJournals)
#include "tst_hostilejournals.moc"
