// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef COLUMNNAMES_H
#define COLUMNNAMES_H

#include <QString>
#include <QStringList>

#include <initializer_list>

// Finds an export's columns by the names its header may give them. Names
// are compared trimmed and in any case, as re-saved copies pad them and
// devices change their case; a table of names lists each language's.
class ColumnNames
{
public:
    using Names = std::initializer_list<const char *>;
    enum Match { Whole, Start };

    static bool matches(const QString &name, Names names, Match match = Whole);
    // The first column that matches, or -1.
    static int find(const QStringList &header, Names names, Match match = Whole);
};

#endif
