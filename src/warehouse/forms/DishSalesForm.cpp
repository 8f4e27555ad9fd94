#include "warehouse/forms/DishSalesForm.h"

#include "common/NumberText.h"
#include "common/Prompter.h"
#include "recipes/DishBase.h"
#include "recipes/Masses.h"
#include "recipes/RecipeOutputs.h"
#include "recipes/StoredText.h"
#include "shell/Connections.h"
#include "shell/DishCollections.h"
#include "shell/SharedSettings.h"
#include "warehouse/DishSaleDocument.h"
#include "warehouse/forms/WarehouseGrid.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kulvera {
namespace {

const QString kTitle = QStringLiteral("Накладные на блюда");

QPushButton *button(const QString &text, const QString &name, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    return b;
}

} // namespace

DishSalesForm::DishSalesForm(AppContext &context, QWidget *parent)
    : QWidget(parent)
    , base_(context)
    , sales_(base_)
{
    setObjectName(QStringLiteral("nakl_di"));
    setWindowTitle(kTitle);

    invoices_ = new QTableWidget(0, 4, this);
    invoices_->setObjectName(QStringLiteral("invoices"));
    invoices_->setHorizontalHeaderLabels(
        {QStringLiteral("Номер"), QStringLiteral("Дата"), QStringLiteral("Покупатель"), QStringLiteral("Сумма, руб.")});
    invoices_->setSelectionBehavior(QAbstractItemView::SelectRows);
    invoices_->setSelectionMode(QAbstractItemView::SingleSelection);
    invoices_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(invoices_, &QTableWidget::currentCellChanged, this, [this] { invoiceChosen(); });

    number_ = new QLineEdit(this);
    number_->setObjectName(QStringLiteral("number"));
    date_ = new QDateEdit(context.clock.today(), this);
    date_->setObjectName(QStringLiteral("date"));
    date_->setCalendarPopup(true);
    date_->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    connect(date_, &QDateEdit::dateChanged, this, [this] { dateEdited(); });
    buyer_ = new ReferenceCombo(base_, ReferenceList::Suppliers, this);
    buyer_->setObjectName(QStringLiteral("buyer"));
    auto *add = button(QStringLiteral("Новая накладная"), QStringLiteral("addInvoice"), this);
    connect(add, &QPushButton::clicked, this, [this] { addInvoice(); });
    auto *removeInvoice = button(QStringLiteral("Удалить накладную"), QStringLiteral("removeInvoice"), this);
    connect(removeInvoice, &QPushButton::clicked, this, [this] {
        if (const qint64 key = currentInvoice()) {
            tellRefusal(base_.context().prompter, sales_.remove(key), kTitle);
            reloadInvoices();
        }
    });
    print_ = button(QStringLiteral("Печать"), QStringLiteral("print"), this);
    connect(print_, &QPushButton::clicked, this, [this] { choosePrintFile(); });

    lines_ = new QTableWidget(0, ColumnCount, this);
    lines_->setObjectName(QStringLiteral("lines"));
    lines_->setHorizontalHeaderLabels({QStringLiteral("Рецептура"), QStringLiteral("Количество"),
        QStringLiteral("Выход, г"), QStringLiteral("Цена, руб."), QStringLiteral("Итого, руб.")});
    lines_->horizontalHeader()->setSectionResizeMode(Dish, QHeaderView::Stretch);
    connect(lines_, &QTableWidget::itemChanged, this, &DishSalesForm::lineEdited);
    new GridKeys(lines_, nullptr, [this] { removeLine(); });

    collections_ = new QComboBox(this);
    collections_->setObjectName(QStringLiteral("collections"));
    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("search"));
    search_->setPlaceholderText(QStringLiteral("Поиск рецептуры"));
    recipes_ = new QListWidget(this);
    recipes_->setObjectName(QStringLiteral("recipes"));
    auto *addDishButton = button(QStringLiteral("Добавить блюдо"), QStringLiteral("addDish"), this);
    connect(addDishButton, &QPushButton::clicked, this, [this] { addDish(); });
    connect(recipes_, &QListWidget::itemDoubleClicked, this, [this] { addDish(); });
    connect(collections_, &QComboBox::currentIndexChanged, this, [this] { reloadRecipes(); });
    connect(search_, &QLineEdit::textChanged, this, [this](const QString &text) {
        for (int i = 0; i < recipes_->count(); ++i)
            recipes_->item(i)->setHidden(!recipes_->item(i)->text().contains(text.trimmed(), Qt::CaseInsensitive));
    });

    auto *header = new QFormLayout;
    header->addRow(QStringLiteral("Номер:"), number_);
    header->addRow(QStringLiteral("Дата:"), date_);
    header->addRow(QStringLiteral("Покупатель:"), buyer_);
    auto *headerButtons = new QHBoxLayout;
    headerButtons->addWidget(add);
    headerButtons->addWidget(removeInvoice);
    headerButtons->addWidget(print_);
    auto *left = new QWidget(this);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->addWidget(invoices_, 1);
    leftLayout->addLayout(header);
    leftLayout->addLayout(headerButtons);
    leftLayout->addWidget(lines_, 2);
    auto *right = new QWidget(this);
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->addWidget(collections_);
    rightLayout->addWidget(search_);
    rightLayout->addWidget(recipes_, 1);
    rightLayout->addWidget(addDishButton);
    auto *splitter = new QSplitter(this);
    splitter->addWidget(left);
    splitter->addWidget(right);
    splitter->setStretchFactor(0, 3);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(splitter);

    const int dishes = static_cast<int>(BaseId::Dishes);
    if (context.connections.isConnected(dishes)) {
        const Result<StoredTextCodec> codec
            = installationCodec(context.connections, dishes, context.settings, &context.prompter);
        if (codec) {
            dishBase_
                = std::make_unique<DishBase>(context.connections, dishes, context.settings, context.prompter, *codec);
            for (const DishCollection &c : listCollections(context.connections, context.settings))
                collections_->addItem(c.name, c.table);
        }
    }
    reloadRecipes();
    reloadInvoices();
}

DishSalesForm::~DishSalesForm() = default;

qint64 DishSalesForm::currentInvoice() const
{
    const int row = invoices_->currentRow();
    return row >= 0 && row < static_cast<int>(headers_.size()) ? headers_[static_cast<size_t>(row)].key : 0;
}

bool DishSalesForm::print(const QString &outputPath)
{
    Prompter &prompter = base_.context().prompter;
    const auto header = sales_.header(currentInvoice());
    if (!header) {
        prompter.warning(kDishSaleNotFound.toString(), windowTitle());
        return false;
    }
    const auto lines = sales_.lines(header->key);
    if (!lines) {
        prompter.warning(lines.error(), windowTitle());
        return false;
    }
    const auto done = printDishSale(
        *header, *lines, base_.context().shared.templatesFolder(), base_.context().settings, outputPath, prompter);
    if (!done)
        prompter.warning(done.error(), windowTitle());
    return done.ok();
}

void DishSalesForm::choosePrintFile()
{
    const QString file = QFileDialog::getSaveFileName(this, QStringLiteral("Сохранение накладной"),
        QStringLiteral("nakl_di.xlsx"), QStringLiteral("Книга Excel (*.xlsx)"));
    if (!file.isEmpty() && print(file))
        base_.context().prompter.message(QStringLiteral("Накладная сохранена: ") + file);
}

void DishSalesForm::reloadInvoices()
{
    const qint64 current = currentInvoice();
    loading_ = true;
    const auto headers = sales_.list();
    headers_ = headers ? *headers : std::vector<DishSaleHeader>();
    invoices_->setRowCount(static_cast<int>(headers_.size()));
    int chosen = -1;
    for (int r = 0; r < invoices_->rowCount(); ++r) {
        const DishSaleHeader &h = headers_[static_cast<size_t>(r)];
        invoices_->setItem(r, 0, textItem(h.number, false));
        invoices_->setItem(r, 1, textItem(h.date.toString(QStringLiteral("dd.MM.yyyy")), false));
        invoices_->setItem(r, 2, textItem(h.buyerName, false));
        invoices_->setItem(r, 3, textItem(formatFixed(h.sum, 2), false));
        if (h.key == current)
            chosen = r;
    }
    loading_ = false;
    invoices_->setCurrentCell(chosen, 0);
    invoiceChosen();
}

void DishSalesForm::invoiceChosen()
{
    if (loading_)
        return;
    const qint64 key = currentInvoice();
    if (key) {
        const DishSaleHeader &h = headers_[static_cast<size_t>(invoices_->currentRow())];
        loading_ = true;
        number_->setText(h.number);
        date_->setDate(h.date);
        buyer_->selectKey(h.buyer);
        loading_ = false;
    }
    reloadLines();
}

void DishSalesForm::reloadLines()
{
    loading_ = true;
    const auto rows = sales_.lines(currentInvoice());
    rows_ = rows && currentInvoice() ? *rows : std::vector<DishSaleLine>();
    lines_->setRowCount(static_cast<int>(rows_.size()));
    for (int r = 0; r < lines_->rowCount(); ++r) {
        const DishSaleLine &l = rows_[static_cast<size_t>(r)];
        lines_->setItem(r, Dish, textItem(l.dish, false));
        lines_->setItem(r, Portions, textItem(formatNumber(l.portions)));
        lines_->setItem(r, Output, textItem(formatNumber(l.output)));
        lines_->setItem(r, Price, textItem(formatFixed(l.price, 2)));
        lines_->setItem(r, Total, textItem(formatFixed(l.total(), 2), false));
    }
    loading_ = false;
}

void DishSalesForm::reloadRecipes()
{
    recipes_->clear();
    if (!dishBase_ || collections_->currentIndex() < 0)
        return;
    const auto recipes = recipeOutputs(*dishBase_, collections_->currentData().toString());
    if (!recipes)
        return;
    for (const RecipeOutput &r : *recipes) {
        auto *item = new QListWidgetItem(r.name, recipes_);
        item->setData(Qt::UserRole, r.output);
    }
}

bool DishSalesForm::addInvoice()
{
    const auto key = sales_.add(number_->text().trimmed(), date_->date(), buyer_->currentKey());
    tellRefusal(base_.context().prompter, key ? Status() : Status::failure(key.error()), kTitle);
    if (!key)
        return false;
    reloadInvoices();
    for (int r = 0; r < static_cast<int>(headers_.size()); ++r) {
        if (headers_[static_cast<size_t>(r)].key == *key)
            invoices_->setCurrentCell(r, 0);
    }
    return true;
}

bool DishSalesForm::addDish()
{
    Prompter &prompter = base_.context().prompter;
    const qint64 invoice = currentInvoice();
    if (!invoice) {
        prompter.warning(kDishSaleNotFound.toString(), kTitle);
        return false;
    }
    const QListWidgetItem *item = recipes_->currentItem();
    if (!dishBase_ || !item) {
        prompter.warning(kDishNotFound.toString(), kTitle);
        return false;
    }
    DishSaleLine line;
    line.dish = item->text();
    line.output = outputValue(item->data(Qt::UserRole).toString());
    line.portions = 1;
    const auto key = sales_.addLine(invoice, *dishBase_, collections_->currentData().toString(), line);
    tellRefusal(prompter, key ? Status() : Status::failure(key.error()), kTitle);
    reloadInvoices();
    return static_cast<bool>(key);
}

bool DishSalesForm::removeLine()
{
    const int row = lines_->currentRow();
    if (row < 0 || row >= static_cast<int>(rows_.size()))
        return false;
    const Status removed = sales_.removeLine(rows_[static_cast<size_t>(row)].key);
    tellRefusal(base_.context().prompter, removed, kTitle);
    reloadInvoices();
    return static_cast<bool>(removed);
}

void DishSalesForm::lineEdited(QTableWidgetItem *item)
{
    if (loading_ || item->row() >= static_cast<int>(rows_.size()))
        return;
    DishSaleLine line = rows_[static_cast<size_t>(item->row())];
    const std::optional<double> value = parseNumber(item->text().trimmed());
    Status result;
    if (!value) {
        result = Status::failure(QStringLiteral("Введите число"));
    } else {
        switch (item->column()) {
        case Portions:
            line.portions = *value;
            break;
        case Output:
            line.output = *value;
            break;
        case Price:
            line.price = *value;
            break;
        default:
            return;
        }
        result = sales_.updateLine(line);
    }
    tellRefusal(base_.context().prompter, result, kTitle);
    // Rebuilt after the editor closes: the totals and the sum follow, a refused value goes back.
    QMetaObject::invokeMethod(
        this, [this] { reloadInvoices(); }, Qt::QueuedConnection);
}

void DishSalesForm::dateEdited()
{
    const qint64 key = currentInvoice();
    if (loading_ || !key)
        return;
    const Status set = sales_.setDate(key, date_->date());
    tellRefusal(base_.context().prompter, set, kTitle);
    if (set) {
        base_.context().prompter.status(
            QStringLiteral("Установлена дата накладной: ") + date_->date().toString(QStringLiteral("dd.MM.yyyy")));
    }
    reloadInvoices();
}

} // namespace kulvera
