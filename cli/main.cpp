// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "CommandLine.h"
#include "JournalTool.h"
#include "JournalTypes.h"
#include "Translation.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstring>
#include <memory>

int main(int argc, char **argv)
{
    JournalTypes::registerAll();
    const QString undecodable = CommandLine::undecodable(argc, argv);
    if (!undecodable.isEmpty()) {
        std::fprintf(stderr,
            "journal-tool: \"%s\" is not UTF-8: file names and text are taken as UTF-8\n",
            qPrintable(undecodable));
        return 2;
    }
    CommandLine::prepare();
    // Only the report paints: it needs a Gui application, though no display.
    std::unique_ptr<QCoreApplication> app;
    if (argc > 1 && !std::strcmp(argv[1], "report")) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("journal-tool"));
    QCoreApplication::setApplicationVersion(QStringLiteral(HEALTHJOURNAL_VERSION));
    Translation::install();
    QTextStream out(stdout);
    QTextStream err(stderr);
    return JournalTool(out, err).run(QCoreApplication::arguments());
}
