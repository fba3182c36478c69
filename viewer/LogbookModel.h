// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#ifndef LOGBOOKMODEL_H
#define LOGBOOKMODEL_H

#include "GlucoseLogbook.h"
#include "GlucoseUnit.h"

#include <QAbstractTableModel>

// The logbook as a table for a view: a row a day, headed by its date, and
// a column a time slot. A cell's text is its readings on the first line
// and the insulin and carbohydrates on the second.
class LogbookModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit LogbookModel(QObject *parent = nullptr);

    void setLogbook(GlucoseLogbook logbook);
    const GlucoseLogbook &logbook() const { return book; }
    void setUnit(GlucoseUnit::Unit unit);
    GlucoseUnit::Unit unit() const { return shownUnit; }

    // The cell of an index of this model, or nullptr.
    const GlucoseLogbook::Cell *cell(const QModelIndex &index) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    GlucoseLogbook book;
    GlucoseUnit::Unit shownUnit = GlucoseUnit::MgPerDl;
};

#endif
