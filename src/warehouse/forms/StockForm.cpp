#include "warehouse/forms/StockForm.h"

#include "common/NumberText.h"
#include "common/TextDate.h"
#include "warehouse/StockReconciliation.h"
#include "warehouse/Warehouses.h"
#include "warehouse/forms/WarehouseGrid.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
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
    heading_ = new QLabel(this);
    heading_->setObjectName(QStringLiteral("heading"));
    table_ = new QTableWidget(0, ColumnCount, this);
    table_->setObjectName(QStringLiteral("lots"));
    table_->setHorizontalHeaderLabels({QStringLiteral("Сырье"), QStringLiteral("Количество"), QStringLiteral("Сверка"),
        QStringLiteral("Код.ед. изм."), QStringLiteral("Цена за. ед. веса/объема"), QStringLiteral("Наценка, %"),
        QStringLiteral("Цена (с наценкой)"), QStringLiteral("Поставщик"), QStringLiteral("Дата поступления"),
        QStringLiteral("Коэф. ед. изм."), QStringLiteral("Место хранения")});
    table_->horizontalHeader()->setSectionResizeMode(Product, QHeaderView::Stretch);
    table_->setEditTriggers(
        QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    reconcile_ = new QPushButton(QStringLiteral("Сверка"), this);
    reconcile_->setObjectName(QStringLiteral("reconcile"));
    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Склад:"), this));
    top->addWidget(warehouse_, 1);
    top->addWidget(reconcile_);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(heading_);
    layout->addWidget(table_, 1);
    connect(warehouse_, &QComboBox::currentIndexChanged, this, [this] {
        counts_.clear();
        reload();
    });
    connect(table_, &QTableWidget::itemChanged, this, &StockForm::countEdited);
    connect(reconcile_, &QPushButton::clicked, this, &StockForm::reconcile);
    if (warehouse_->count() == 0)
        context.prompter.message(QStringLiteral("Нет складов в системе!"), windowTitle(), Prompter::Icon::Information);
    reload();
}

QString StockForm::heading() const
{
    return heading_->text();
}

void StockForm::reload()
{
    filling_ = true;
    table_->setRowCount(0);
    lots_.clear();
    heading_->clear();
    reconcile_->setEnabled(warehouse_->count() > 0);
    if (warehouse_->count() == 0) {
        filling_ = false;
        return;
    }
    const qint64 warehouse = warehouse_->currentKey();
    if (auto rows = StockList(base_).lots(warehouse))
        lots_ = std::move(rows).value();
    const auto places = Warehouses(base_).places(warehouse);
    heading_->setText(stockListHeading(warehouse_->currentText(), stockValue(lots_)));
    table_->setRowCount(static_cast<int>(lots_.size()));
    for (int r = 0; r < static_cast<int>(lots_.size()); ++r) {
        const StockListLot &l = lots_[static_cast<std::size_t>(r)];
        const auto counted = counts_.find(l.lot);
        const QString cells[ColumnCount] = {l.productName, formatFixed(l.quantity(), 3),
            counted == counts_.end() ? QString() : formatNumber(counted->second), l.unitPref, formatNumber(l.price),
            formatNumber(l.markup), formatFixed(l.priceWithMarkup(), 2), l.supplierName, formatTextDate(l.date),
            formatNumber(l.koef), l.placeName};
        for (int c = 0; c < ColumnCount; ++c)
            table_->setItem(r, c, textItem(cells[c], c == Count));
        auto *place = new QComboBox(table_);
        place->setObjectName(QStringLiteral("place"));
        place->addItem(QString(), qint64 {0});
        if (places) {
            for (const StoragePlace &p : *places)
                place->addItem(p.name, p.key);
        }
        place->setCurrentIndex(std::max(0, place->findData(l.place)));
        connect(place, &QComboBox::activated, this,
            [this, r, place](int index) { placeChosen(r, place->itemData(index).toLongLong()); });
        table_->setCellWidget(r, Place, place);
    }
    filling_ = false;
}

void StockForm::countEdited(QTableWidgetItem *item)
{
    if (filling_ || item->column() != Count || item->row() >= static_cast<int>(lots_.size()))
        return;
    const qint64 lot = lots_[static_cast<std::size_t>(item->row())].lot;
    const QString text = item->text().trimmed();
    if (text.isEmpty()) {
        counts_.erase(lot);
        return;
    }
    const auto value = parseNumber(text);
    if (!value || *value < 0) {
        base_.context().prompter.warning(QStringLiteral("Неверно указано количество: ") + text, windowTitle());
        counts_.erase(lot);
        // The cell shows what is kept, once the editor has closed.
        QTimer::singleShot(0, this, [this, item] {
            filling_ = true;
            item->setText(QString());
            filling_ = false;
        });
        return;
    }
    counts_[lot] = *value;
}

void StockForm::placeChosen(int row, qint64 place)
{
    if (row >= static_cast<int>(lots_.size()))
        return;
    const Status s = StockList(base_).setPlace(lots_[static_cast<std::size_t>(row)].lot, place);
    tellRefusal(base_.context().prompter, s, windowTitle());
    QTimer::singleShot(0, this, &StockForm::reload);
}

void StockForm::reconcile()
{
    Prompter &prompter = base_.context().prompter;
    if (warehouse_->count() == 0)
        return;
    std::vector<LotCount> counts;
    for (const StockListLot &l : lots_) {
        if (const auto c = counts_.find(l.lot); c != counts_.end())
            counts.push_back({l.lot, c->second});
    }
    if (counts.empty()) {
        prompter.message(QStringLiteral("Введите подсчитанные количества в колонку \"Сверка\"."), windowTitle());
        return;
    }
    if (!prompter.confirm(
            kReconcileQuestion + u'\n' + kReconcileSurplusLine + u'\n' + kReconcileShortageLine, windowTitle()))
        return;
    const auto done = StockReconciliation(base_).reconcile(warehouse_->currentKey(), counts);
    if (!done) {
        prompter.warning(done.error(), windowTitle());
        return;
    }
    counts_.clear();
    reload();
}

} // namespace kulvera
