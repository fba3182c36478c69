// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "DateSelector.h"

#include <QDate>
#include <QHBoxLayout>

static const char *const monthnames[] = { "January", "February", "March", "April", "May", "June",
    "July", "August", "September", "October", "November", "December" };

DateSelector::DateSelector(QWidget *parent)
    : DateSelector(2000, 10, parent)
{ }

DateSelector::DateSelector(int firstYear, int years, QWidget *parent)
    : QWidget(parent)
    , month(this)
    , day(this)
    , year(this)
    , firstYear(firstYear)
    , years(years)
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
    for (int y = firstYear; y < firstYear + years; ++y)
        year.addItem(QString::number(y));
    for (const char *name : monthnames)
        month.addItem(QString::fromLatin1(name));
    for (int d = 1; d <= 31; ++d)
        day.addItem(QString::number(d));
}

void DateSelector::set(const QDate &date)
{
    year.setCurrentIndex(date.year() - firstYear);
    month.setCurrentIndex(date.month() - 1);
    day.setCurrentIndex(date.day() - 1);
}

QDate DateSelector::date() const
{
    return QDate(year.currentText().toInt(), month.currentIndex() + 1, day.currentIndex() + 1);
}
