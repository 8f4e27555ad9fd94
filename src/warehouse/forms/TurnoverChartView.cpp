#include "warehouse/forms/TurnoverChartView.h"

#include <QPainter>

namespace kulvera {

TurnoverChartView::TurnoverChartView(QWidget *parent)
    : QWidget(parent)
{
    setMinimumSize(360, 240);
}

void TurnoverChartView::setChart(TurnoverChart chart)
{
    chart_ = std::move(chart);
    update();
}

void TurnoverChartView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    chart_.paint(painter, rect());
}

} // namespace kulvera
