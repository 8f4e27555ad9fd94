#pragma once

#include "costing/chart/FulfilmentChart.h"

#include <QWidget>

namespace kulvera {

// The fulfilment chart on screen: the same painting the command line saves.
class FulfilmentChartView : public QWidget
{
    Q_OBJECT
public:
    explicit FulfilmentChartView(QWidget *parent = nullptr);

    void setRows(std::vector<NutrientRow> rows);
    const FulfilmentChart &chart() const { return chart_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    FulfilmentChart chart_;
};

} // namespace kulvera
