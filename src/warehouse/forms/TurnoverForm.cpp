#include "warehouse/forms/TurnoverForm.h"

#include "common/NumberText.h"
#include "common/TextDate.h"
#include "products/UnitBase.h"
#include "shell/Connections.h"
#include "shell/SharedSettings.h"
#include "shell/SqlStatement.h"
#include "warehouse/Warehouses.h"
#include "warehouse/forms/TurnoverChartView.h"
#include "warehouse/forms/WarehouseGrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <set>

namespace kulvera {

ReportPeriod::ReportPeriod(WarehouseBase &base, QWidget *parent)
    : QWidget(parent)
{
    const QDate today = base.now().date();
    from_ = new QDateEdit(QDate(today.year(), today.month(), 1), this);
    from_->setObjectName(QStringLiteral("from"));
    to_ = new QDateEdit(today, this);
    to_->setObjectName(QStringLiteral("to"));
    for (QDateEdit *d : {from_, to_}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    }
    warehouse_ = new QComboBox(this);
    warehouse_->setObjectName(QStringLiteral("warehouse"));
    warehouse_->addItem(QStringLiteral("Все склады"), qint64 {0});
    if (const auto rows = Warehouses(base).list()) {
        for (const WarehouseRow &w : *rows)
            warehouse_->addItem(w.name, w.key);
    }
    movements_ = new QCheckBox(QStringLiteral("Учитывать внутренние перемещения"), this);
    movements_->setObjectName(QStringLiteral("movements"));
    movements_->setChecked(true);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("С"), this));
    layout->addWidget(from_);
    layout->addWidget(new QLabel(QStringLiteral("по"), this));
    layout->addWidget(to_);
    layout->addWidget(new QLabel(QStringLiteral("Склад:"), this));
    layout->addWidget(warehouse_, 1);
    layout->addWidget(movements_);
}

TurnoverFilter ReportPeriod::filter() const
{
    return {from_->date(), to_->date(), warehouse_->currentData().toLongLong(), movements_->isChecked()};
}

TurnoverHeading ReportPeriod::heading() const
{
    return {warehouse_->currentText(), from_->date(), to_->date(), movements_->isChecked()};
}

TurnoverForm::TurnoverForm(AppContext &context, QWidget *parent)
    : QWidget(parent)
    , base_(context)
{
    setObjectName(QStringLiteral("Inc_out_prods"));
    setWindowTitle(kTurnoverTitle.toString());
    period_ = new ReportPeriod(base_, this);
    auto *buildButton = new QPushButton(QStringLiteral("Сформировать"), this);
    buildButton->setObjectName(QStringLiteral("build"));
    auto *printButton = new QPushButton(QStringLiteral("Печать..."), this);
    printButton->setObjectName(QStringLiteral("print"));
    auto *chartButton = new QPushButton(QStringLiteral("Диаграмма в PNG..."), this);
    chartButton->setObjectName(QStringLiteral("exportChart"));
    table_ = new QTableWidget(0, 9, this);
    table_->setObjectName(QStringLiteral("report"));
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    chart_ = new TurnoverChartView(this);
    chart_->setObjectName(QStringLiteral("chart"));
    chartGroup_ = new QComboBox(this);
    chartGroup_->setObjectName(QStringLiteral("chartGroup"));
    chartGroup_->addItem(QStringLiteral("Выбранные в отчете продукты"), qint64 {-1});
    const UnitBase groups(context.connections, context.settings, context.prompter, static_cast<int>(BaseId::Warehouse));
    if (groups.available(false)) {
        for (const UnitGroup &g : groups.groups())
            chartGroup_->addItem(g.name, g.key);
    }
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(period_, 1);
    buttons->addWidget(buildButton);
    buttons->addWidget(printButton);
    buttons->addWidget(chartGroup_);
    buttons->addWidget(chartButton);
    auto *split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(table_);
    split->addWidget(chart_);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(split, 1);
    connect(buildButton, &QPushButton::clicked, this, &TurnoverForm::build);
    connect(printButton, &QPushButton::clicked, this, &TurnoverForm::choosePrintFile);
    connect(chartButton, &QPushButton::clicked, this, &TurnoverForm::chooseChartFile);
    connect(table_, &QTableWidget::itemSelectionChanged, this, &TurnoverForm::showChart);
    connect(chartGroup_, &QComboBox::currentIndexChanged, this, &TurnoverForm::showChart);
}

bool TurnoverForm::build()
{
    Prompter &prompter = base_.context().prompter;
    prompter.status(kTurnoverStatus.toString());
    built_ = period_->filter();
    builtHeading_ = period_->heading();
    auto rows = stockTurnover(base_, built_);
    table_->setRowCount(0);
    rows_.clear();
    if (!rows) {
        prompter.warning(rows.error(), windowTitle());
        return false;
    }
    rows_ = std::move(rows).value();
    productGroup_.clear();
    SqlStatement group(base_.database(),
        QStringLiteral("SELECT \"Код_Группы\" FROM ") + base_.productTable() + QStringLiteral(" WHERE \"Код\" = ?"),
        base_.errorLog());
    for (const TurnoverRow &r : rows_) {
        if (group.exec({r.product}) && group.next())
            productGroup_[r.product] = group.value(0).toLongLong();
        group.finish();
    }
    table_->setHorizontalHeaderLabels({QStringLiteral("Номер п/п"), QStringLiteral("Код продукта"),
        QStringLiteral("Сырье"), QStringLiteral("Ед. изм."),
        QStringLiteral("Остаток на ") + formatTextDate(built_.from), QStringLiteral("Приход"), QStringLiteral("Расход"),
        QStringLiteral("Остаток на ") + formatTextDate(built_.to), QStringLiteral("На складе")});
    table_->setRowCount(static_cast<int>(rows_.size()));
    for (int r = 0; r < static_cast<int>(rows_.size()); ++r) {
        const TurnoverRow &t = rows_[static_cast<std::size_t>(r)];
        const QString cells[] = {QString::number(t.number), QString::number(t.product), t.name, t.unit,
            formatFixed(t.start, 3), formatFixed(t.incoming, 3), formatFixed(t.outgoing, 3), formatFixed(t.finish, 3),
            formatFixed(t.current, 3)};
        for (int c = 0; c < 9; ++c)
            table_->setItem(r, c, textItem(cells[c], false));
    }
    table_->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    chart_->setChart({});
    prompter.status(kReportDone.toString());
    return true;
}

bool TurnoverForm::print(const QString &outputPath)
{
    Prompter &prompter = base_.context().prompter;
    if (rows_.empty()) {
        prompter.warning(QStringLiteral("Сначала сформируйте отчет."), windowTitle());
        return false;
    }
    const auto done = printTurnover(
        rows_, builtHeading_, base_.context().shared.templatesFolder(), base_.context().settings, outputPath, prompter);
    if (!done)
        prompter.warning(done.error(), windowTitle());
    return done.ok();
}

bool TurnoverForm::showChart()
{
    if (rows_.empty())
        return false;
    std::vector<qint64> products;
    QString title;
    const qint64 chosenGroup = chartGroup_->currentData().toLongLong();
    if (chosenGroup >= 0) {
        for (const TurnoverRow &r : rows_) {
            if (productGroup_[r.product] == chosenGroup)
                products.push_back(r.product);
        }
        title = chartGroup_->currentText();
    } else {
        std::set<int> chosen;
        for (const QTableWidgetItem *item : table_->selectedItems())
            chosen.insert(item->row());
        for (const int r : chosen)
            products.push_back(rows_[static_cast<std::size_t>(r)].product);
        title = products.size() == 1 ? rows_[static_cast<std::size_t>(*chosen.begin())].name
                                     : QStringLiteral("Выбранные продукты (") + QString::number(products.size()) + u')';
    }
    if (products.empty()) {
        chart_->setChart({});
        return false;
    }
    const auto weeks = weeklyTurnover(base_, products, built_);
    if (!weeks)
        return false;
    chart_->setChart(TurnoverChart(title, *weeks));
    return true;
}

bool TurnoverForm::exportChart(const QString &path)
{
    if (chart_->chart().weeks().empty()) {
        base_.context().prompter.warning(QStringLiteral("Выберите продукт в отчете."), windowTitle());
        return false;
    }
    if (!chart_->chart().savePng(path)) {
        base_.context().prompter.warning(QStringLiteral("Не удалось записать файл: ") + path, windowTitle());
        return false;
    }
    return true;
}

void TurnoverForm::choosePrintFile()
{
    const QString file = QFileDialog::getSaveFileName(this, QStringLiteral("Сохранение отчета"),
        QStringLiteral("in_out_p.xlsx"), QStringLiteral("Книга Excel (*.xlsx)"));
    if (!file.isEmpty() && print(file))
        base_.context().prompter.message(QStringLiteral("Отчет сохранен: ") + file);
}

void TurnoverForm::chooseChartFile()
{
    const QString file = QFileDialog::getSaveFileName(
        this, QStringLiteral("Сохранение диаграммы"), QString(), QStringLiteral("Рисунок PNG (*.png)"));
    if (!file.isEmpty())
        exportChart(file);
}

} // namespace kulvera
