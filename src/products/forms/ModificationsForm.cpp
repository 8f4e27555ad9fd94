#include "products/forms/ModificationsForm.h"

#include "common/NumberText.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kulvera {
namespace {

enum Column { Name, ColdLoss, Norm, HeatLoss, Note, ColumnCount };

} // namespace

const QString ModificationsForm::kAddRowText = QStringLiteral("Щелкните для добавления...");

ModificationsForm::ModificationsForm(AppContext &context, qint64 productKey, QWidget *parent)
    : QWidget(parent)
    , context_(context)
    , productKey_(productKey)
    , mods_(context.connections, context.prompter, static_cast<int>(BaseId::Products))
{
    setObjectName(QStringLiteral("ProductMods"));
    setWindowTitle(ProductMods::kTitle.toString());
    table_ = new QTableWidget(0, ColumnCount, this);
    table_->setObjectName(QStringLiteral("modsTable"));
    table_->setHorizontalHeaderLabels({QStringLiteral("Вариант потерь при мех. обработке"),
        QStringLiteral("Величина потерь при мех. обработке, %"), QStringLiteral("Норма закладки, %"),
        QStringLiteral("Потери при тепловой обработке, %"), QStringLiteral("Примечание")});
    table_->horizontalHeader()->setSectionResizeMode(Name, QHeaderView::Stretch);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    auto *remove = new QPushButton(QStringLiteral("Удалить"), this);
    remove->setObjectName(QStringLiteral("delete"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(remove);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(table_, 1);
    layout->addLayout(buttons);
    connect(table_, &QTableWidget::itemChanged, this, &ModificationsForm::cellEdited);
    connect(remove, &QPushButton::clicked, this, &ModificationsForm::removeCurrent);
    reload();
}

void ModificationsForm::reload()
{
    loading_ = true;
    rows_ = productKey_ > 0 ? mods_.ofProduct(productKey_) : mods_.all();
    table_->setRowCount(static_cast<int>(rows_.size()) + 1);
    for (int r = 0; r < static_cast<int>(rows_.size()); ++r) {
        const Modification &m = rows_[static_cast<size_t>(r)];
        table_->setItem(r, Name, new QTableWidgetItem(m.name));
        table_->setItem(r, ColdLoss, new QTableWidgetItem(formatNumber(m.coldLoss)));
        table_->setItem(r, Norm, new QTableWidgetItem(formatNumber(m.norm)));
        table_->setItem(r, HeatLoss, new QTableWidgetItem(formatNumber(m.heatLoss)));
        table_->setItem(r, Note, new QTableWidgetItem(m.note));
    }
    const int addRow = static_cast<int>(rows_.size());
    table_->setItem(addRow, Name, new QTableWidgetItem(kAddRowText));
    for (int c = 1; c < ColumnCount; ++c) {
        auto *blank = new QTableWidgetItem();
        blank->setFlags(blank->flags() & ~Qt::ItemIsEditable);
        table_->setItem(addRow, c, blank);
    }
    loading_ = false;
}

void ModificationsForm::cellEdited(QTableWidgetItem *item)
{
    if (loading_)
        return;
    const int row = item->row();
    const QString text = item->text().trimmed();
    if (row == static_cast<int>(rows_.size())) {
        // The add row: a name typed over the prompt creates the modification.
        if (item->column() != Name || text.isEmpty() || text == kAddRowText) {
            reload();
            return;
        }
        Modification m;
        m.name = text;
        mods_.add(m, productKey_);
        reload();
        return;
    }
    Modification m = rows_[static_cast<size_t>(row)];
    switch (item->column()) {
    case Name:
        m.name = text;
        break;
    case ColdLoss:
    case Norm:
    case HeatLoss: {
        const auto number = parseNumber(text);
        if (!number) {
            context_.prompter.warning(
                QStringLiteral("Неверное числовое значение: ") + text, ProductMods::kTitle.toString());
            reload();
            return;
        }
        (item->column() == ColdLoss ? m.coldLoss : item->column() == Norm ? m.norm : m.heatLoss) = *number;
        break;
    }
    case Note:
        m.note = text;
        break;
    default:
        return;
    }
    if (mods_.update(m))
        rows_[static_cast<size_t>(row)] = m;
    reload();
}

void ModificationsForm::removeCurrent()
{
    const int row = table_->currentRow();
    if (row < 0 || row >= static_cast<int>(rows_.size()))
        return;
    const Modification &m = rows_[static_cast<size_t>(row)];
    if (!context_.prompter.confirm(
            QStringLiteral("Удалить модификацию '") + m.name + QStringLiteral("'?"), ProductMods::kTitle.toString()))
        return;
    mods_.remove(m.code);
    reload();
}

} // namespace kulvera
