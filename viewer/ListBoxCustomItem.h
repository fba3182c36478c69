// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#ifndef LISTBOXCUSTOMITEM_H
#define LISTBOXCUSTOMITEM_H

#include <QListWidgetItem>

class QPainter;
class QStyle;
class QStyleOptionViewItem;

// A row of the journal list: a fixed text that paints itself and may open
// a detail view.
class ListBoxCustomItem : public QListWidgetItem
{
public:
    explicit ListBoxCustomItem(const QString &text);

    // Draws the row into option.rect; option already holds its text and state.
    virtual void paint(QPainter *painter, const QStyleOptionViewItem &option) const;
    virtual void showDetail();

protected:
    // The style that draws the row: its list's, or the application's.
    static QStyle *style(const QStyleOptionViewItem &option);
};

#endif
