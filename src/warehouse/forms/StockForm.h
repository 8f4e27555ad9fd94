#pragma once

#include "warehouse/StockList.h"
#include "warehouse/WarehouseBase.h"

#include <QWidget>

#include <map>
#include <vector>

class QLabel;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;

namespace kulvera {

class ReferenceCombo;

// "Текущий склад": the stock list of a warehouse. Each lot with its receipt's
// price, markup and supplier, its storage place (chosen in the list) and a
// column "Сверка" for the counted quantity; "Сверка" reconciles the lots with
// what was typed there.
class StockForm : public QWidget
{
    Q_OBJECT
public:
    enum Column {
        Product,
        Quantity,
        Count,
        Unit,
        Price,
        Markup,
        PriceWithMarkup,
        Supplier,
        Received,
        Koef,
        Place,
        ColumnCount
    };

    explicit StockForm(AppContext &context, QWidget *parent = nullptr);
    void reload();
    QTableWidget *grid() const { return table_; }
    QString heading() const;
    // Reconciles the lots whose "Сверка" holds a number, after the question.
    void reconcile();

private:
    void countEdited(QTableWidgetItem *item);
    void placeChosen(int row, qint64 place);

    WarehouseBase base_;
    ReferenceCombo *warehouse_;
    QLabel *heading_;
    QTableWidget *table_;
    QPushButton *reconcile_;
    std::vector<StockListLot> lots_;
    std::map<qint64, double> counts_; // lot → counted, in the lot's unit
    bool filling_ = false;
};

} // namespace kulvera
