#pragma once

#include "warehouse/Counterparties.h"
#include "warehouse/WarehouseBase.h"

#include <QWidget>

class QTableWidget;
class QTableWidgetItem;

namespace kulvera {

// "Поставщики": every column of the counterparty table, one row each.
// Committed cells are written at once; the last row adds "Новый поставщик".
class SuppliersForm : public QWidget
{
    Q_OBJECT
public:
    explicit SuppliersForm(AppContext &context, QWidget *parent = nullptr);

    QTableWidget *grid() const { return table_; }
    void reload();
    void removeCurrent(); // after the question

private:
    void edited(QTableWidgetItem *item);
    void clicked(int row, int column);

    WarehouseBase base_;
    Counterparties data_;
    std::vector<Counterparty> rows_;
    QTableWidget *table_;
    bool loading_ = false;
};

} // namespace kulvera
