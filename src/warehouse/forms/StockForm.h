#pragma once

#include "warehouse/WarehouseBase.h"

#include <QWidget>

class QTableWidget;

namespace kulvera {

class ReferenceCombo;

// "Текущий склад": the lots of a warehouse, oldest first, as they stand now.
class StockForm : public QWidget
{
    Q_OBJECT
public:
    explicit StockForm(AppContext &context, QWidget *parent = nullptr);
    void reload();
    QTableWidget *grid() const { return table_; }

private:
    WarehouseBase base_;
    ReferenceCombo *warehouse_;
    QTableWidget *table_;
};

} // namespace kulvera
