#include "costing/forms/FulfilmentChartView.h"

#include <QPainter>

namespace kulvera {

FulfilmentChartView::FulfilmentChartView(QWidget *parent)
    : QWidget(parent)
{
    setMinimumSize(360, 320);
}

void FulfilmentChartView::setRows(std::vector<NutrientRow> rows)
{
    chart_.setRows(std::move(rows));
    update();
}

void FulfilmentChartView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    chart_.paint(painter, rect());
}

} // namespace kulvera
