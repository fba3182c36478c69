// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#ifndef JOURNALTOOL_H
#define JOURNALTOOL_H

#include <QStringList>
#include <QTextStream>

class QCommandLineParser;

// The journal from the command line: check, stats, add, import, export and
// report. Messages go to err as "journal-tool: …"; run() returns the exit
// code: 0 done, 1 a problem found or a write failed, 2 a usage error.
class JournalTool
{
public:
    JournalTool(QTextStream &out, QTextStream &err);

    // The arguments as main() has them, the program's name first.
    int run(const QStringList &arguments);

private:
    int dispatch(const QStringList &arguments);
    int check(QCommandLineParser &parser);
    int stats(QCommandLineParser &parser);
    int add(QCommandLineParser &parser);
    int import(QCommandLineParser &parser);
    int exportCsv(QCommandLineParser &parser);
    int report(QCommandLineParser &parser);

    int usage(const QString &message);
    int fail(const QString &message);

    QTextStream &out;
    QTextStream &err;
};

#endif
