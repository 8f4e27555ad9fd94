#include "warehouse/forms/IncomingInvoiceForm.h"

#include "common/NumberText.h"
#include "common/TextDate.h"
#include "products/UnitBase.h"
#include "warehouse/Counterparties.h"
#include "warehouse/Warehouses.h"
#include "warehouse/forms/WarehouseGrid.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSplitter>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace kulvera {
namespace {

const QString kTitle = IncomingInvoices::kTitle.toString();

// Enter on a product adds it; the list hands the key press to the form.
class ProductKeys : public QObject
{
public:
    ProductKeys(QListWidget *list, std::function<void()> add)
        : QObject(list)
        , add_(std::move(add))
    {
        list->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return false;
        add_();
        return true;
    }

private:
    std::function<void()> add_;
};

QString dateTimeText(const QDateTime &moment)
{
    return moment.isValid() ? formatTextDate(moment.date()) + u' ' + moment.time().toString(u"HH:mm:ss") : QString();
}

} // namespace

IncomingInvoiceForm::IncomingInvoiceForm(AppContext &context, QWidget *parent)
    : QWidget(parent)
    , base_(context)
    , invoices_(base_)
    , period_(InvoicePeriod::all())
{
    setObjectName(QStringLiteral("Nakl_Add"));
    setWindowTitle(kTitle);
    const QDate today = context.clock.today();

    periodBox_ = new QComboBox(this);
    periodBox_->setObjectName(QStringLiteral("period"));
    periodBox_->addItems({InvoicePeriod::all().caption, InvoicePeriod::today(today).caption,
        InvoicePeriod::week(today).caption, QStringLiteral("за выбранный период...")});
    from_ = new QDateEdit(today.addDays(-30), this);
    from_->setObjectName(QStringLiteral("periodFrom"));
    to_ = new QDateEdit(today, this);
    to_->setObjectName(QStringLiteral("periodTo"));
    for (QDateEdit *d : {from_, to_}) {
        d->setCalendarPopup(true);
        d->setEnabled(false);
    }
    date_ = new QDateEdit(today, this);
    date_->setObjectName(QStringLiteral("invoiceDate"));
    date_->setCalendarPopup(true);
    for (QDateEdit *d : {from_, to_, date_})
        d->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    supplier_ = new ReferenceCombo(base_, ReferenceList::Suppliers, this);
    supplier_->setObjectName(QStringLiteral("supplier"));
    warehouse_ = new ReferenceCombo(base_, ReferenceList::Warehouses, this);
    warehouse_->setObjectName(QStringLiteral("warehouse"));

    headers_ = new QTableWidget(0, HeaderColumnCount, this);
    headers_->setObjectName(QStringLiteral("headers"));
    headers_->setHorizontalHeaderLabels({QStringLiteral("Код накл."), QStringLiteral("Номер накл."),
        QStringLiteral("Поставщик"), QStringLiteral("Дата накл."), QStringLiteral("Сумма"),
        QStringLiteral("Пользователь"), QStringLiteral("Дата опер.")});
    lines_ = new QTableWidget(0, LineColumnCount, this);
    lines_->setObjectName(QStringLiteral("lines"));
    lines_->setHorizontalHeaderLabels({QStringLiteral("Сырье"), QStringLiteral("Склад"), QStringLiteral("Кол-во"),
        QStringLiteral("Ед.изм."), QStringLiteral("Коэф."), QStringLiteral("Цена, руб."), QStringLiteral("НДС,%"),
        QStringLiteral("НДС,руб."), QStringLiteral("Нац,%"), QStringLiteral("Нац.,руб."),
        QStringLiteral("Стоимость,руб."), QStringLiteral("Проводка"), QStringLiteral("Код"),
        QStringLiteral("Код на складе"), QStringLiteral("Код_Прод"), QStringLiteral("Док. безопасности"),
        QStringLiteral("Рез. орг. оценки"), QStringLiteral("Температура продукта"), QStringLiteral("Срок годности")});
    for (QTableWidget *t : {headers_, lines_})
        t->setSelectionMode(QAbstractItemView::SingleSelection);
    lines_->horizontalHeader()->resizeSection(Product, 220);

    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("productSearch"));
    search_->setPlaceholderText(QStringLiteral("Поиск продукта"));
    products_ = new QListWidget(this);
    products_->setObjectName(QStringLiteral("products"));
    if (const auto choices = invoices_.products()) {
        for (const ProductChoice &p : *choices) {
            auto *item = new QListWidgetItem(p.name, products_);
            item->setData(Qt::UserRole, p.key);
        }
    }

    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Период:"), this));
    top->addWidget(periodBox_);
    top->addWidget(from_);
    top->addWidget(to_);
    top->addSpacing(12);
    top->addWidget(new QLabel(QStringLiteral("Дата:"), this));
    top->addWidget(date_);
    top->addWidget(new QLabel(QStringLiteral("Поставщик:"), this));
    top->addWidget(supplier_, 1);
    top->addWidget(new QLabel(QStringLiteral("Склад:"), this));
    top->addWidget(warehouse_, 1);
    auto *grids = new QSplitter(Qt::Vertical, this);
    grids->addWidget(headers_);
    grids->addWidget(lines_);
    auto *productPane = new QWidget(this);
    auto *productLayout = new QVBoxLayout(productPane);
    productLayout->setContentsMargins(0, 0, 0, 0);
    productLayout->addWidget(search_);
    productLayout->addWidget(products_, 1);
    auto *main = new QSplitter(Qt::Horizontal, this);
    main->addWidget(grids);
    main->addWidget(productPane);
    main->setStretchFactor(0, 3);
    main->setStretchFactor(1, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(main, 1);

    connect(periodBox_, &QComboBox::currentIndexChanged, this, &IncomingInvoiceForm::periodChosen);
    for (QDateEdit *d : {from_, to_})
        connect(d, &QDateEdit::dateChanged, this, [this] { periodChosen(periodBox_->currentIndex()); });
    connect(headers_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
        afterCommit(item, [this](int row, int column, const QString &text) { headerEdited(row, column, text); });
    });
    connect(lines_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
        afterCommit(item, [this](int row, int column, const QString &text) { lineEdited(row, column, text); });
    });
    connect(headers_, &QTableWidget::currentCellChanged, this, [this](int row, int, int previous, int) {
        if (!loading_ && row != previous)
            reloadLines();
    });
    connect(lines_, &QTableWidget::cellClicked, this, [this](int row, int) {
        if (row == static_cast<int>(lineRows_.size()))
            search_->setFocus();
    });
    connect(search_, &QLineEdit::textChanged, this, &IncomingInvoiceForm::filterProducts);
    connect(search_, &QLineEdit::returnPressed, this, [this] { products_->setFocus(); });
    connect(products_, &QListWidget::itemDoubleClicked, this, [this] { addChosenProduct(); });
    new ProductKeys(products_, [this] { addChosenProduct(); });
    new GridKeys(headers_, nullptr, [this] { deleteCurrentInvoice(); });
    new GridKeys(
        lines_, [this] { search_->setFocus(); }, [this] { deleteCurrentLine(); });
    reloadHeaders();
}

void IncomingInvoiceForm::refuse(const Status &status)
{
    tellRefusal(base_.context().prompter, status, kTitle);
}

qint64 IncomingInvoiceForm::currentHeader() const
{
    const int row = headers_->currentRow();
    return row >= 0 && row < static_cast<int>(headerRows_.size()) ? headerRows_[static_cast<size_t>(row)].key : 0;
}

void IncomingInvoiceForm::selectHeader(qint64 key)
{
    for (size_t r = 0; r < headerRows_.size(); ++r) {
        if (headerRows_[r].key == key) {
            headers_->setCurrentCell(static_cast<int>(r), Number);
            reloadLines();
            return;
        }
    }
}

void IncomingInvoiceForm::periodChosen(int index)
{
    const QDate today = base_.context().clock.today();
    from_->setEnabled(index == 3);
    to_->setEnabled(index == 3);
    switch (index) {
    case 0:
        period_ = InvoicePeriod::all();
        break;
    case 1:
        period_ = InvoicePeriod::today(today);
        break;
    case 2:
        period_ = InvoicePeriod::week(today);
        break;
    default: {
        const auto chosen = InvoicePeriod::chosen(from_->date(), to_->date());
        if (!chosen) {
            refuse(Status::failure(chosen.error()));
            return;
        }
        period_ = *chosen;
    }
    }
    reloadHeaders();
}

void IncomingInvoiceForm::reloadHeaders()
{
    const qint64 kept = currentHeader();
    loading_ = true;
    const auto rows = invoices_.headers(period_);
    headerRows_ = rows ? *rows : std::vector<InvoiceHeader>();
    const int n = static_cast<int>(headerRows_.size());
    headers_->setRowCount(n + 1);
    for (int r = 0; r < n; ++r) {
        const InvoiceHeader &h = headerRows_[static_cast<size_t>(r)];
        headers_->setItem(r, HeaderKey, textItem(QString::number(h.key), false));
        headers_->setItem(r, Number, textItem(h.number));
        headers_->setItem(r, Supplier, textItem(h.supplierName));
        headers_->setItem(r, Date, textItem(formatTextDate(h.date)));
        headers_->setItem(r, Sum, textItem(formatFixed(h.sum, kDefaultRoundPrice), false));
        headers_->setItem(r, User, textItem(h.userName, false));
        headers_->setItem(r, OperationTime, textItem(dateTimeText(h.operationTime), false));
    }
    fillAddRow(headers_, n, Number);
    // The number is typed over the prompt.
    headers_->item(n, Number)->setFlags(headers_->item(n, Number)->flags() | Qt::ItemIsEditable);
    loading_ = false;
    int row = n > 0 ? n - 1 : 0;
    for (int r = 0; r < n; ++r) {
        if (headerRows_[static_cast<size_t>(r)].key == kept)
            row = r;
    }
    loading_ = true;
    headers_->setCurrentCell(row, Number);
    loading_ = false;
    reloadLines();
}

void IncomingInvoiceForm::reloadLines()
{
    loading_ = true;
    const qint64 header = currentHeader();
    lineRows_.clear();
    if (header > 0) {
        if (const auto rows = invoices_.lines(header))
            lineRows_ = *rows;
    }
    const int n = static_cast<int>(lineRows_.size());
    lines_->setRowCount(header > 0 ? n + 1 : 0);
    for (int r = 0; r < n; ++r) {
        const InvoiceLine &l = lineRows_[static_cast<size_t>(r)];
        const LineValues &v = l.values;
        const QStringList cells = {l.productName, l.warehouseName, formatFixed(l.quantity(), 3), l.unitPref,
            formatNumber(l.koef), formatFixed(v.price, kDefaultRoundPrice), formatNumber(v.vatPercent),
            formatFixed(v.vatAmount, kDefaultRoundPrice), formatNumber(v.markupPercent),
            formatFixed(v.markupAmount, kDefaultRoundPrice), formatFixed(v.value, kLineAmountDecimals),
            l.posted ? QStringLiteral("Да") : QStringLiteral("Нет"), QString::number(l.key), QString::number(l.lot),
            QString::number(l.product), l.safetyDocument, l.organoleptic, l.temperature, l.shelfLife};
        for (int c = 0; c < LineColumnCount; ++c) {
            const bool editable = c == Warehouse || c == Quantity || c == Unit || c == Price || c == VatPercent
                || c == Markup || c == MarkupAmount || c == Value || c >= SafetyDocument;
            lines_->setItem(r, c, textItem(cells[c], editable));
        }
    }
    if (header > 0)
        fillAddRow(lines_, n, Product);
    loading_ = false;
}

void IncomingInvoiceForm::afterCommit(QTableWidgetItem *item, std::function<void(int, int, const QString &)> edit)
{
    if (loading_)
        return;
    // The grid is rebuilt after an edit: that waits until the editor has closed.
    QTimer::singleShot(
        0, this, [edit = std::move(edit), row = item->row(), column = item->column(), text = item->text().trimmed()] {
            edit(row, column, text);
        });
}

void IncomingInvoiceForm::headerEdited(int row, int column, const QString &text)
{
    if (row == static_cast<int>(headerRows_.size())) {
        if (text.isEmpty() || text == kAddRowText) {
            reloadHeaders();
            return;
        }
        const auto key
            = invoices_.addHeader({text, date_->date(), supplier_->currentKey(), warehouse_->currentKey(), {}}, true);
        refuse(key ? Status() : Status::failure(key.error()));
        // A new invoice dated outside the period is shown anyway.
        if (key && period_.range
            && !(date_->date() >= period_.range->from.date() && date_->date() <= period_.range->to.date()))
            periodBox_->setCurrentIndex(0);
        reloadHeaders();
        if (key)
            selectHeader(*key);
        return;
    }
    const qint64 key = headerRows_[static_cast<size_t>(row)].key;
    Status s;
    switch (column) {
    case Number:
        s = invoices_.setNumber(key, text);
        break;
    case Date: {
        const auto date = parseTextDate(text);
        s = date ? invoices_.setDate(key, *date) : Status::failure(QStringLiteral("Неверная дата: ") + text);
        break;
    }
    case Supplier: {
        const auto supplier = Counterparties(base_).findByNameOrKey(text);
        s = supplier ? invoices_.setSupplier(key, supplier->id)
                     : Status::failure(QStringLiteral("Поставщик не найден: ") + text);
        break;
    }
    default:
        return;
    }
    refuse(s);
    reloadHeaders();
}

void IncomingInvoiceForm::lineEdited(int row, int column, const QString &text)
{
    if (row >= static_cast<int>(lineRows_.size()))
        return;
    const qint64 key = lineRows_[static_cast<size_t>(row)].key;
    Status s;
    switch (column) {
    case Quantity:
        s = invoices_.editLine(key, LineField::Quantity, text);
        break;
    case Price:
        s = invoices_.editLine(key, LineField::Price, text);
        break;
    case VatPercent:
        s = invoices_.editLine(key, LineField::VatPercent, text);
        break;
    case Markup:
        s = invoices_.editLine(key, LineField::Markup, text);
        break;
    case MarkupAmount:
        s = invoices_.editLine(key, LineField::MarkupAmount, text);
        break;
    case Value:
        s = invoices_.editLine(key, LineField::Value, text);
        break;
    case Warehouse: {
        const auto w = Warehouses(base_).findByNameOrKey(text);
        s = w ? invoices_.setLineWarehouse(key, w->key) : Status::failure(QStringLiteral("Склад не найден: ") + text);
        break;
    }
    case Unit: {
        // Typed as its short name; several groups may share one, any of them names the unit.
        AppContext &c = base_.context();
        const std::vector<kulvera::Unit> units
            = UnitBase(c.connections, c.settings, c.prompter, static_cast<int>(BaseId::Warehouse)).units();
        const auto found = std::find_if(units.begin(), units.end(),
            [&](const kulvera::Unit &u) { return u.pref.compare(text, Qt::CaseInsensitive) == 0 && u.koef != 0; });
        s = found != units.end() ? invoices_.setLineUnit(key, found->id)
                                 : Status::failure(QStringLiteral("Нет такой ед. измерения: ") + text);
        break;
    }
    case SafetyDocument:
        s = invoices_.setQuality(key, QualityField::SafetyDocument, text);
        break;
    case Organoleptic:
        s = invoices_.setQuality(key, QualityField::Organoleptic, text);
        break;
    case Temperature:
        s = invoices_.setQuality(key, QualityField::Temperature, text);
        break;
    case ShelfLife:
        s = invoices_.setQuality(key, QualityField::ShelfLife, text);
        break;
    default:
        return;
    }
    refuse(s);
    // The header's sum follows its lines.
    reloadHeaders();
    lines_->setCurrentCell(row, column);
}

void IncomingInvoiceForm::filterProducts(const QString &text)
{
    for (int r = 0; r < products_->count(); ++r)
        products_->item(r)->setHidden(!products_->item(r)->text().contains(text, Qt::CaseInsensitive));
    for (int r = 0; r < products_->count(); ++r) {
        if (!products_->item(r)->isHidden()) {
            products_->setCurrentRow(r);
            break;
        }
    }
}

void IncomingInvoiceForm::addChosenProduct()
{
    const qint64 header = currentHeader();
    if (header <= 0) {
        base_.context().prompter.message(QStringLiteral("Выберите накладную или добавьте новую."), kTitle);
        return;
    }
    const QListWidgetItem *item = products_->currentItem();
    if (!item || item->isHidden())
        return;
    NewLine line;
    line.product = item->data(Qt::UserRole).toLongLong();
    if (warehouse_->currentKey() > 0)
        line.warehouse = warehouse_->currentKey();
    const auto key = invoices_.addLine(header, line);
    refuse(key ? Status() : Status::failure(key.error()));
    reloadHeaders();
    // The quantity is typed next.
    lines_->setCurrentCell(static_cast<int>(lineRows_.size()) - 1, Quantity);
    lines_->setFocus();
}

void IncomingInvoiceForm::deleteCurrentLine()
{
    const int row = lines_->currentRow();
    if (row < 0 || row >= static_cast<int>(lineRows_.size()))
        return;
    refuse(invoices_.deleteLine(lineRows_[static_cast<size_t>(row)].key));
    reloadHeaders();
}

void IncomingInvoiceForm::deleteCurrentInvoice()
{
    const qint64 header = currentHeader();
    if (header <= 0)
        return;
    const auto outcome = invoices_.deleteInvoice(header);
    refuse(outcome ? Status() : Status::failure(outcome.error()));
    reloadHeaders();
}

} // namespace kulvera
