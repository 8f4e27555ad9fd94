#include "maintenance/forms/ProductReplacementForm.h"

#include "maintenance/MaintenanceRun.h"
#include "maintenance/forms/ProgressDialog.h"
#include "products/ProductBase.h"
#include "recipes/HeatTreatment.h"
#include "shell/AppContext.h"

#include <QComboBox>
#include <QCompleter>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kulvera {
namespace {

QComboBox *productList(const std::vector<ProductRow> &rows, const QString &name, QWidget *parent)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    for (const ProductRow &row : rows)
        box->addItem(
            row.prod.FullName + QStringLiteral(" [") + row.prod.Kod.toString() + u']', row.prod.Kod.toLongLong());
    box->setCurrentIndex(-1);
    box->completer()->setCompletionMode(QCompleter::PopupCompletion);
    box->completer()->setFilterMode(Qt::MatchContains);
    box->completer()->setCaseSensitivity(Qt::CaseInsensitive);
    return box;
}

} // namespace

ProductReplacementForm::ProductReplacementForm(AppContext &context, QWidget *parent)
    : QWidget(parent)
    , context_(context)
{
    setObjectName(QStringLiteral("rpl_prods"));
    setWindowTitle(QStringLiteral("Замена продукта в блюдах"));
    const Result<std::vector<ProductRow>> rows
        = ProductBase(context.connections, context.settings, context.prompter, context.clock).list();
    const std::vector<ProductRow> products = rows ? rows.value() : std::vector<ProductRow>();
    from_ = productList(products, QStringLiteral("replacedProduct"), this);
    to_ = productList(products, QStringLiteral("replacingProduct"), this);
    replace_ = new QPushButton(QStringLiteral("Заменить"), this);
    replace_->setObjectName(QStringLiteral("replaceButton"));
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Заменить продукт:"), from_);
    form->addRow(QStringLiteral("на продукт:"), to_);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    auto *note = new QLabel(QStringLiteral("Продукт будет заменен во всех рецептурах базы блюд; перед заменой "
                                           "делается архивная копия базы."),
        this);
    note->setWordWrap(true);
    layout->addWidget(note);
    layout->addWidget(replace_);
    layout->addStretch();
    connect(replace_, &QPushButton::clicked, this, &ProductReplacementForm::replace);
}

qint64 ProductReplacementForm::chosen(const QComboBox *box) const
{
    const int index = box->findText(box->currentText());
    return index < 0 ? 0 : box->itemData(index).toLongLong();
}

bool ProductReplacementForm::choose(bool replaced, qint64 key)
{
    QComboBox *box = replaced ? from_ : to_;
    const int index = box->findData(key);
    box->setCurrentIndex(index);
    return index >= 0;
}

void ProductReplacementForm::replace()
{
    const qint64 from = chosen(from_);
    const qint64 to = chosen(to_);
    if (from == 0 || to == 0) {
        context_.prompter.warning(QStringLiteral("Продукт не выбран!"), windowTitle());
        return;
    }
    if (from == to) {
        context_.prompter.warning(QStringLiteral("Продукт нельзя заменить им же самим."), windowTitle());
        return;
    }
    if (!context_.prompter.confirm(QStringLiteral("Заменить продукт '") + from_->currentText()
                + QStringLiteral("' на '") + to_->currentText() + QStringLiteral("' во всех рецептурах базы блюд?"),
            windowTitle(), QStringLiteral("ReplaceProductInDishes")))
        return;
    ProgressDialog progress(windowTitle(), context_.prompter, this);
    const MaintenanceReport report = replaceProductInDishes(context_, from, to, progress, programLossTables());
    showMaintenanceReport(context_.prompter, report);
}

} // namespace kulvera
