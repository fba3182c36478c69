// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString defaultJournal = QStringLiteral("/home/root/Applications/kestrin/journal.txt");

struct Run
{
    int exitCode = -1;
    QString output;
    QString errors;
    QImage picture;
};

} // namespace

// The viewer program as a person starts it, offscreen, seen through -grab.
class TstViewerProgram : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void grabShowsTheJournal();
    void unwritablePicture();
    void journalPath_data();
    void journalPath();
    void defaultPath();
    void usersJournalByDefault();
    void windowSize_data();
    void windowSize();
    void commandLine_data();
    void commandLine();
    void manPageNamesEveryOption();
    void journalNameNotUtf8();
    void runtimeFolderOfOthers_data();
    void runtimeFolderOfOthers();

private:
    Run run(QStringList arguments, const QProcessEnvironment &environment = {});
    QString writeJournal(const QString &name, const QByteArray &text);
    QTemporaryDir dir;
    int pictures = 0;
};

void TstViewerProgram::initTestCase()
{
    QVERIFY(dir.isValid());
}

Run TstViewerProgram::run(QStringList arguments, const QProcessEnvironment &environment)
{
    const QString picture = dir.filePath(QString::number(++pictures) + ".png");
    if (!arguments.contains("-grab"))
        arguments << "-grab" << picture;
    QProcess viewer;
    QProcessEnvironment chosen
        = environment.isEmpty() ? QProcessEnvironment::systemEnvironment() : environment;
    // The journals it opens are remembered in the test's settings.
    if (!environment.contains("XDG_CONFIG_HOME"))
        chosen.insert("XDG_CONFIG_HOME", dir.filePath("config"));
    viewer.setProcessEnvironment(chosen);
    viewer.start(VIEWER, arguments);
    if (!viewer.waitForFinished(60000))
        qFatal("the viewer did not end: %s", qPrintable(arguments.join(' ')));
    Run result;
    result.exitCode = viewer.exitStatus() == QProcess::NormalExit ? viewer.exitCode() : -1;
    result.output = QString::fromLocal8Bit(viewer.readAllStandardOutput());
    result.errors = QString::fromLocal8Bit(viewer.readAllStandardError());
    result.picture = QImage(picture);
    return result;
}

QString TstViewerProgram::writeJournal(const QString &name, const QByteArray &text)
{
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        qFatal("cannot write %s", qPrintable(file.fileName()));
    return file.fileName();
}

void TstViewerProgram::grabShowsTheJournal()
{
    const Run shown = run({ SAMPLE });
    QCOMPARE(shown.exitCode, 0);
    QVERIFY(!shown.picture.isNull());
    // The caption names the journal.
    QCOMPARE(shown.picture.text("Title"), QStringLiteral(u"journal.txt — Health Journal"));

    // Date headers are black bands across the window.
    int blackRows = 0;
    const int x = 20; // in the list, left of the statistics
    for (int y = 0; y < shown.picture.height(); ++y)
        blackRows += shown.picture.pixelColor(x, y) == Qt::black;
    QVERIFY2(blackRows > 50, qPrintable(QString::number(blackRows)));

    const Run empty = run({ writeJournal("empty.txt", "") });
    QCOMPARE(empty.exitCode, 0);
    QCOMPARE(empty.picture.text("Title"), QStringLiteral(u"empty.txt — Health Journal"));
    QVERIFY(empty.picture != shown.picture);
}

void TstViewerProgram::unwritablePicture()
{
    const QString target = dir.filePath("no/such/folder/x.png");
    const Run failed = run({ SAMPLE, "-grab", target });
    QCOMPARE(failed.exitCode, 1);
    const QStringList lines = failed.errors.split('\n', Qt::SkipEmptyParts).filter(target);
    QCOMPARE(lines.size(), 1);
}

void TstViewerProgram::journalPath_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("shown");
    QTest::newRow("first of several") << QStringList { "@a", "@b" } << "@a";
    QTest::newRow("second of several is ignored") << QStringList { "@b", "@a" } << "@b";
    QTest::newRow("Qt's own options come out first")
        << QStringList { "-platform", "offscreen", "@a" } << "@a";
    QTest::newRow("grab option before the path")
        << QStringList { "-grab", "@picture", "@b" } << "@b";
}

void TstViewerProgram::journalPath()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, shown);

    const QString a = writeJournal("a.txt", "SUGR|20240305|0700|a|1|\n");
    const QString b = writeJournal("b.txt", "SUGR|20240306|0700|b|2|\nSUGR|20240307|0700|b|3|\n");
    const QString picture = dir.filePath("chosen.png");
    const auto resolve = [&](const QString &arg) {
        return arg == "@a" ? a : arg == "@b" ? b : arg == "@picture" ? picture : arg;
    };
    for (QString &arg : arguments)
        arg = resolve(arg);

    const Run expected = run({ resolve(shown) });
    const Run other = run({ resolve(shown) == a ? b : a });
    QVERIFY(expected.picture != other.picture);

    Run chosen = run(arguments);
    QCOMPARE(chosen.exitCode, 0);
    if (chosen.picture.isNull())
        chosen.picture = QImage(picture);
    QVERIFY(chosen.picture == expected.picture);
}

void TstViewerProgram::defaultPath()
{
    // Uses the journal at the default place when there is one, and otherwise
    // puts one there for the test and takes it away again.
    const bool existed = QFile::exists(defaultJournal);
    QStringList made;
    if (!existed) {
        QDir folder("/");
        for (const QString &part : defaultJournal.section('/', 1, -2).split('/')) {
            if (!folder.exists(part)) {
                if (!folder.mkdir(part))
                    QSKIP("cannot make the default journal's folder here");
                made.prepend(folder.filePath(part));
            }
            folder.cd(part);
        }
        QFile journal(defaultJournal);
        if (!journal.open(QIODevice::WriteOnly))
            QSKIP("cannot write the default journal here");
        journal.write("SUGR|20240305|0700|default|7|\n");
    }
    const auto cleanup = qScopeGuard([&] {
        if (!existed)
            QFile::remove(defaultJournal);
        for (const QString &folder : std::as_const(made))
            QDir().rmdir(folder);
    });

    const Run byDefault = run({});
    const Run named = run({ defaultJournal });
    const Run empty = run({ writeJournal("none.txt", "") });
    QCOMPARE(byDefault.exitCode, 0);
    QVERIFY(byDefault.picture == named.picture);
    QVERIFY(byDefault.picture != empty.picture);
}

void TstViewerProgram::usersJournalByDefault()
{
    if (QFileInfo(defaultJournal).dir().exists())
        QSKIP("the handheld's journal folder is here: it is the default");
    // Without the handheld's folder, the user's own journal.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_DATA_HOME", dir.filePath("data"));
    const QString folder = dir.filePath("data/healthjournal/journal-viewer");
    const Run none = run({}, environment);
    QCOMPARE(none.exitCode, 0);
    QCOMPARE(none.picture.text("Title"), QStringLiteral(u"journal.txt — Health Journal"));
    // Its folder is made by the first entry, not by a look.
    QVERIFY(!QFileInfo::exists(folder));

    QVERIFY(QDir().mkpath(folder));
    QFile journal(folder + "/journal.txt");
    QVERIFY(journal.open(QIODevice::WriteOnly));
    journal.write("SUGR|20240305|0700|own|7|\n");
    journal.close();
    const Run byDefault = run({}, environment);
    const Run named = run({ journal.fileName() }, environment);
    QCOMPARE(byDefault.exitCode, 0);
    QVERIFY(byDefault.picture == named.picture);
    QVERIFY(byDefault.picture != none.picture);
}

void TstViewerProgram::windowSize_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QSize>("window");
    QTest::newRow("full HD") << QSize(1920, 1080) << QSize(1280, 720);
    QTest::newRow("never beyond a small screen") << QSize(800, 600) << QSize(800, 600);
}

void TstViewerProgram::windowSize()
{
    QFETCH(QSize, screen);
    QFETCH(QSize, window);
    // A screen of that size, and no window manager to change the window's.
    const QString config = dir.filePath("screen.json");
    QFile file(config);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QStringLiteral("{ \"screens\": [ { \"name\": \"s\", \"x\": 0, \"y\": 0, "
                              "\"width\": %1, \"height\": %2, \"logicalDpi\": 96, "
                              "\"logicalBaseDpi\": 96, \"dpr\": 1 } ] }")
                   .arg(screen.width())
                   .arg(screen.height())
                   .toUtf8());
    file.close();
    const Run shown = run({ "-platform", "offscreen:configfile=" + config, SAMPLE });
    QCOMPARE(shown.exitCode, 0);
    QCOMPARE(shown.picture.size(), window);
}

void TstViewerProgram::journalNameNotUtf8()
{
    // QProcess would encode the name as UTF-8: the shell gives the bytes.
    QProcess viewer;
    viewer.setWorkingDirectory(dir.path());
    viewer.start("/bin/sh", { "-c", "exec \"$0\" \"$(printf 'j\\377\\376.txt')\"", VIEWER });
    QVERIFY(viewer.waitForFinished(30000));
    QCOMPARE(viewer.exitCode(), 2);
    QCOMPARE(viewer.readAllStandardError(),
        "journal-viewer: \"j\\xff\\xfe.txt\" is not UTF-8: file names are taken as UTF-8\n");
    QVERIFY(QDir(dir.path()).entryList({ "j*.txt" }).isEmpty());
}

void TstViewerProgram::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("display"); // offscreen, none, or an X display no server serves
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("error");

    const QString usage = "Usage: " VIEWER " [options] [journal]";
    const QString version = "journal-viewer " VERSION "\n";
    const QString unknown = "journal-viewer: Unknown option 'bogus'.";
    const QString noDisplay = "journal-viewer: no display to show the window on: %1 "
                              "(QT_QPA_PLATFORM=offscreen draws it offscreen)";
    const QString offscreen = "offscreen";
    const QString none;
    const QString absent = ":99";
    QTest::newRow("help") << QStringList { "--help" } << offscreen << 0 << usage << "";
    QTest::newRow("short help") << QStringList { "-h" } << offscreen << 0 << usage << "";
    QTest::newRow("help without a display") << QStringList { "--help" } << none << 0 << usage << "";
    QTest::newRow("help with Qt's options")
        << QStringList { "--help-all" } << offscreen << 0 << usage << "";
    QTest::newRow("version") << QStringList { "--version" } << offscreen << 0 << version << "";
    QTest::newRow("version with one dash")
        << QStringList { "-version" } << offscreen << 0 << version << "";
    QTest::newRow("version without a display")
        << QStringList { "-v" } << none << 0 << version << "";
    QTest::newRow("version, the display not there")
        << QStringList { "--version" } << absent << 0 << version << "";
    QTest::newRow("help after a journal")
        << QStringList { SAMPLE, "--help" } << offscreen << 0 << usage << "";
    QTest::newRow("unknown option") << QStringList { "--bogus" } << offscreen << 2 << "" << unknown;
    QTest::newRow("unknown option after a journal")
        << QStringList { SAMPLE, "-bogus" } << offscreen << 2 << "" << unknown;
    QTest::newRow("grab without a file") << QStringList { SAMPLE, "-grab" } << offscreen << 2 << ""
                                         << "journal-viewer: Missing value after '-grab'.";
    QTest::newRow("unknown option without a display")
        << QStringList { "--bogus" } << none << 2 << "" << unknown;
    QTest::newRow("unknown option, the display not there")
        << QStringList { "--bogus" } << absent << 2 << "" << unknown;
    QTest::newRow("a journal without a display")
        << QStringList { SAMPLE } << none << 1 << "" << noDisplay.arg("DISPLAY is not set");
    QTest::newRow("a journal, the display not there")
        << QStringList { SAMPLE } << absent << 1 << ""
        << noDisplay.arg("the display \":99\" cannot be opened");
    QTest::newRow("Qt's option names a platform that cannot start") << QStringList { "-platform",
        "xcb", SAMPLE } << none << 1 << "" << noDisplay.arg("the display cannot be opened");
}

void TstViewerProgram::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, display);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    QFETCH(QString, error);

    // No session either: Qt must not warn of a missing runtime folder.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("XDG_RUNTIME_DIR");
    if (display != "offscreen") {
        for (const char *name :
            { "QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE" })
            environment.remove(name);
        if (!display.isEmpty())
            environment.insert("DISPLAY", display);
    }
    const Run printed = run(arguments, environment);
    QVERIFY2(!printed.errors.contains("QStandardPaths"), qPrintable(printed.errors));
    QCOMPARE(printed.exitCode, exitCode);
    if (output.isEmpty())
        QVERIFY2(printed.output.isEmpty(), qPrintable(printed.output));
    else
        QVERIFY2(printed.output.startsWith(output), qPrintable(printed.output));
    if (!error.isEmpty())
        QVERIFY2(printed.errors.split('\n').contains(error), qPrintable(printed.errors));
    // Printing or refusing, the viewer opens no window.
    QVERIFY(printed.picture.isNull());
    // A refusal says what is wrong in its own words, without Qt's account
    // of the platforms it tried.
    for (const QString &line : printed.errors.split('\n', Qt::SkipEmptyParts)) {
        if (exitCode != 0)
            QVERIFY2(line.startsWith("journal-viewer: ") || line.startsWith("Try "),
                qPrintable(printed.errors));
    }
}

void TstViewerProgram::manPageNamesEveryOption()
{
    QFile page(MANPAGE);
    QVERIFY(page.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(page.readAll()).replace("\\-", "-");
    QVERIFY(
        text.contains(".TH JOURNAL-VIEWER 1 ") && text.contains("\"Health Journal " VERSION "\""));

    const Run help = run({ "--help" });
    QCOMPARE(help.exitCode, 0);
    const QRegularExpression option(
        "^  (?:-\\w, )?--?([\\w-]+)", QRegularExpression::MultilineOption);
    QStringList names;
    for (const QRegularExpressionMatch &match : option.globalMatch(help.output))
        names << match.captured(1);
    QVERIFY2(names.size() >= 4, qPrintable(help.output));
    for (const QString &name : std::as_const(names))
        QVERIFY2(
            QRegularExpression("\\B--?" + name + "\\b").match(text).hasMatch(), qPrintable(name));
}

QTEST_GUILESS_MAIN(TstViewerProgram)
void TstViewerProgram::runtimeFolderOfOthers_data()
{
    QTest::addColumn<QString>("there"); // in the temporary folder before
    QTest::newRow("nothing") << "";
    QTest::newRow("a runtime folder that others may read") << "mode";
    QTest::newRow("a runtime folder of another user") << "owner";
}

void TstViewerProgram::runtimeFolderOfOthers()
{
    // Without a session, in a shared temporary folder where anyone may make
    // the runtime folder Qt falls back on: no warning, and nothing left.
    QFETCH(QString, there);
    if (there == "owner" && ::geteuid() != 0)
        QSKIP("only root makes a folder another user's");
    QTemporaryDir temporary;
    const QByteArray made
        = QFile::encodeName(temporary.path()) + "/runtime-" + ::getpwuid(::geteuid())->pw_name;
    if (!there.isEmpty()) {
        QCOMPARE(::mkdir(made.constData(), 0700), 0);
        QCOMPARE(::chmod(made.constData(), 0755), 0);
        if (there == "owner")
            QCOMPARE(::chown(made.constData(), 65534, 65534), 0);
    }
    const auto entries
        = [&] { return QDir(temporary.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot); };
    const QStringList before = entries();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("XDG_RUNTIME_DIR");
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("TMPDIR", temporary.path());
    const Run shown = run({ SAMPLE }, environment);
    QCOMPARE(shown.exitCode, 0);
    QVERIFY2(!shown.errors.contains("QStandardPaths"), qPrintable(shown.errors));
    QCOMPARE(entries(), before);
}

#include "tst_viewerprogram.moc"
