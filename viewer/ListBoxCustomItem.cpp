// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ListBoxCustomItem.h"

#include <QApplication>
#include <QStyle>
#include <QStyleOptionViewItem>

ListBoxCustomItem::ListBoxCustomItem(const QString &text)
    : rowText(text)
{ }

QVariant ListBoxCustomItem::data(int role) const
{
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return rowText;
    return QListWidgetItem::data(role);
}

void ListBoxCustomItem::setData(int role, const QVariant &value)
{
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        rowText = value.toString();
    else
        QListWidgetItem::setData(role, value);
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
