// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#ifndef LISTBOXDATEITEM_H
#define LISTBOXDATEITEM_H

#include "ListBoxCustomItem.h"

#include <QDate>

// The header above a day's entries: white text on a black band across the
// list, in every selection and focus state.
class ListBoxDateItem : public ListBoxCustomItem
{
public:
    using ListBoxCustomItem::ListBoxCustomItem;
    // The header of a day, or of the entries without a valid date.
    explicit ListBoxDateItem(const QDate &date);

    const QDate &date() const { return day; }

    void paint(QPainter *painter, const QStyleOptionViewItem &option) const override;

private:
    QDate day;
};

#endif
