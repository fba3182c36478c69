// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "TimeSelector.h"

#include <QHBoxLayout>
#include <QTime>

TimeSelector::TimeSelector(QWidget *parent)
    : QWidget(parent)
    , hour(this)
    , minute(this)
    , ampm(this)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(&hour);
    row->addWidget(&minute);
    row->addWidget(&ampm);
    init();
}

void TimeSelector::init()
{
    hour.addItem(QStringLiteral("12"));
    for (int h = 1; h <= 11; ++h)
        hour.addItem(QString::number(h));
    for (int m = 0; m <= 59; ++m)
        minute.addItem(QString::number(m));
    ampm.addItem(QStringLiteral("AM"));
    ampm.addItem(QStringLiteral("PM"));
}

void TimeSelector::set(const QTime &time)
{
    hour.setCurrentIndex(time.hour() % 12);
    minute.setCurrentIndex(time.minute());
    ampm.setCurrentIndex(time.hour() / 12);
}

QTime TimeSelector::time() const
{
    return QTime(hour.currentIndex() + 12 * ampm.currentIndex(), minute.currentIndex());
}
