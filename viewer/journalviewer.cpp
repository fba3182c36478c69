// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "JournalWindow.h"
#include "QPEApplication.h"
#include "SugarEntry.h"

int main(int argc, char **argv)
{
    // Registers the readings' type for the whole process; a static rather
    // than a heap object that is never freed, so leak checkers stay quiet.
    static const SugarEntry::MyFactory sugarFactory;

    QPEApplication app(argc, argv, QPEApplication::GuiClient);
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                  : QStringLiteral("/home/root/Applications/kestrin/journal.txt");
    // The window holds the list, read before anything is shown.
    JournalWindow mainWindow(path);
    app.showMainWidget(&mainWindow, false);
    mainWindow.show();
    return app.exec();
}
