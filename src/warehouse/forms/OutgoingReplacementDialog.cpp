#include "warehouse/forms/OutgoingReplacementDialog.h"

#include "warehouse/IncomingInvoices.h"
#include "warehouse/StockQueries.h"
#include "warehouse/WarehouseBase.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kulvera {

OutgoingReplacementDialog::OutgoingReplacementDialog(
    WarehouseBase &base, qint64 warehouse, const QString &source, QWidget *parent)
    : QDialog(parent)
    , base_(base)
    , warehouse_(warehouse)
{
    setObjectName(QStringLiteral("replaceProduct"));
    setWindowTitle(QStringLiteral("Замена продукта"));
    auto *sourceLabel = new QLabel(QStringLiteral("Исходный продукт: ") + source, this);
    sourceLabel->setObjectName(QStringLiteral("source"));
    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("search"));
    search_->setPlaceholderText(QStringLiteral("Поиск продукта"));
    candidates_ = new QListWidget(this);
    candidates_->setObjectName(QStringLiteral("candidates"));
    if (const auto choices = IncomingInvoices(base_).products()) {
        for (const ProductChoice &p : *choices) {
            auto *item = new QListWidgetItem(p.name, candidates_);
            item->setData(Qt::UserRole, p.key);
        }
    }
    stock_ = new QLabel(this);
    stock_->setObjectName(QStringLiteral("stock"));
    full_ = new QRadioButton(QStringLiteral("Полная замена"), this);
    full_->setObjectName(QStringLiteral("full"));
    full_->setChecked(true);
    factored_ = new QRadioButton(QStringLiteral("Замена с коэффициентом"), this);
    factored_->setObjectName(QStringLiteral("withFactor"));
    factor_ = new QLineEdit(QStringLiteral("1"), this);
    factor_->setObjectName(QStringLiteral("factor"));
    factor_->setEnabled(false);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto *factorRow = new QHBoxLayout;
    factorRow->addWidget(factored_);
    factorRow->addWidget(factor_);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(sourceLabel);
    layout->addWidget(search_);
    layout->addWidget(candidates_, 1);
    layout->addWidget(stock_);
    layout->addWidget(full_);
    layout->addLayout(factorRow);
    layout->addWidget(buttons);

    connect(search_, &QLineEdit::textChanged, this, &OutgoingReplacementDialog::filter);
    connect(candidates_, &QListWidget::currentRowChanged, this, &OutgoingReplacementDialog::candidateChanged);
    connect(factored_, &QRadioButton::toggled, factor_, &QLineEdit::setEnabled);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    candidateChanged();
}

qint64 OutgoingReplacementDialog::target() const
{
    const QListWidgetItem *item = candidates_->currentItem();
    return item && !item->isHidden() ? item->data(Qt::UserRole).toLongLong() : 0;
}

bool OutgoingReplacementDialog::withFactor() const
{
    return factored_->isChecked();
}

QString OutgoingReplacementDialog::factorText() const
{
    return factor_->text().trimmed();
}

void OutgoingReplacementDialog::candidateChanged()
{
    const qint64 product = target();
    if (product <= 0) {
        stock_->setText(QStringLiteral("Остатки на складе: "));
        return;
    }
    QStringList units;
    const UnitStockResult stock = StockQueries(base_).stockByUnit(product, warehouse_, {});
    for (const UnitStock &u : stock.units)
        units << u.display();
    units << stock.warnings;
    stock_->setText(QStringLiteral("Остатки на складе: ") + units.join(QStringLiteral("; ")));
}

void OutgoingReplacementDialog::filter(const QString &text)
{
    int first = -1;
    for (int r = 0; r < candidates_->count(); ++r) {
        const bool hidden = !candidates_->item(r)->text().contains(text, Qt::CaseInsensitive);
        candidates_->item(r)->setHidden(hidden);
        if (!hidden && first < 0)
            first = r;
    }
    candidates_->setCurrentRow(first);
}

} // namespace kulvera
