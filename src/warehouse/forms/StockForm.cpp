#include "warehouse/forms/StockForm.h"

#include "common/NumberText.h"
#include "common/TextDate.h"
#include "warehouse/StockLots.h"
#include "warehouse/forms/WarehouseGrid.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kulvera {

StockForm::StockForm(AppContext &context, QWidget *parent)
    : QWidget(parent)
    , base_(context)
{
    setObjectName(QStringLiteral("curWS"));
    setWindowTitle(QStringLiteral("Текущий склад"));
    warehouse_ = new ReferenceCombo(base_, ReferenceList::Warehouses, this);
    warehouse_->setObjectName(QStringLiteral("warehouse"));
    table_ = new QTableWidget(0, 7, this);
    table_->setObjectName(QStringLiteral("lots"));
    table_->setHorizontalHeaderLabels({QStringLiteral("Сырье"), QStringLiteral("Дата"), QStringLiteral("Кол-во"),
        QStringLiteral("Ед.изм."), QStringLiteral("Поставщик"), QStringLiteral("Код накл."), QStringLiteral("Код")});
    table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Склад:"), this));
    top->addWidget(warehouse_, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(table_, 1);
    connect(warehouse_, &QComboBox::currentIndexChanged, this, &StockForm::reload);
    if (warehouse_->count() == 0)
        context.prompter.message(QStringLiteral("Нет складов в системе!"), windowTitle(), Prompter::Icon::Information);
    reload();
}

void StockForm::reload()
{
    table_->setRowCount(0);
    if (warehouse_->count() == 0)
        return;
    const auto rows = StockLots(base_).list({warehouse_->currentKey(), std::nullopt});
    if (!rows)
        return;
    table_->setRowCount(static_cast<int>(rows->size()));
    int r = 0;
    for (const LotView &v : *rows) {
        const QStringList cells = {v.productName, formatTextDate(v.lot.date), formatFixed(v.lot.brutto * v.koef, 3),
            v.unitPref, v.supplierName, QString::number(v.lot.header), QString::number(v.lot.key)};
        for (int c = 0; c < cells.size(); ++c)
            table_->setItem(r, c, textItem(cells[c], false));
        ++r;
    }
}

} // namespace kulvera
