// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#ifndef CHARTWIDGET_H
#define CHARTWIDGET_H

#include <QWidget>

#include <functional>

// A widget that shows one chart: it fills its background and hands the
// painter and its rectangle to the function it was given.
class ChartWidget : public QWidget
{
    Q_OBJECT

public:
    using Paint = std::function<void(QPainter *, const QRectF &)>;

    explicit ChartWidget(int preferredHeight, QWidget *parent = nullptr);

    void setPaint(Paint paint);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Paint paint;
    int preferredHeight;
};

#endif
