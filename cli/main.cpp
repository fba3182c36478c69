// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "JournalTool.h"
#include "SugarEntry.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    static const SugarEntry::MyFactory sugarFactory;
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("journal-tool"));
    QCoreApplication::setApplicationVersion(QStringLiteral(HEALTHJOURNAL_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);
    return JournalTool(out, err).run(QCoreApplication::arguments());
}
