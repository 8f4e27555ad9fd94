#include "warehouse/forms/OutgoingDocumentsForm.h"

#include "common/NumberText.h"
#include "common/SettingsAccess.h"
#include "common/TextDate.h"
#include "shell/forms/FormButtons.h"
#include "warehouse/Warehouses.h"
#include "warehouse/forms/OutgoingReplacementDialog.h"
#include "warehouse/forms/WarehouseGrid.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

namespace kulvera {
namespace {

const QString kTitle = QStringLiteral("Складской учет");
const QString kShowPostedKey = QStringLiteral("ws_cShowHidden");
constexpr int kProductIndexRole = Qt::UserRole + 1;

// A cell sorted by the value kept in its UserRole (dates, numbers), by its text otherwise.
class SortedItem : public QTableWidgetItem
{
public:
    SortedItem(const QString &text, const QVariant &sortKey = {})
        : QTableWidgetItem(text)
    {
        setFlags(flags() & ~Qt::ItemIsEditable);
        if (sortKey.isValid())
            setData(Qt::UserRole, sortKey);
    }
    bool operator<(const QTableWidgetItem &other) const override
    {
        const QVariant a = data(Qt::UserRole);
        const QVariant b = other.data(Qt::UserRole);
        if (a.isValid() && b.isValid())
            return QVariant::compare(a, b) == QPartialOrdering::Less;
        return text().localeAwareCompare(other.text()) < 0;
    }
};

// Enter and Delete on a list call the form back.
class ListKeys : public QObject
{
public:
    ListKeys(QTableWidget *table, std::function<void()> onEnter, std::function<void()> onDelete)
        : QObject(table)
        , onEnter_(std::move(onEnter))
        , onDelete_(std::move(onDelete))
    {
        table->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent *>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && onEnter_) {
            onEnter_();
            return true;
        }
        if (key == Qt::Key_Delete && onDelete_) {
            onDelete_();
            return true;
        }
        return false;
    }

private:
    std::function<void()> onEnter_;
    std::function<void()> onDelete_;
};

// The stored colour is a Windows colour number: red in the low byte, blue in the high one.
QColor windowsColour(int value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

} // namespace

OutgoingDocumentsForm::OutgoingDocumentsForm(AppContext &context, QWidget *parent)
    : QWidget(parent)
    , base_(context)
    , documents_(base_)
    , edits_(base_)
    , selection_(base_)
{
    setObjectName(QStringLiteral("NaklMinus"));
    setWindowTitle(QStringLiteral("Расходные накладные"));
    postedColour_ = windowsColour(
        context.settings.getInt(Section::Calc, QStringLiteral("vbBackColorNaklM"), kDefaultPostedColour));

    warehouse_ = new ReferenceCombo(base_, ReferenceList::Warehouses, this);
    warehouse_->setObjectName(QStringLiteral("warehouse"));
    onlyWarehouse_ = new QCheckBox(QStringLiteral("Только накладные этого склада"), this);
    onlyWarehouse_->setObjectName(QStringLiteral("warehouseFilter"));
    showPosted_ = new QCheckBox(QStringLiteral("Показывать проведенные"), this);
    showPosted_->setObjectName(QStringLiteral("showPosted"));
    showPosted_->setChecked(context.settings.getFlag(Section::UserInterface, kShowPostedKey, false));

    headers_ = new QTableWidget(0, HeaderColumnCount, this);
    headers_->setObjectName(QStringLiteral("headers"));
    headers_->setHorizontalHeaderLabels({QStringLiteral("Дата"), QStringLiteral("Номер"), QStringLiteral("Склад"),
        QStringLiteral("Сумма"), QStringLiteral("Примечание"), QStringLiteral("Проводка"), QStringLiteral("Код")});
    headers_->setSelectionBehavior(QAbstractItemView::SelectRows);
    headers_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    headers_->horizontalHeader()->setSortIndicator(Date, Qt::AscendingOrder);
    headers_->horizontalHeader()->setSectionResizeMode(Note, QHeaderView::Stretch);
    products_ = new QTableWidget(0, ProductColumnCount, this);
    products_->setObjectName(QStringLiteral("products"));
    products_->setHorizontalHeaderLabels(
        {QStringLiteral("Сырье"), QStringLiteral("Масса брутто"), QStringLiteral("Ед.изм."),
            QStringLiteral("Наличие на складе"), QStringLiteral("Склад"), QStringLiteral("Код_Прод")});
    products_->setSelectionBehavior(QAbstractItemView::SelectRows);
    products_->setSelectionMode(QAbstractItemView::SingleSelection);
    products_->horizontalHeader()->setSortIndicator(Product, Qt::AscendingOrder);
    products_->horizontalHeader()->setSectionResizeMode(Product, QHeaderView::Stretch);
    for (QTableWidget *t : {headers_, products_}) {
        t->setEditTriggers(QAbstractItemView::NoEditTriggers);
        t->setSortingEnabled(true);
    }

    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Склад:"), this));
    top->addWidget(warehouse_, 1);
    top->addWidget(onlyWarehouse_);
    top->addWidget(showPosted_);
    auto *buttons = new QHBoxLayout;
    const auto button = [&](const char *name, const char *text, void (OutgoingDocumentsForm::*action)()) {
        connect(addButton(this, buttons, QString::fromUtf8(name), QString::fromUtf8(text)), &QPushButton::clicked, this,
            action);
    };
    button("cmdPost", "&Провести", &OutgoingDocumentsForm::postSelection);
    button("cmdPrices", "&Обновление цен", &OutgoingDocumentsForm::updatePrices);
    button("cmdMass", "&Изменить массу брутто", &OutgoingDocumentsForm::editGrossMass);
    button("cmdReplace", "&Замена продукта", &OutgoingDocumentsForm::replaceProduct);
    button("cmdNote", "При&мечание", &OutgoingDocumentsForm::editNote);
    button("cmdRound", "&Округлить массу брутто", &OutgoingDocumentsForm::roundAll);
    button("cmdDelete", "&Удалить накладную", &OutgoingDocumentsForm::deleteSelection);
    buttons->addStretch(1);
    auto *grids = new QSplitter(Qt::Vertical, this);
    grids->addWidget(headers_);
    grids->addWidget(products_);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(grids, 1);
    layout->addLayout(buttons);

    connect(warehouse_, &QComboBox::currentIndexChanged, this, [this] {
        if (onlyWarehouse_->isChecked())
            reloadHeaders();
        else
            reloadProducts();
    });
    connect(onlyWarehouse_, &QCheckBox::toggled, this, &OutgoingDocumentsForm::reloadHeaders);
    connect(showPosted_, &QCheckBox::toggled, this, [this](bool on) {
        base_.context().settings.saveFlag(Section::UserInterface, kShowPostedKey, on);
        reloadHeaders();
    });
    connect(headers_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
        &OutgoingDocumentsForm::selectionChanged);
    new ListKeys(
        headers_, [this] { products_->setFocus(); }, [this] { deleteSelection(); });
    new ListKeys(
        products_, [this] { editGrossMass(); }, nullptr);
    reloadHeaders();
}

void OutgoingDocumentsForm::refuse(const Status &status)
{
    tellRefusal(base_.context().prompter, status, kTitle);
}

std::vector<qint64> OutgoingDocumentsForm::selectedKeys() const
{
    std::vector<int> rows;
    for (const QModelIndex &index : headers_->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    std::vector<qint64> keys;
    for (const int row : rows) {
        if (const QTableWidgetItem *item = headers_->item(row, HeaderKey))
            keys.push_back(item->text().toLongLong());
    }
    return keys;
}

int OutgoingDocumentsForm::rowOf(qint64 key) const
{
    for (int r = 0; r < headers_->rowCount(); ++r) {
        if (const QTableWidgetItem *item = headers_->item(r, HeaderKey); item && item->text().toLongLong() == key)
            return r;
    }
    return -1;
}

void OutgoingDocumentsForm::reloadHeaders()
{
    const std::vector<qint64> kept = accepted_;
    loading_ = true;
    QHash<qint64, QString> names;
    if (const auto list = Warehouses(base_).list()) {
        for (const WarehouseRow &w : *list)
            names.insert(w.key, w.name);
    }
    const auto rows = selection_.list(showPosted_->isChecked(),
        onlyWarehouse_->isChecked() ? std::optional<qint64>(warehouse_->currentKey()) : std::nullopt);
    headerRows_ = rows ? *rows : std::vector<OutgoingHeader>();
    headers_->setSortingEnabled(false);
    headers_->clearSelection();
    headers_->setRowCount(static_cast<int>(headerRows_.size()));
    int r = 0;
    for (const OutgoingHeader &h : headerRows_) {
        // Documents of one day stay in the order they were written.
        const QString dateKey = h.date.toString(u"yyyyMMdd") + QStringLiteral("%1").arg(h.key, 12, 10, QChar(u'0'));
        headers_->setItem(r, Date, new SortedItem(formatTextDate(h.date), dateKey));
        headers_->setItem(r, Number, new SortedItem(h.number));
        headers_->setItem(r, Warehouse, new SortedItem(names.value(h.warehouse)));
        headers_->setItem(r, Sum, new SortedItem(formatFixed(h.sum, kDefaultRoundPrice), h.sum));
        headers_->setItem(r, Note, new SortedItem(h.note));
        headers_->setItem(r, Posted, new SortedItem(h.posted ? QStringLiteral("Да") : QStringLiteral("Нет")));
        headers_->setItem(r, HeaderKey, new SortedItem(QString::number(h.key), h.key));
        if (h.posted) {
            for (int c = 0; c < HeaderColumnCount; ++c)
                headers_->item(r, c)->setBackground(postedColour_);
        }
        ++r;
    }
    headers_->setSortingEnabled(true);
    std::vector<qint64> still;
    std::copy_if(kept.begin(), kept.end(), std::back_inserter(still), [this](qint64 key) { return rowOf(key) >= 0; });
    if (still.empty() && headers_->rowCount() > 0)
        still.push_back(headers_->item(0, HeaderKey)->text().toLongLong());
    restoreSelection(still);
    loading_ = false;
    accepted_ = selectedKeys();
    reloadProducts();
}

void OutgoingDocumentsForm::restoreSelection(const std::vector<qint64> &keys)
{
    const bool wasLoading = loading_;
    loading_ = true;
    QItemSelectionModel *model = headers_->selectionModel();
    model->clearSelection();
    for (const qint64 key : keys) {
        const int row = rowOf(key);
        if (row < 0)
            continue;
        const QModelIndex index = headers_->model()->index(row, 0);
        model->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
        model->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    }
    loading_ = wasLoading;
}

void OutgoingDocumentsForm::selectionChanged()
{
    if (loading_)
        return;
    const std::vector<qint64> keys = selectedKeys();
    std::optional<QDate> date;
    for (const qint64 key : keys) {
        const auto h = std::find_if(
            headerRows_.begin(), headerRows_.end(), [key](const OutgoingHeader &row) { return row.key == key; });
        if (h == headerRows_.end())
            continue;
        if (date && *date != h->date) {
            base_.context().prompter.warning(OutgoingSelection::kDifferentDates, kTitle);
            restoreSelection(accepted_);
            return;
        }
        date = h->date;
    }
    accepted_ = keys;
    reloadProducts();
}

void OutgoingDocumentsForm::reloadProducts()
{
    productRows_.clear();
    if (!accepted_.empty()) {
        if (const auto rows = selection_.products(accepted_, warehouse_->currentKey()))
            productRows_ = *rows;
    }
    products_->setSortingEnabled(false);
    products_->setRowCount(static_cast<int>(productRows_.size()));
    const int digits = selection_.productDigits();
    for (int r = 0; r < static_cast<int>(productRows_.size()); ++r) {
        const SelectionProduct &p = productRows_[static_cast<size_t>(r)];
        auto *name = new SortedItem(p.name);
        name->setData(kProductIndexRole, r);
        products_->setItem(r, Product, name);
        products_->setItem(r, Quantity, new SortedItem(formatNumber(roundTo(p.shown, digits)), p.brutto));
        products_->setItem(r, Unit, new SortedItem(p.unitPref));
        products_->setItem(r, Available, new SortedItem(p.availableText, p.available));
        products_->setItem(r, LineWarehouse, new SortedItem(p.warehouseName));
        products_->setItem(r, ProductKey, new SortedItem(QString::number(p.product), p.product));
        if (p.short_) {
            for (int c = 0; c < ProductColumnCount; ++c)
                products_->item(r, c)->setForeground(QColor(Qt::red));
        }
    }
    products_->setSortingEnabled(true);
    QStringList warnings;
    for (const SelectionProduct &p : productRows_)
        warnings << p.stockWarnings;
    if (!warnings.isEmpty())
        base_.context().prompter.warning(warnings.join(u'\n'), kTitle);
    if (products_->rowCount() > 0)
        products_->setCurrentCell(0, Product);
}

const SelectionProduct *OutgoingDocumentsForm::currentProduct() const
{
    const int row = products_->currentRow();
    const QTableWidgetItem *item = row >= 0 ? products_->item(row, Product) : nullptr;
    if (!item)
        return nullptr;
    const int index = item->data(kProductIndexRole).toInt();
    return index >= 0 && index < static_cast<int>(productRows_.size()) ? &productRows_[static_cast<size_t>(index)]
                                                                       : nullptr;
}

void OutgoingDocumentsForm::postSelection()
{
    const auto posted = selection_.post(accepted_, warehouse_->currentKey());
    refuse(posted ? Status() : Status::failure(posted.error()));
    reloadHeaders();
}

void OutgoingDocumentsForm::updatePrices()
{
    const auto priced = selection_.updatePrices(accepted_);
    refuse(priced ? Status() : Status::failure(priced.error()));
    reloadHeaders();
}

void OutgoingDocumentsForm::editGrossMass()
{
    const SelectionProduct *p = currentProduct();
    if (!p)
        return;
    // The table sums lines of several documents; a mass belongs to one line.
    if (p->lines.size() != 1) {
        refuse(
            Status::failure(QStringLiteral("Продукт собран из нескольких строк накладных: выберите одну накладную.")));
        return;
    }
    const qint64 line = p->lines.front();
    const int row = products_->currentRow();
    const auto typed = base_.context().prompter.askText(
        QStringLiteral("Введите новую массу брутто"), kTitle, formatNumber(p->shown));
    if (!typed)
        return;
    const auto value = parseNumber(typed->trimmed());
    refuse(value ? edits_.setGrossMass(line, *value) : Status::failure(QStringLiteral("Введите число: ") + *typed));
    reloadProducts();
    products_->setCurrentCell(std::min(row, products_->rowCount() - 1), Quantity);
}

void OutgoingDocumentsForm::editNote()
{
    if (accepted_.empty())
        return;
    QString current;
    for (const OutgoingHeader &h : headerRows_) {
        if (h.key == accepted_.front())
            current = h.note;
    }
    const auto typed
        = base_.context().prompter.askText(QStringLiteral("Введите новое примечание к накладной"), kTitle, current);
    if (!typed)
        return;
    refuse(edits_.setNote(accepted_, typed->trimmed()));
    reloadHeaders();
}

void OutgoingDocumentsForm::deleteSelection()
{
    if (accepted_.empty())
        return;
    const auto removed = selection_.remove(accepted_);
    refuse(removed ? Status() : Status::failure(removed.error()));
    if (removed && *removed)
        accepted_.clear();
    reloadHeaders();
}

void OutgoingDocumentsForm::roundAll()
{
    Prompter &prompter = base_.context().prompter;
    if (!prompter.confirm(QStringLiteral("Округление массы брутто и нетто для всех продуктов накладных на списание. "
                                         "Отмена операции не предусмотрена. Продолжить?"),
            kTitle))
        return;
    const auto rounded = documents_.roundGrossMasses();
    if (!rounded) {
        refuse(Status::failure(rounded.error()));
        return;
    }
    prompter.message(QStringLiteral("Масса брутто округлена!"), kTitle);
    reloadProducts();
}

void OutgoingDocumentsForm::replaceProduct()
{
    const SelectionProduct *p = currentProduct();
    if (!p)
        return;
    OutgoingReplacementDialog dialog(base_, warehouse_->currentKey(), p->name, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (dialog.target() <= 0) {
        refuse(Status::failure(QStringLiteral("Выберите продукт для замены!")));
        return;
    }
    std::optional<double> factor;
    if (dialog.withFactor()) {
        factor = parseNumber(dialog.factorText());
        if (!factor) {
            refuse(Status::failure(QStringLiteral("Введите число: ") + dialog.factorText()));
            return;
        }
    }
    replaceCurrentProduct(dialog.target(), factor);
}

void OutgoingDocumentsForm::replaceCurrentProduct(qint64 target, std::optional<double> factor)
{
    const SelectionProduct *p = currentProduct();
    if (!p)
        return;
    const auto replaced = edits_.replaceProduct(accepted_, p->product, target, factor.value_or(1.0));
    refuse(replaced ? Status() : Status::failure(replaced.error()));
    reloadProducts();
}

} // namespace kulvera
