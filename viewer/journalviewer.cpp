// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BlockPool.h"
#include "CommandLine.h"
#include "JournalTypes.h"
#include "JournalWindow.h"
#include "QPEApplication.h"
#include "Translation.h"

#include <QCommandLineParser>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// --help and --version print and quit, so they must work without a display.
bool onlyPrints(int argc, char **argv)
{
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (!std::strcmp(argv[i], "-grab") || !std::strcmp(argv[i], "--grab")) {
            ++i; // its value is a file name, whatever it looks like
            continue;
        }
        const char *name = argv[i];
        for (int dash = 0; dash < 2 && *name == '-'; ++dash)
            ++name;
        if (name == argv[i])
            continue;
        for (const char *option : { "h", "help", "help-all", "v", "version" }) {
            if (!std::strcmp(name, option))
                return true;
        }
    }
    return false;
}

// Whether anything names a display to open the window on.
bool namesDisplay(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "-platform") || !std::strcmp(argv[i], "--platform"))
            return true;
    }
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")
        || !qEnvironmentVariableIsEmpty("DISPLAY")
        || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace

int main(int argc, char **argv)
{
    JournalTypes::registerAll();
    const QString undecodable = CommandLine::undecodable(argc, argv);
    if (!undecodable.isEmpty()) {
        std::fprintf(stderr, "journal-viewer: \"%s\" is not UTF-8: file names are taken as UTF-8\n",
            qPrintable(undecodable));
        return 2;
    }
    CommandLine::prepare();
    // Where the settings and the user's own journal are kept.
    QCoreApplication::setOrganizationName(QStringLiteral("healthjournal"));
    QCoreApplication::setApplicationName(QStringLiteral("journal-viewer"));
    QCoreApplication::setApplicationVersion(QStringLiteral(HEALTHJOURNAL_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.healthjournal.JournalViewer"));
    // Without a display, or one that cannot be opened, the options are
    // still read, and told of.
    const bool display = namesDisplay(argc, argv);
    if (!display || onlyPrints(argc, argv))
        qputenv("QT_QPA_PLATFORM", "minimal");
    QPEApplication::allowNoDisplay(argc, argv);

    // Qt's own options and -grab leave the argument list here.
    QPEApplication app(argc, argv, QPEApplication::GuiClient);
    Translation::install();

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows and edits a journal of blood sugar readings, day by day."));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({ QStringLiteral("grab"),
        QStringLiteral("Saves a PNG of the window to <file> once it is painted, and quits."),
        QStringLiteral("file") });
    parser.addOption({ QStringLiteral("unit"),
        QStringLiteral("Shows values in <unit>: mg/dL (the default) or mmol/L."),
        QStringLiteral("unit"), QStringLiteral("mg/dL") });
    parser.addPositionalArgument(QStringLiteral("journal"),
        QStringLiteral("The journal to show, by default %1.").arg(JournalWindow::defaultJournal()),
        QStringLiteral("[journal]"));
    if (!parser.parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "journal-viewer: %s\nTry 'journal-viewer --help' for more.\n",
            qPrintable(CommandLine::printable(parser.errorText())));
        return 2;
    }
    // Prints help or version and exits, if asked to.
    parser.process(QCoreApplication::arguments());

    GlucoseUnit::Unit unit = GlucoseUnit::MgPerDl;
    if (!GlucoseUnit::parse(parser.value(QStringLiteral("unit")), &unit)) {
        std::fprintf(stderr, "journal-viewer: the unit is mg/dL or mmol/L, not \"%s\"\n",
            qPrintable(CommandLine::printable(parser.value(QStringLiteral("unit")))));
        return 2;
    }
    if (!display || !app.hasDisplay()) {
        const QByteArray x = qgetenv("DISPLAY");
        const QByteArray why = !display ? QByteArray("DISPLAY is not set")
            : x.isEmpty()               ? QByteArray("the display cannot be opened")
                                        : "the display \"" + x + "\" cannot be opened";
        std::fprintf(stderr,
            "journal-viewer: no display to show the window on: %s "
            "(QT_QPA_PLATFORM=offscreen draws it offscreen)\n",
            qPrintable(CommandLine::printable(QString::fromLocal8Bit(why))));
        return 1;
    }
    const QString path = parser.positionalArguments().value(0, JournalWindow::defaultJournal());
    // The window holds the list, read before anything is shown.
    auto mainWindow = std::make_unique<JournalWindow>(path);
    mainWindow->setUnit(unit);
    // Not maximised: the window keeps the size it was closed with, or takes
    // its own, which a display without a window manager would not change.
    app.showMainWidget(mainWindow.get(), true);
    mainWindow->show();
    const int status = app.exec();
    // Once closed, the window goes with the process: freeing a million rows
    // one by one would keep the process alive for longer than its window.
    // Everything is freed where leak checkers watch.
    if (BlockPool::holdsBlocks())
        static_cast<void>(mainWindow.release());
    return status;
}
