#pragma once

#include "warehouse/StockTurnover.h"
#include "warehouse/TurnoverDocuments.h"
#include "warehouse/WarehouseBase.h"

#include <QWidget>

#include <map>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QTableWidget;

namespace kulvera {

class TurnoverChartView;

// The period, the warehouse (or every one) and whether internal movements
// count: what both stock reports ask first.
class ReportPeriod : public QWidget
{
public:
    ReportPeriod(WarehouseBase &base, QWidget *parent);
    TurnoverFilter filter() const;
    TurnoverHeading heading() const;
    QDateEdit *from() const { return from_; }
    QDateEdit *to() const { return to_; }
    QComboBox *warehouse() const { return warehouse_; }
    QCheckBox *movements() const { return movements_; }

private:
    QDateEdit *from_;
    QDateEdit *to_;
    QComboBox *warehouse_;
    QCheckBox *movements_;
};

// "Приход/расход продуктов": per product the balance at the start, receipts,
// outgoing quantities, the balance at the end and the stock now; beside it
// the weekly chart of the products chosen in the grid (several make a group).
class TurnoverForm : public QWidget
{
    Q_OBJECT
public:
    explicit TurnoverForm(AppContext &context, QWidget *parent = nullptr);

    ReportPeriod *period() const { return period_; }
    QTableWidget *grid() const { return table_; }
    const TurnoverChartView *chartView() const { return chart_; }
    // What the chart shows: the rows chosen in the grid, or a product group.
    QComboBox *chartGroup() const { return chartGroup_; }
    bool build();
    bool print(const QString &outputPath);
    // The chart of the chosen group's products of the report, or of the rows
    // chosen in the grid (several make a group); false when there are none.
    bool showChart();
    bool exportChart(const QString &path);

private:
    void choosePrintFile();
    void chooseChartFile();

    WarehouseBase base_;
    ReportPeriod *period_;
    QTableWidget *table_;
    TurnoverChartView *chart_;
    QComboBox *chartGroup_;
    std::map<qint64, qint64> productGroup_; // product → Код_Группы, of the built report
    std::vector<TurnoverRow> rows_;
    TurnoverFilter built_;
    TurnoverHeading builtHeading_;
};

} // namespace kulvera
