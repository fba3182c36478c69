// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef COMMANDLINE_H
#define COMMANDLINE_H

#include "journal_export.h"

#include <QByteArrayView>
#include <QString>

// What the programs check and set up before Qt reads their command line,
// and how they show what a user typed in a message.
class JOURNAL_EXPORT CommandLine
{
public:
    // A private runtime folder where the session has none (a cron job, a
    // container), so that Qt finds one without a warning: made afresh in
    // the temporary folder, and removed when the process exits.
    static void prepare();

    // The first argument that Qt would not decode to the same bytes, shown
    // escaped; empty when there is none. A file name that is not UTF-8
    // would name another file once decoded.
    static QString undecodable(int argc, char **argv);

    // Bytes as text, those that are not printable ASCII escaped as \xNN.
    static QString escaped(QByteArrayView bytes);

    // The text with control characters escaped as \xNN, safe to print.
    static QString printable(QStringView text);
};

#endif
