// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ListBoxCustomItem.h"

#include <QApplication>
#include <QStyle>
#include <QStyleOptionViewItem>

ListBoxCustomItem::ListBoxCustomItem(const QString &text)
{
    // A row without a text of its own, as an entry row of the list is,
    // spends nothing on one.
    if (!text.isNull())
        setText(text);
}

void ListBoxCustomItem::paint(QPainter *painter, const QStyleOptionViewItem &option) const
{
    style(option)->drawControl(QStyle::CE_ItemViewItem, &option, painter, option.widget);
}

QStyle *ListBoxCustomItem::style(const QStyleOptionViewItem &option)
{
    return option.widget ? option.widget->style() : QApplication::style();
}

void ListBoxCustomItem::showDetail()
{ }
