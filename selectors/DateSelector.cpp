// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "DateSelector.h"

#include <QDate>
#include <QHBoxLayout>

static const char *const monthnames[] = { "January", "February", "March", "April", "May", "June",
    "July", "August", "September", "October", "November", "December" };

DateSelector::DateSelector(QWidget *parent)
    : QWidget(parent)
    , month(this)
    , day(this)
    , year(this)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(&month);
    row->addWidget(&day);
    row->addWidget(&year);
    init();
}

void DateSelector::init()
{
    for (int y = 2000; y <= 2009; ++y)
        year.addItem(QString::number(y));
    for (const char *name : monthnames)
        month.addItem(QString::fromLatin1(name));
    for (int d = 1; d <= 31; ++d)
        day.addItem(QString::number(d));
}

void DateSelector::set(const QDate &date)
{
    year.setCurrentIndex(date.year() - 2000);
    month.setCurrentIndex(date.month() - 1);
    day.setCurrentIndex(date.day() - 1);
}
