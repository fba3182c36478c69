// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "JournalTool.h"
#include "JournalTypes.h"

#include <QGuiApplication>

#include <cstring>
#include <memory>

int main(int argc, char **argv)
{
    JournalTypes::registerAll();
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
    QTextStream out(stdout);
    QTextStream err(stderr);
    return JournalTool(out, err).run(QCoreApplication::arguments());
}
