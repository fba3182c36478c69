// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef DETAILDIALOG_H
#define DETAILDIALOG_H

class QString;

// The read-only dialog that shows one entry in full, for every entry type.
class DetailDialog
{
public:
    // Shows the text modally and returns when the dialog is closed.
    static void exec(const QString &text);
};

#endif
