// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "ImportResult.h"

#include <QStringList>

#include <algorithm>
#include <numeric>

namespace {

constexpr qsizetype excerptLength = 40;

bool unprintable(char16_t c)
{
    return c < 0x20 || (c >= 0x7f && c < 0xa0) || c == 0x2028 || c == 0x2029;
}

} // namespace

int ImportResult::skippedCount() const
{
    return std::accumulate(skipped.cbegin(), skipped.cend(), 0);
}

int ImportResult::accounted() const
{
    return int(readings.size() + rejected.size()) + skippedCount() + repeated + recordRows;
}

QString ImportResult::counted(int n, const QString &noun)
{
    // The word before " of" takes the plural: "boluses of no insulin"; a
    // quoted kind is a name.
    const qsizetype of = noun.indexOf(QLatin1String(" of "), noun.lastIndexOf(u'"') + 1);
    const QString word = of < 0 ? noun : noun.left(of);
    QString plural = word;
    if (n != 1) {
        // Consonant and y: "entry", "activity".
        if (word.endsWith(u'y') && word.size() > 1
            && !QStringLiteral("aeiou").contains(word.at(word.size() - 2)))
            plural = word.chopped(1) + u"ies";
        // "meal bolus", "profile switch".
        else if (word.endsWith(u's') || word.endsWith(u'x') || word.endsWith(u"ch")
            || word.endsWith(u"sh"))
            plural = word + u"es";
        else
            plural = word + u's';
    }
    return QString::number(n) + u' ' + plural + (of < 0 ? QString() : noun.mid(of));
}

QString ImportResult::skippedText() const
{
    QList<QString> kinds = skipped.keys();
    std::stable_sort(kinds.begin(), kinds.end(),
        [this](const QString &a, const QString &b) { return skipped[a] > skipped[b]; });
    QStringList parts;
    for (const QString &kind : kinds)
        parts.append(counted(skipped[kind], kind));
    return parts.isEmpty() ? QStringLiteral("0") : parts.join(u", ");
}

QString ImportResult::excerpt(const QString &text)
{
    QString shown;
    for (qsizetype i = 0; i < text.size() && i < excerptLength; ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            shown += c;
            shown += text.at(++i);
        } else if (c.unicode() < 0xa0 && unprintable(c.unicode())) {
            // As the command line shows a control character.
            shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        } else if (c.isSurrogate() || unprintable(c.unicode())) {
            shown += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        } else {
            shown += c;
        }
    }
    return text.size() > excerptLength ? shown + u"..." : shown;
}
