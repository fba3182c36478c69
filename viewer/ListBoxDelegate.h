// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#ifndef LISTBOXDELEGATE_H
#define LISTBOXDELEGATE_H

#include <QStyledItemDelegate>

class QListWidget;

// Lets each row of a list paint itself, so that a date header keeps its
// colours whatever the list's selection and focus.
class ListBoxDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit ListBoxDelegate(QListWidget *list);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override;

private:
    QListWidget *list;
};

#endif
