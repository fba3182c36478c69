// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ListBoxDelegate.h"

#include "ListBoxCustomItem.h"

#include <QListWidget>

ListBoxDelegate::ListBoxDelegate(QListWidget *list)
    : QStyledItemDelegate(list)
    , list(list)
{ }

void ListBoxDelegate::paint(
    QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const auto *row = dynamic_cast<const ListBoxCustomItem *>(list->itemFromIndex(index));
    if (!row) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem rowOption = option;
    initStyleOption(&rowOption, index);
    row->paint(painter, rowOption);
}
