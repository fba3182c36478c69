// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ChartWidget.h"

#include <QPainter>

ChartWidget::ChartWidget(int preferredHeight, QWidget *parent)
    : QWidget(parent)
    , preferredHeight(preferredHeight)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void ChartWidget::setPaint(Paint p)
{
    paint = std::move(p);
    update();
}

QSize ChartWidget::sizeHint() const
{
    return QSize(preferredHeight * 2, preferredHeight);
}

QSize ChartWidget::minimumSizeHint() const
{
    return QSize(160, preferredHeight * 2 / 3);
}

void ChartWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // The charts' colours are chosen for a light ground, as on paper.
    painter.fillRect(rect(), Qt::white);
    painter.setPen(Qt::black);
    if (paint)
        paint(&painter, QRectF(rect()).adjusted(4, 4, -4, -4));
}
