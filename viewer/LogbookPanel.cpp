// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "LogbookPanel.h"

#include "GlucoseChart.h"
#include "LogbookModel.h"

#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// Paints a cell as the report does, on the view's background or selection.
class CellDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override
    {
        const auto *model = qobject_cast<const LogbookModel *>(index.model());
        const GlucoseLogbook::Cell *cell = model ? model->cell(index) : nullptr;
        if (!cell) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        // The cells' colours are chosen for a light ground, as on paper.
        const bool selected = option.state & QStyle::State_Selected;
        painter->fillRect(option.rect,
            selected ? option.palette.color(QPalette::Highlight).lighter(170) : QColor(Qt::white));
        painter->save();
        painter->setFont(option.font);
        GlucoseChart::paintLogbookCell(
            painter, QRectF(option.rect).adjusted(2, 1, -2, -1), *cell, model->unit());
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const override
    {
        const QFontMetrics metrics(option.font);
        // Room for a sensor's range, "212–286", on two lines.
        return QSize(metrics.horizontalAdvance(QStringLiteral("000 – 000")) + 2 * metrics.height(),
            metrics.height() * 5 / 2);
    }
};

} // namespace

LogbookPanel::LogbookPanel(QWidget *parent)
    : QWidget(parent)
    , model(new LogbookModel(this))
    , periodText(new QLabel(this))
    , view(new QTableView(this))
{
    periodText->setObjectName(QStringLiteral("logbookPeriod"));
    periodText->setWordWrap(true);
    view->setObjectName(QStringLiteral("logbook"));
    view->setModel(model);
    view->setItemDelegate(new CellDelegate(view));
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setWordWrap(false);
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    view->horizontalHeader()->setMinimumSectionSize(
        view->itemDelegate()->sizeHint(QStyleOptionViewItem(), QModelIndex()).width());
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(fontMetrics().height() * 5 / 2);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(periodText);
    layout->addWidget(view, 1);
}

void LogbookPanel::setLogbook(GlucoseLogbook logbook, const QString &period)
{
    model->setLogbook(std::move(logbook));
    periodText->setText(period);
    view->scrollToBottom();
}

void LogbookPanel::setUnit(GlucoseUnit::Unit unit)
{
    model->setUnit(unit);
}
