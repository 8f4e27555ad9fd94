#include "costing/forms/StatementsForm.h"

#include "common/NumberText.h"
#include "common/TextDate.h"
#include "costing/DishCost.h"
#include "costing/PriceSources.h"
#include "costing/StockLotPrices.h"
#include "costing/SummaryMenu.h"
#include "journals/RejectionJournal.h"
#include "journals/RejectionMenus.h"
#include "menus/MealList.h"
#include "menus/MenuBase.h"
#include "menus/MenuVariants.h"
#include "menus/forms/OpenMenuBase.h"
#include "products/ProductBase.h"
#include "shell/SharedSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <set>

namespace kulvera {
namespace {

QTableWidgetItem *cell(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

QListWidgetItem *checkable(QListWidget *list, const QString &text, const QVariant &data)
{
    auto *item = new QListWidgetItem(text, list);
    item->setData(Qt::UserRole, data);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    return item;
}

} // namespace

StatementsForm::StatementsForm(AppContext &context, QWidget *parent)
    : QWidget(parent)
    , context_(context)
    , kind_(new QComboBox(this))
    , from_(new QDateEdit(this))
    , to_(new QDateEdit(this))
    , group_(new QComboBox(this))
    , net_(new QCheckBox(QStringLiteral("Нетто"), this))
    , dates_(new QListWidget(this))
    , variants_(new QListWidget(this))
    , grid_(new QTableWidget(this))
    , build_(new QPushButton(QStringLiteral("Сформировать"), this))
    , export_(new QPushButton(QStringLiteral("Экспорт в Excel..."), this))
{
    setWindowTitle(QStringLiteral("Накопительная ведомость"));
    setObjectName(QStringLiteral("GlobalVed"));
    kind_->setObjectName(QStringLiteral("statementKind"));
    from_->setObjectName(QStringLiteral("fromDate"));
    to_->setObjectName(QStringLiteral("toDate"));
    group_->setObjectName(QStringLiteral("groupBox"));
    net_->setObjectName(QStringLiteral("netMasses"));
    dates_->setObjectName(QStringLiteral("datesList"));
    variants_->setObjectName(QStringLiteral("variantsList"));
    grid_->setObjectName(QStringLiteral("statementGrid"));
    build_->setObjectName(QStringLiteral("build"));
    export_->setObjectName(QStringLiteral("exportExcel"));
    for (QDateEdit *d : {from_, to_}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    }

    kind_->addItem(QStringLiteral("Ведомость продуктов за период"));
    kind_->addItem(kCumulativeTitle.toString());
    kind_->addItem(QStringLiteral("Сводное меню"));
    kind_->addItem(QStringLiteral("Сводный бракеражный журнал"));

    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Ведомость"), this));
    top->addWidget(kind_, 2);
    top->addWidget(new QLabel(QStringLiteral("Период с"), this));
    top->addWidget(from_);
    top->addWidget(new QLabel(QStringLiteral("по"), this));
    top->addWidget(to_);
    top->addWidget(new QLabel(QStringLiteral("Группа"), this));
    top->addWidget(group_, 1);
    top->addWidget(net_);
    top->addWidget(build_);
    top->addWidget(export_);

    auto *lists = new QWidget(this);
    auto *listLayout = new QVBoxLayout(lists);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->addWidget(new QLabel(QStringLiteral("Даты"), lists));
    listLayout->addWidget(dates_, 2);
    listLayout->addWidget(new QLabel(QStringLiteral("Варианты меню"), lists));
    listLayout->addWidget(variants_, 1);
    auto *split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(lists);
    split->addWidget(grid_);
    split->setStretchFactor(1, 4);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(split, 1);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);

    connect(kind_, &QComboBox::currentIndexChanged, this, [this] { kindChanged(); });
    connect(group_, &QComboBox::currentIndexChanged, this, [this] {
        period_.reset();
        cumulative_.reset();
    });
    connect(build_, &QPushButton::clicked, this, [this] { build(); });
    connect(export_, &QPushButton::clicked, this, [this] { chooseExportFile(); });

    base_ = openMenuBase(context_);
    fillGroups();
    reload();
    const QDate today = context_.clock.today();
    setPeriod(QDate(today.year(), today.month(), 1), today);
    kindChanged();
}

StatementsForm::~StatementsForm() = default;

void StatementsForm::fillGroups()
{
    group_->clear();
    if (!base_) {
        group_->addItem(QStringLiteral("нет базы"));
        group_->setEnabled(false);
        build_->setEnabled(false);
        export_->setEnabled(false);
        return;
    }
    group_->addItem(QStringLiteral("без группы"), QString());
    if (const Result<std::vector<MenuVariant>> variants = MenuVariants(*base_).list()) {
        for (const MenuVariant &v : *variants)
            group_->addItem(groupCaption(v.name), v.name);
    }
}

void StatementsForm::reload()
{
    dates_->clear();
    variants_->clear();
    if (!base_)
        return;
    const Result<std::vector<RationListEntry>> list = base_->list();
    if (!list)
        return;
    std::set<QDate> days;
    QStringList groups;
    for (const RationListEntry &e : *list) {
        days.insert(e.date);
        if (!groups.contains(e.group))
            groups << e.group;
    }
    for (const QDate &d : days)
        checkable(dates_, formatTextDate(d), d);
    if (const Result<std::vector<MenuVariant>> variants = MenuVariants(*base_).list()) {
        for (const MenuVariant &v : *variants) {
            if (!groups.contains(v.name))
                groups << v.name;
        }
    }
    for (const QString &g : groups)
        checkable(variants_, groupCaption(g), g);
}

void StatementsForm::setKind(Kind kind)
{
    kind_->setCurrentIndex(static_cast<int>(kind));
}

void StatementsForm::kindChanged()
{
    const auto kind = static_cast<Kind>(kind_->currentIndex());
    const bool period = kind == Kind::Period;
    from_->setEnabled(period);
    to_->setEnabled(period);
    net_->setEnabled(period);
    group_->setEnabled(base_ && kind != Kind::SummaryMenu);
    variants_->setEnabled(kind == Kind::SummaryMenu);
    dates_->setEnabled(!period);
    build_->setEnabled(base_ && (period || kind == Kind::Cumulative));
    export_->setEnabled(static_cast<bool>(base_));
}

void StatementsForm::setPeriod(const QDate &from, const QDate &to)
{
    from_->setDate(from);
    to_->setDate(to);
}

bool StatementsForm::selectGroup(const QString &group)
{
    for (int i = 0; i < group_->count(); ++i) {
        if (group_->itemData(i).toString() == group && group_->itemData(i).isValid()) {
            group_->setCurrentIndex(i);
            return true;
        }
    }
    return false;
}

void StatementsForm::setNet(bool net)
{
    net_->setChecked(net);
}

void StatementsForm::chooseDates(const std::vector<QDate> &dates)
{
    for (int i = 0; i < dates_->count(); ++i) {
        QListWidgetItem *item = dates_->item(i);
        const bool on = std::find(dates.begin(), dates.end(), item->data(Qt::UserRole).toDate()) != dates.end();
        item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
}

void StatementsForm::chooseVariants(const QStringList &variants)
{
    for (int i = 0; i < variants_->count(); ++i) {
        QListWidgetItem *item = variants_->item(i);
        item->setCheckState(variants.contains(item->data(Qt::UserRole).toString()) ? Qt::Checked : Qt::Unchecked);
    }
}

std::vector<QDate> StatementsForm::chosenDates() const
{
    std::vector<QDate> out;
    for (int i = 0; i < dates_->count(); ++i) {
        if (dates_->item(i)->checkState() == Qt::Checked)
            out.push_back(dates_->item(i)->data(Qt::UserRole).toDate());
    }
    return out;
}

QStringList StatementsForm::chosenVariants() const
{
    QStringList out;
    for (int i = 0; i < variants_->count(); ++i) {
        if (variants_->item(i)->checkState() == Qt::Checked)
            out << variants_->item(i)->data(Qt::UserRole).toString();
    }
    return out;
}

QString StatementsForm::group() const
{
    return group_->currentData().toString();
}

bool StatementsForm::build()
{
    if (!base_)
        return false;
    const auto kind = static_cast<Kind>(kind_->currentIndex());
    period_.reset();
    cumulative_.reset();
    if (kind == Kind::Period) {
        Result<PeriodStatement> s
            = buildPeriodStatement(*base_, from_->date(), to_->date(), group(), net_->isChecked(), context_.prompter);
        if (!s)
            return false;
        period_ = std::move(s).value();
        fillPeriodGrid();
        return true;
    }
    if (kind == Kind::Cumulative) {
        StockLotPrices stock(context_.connections);
        PriceSources prices(context_.connections, context_.settings, context_.prompter, stock);
        Result<CumulativeStatement> s
            = buildCumulativeStatement(*base_, chosenDates(), group(), prices, context_.prompter);
        if (!s)
            return false;
        cumulative_ = std::move(s).value();
        fillCumulativeGrid();
        return true;
    }
    return false;
}

void StatementsForm::fillPeriodGrid()
{
    const PeriodStatement &s = *period_;
    grid_->clear();
    grid_->setColumnCount(static_cast<int>(s.products.size()) + 1);
    grid_->setRowCount(static_cast<int>(s.days.size()) + 1);
    QStringList captions {kPeriodFirstColumn.toString()};
    for (const StatementProduct &p : s.products)
        captions << p.name;
    grid_->setHorizontalHeaderLabels(captions);
    grid_->verticalHeader()->hide();
    const auto fillRow = [&](int row, const QString &label, const std::vector<double> &values, bool empty) {
        grid_->setItem(row, 0, cell(label));
        for (std::size_t p = 0; p < values.size(); ++p) {
            auto *item = cell(empty || values[p] == 0 ? QString() : formatFixed(values[p], 2));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grid_->setItem(row, static_cast<int>(p) + 1, item);
        }
    };
    for (std::size_t d = 0; d < s.days.size(); ++d) {
        fillRow(static_cast<int>(d), periodDayLabel(static_cast<int>(d) + 1), s.days[d].masses, !s.days[d].hasRation);
        grid_->item(static_cast<int>(d), 0)
            ->setToolTip(
                formatTextDate(s.days[d].date) + (s.days[d].hasRation ? QString() : QStringLiteral(": нет рациона")));
    }
    fillRow(static_cast<int>(s.days.size()), kPeriodTotalRow.toString(), s.totals, false);
    QFont bold = grid_->font();
    bold.setBold(true);
    for (int c = 0; c < grid_->columnCount(); ++c)
        grid_->item(static_cast<int>(s.days.size()), c)->setFont(bold);
}

void StatementsForm::fillCumulativeGrid()
{
    const CumulativeStatement &s = *cumulative_;
    const QStringList captions = s.captions();
    grid_->clear();
    grid_->setColumnCount(static_cast<int>(captions.size()));
    grid_->setRowCount(static_cast<int>(s.rows.size()));
    grid_->setHorizontalHeaderLabels(captions);
    grid_->verticalHeader()->hide();
    for (std::size_t r = 0; r < s.rows.size(); ++r) {
        const CumulativeRow &row = s.rows[r];
        const int i = static_cast<int>(r);
        grid_->setItem(i, 0, cell(row.code));
        grid_->setItem(i, 1, cell(row.name));
        grid_->setItem(i, 2, cell(formatNumber(row.koef)));
        grid_->setItem(i, 3, cell(row.unit));
        int c = 4;
        for (std::size_t d = 0; d < s.dates.size(); ++d) {
            grid_->setItem(i, c++, cell(formatFixed(row.gross[d], 2)));
            grid_->setItem(i, c++, cell(formatFixed(row.net[d], 2)));
        }
        grid_->setItem(i, c++, cell(formatFixed(row.totalGross, 2)));
        grid_->setItem(i, c, cell(formatFixed(row.totalNet, 2)));
    }
}

bool StatementsForm::exportTo(const QString &path)
{
    if (!base_)
        return false;
    const QString folder = context_.shared.templatesFolder();
    switch (static_cast<Kind>(kind_->currentIndex())) {
    case Kind::Period:
        if (!build()) // what the form shows now, not an earlier build
            return false;
        return printPeriodStatement(*period_, folder, context_.settings, path, context_.prompter).ok();
    case Kind::Cumulative:
        if (!build())
            return false;
        return printCumulativeStatement(*cumulative_, folder, context_.settings, path, context_.prompter).ok();
    case Kind::SummaryMenu: {
        StockLotPrices stock(context_.connections);
        PriceSources prices(context_.connections, context_.settings, context_.prompter, stock);
        const ProductBase products(context_.connections, context_.settings, context_.prompter, context_.clock);
        SeasonalOutputs seasonal(&products);
        const QStringList meals = MealList(context_.settings, context_.prompter).names();
        return produceSummaryMenu(*base_, chosenDates(), chosenVariants(), meals, prices, seasonal, folder,
            context_.settings, path, context_.prompter)
            .ok();
    }
    case Kind::RejectionJournal: {
        // The journal of the chosen days and of the group chosen above.
        const RejectionJournal journal(context_);
        QStringList days;
        for (const QDate &d : chosenDates())
            days << formatTextDate(d);
        return produceSummaryRejection(
            *base_, journal, days, group(), folder, context_.settings, path, context_.prompter)
            .ok();
    }
    }
    return false;
}

void StatementsForm::chooseExportFile()
{
    const QString file = QFileDialog::getSaveFileName(this, QStringLiteral("Сохранение ведомости"),
        QStringLiteral("Ведомость.xlsx"), QStringLiteral("Книга Excel (*.xlsx)"));
    if (file.isEmpty())
        return;
    if (exportTo(file))
        context_.prompter.message(QStringLiteral("Ведомость сохранена: ") + file);
}

} // namespace kulvera
