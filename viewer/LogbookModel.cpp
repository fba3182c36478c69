// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "LogbookModel.h"

#include <QLocale>

LogbookModel::LogbookModel(QObject *parent)
    : QAbstractTableModel(parent)
{ }

void LogbookModel::setLogbook(GlucoseLogbook logbook)
{
    beginResetModel();
    book = std::move(logbook);
    endResetModel();
}

void LogbookModel::setUnit(GlucoseUnit::Unit unit)
{
    if (unit == shownUnit)
        return;
    shownUnit = unit;
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

const GlucoseLogbook::Cell *LogbookModel::cell(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this || index.row() >= rowCount()
        || index.column() >= columnCount())
        return nullptr;
    return &book.days()[std::size_t(index.row())].cells[std::size_t(index.column())];
}

int LogbookModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(book.days().size());
}

int LogbookModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : GlucoseLogbook::slotCount;
}

QVariant LogbookModel::data(const QModelIndex &index, int role) const
{
    const GlucoseLogbook::Cell *c = cell(index);
    if (!c)
        return QVariant();
    const QString readings = GlucoseLogbook::readingsText(*c, shownUnit);
    const QString treatments = GlucoseLogbook::treatmentsText(*c);
    switch (role) {
    case Qt::DisplayRole:
        return treatments.isEmpty() ? readings : readings + u'\n' + treatments;
    case Qt::ToolTipRole: {
        if (c->count == 0 && treatments.isEmpty())
            return QVariant();
        QStringList lines;
        if (c->count > GlucoseLogbook::listedReadings)
            lines << tr("%1 readings from %2 to %3 %4")
                         .arg(c->count)
                         .arg(GlucoseUnit::format(c->lowest, shownUnit),
                             GlucoseUnit::format(c->highest, shownUnit),
                             GlucoseUnit::name(shownUnit));
        else if (c->count > 0)
            lines << readings + u' ' + GlucoseUnit::name(shownUnit);
        if (c->doses > 0)
            lines << tr("Insulin: %1").arg(GlucoseLogbook::insulinText(*c));
        if (c->meals > 0)
            lines << tr("Carbohydrates: %1").arg(GlucoseLogbook::carbsText(*c));
        return lines.join(u'\n');
    }
    default:
        return QVariant();
    }
}

QVariant LogbookModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical) {
        if (section < 0 || section >= rowCount())
            return QVariant();
        return QLocale().toString(
            book.days()[std::size_t(section)].date, QStringLiteral("ddd d MMM"));
    }
    if (section < 0 || section >= columnCount())
        return QVariant();
    const auto slot = GlucoseLogbook::Slot(section);
    const QString side = GlucoseLogbook::mealSide(slot);
    return side.isEmpty() ? GlucoseLogbook::mealName(slot)
                          : GlucoseLogbook::mealName(slot) + u'\n' + side;
}
