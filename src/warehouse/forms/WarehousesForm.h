#pragma once

#include "warehouse/WarehouseBase.h"
#include "warehouse/Warehouses.h"

#include <QWidget>

class QTableWidget;
class QTableWidgetItem;

namespace kulvera {

// "Склады": the warehouses and, for the selected one, its storage places.
// Every committed cell is written at once; clicking the last row of a grid
// adds a row with the default name and opens the name for editing.
class WarehousesForm : public QWidget
{
    Q_OBJECT
public:
    explicit WarehousesForm(AppContext &context, QWidget *parent = nullptr);

    QTableWidget *warehouseGrid() const { return warehouses_; }
    QTableWidget *placeGrid() const { return places_; }
    void reload();
    void removeWarehouse(); // the current row, after the question
    void removePlace();

private:
    void loadPlaces();
    void warehouseEdited(int row, int column, const QString &text);
    void placeEdited(int row, int column, const QString &text);
    void warehouseClicked(int row, int column);
    void placeClicked(int row, int column);
    qint64 currentWarehouse() const;

    WarehouseBase base_;
    Warehouses data_;
    std::vector<WarehouseRow> rows_;
    std::vector<StoragePlace> placeRows_;
    QTableWidget *warehouses_;
    QTableWidget *places_;
    bool loading_ = false;
};

} // namespace kulvera
