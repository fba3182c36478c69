// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ListBoxDateItem.h"

#include <QListWidget>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionViewItem>

ListBoxDateItem::ListBoxDateItem(const QDate &date)
    // An empty band would hide that these entries have no date at all.
    : ListBoxCustomItem(date.isValid() ? date.toString() : QStringLiteral("(no valid date)"))
    , day(date)
{ }

void ListBoxDateItem::paint(QPainter *painter, const QStyleOptionViewItem &option) const
{
    const QWidget *widget = option.widget;
    const QStyle *style = ListBoxCustomItem::style(option);
    const int width = listWidget() ? listWidget()->width() : option.rect.right() + 1;

    painter->save();
    painter->fillRect(QRect(0, option.rect.top(), width, option.rect.height()), Qt::black);
    painter->setPen(Qt::white);
    painter->setFont(option.font);
    // The same place as the text of an entry row, as the style draws it.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &option, widget)
                               .adjusted(margin, 0, -margin, 0);
    painter->drawText(textRect, int(option.displayAlignment), option.text);
    painter->restore();
}
