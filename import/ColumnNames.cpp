// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "ColumnNames.h"

#include <QAnyStringView>

#include <algorithm>

bool ColumnNames::matches(const QString &name, Names names, Match match)
{
    const QString n = name.trimmed();
    return std::any_of(names.begin(), names.end(), [&](const char *candidate) {
        const QUtf8StringView c(candidate);
        return match == Start
            ? n.startsWith(QString::fromUtf8(c.data(), c.size()), Qt::CaseInsensitive)
            : QAnyStringView::compare(n, c, Qt::CaseInsensitive) == 0;
    });
}

int ColumnNames::find(const QStringList &header, Names names, Match match)
{
    for (int i = 0; i < header.size(); ++i) {
        if (matches(header.at(i), names, match))
            return i;
    }
    return -1;
}
