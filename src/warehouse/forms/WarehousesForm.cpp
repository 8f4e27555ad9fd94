#include "warehouse/forms/WarehousesForm.h"

#include "common/NumberText.h"
#include "warehouse/forms/WarehouseGrid.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace kulvera {
namespace {

const QString kTitle = QStringLiteral("Склады");

} // namespace

WarehousesForm::WarehousesForm(AppContext &context, QWidget *parent)
    : QWidget(parent)
    , base_(context)
    , data_(base_)
{
    setObjectName(QStringLiteral("WSs"));
    setWindowTitle(kTitle);
    warehouses_ = new QTableWidget(0, 3, this);
    warehouses_->setObjectName(QStringLiteral("warehouses"));
    warehouses_->setHorizontalHeaderLabels(
        {QStringLiteral("Название"), QStringLiteral("Краткое описание"), QStringLiteral("Наценка (по умолчанию),%")});
    places_ = new QTableWidget(0, 3, this);
    places_->setObjectName(QStringLiteral("places"));
    places_->setHorizontalHeaderLabels(
        {QStringLiteral("Название структуры"), QStringLiteral("Краткое описание"), QStringLiteral("Код склада")});
    for (QTableWidget *t : {warehouses_, places_}) {
        t->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
        t->setSelectionMode(QAbstractItemView::SingleSelection);
    }
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Склады"), this));
    layout->addWidget(warehouses_, 1);
    layout->addWidget(new QLabel(QStringLiteral("Структура склада"), this));
    layout->addWidget(places_, 1);
    // The grids are rebuilt after an edit: that waits until the editor has closed.
    connect(warehouses_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
        if (!loading_)
            QTimer::singleShot(
                0, this, [this, r = item->row(), c = item->column(), t = item->text()] { warehouseEdited(r, c, t); });
    });
    connect(places_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
        if (!loading_)
            QTimer::singleShot(
                0, this, [this, r = item->row(), c = item->column(), t = item->text()] { placeEdited(r, c, t); });
    });
    connect(warehouses_, &QTableWidget::cellClicked, this, &WarehousesForm::warehouseClicked);
    connect(places_, &QTableWidget::cellClicked, this, &WarehousesForm::placeClicked);
    connect(warehouses_, &QTableWidget::currentCellChanged, this, [this](int row, int, int previous, int) {
        if (!loading_ && row != previous)
            loadPlaces();
    });
    new GridKeys(warehouses_, nullptr, [this] { removeWarehouse(); });
    new GridKeys(places_, nullptr, [this] { removePlace(); });
    reload();
}

qint64 WarehousesForm::currentWarehouse() const
{
    const int row = warehouses_->currentRow();
    return row >= 0 && row < static_cast<int>(rows_.size()) ? rows_[static_cast<size_t>(row)].key : 0;
}

void WarehousesForm::reload()
{
    const int keptRow = std::max(warehouses_->currentRow(), 0);
    loading_ = true;
    const auto rows = data_.list();
    tellRefusal(base_.context().prompter, rows ? Status() : Status::failure(rows.error()), kTitle);
    rows_ = rows ? *rows : std::vector<WarehouseRow>();
    const int n = static_cast<int>(rows_.size());
    warehouses_->setRowCount(n + 1);
    for (int r = 0; r < n; ++r) {
        const WarehouseRow &w = rows_[static_cast<size_t>(r)];
        warehouses_->setItem(r, 0, textItem(w.name));
        warehouses_->setItem(r, 1, textItem(w.description));
        warehouses_->setItem(r, 2, textItem(formatNumber(w.markup)));
    }
    fillAddRow(warehouses_, n, 0);
    warehouses_->setCurrentCell(std::min(keptRow, std::max(n - 1, 0)), 0);
    loading_ = false;
    loadPlaces();
}

void WarehousesForm::loadPlaces()
{
    loading_ = true;
    const qint64 warehouse = currentWarehouse();
    placeRows_.clear();
    if (warehouse > 0) {
        if (const auto rows = data_.places(warehouse))
            placeRows_ = *rows;
    }
    const int n = static_cast<int>(placeRows_.size());
    places_->setRowCount(warehouse > 0 ? n + 1 : 0);
    for (int r = 0; r < n; ++r) {
        const StoragePlace &p = placeRows_[static_cast<size_t>(r)];
        places_->setItem(r, 0, textItem(p.name));
        places_->setItem(r, 1, textItem(p.description));
        places_->setItem(r, 2, textItem(QString::number(p.warehouse), false));
    }
    if (warehouse > 0)
        fillAddRow(places_, n, 0);
    loading_ = false;
}

void WarehousesForm::warehouseClicked(int row, int column)
{
    (void)column;
    if (row != static_cast<int>(rows_.size()))
        return;
    const auto key = data_.add();
    tellRefusal(base_.context().prompter, key ? Status() : Status::failure(key.error()), kTitle);
    reload();
    if (key) {
        warehouses_->setCurrentCell(row, 0);
        warehouses_->editItem(warehouses_->item(row, 0));
    }
}

void WarehousesForm::placeClicked(int row, int column)
{
    (void)column;
    const qint64 warehouse = currentWarehouse();
    if (warehouse <= 0 || row != static_cast<int>(placeRows_.size()))
        return;
    const auto key = data_.addPlace(warehouse);
    tellRefusal(base_.context().prompter, key ? Status() : Status::failure(key.error()), kTitle);
    loadPlaces();
    if (key) {
        places_->setCurrentCell(row, 0);
        places_->editItem(places_->item(row, 0));
    }
}

void WarehousesForm::warehouseEdited(int row, int column, const QString &text)
{
    if (row >= static_cast<int>(rows_.size()))
        return;
    const qint64 key = rows_[static_cast<size_t>(row)].key;
    Status s;
    switch (column) {
    case 0:
        s = data_.rename(key, text);
        break;
    case 1:
        s = data_.setDescription(key, text);
        break;
    default:
        s = data_.setMarkup(key, text);
        break;
    }
    tellRefusal(base_.context().prompter, s, kTitle);
    reload();
}

void WarehousesForm::placeEdited(int row, int column, const QString &text)
{
    if (row >= static_cast<int>(placeRows_.size()))
        return;
    const qint64 key = placeRows_[static_cast<size_t>(row)].key;
    const Status s = column == 0 ? data_.renamePlace(key, text) : data_.setPlaceDescription(key, text);
    tellRefusal(base_.context().prompter, s, kTitle);
    loadPlaces();
}

void WarehousesForm::removeWarehouse()
{
    const qint64 key = currentWarehouse();
    if (key <= 0)
        return;
    tellRefusal(base_.context().prompter, data_.remove(key), kTitle);
    reload();
}

void WarehousesForm::removePlace()
{
    const int row = places_->currentRow();
    if (row < 0 || row >= static_cast<int>(placeRows_.size()))
        return;
    tellRefusal(base_.context().prompter, data_.removePlace(placeRows_[static_cast<size_t>(row)].key), kTitle);
    loadPlaces();
}

} // namespace kulvera
