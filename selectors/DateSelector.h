// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef DATESELECTOR_H
#define DATESELECTOR_H

#include "selectors_export.h"

#include <QComboBox>
#include <QWidget>

class QDate;

// Chooses a date from three lists in a row: month, day (1 to 31 for every
// month) and year (2000 to 2009 unless the constructor names other years).
// The lists are public: a user reads the chosen entries from them.
class SELECTORS_EXPORT DateSelector : public QWidget
{
    Q_OBJECT

public:
    explicit DateSelector(QWidget *parent = nullptr);
    // The year list holds the given number of years from the first one.
    DateSelector(int firstYear, int years, QWidget *parent = nullptr);

    // Selects the date's entries; a year outside the list leaves the year
    // list as QComboBox leaves an index it does not hold.
    void set(const QDate &date);
    // The date the lists show; invalid for one that does not exist (30 February).
    QDate date() const;

    QComboBox month;
    QComboBox day;
    QComboBox year;

private:
    void init();

    int firstYear = 2000;
    int years = 10;
};

#endif
