#include "warehouse/forms/SuppliersForm.h"

#include "warehouse/forms/WarehouseGrid.h"

#include <QTableWidget>
#include <QVBoxLayout>

namespace kulvera {
namespace {

const QString kTitle = QStringLiteral("Поставщики");

} // namespace

SuppliersForm::SuppliersForm(AppContext &context, QWidget *parent)
    : QWidget(parent)
    , base_(context)
    , data_(base_)
{
    setObjectName(QStringLiteral("Suppli"));
    setWindowTitle(kTitle);
    const auto columns = counterpartyColumns();
    table_ = new QTableWidget(0, static_cast<int>(columns.size()), this);
    table_->setObjectName(QStringLiteral("suppliers"));
    QStringList captions;
    for (const CounterpartyColumn &c : columns)
        captions << QString::fromUtf16(c.caption);
    table_->setHorizontalHeaderLabels(captions);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    connect(table_, &QTableWidget::itemChanged, this, &SuppliersForm::edited);
    connect(table_, &QTableWidget::cellClicked, this, &SuppliersForm::clicked);
    new GridKeys(table_, nullptr, [this] { removeCurrent(); });
    reload();
}

void SuppliersForm::reload()
{
    loading_ = true;
    const auto rows = data_.list();
    rows_ = rows ? *rows : std::vector<Counterparty>();
    const int n = static_cast<int>(rows_.size());
    table_->setRowCount(n + 1);
    for (int r = 0; r < n; ++r) {
        const QVariantList values = data_.fields(rows_[static_cast<size_t>(r)].id);
        for (int c = 0; c < table_->columnCount(); ++c)
            table_->setItem(r, c, textItem(c < values.size() ? values[c].toString() : QString()));
    }
    fillAddRow(table_, n, 0);
    loading_ = false;
}

void SuppliersForm::clicked(int row, int column)
{
    (void)column;
    if (row != static_cast<int>(rows_.size()))
        return;
    const auto key = data_.add();
    tellRefusal(base_.context().prompter, key ? Status() : Status::failure(key.error()), kTitle);
    reload();
    if (key) {
        table_->setCurrentCell(row, 0);
        table_->editItem(table_->item(row, 0));
    }
}

void SuppliersForm::edited(QTableWidgetItem *item)
{
    if (loading_ || item->row() >= static_cast<int>(rows_.size()))
        return;
    const QString field = QString::fromUtf16(counterpartyColumns()[static_cast<size_t>(item->column())].field);
    tellRefusal(base_.context().prompter,
        data_.setField(rows_[static_cast<size_t>(item->row())].id, field, item->text()), kTitle);
}

void SuppliersForm::removeCurrent()
{
    const int row = table_->currentRow();
    if (row < 0 || row >= static_cast<int>(rows_.size()))
        return;
    tellRefusal(base_.context().prompter, data_.remove(rows_[static_cast<size_t>(row)].id), kTitle);
    reload();
}

} // namespace kulvera
