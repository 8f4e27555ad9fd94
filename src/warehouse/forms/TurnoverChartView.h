#pragma once

#include "warehouse/chart/TurnoverChart.h"

#include <QWidget>

namespace kulvera {

// The weekly turnover chart on screen: the same painting the command line saves.
class TurnoverChartView : public QWidget
{
    Q_OBJECT
public:
    explicit TurnoverChartView(QWidget *parent = nullptr);

    void setChart(TurnoverChart chart);
    const TurnoverChart &chart() const { return chart_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    TurnoverChart chart_;
};

} // namespace kulvera
