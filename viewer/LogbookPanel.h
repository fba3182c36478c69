// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#ifndef LOGBOOKPANEL_H
#define LOGBOOKPANEL_H

#include "GlucoseLogbook.h"
#include "GlucoseUnit.h"

#include <QWidget>

class LogbookModel;
class QLabel;
class QTableView;

// The logbook of a period beside the journal: what it covers, and a table
// of a row a day whose cells are painted as the report paints them.
class LogbookPanel : public QWidget
{
    Q_OBJECT

public:
    explicit LogbookPanel(QWidget *parent = nullptr);

    // The days shown, with what they cover as text; the newest comes into view.
    void setLogbook(GlucoseLogbook logbook, const QString &period);
    void setUnit(GlucoseUnit::Unit unit);
    QTableView *table() const { return view; }

private:
    LogbookModel *model;
    QLabel *periodText;
    QTableView *view;
};

#endif
