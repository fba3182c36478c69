// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef TIMESELECTOR_H
#define TIMESELECTOR_H

#include "selectors_export.h"

#include <QComboBox>
#include <QWidget>

class QTime;

// Chooses a time of day on a 12-hour clock from three lists in a row: hour
// (12, then 1 to 11), minute (0 to 59) and AM/PM.
class SELECTORS_EXPORT TimeSelector : public QWidget
{
    Q_OBJECT

public:
    explicit TimeSelector(QWidget *parent = nullptr);

    // Selects the time's hour and minute; seconds are dropped, not rounded.
    void set(const QTime &time);
    // The time the lists show, to the minute.
    QTime time() const;

    // Public: a user reads the chosen entries from them.
    QComboBox hour;
    QComboBox minute;
    QComboBox ampm;

private:
    void init();
};

#endif
