#include "costing/forms/AnalysisForm.h"

#include "common/NumberText.h"
#include "common/TextDate.h"
#include "costing/AnalysisStatements.h"
#include "costing/NormBase.h"
#include "costing/PriceSources.h"
#include "costing/RationScan.h"
#include "costing/forms/FulfilmentChartView.h"
#include "menus/MenuBase.h"
#include "menus/MenuVariants.h"
#include "menus/SqlMenuFile.h"
#include "menus/forms/OpenMenuBase.h"
#include "recipes/AssimilationCoefficients.h"
#include "shell/DbStructure.h"
#include "shell/SettingDefaults.h"
#include "shell/SharedSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QVBoxLayout>

namespace kulvera {
namespace {

// The product-set columns the user edits, with the Norm_Prods column each writes.
constexpr int kGroupColumn = 1;
constexpr int kNormColumn = 2;
constexpr int kCodesColumn = 4;

const QString kNoNorm = QStringLiteral("без физ.норм");

QTableWidgetItem *cell(const QString &text, bool editable = false)
{
    auto *item = new QTableWidgetItem(text);
    if (!editable)
        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

QString optionalText(const std::optional<double> &v, int decimals)
{
    return v ? formatFixed(*v, decimals) : QString();
}

} // namespace

AnalysisForm::AnalysisForm(AppContext &context, QWidget *parent)
    : QWidget(parent)
    , context_(context)
    , from_(new QDateEdit(this))
    , to_(new QDateEdit(this))
    , group_(new QComboBox(this))
    , norm_(new QComboBox(this))
    , assimilated_(new QCheckBox(kAssimilationHeading.toString(), this))
    , nutrientGrid_(new QTableWidget(this))
    , productGrid_(new QTableWidget(this))
    , chart_(new FulfilmentChartView(this))
    , missing_(new QLabel(this))
{
    setWindowTitle(QStringLiteral("Анализ рационов"));
    setObjectName(QStringLiteral("AnalysMenu"));
    from_->setObjectName(QStringLiteral("fromDate"));
    to_->setObjectName(QStringLiteral("toDate"));
    group_->setObjectName(QStringLiteral("groupBox"));
    norm_->setObjectName(QStringLiteral("normBox"));
    assimilated_->setObjectName(QStringLiteral("assimilated"));
    nutrientGrid_->setObjectName(QStringLiteral("nutrientGrid"));
    productGrid_->setObjectName(QStringLiteral("productGrid"));
    chart_->setObjectName(QStringLiteral("fulfilmentChart"));
    missing_->setObjectName(QStringLiteral("missingCodes"));
    missing_->setWordWrap(true);
    for (QDateEdit *d : {from_, to_}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    }

    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Период с"), this));
    top->addWidget(from_);
    top->addWidget(new QLabel(QStringLiteral("по"), this));
    top->addWidget(to_);
    top->addWidget(new QLabel(QStringLiteral("Группа"), this));
    top->addWidget(group_, 1);
    top->addWidget(new QLabel(QStringLiteral("Норма"), this));
    top->addWidget(norm_, 2);
    top->addWidget(assimilated_);
    auto *run = new QPushButton(QStringLiteral("Рассчитать"), this);
    run->setObjectName(QStringLiteral("calculate"));
    top->addWidget(run);

    auto *split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(nutrientGrid_);
    split->addWidget(chart_);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    split->setSizes({700, 500}); // the grid's five columns whole, the chart the rest
    auto *nutrientPage = new QWidget(this);
    auto *nutrientLayout = new QVBoxLayout(nutrientPage);
    nutrientLayout->addWidget(split, 1);
    auto *exportChartButton = new QPushButton(QStringLiteral("Сохранить диаграмму (PNG)..."), nutrientPage);
    exportChartButton->setObjectName(QStringLiteral("exportChart"));
    auto *nutrientButtons = new QHBoxLayout;
    auto *printNutrientsButton = new QPushButton(QStringLiteral("Печать ведомости..."), nutrientPage);
    printNutrientsButton->setObjectName(QStringLiteral("printNutrients"));
    nutrientButtons->addWidget(printNutrientsButton);
    nutrientButtons->addStretch(1);
    nutrientButtons->addWidget(exportChartButton);
    nutrientLayout->addLayout(nutrientButtons);

    auto *productPage = new QWidget(this);
    auto *productLayout = new QVBoxLayout(productPage);
    productLayout->addWidget(productGrid_, 1);
    productLayout->addWidget(missing_);
    auto *add = new QPushButton(QStringLiteral("Добавить"), productPage);
    add->setObjectName(QStringLiteral("addProductRow"));
    auto *remove = new QPushButton(QStringLiteral("Удалить"), productPage);
    remove->setObjectName(QStringLiteral("removeProductRow"));
    auto *productButtons = new QHBoxLayout;
    productButtons->addWidget(add);
    productButtons->addWidget(remove);
    productButtons->addStretch(1);
    auto *printProductsButton = new QPushButton(QStringLiteral("Печать ведомости..."), productPage);
    printProductsButton->setObjectName(QStringLiteral("printProducts"));
    productButtons->addWidget(printProductsButton);
    productLayout->addLayout(productButtons);

    auto *tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("statements"));
    tabs->addTab(nutrientPage, QStringLiteral("Пищевые вещества"));
    tabs->addTab(productPage, QStringLiteral("Продуктовый набор"));

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(tabs, 1);

    for (QTableWidget *grid : {nutrientGrid_, productGrid_}) {
        grid->verticalHeader()->hide();
        // Compact rows: the twenty nutrients fit beside the chart.
        grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
        grid->setSelectionBehavior(QAbstractItemView::SelectRows);
        grid->horizontalHeader()->setStretchLastSection(true);
    }

    connect(run, &QPushButton::clicked, this, [this] { calculate(); });
    connect(exportChartButton, &QPushButton::clicked, this, [this] { chooseChartFile(); });
    connect(printNutrientsButton, &QPushButton::clicked, this, [this] { choosePrintFile(true); });
    connect(printProductsButton, &QPushButton::clicked, this, [this] { choosePrintFile(false); });
    connect(add, &QPushButton::clicked, this, [this] { addProductRow(); });
    connect(remove, &QPushButton::clicked, this, [this] { removeProductRow(productGrid_->currentRow()); });
    connect(productGrid_, &QTableWidget::itemChanged, this, &AnalysisForm::productCellChanged);

    base_ = openMenuBase(context_);
    if (base_)
        norms_ = std::make_unique<NormBase>(context_.connections, base_->number(), context_.prompter);
    fillGroups();
    fillNorms();
    const QDate today = context_.clock.today();
    setPeriod(QDate(today.year(), today.month(), 1), today);
}

AnalysisForm::~AnalysisForm()
{
    if (scratchNumber_) {
        base_.reset();
        context_.connections.disconnect(*scratchNumber_);
    }
}

bool AnalysisForm::analyseMenuFile(const QString &path)
{
    // The file's rations go into a menu base of their own in a scratch
    // folder: the program's menu base is not touched. The norms stay those
    // of the program's menu base.
    if (!base_)
        return false;
    auto scratch = std::make_unique<QTemporaryDir>();
    const QString file = scratch->filePath(QStringLiteral("menu_file.db"));
    if (!scratch->isValid() || !createBaseFile(file, BaseId::Menu, context_.settings)) {
        context_.prompter.error(QStringLiteral("Не удалось загрузить файл: ") + path);
        return false;
    }
    const int number = context_.connections.connect(file, base_->table(), true);
    if (number == Connections::kFailed) {
        context_.prompter.error(QStringLiteral("Не удалось загрузить файл: ") + path);
        return false;
    }
    auto fileBase = std::make_unique<MenuBase>(
        context_.connections, number, context_.settings, context_.prompter, base_->codec());
    const Result<RationImportSummary> loaded = loadSqlMenuFile(*fileBase, path);
    const Result<std::vector<RationListEntry>> rations = fileBase->list();
    if (!loaded || !rations || rations->empty()) {
        fileBase.reset();
        context_.connections.disconnect(number);
        return false;
    }
    if (scratchNumber_)
        context_.connections.disconnect(*scratchNumber_);
    base_ = std::move(fileBase);
    scratch_ = std::move(scratch);
    scratchNumber_ = number;
    setWindowTitle(QStringLiteral("Анализ рационов: ") + QFileInfo(path).fileName());
    fillGroups();
    setPeriod(rations->front().date, rations->back().date);
    selectGroup(rations->front().group);
    return true;
}

void AnalysisForm::setPeriod(const QDate &from, const QDate &to)
{
    from_->setDate(from);
    to_->setDate(to);
}

void AnalysisForm::fillGroups()
{
    group_->clear();
    if (!base_) {
        group_->addItem(QStringLiteral("нет базы"));
        group_->setEnabled(false);
        return;
    }
    group_->addItem(QStringLiteral("без группы"), QString());
    const Result<std::vector<MenuVariant>> variants = MenuVariants(*base_).list();
    if (variants && variants->empty())
        group_->setItemText(0, QStringLiteral("Нет групп"));
    if (variants) {
        for (const MenuVariant &v : *variants)
            group_->addItem(groupCaption(v.name), v.name);
    }
    group_->setCurrentIndex(group_->count() > 1 ? 1 : 0);
}

void AnalysisForm::fillNorms()
{
    norm_->clear();
    if (!norms_) {
        norm_->setEnabled(false);
        return;
    }
    const Result<QStringList> names = norms_->names();
    if (!names) {
        context_.prompter.error(QStringLiteral("Ошибка базы физ. норм, перезагрузите форму"));
        return;
    }
    if (names->isEmpty()) {
        norm_->addItem(QStringLiteral("Нет физ.групп"));
        return;
    }
    norm_->addItem(kNoNorm);
    norm_->addItems(*names);
    norm_->setCurrentIndex(1);
}

bool AnalysisForm::selectGroup(const QString &group)
{
    const int i = group_->findData(group);
    if (i >= 0)
        group_->setCurrentIndex(i);
    return i >= 0;
}

bool AnalysisForm::selectNorm(const QString &name)
{
    const int i = norm_->findText(name, Qt::MatchExactly);
    if (i > 0)
        norm_->setCurrentIndex(i);
    return i > 0;
}

QString AnalysisForm::factTitle() const
{
    QString title = QStringLiteral("Факт. за ") + QString::number(days_) + QStringLiteral(" дн.");
    if (context_.settings.get(Section::Data, QStringLiteral("bShowGroupAndDateInSummVed"), QStringLiteral("0")) == u"1")
        title += QStringLiteral("\n") + group_->currentText() + QStringLiteral(", ") + formatTextDate(from_->date())
            + QStringLiteral(" - ") + formatTextDate(to_->date());
    return title;
}

bool AnalysisForm::calculate()
{
    if (!base_ || !norms_)
        return false;
    NormRecord norm;
    normCode_.reset();
    normName_ = kNoNorm;
    if (norm_->currentIndex() > 0) {
        const Result<NormRecord> loaded = norms_->loadByName(norm_->currentText());
        if (!loaded)
            return false;
        norm = *loaded;
        normCode_ = norm.code;
        normName_ = norm.name;
    } else if (norm_->currentText() != kNoNorm) {
        context_.prompter.warning(kNormEmptyText.toString());
        return false;
    }
    const QString group = group_->currentData().toString();
    const Result<std::vector<QDate>> all = base_->daysOf(group);
    if (!all) {
        context_.prompter.error(all.error());
        return false;
    }
    std::vector<QDate> period;
    for (const QDate &day : *all) {
        if (day >= from_->date() && day <= to_->date())
            period.push_back(day);
    }
    NutrientOptions options;
    options.fibreInEnergy = readSetting(context_.settings, Section::Bl, QStringLiteral("bUsePVinEC")).trimmed() == u"1";
    if (assimilated_->isChecked()) {
        const qint64 key = static_cast<qint64>(norm.value(QStringLiteral("ID_Norm")).value_or(1));
        const Result<AssimilationCoefficients> k = AssimilationCoefficients::load(context_.connections, key);
        if (!k) {
            context_.prompter.error(k.error());
            return false;
        }
        options.assimilated = true;
        options.coefficients = *k;
    }
    NutrientFact nutrients(options);
    ProductSetFact products(norm.products);
    if (const Result<int> scanned = scanRations(*base_, period, group, nutrients, products, &context_.prompter);
        !scanned) {
        context_.prompter.error(scanned.error());
        return false;
    }
    days_ = nutrients.days();
    if (days_ == 0) {
        context_.prompter.warning(QStringLiteral("Нет рационов за выбранные дни."));
        return false;
    }
    nutrients_ = nutrientStatement(norm, nutrients);
    products_ = products.rows();
    const int pm
        = decimalsSetting(context_.settings, static_cast<int>(Section::Data), QStringLiteral("lRoundBr_A_Br"), 2);
    fillNutrients();
    missingReport_ = products.missingReport(pm);
    fillProducts(missingReport_);
    chart_->setRows(nutrients_);
    return true;
}

void AnalysisForm::fillNutrients()
{
    const int p = decimalsSetting(context_.settings, static_cast<int>(Section::Data), QStringLiteral("lRoundHS_A_HS"),
        readSetting(context_.settings, Section::Data, QStringLiteral("lRoundHS_A_HS")).toInt());
    nutrientGrid_->clear();
    nutrientGrid_->setColumnCount(5);
    nutrientGrid_->setHorizontalHeaderLabels({QStringLiteral("Наименование"), QStringLiteral("Норма"), factTitle(),
        QStringLiteral("Среднее в день"), QStringLiteral("Выполнение,% от дн.нормы")});
    nutrientGrid_->setRowCount(static_cast<int>(nutrients_.size()));
    for (int i = 0; i < static_cast<int>(nutrients_.size()); ++i) {
        const NutrientRow &r = nutrients_[static_cast<std::size_t>(i)];
        const QString texts[] = {r.name, optionalText(r.norm, p), formatFixed(r.fact, p), formatFixed(r.average, p),
            optionalText(r.percent, p)};
        for (int c = 0; c < 5; ++c) {
            QTableWidgetItem *item = cell(texts[c]);
            if (c > 0)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (r.highlighted)
                item->setForeground(QColor(255, 0, 0));
            nutrientGrid_->setItem(i, c, item);
        }
    }
    nutrientGrid_->resizeColumnsToContents();
}

void AnalysisForm::fillProducts(const QString &missing)
{
    const int pm
        = decimalsSetting(context_.settings, static_cast<int>(Section::Data), QStringLiteral("lRoundBr_A_Br"), 2);
    filling_ = true;
    productGrid_->clear();
    productGrid_->setColumnCount(9);
    productGrid_->setHorizontalHeaderLabels({QStringLiteral("Код строки"), QStringLiteral("Наименование продукта"),
        QStringLiteral("Норма"), QStringLiteral("Брутто/Нетто"), QStringLiteral("Коды продуктов"), factTitle(),
        QStringLiteral("Среднее в день"), QStringLiteral("Выполнение,отклонение в г"),
        QStringLiteral("Выполнение нормы, %")});
    productGrid_->setRowCount(static_cast<int>(products_.size()));
    for (int i = 0; i < static_cast<int>(products_.size()); ++i) {
        const ProductSetRow &r = products_[static_cast<std::size_t>(i)];
        productGrid_->setItem(i, 0, cell(QString::number(r.code)));
        productGrid_->setItem(i, kGroupColumn, cell(r.groupName, true));
        productGrid_->setItem(i, kNormColumn, cell(optionalText(r.norm, pm), true));
        productGrid_->setItem(i, 3, cell(r.net ? QStringLiteral("Нетто") : QStringLiteral("Брутто")));
        productGrid_->setItem(i, kCodesColumn, cell(r.codeProds, true));
        productGrid_->setItem(i, 5, cell(formatFixed(r.fact, pm)));
        productGrid_->setItem(i, 6, cell(formatFixed(r.average, pm)));
        productGrid_->setItem(i, 7, cell(optionalText(r.deviation, pm)));
        productGrid_->setItem(i, 8, cell(optionalText(r.percent, pm)));
    }
    productGrid_->resizeColumnsToContents();
    filling_ = false;
    missing_->setText(normCode_ && products_.empty() ? kNoProductNormsText.toString() : missing);
}

void AnalysisForm::productCellChanged(QTableWidgetItem *item)
{
    if (filling_ || !norms_ || !item)
        return;
    const int row = item->row();
    if (row < 0 || row >= static_cast<int>(products_.size()))
        return;
    QString column;
    if (item->column() == kGroupColumn)
        column = QStringLiteral("Group_Name");
    else if (item->column() == kNormColumn)
        column = QStringLiteral("Norm_Prods");
    else if (item->column() == kCodesColumn)
        column = QStringLiteral("Code_Prods");
    else
        return;
    const Status s = norms_->setProductValue(products_[static_cast<std::size_t>(row)].code, column, item->text());
    if (!s) {
        context_.prompter.warning(s.error());
        calculate(); // back to what the base holds
        return;
    }
    afterNormEdit();
}

void AnalysisForm::afterNormEdit()
{
    // The statement is recomputed after every edit of the norm; the setting
    // only makes the program ask first.
    if (context_.settings.get(Section::Data, QStringLiteral("UpdatesCalcInAnalysHS"), QStringLiteral("0")) == u"1"
        && !context_.prompter.confirm(QStringLiteral("Обновить расчет?")))
        return;
    calculate();
}

bool AnalysisForm::addProductRow()
{
    if (!norms_ || !normCode_)
        return false;
    if (const Result<qint64> code = norms_->addProductRow(*normCode_, QStringLiteral("Новый продукт")); !code) {
        context_.prompter.warning(code.error());
        return false;
    }
    afterNormEdit();
    return true;
}

bool AnalysisForm::removeProductRow(int row)
{
    if (!norms_ || row < 0 || row >= static_cast<int>(products_.size()))
        return false;
    const ProductSetRow &r = products_[static_cast<std::size_t>(row)];
    if (!context_.prompter.confirm(QStringLiteral("Удалить норматив '") + r.groupName + u'\''))
        return false;
    if (const Status s = norms_->removeProductRow(r.code); !s) {
        context_.prompter.warning(s.error());
        return false;
    }
    afterNormEdit();
    return true;
}

bool AnalysisForm::exportChart(const QString &path)
{
    if (nutrients_.empty()) {
        context_.prompter.warning(QStringLiteral("Сначала выполните расчет."));
        return false;
    }
    if (!chart_->chart().savePng(path)) {
        context_.prompter.warning(QStringLiteral("Не удалось записать файл: ") + path);
        return false;
    }
    return true;
}

void AnalysisForm::chooseChartFile()
{
    const QString file = QFileDialog::getSaveFileName(
        this, QStringLiteral("Сохранение диаграммы"), QString(), QStringLiteral("Рисунок PNG (*.png)"));
    if (!file.isEmpty())
        exportChart(file);
}

AnalysisHeading AnalysisForm::heading() const
{
    return {normName_, group_->currentText(), from_->date(), to_->date(), days_};
}

bool AnalysisForm::printNutrients(const QString &outputPath)
{
    if (nutrients_.empty()) {
        context_.prompter.warning(QStringLiteral("Сначала выполните расчет."));
        return false;
    }
    const int p = decimalsSetting(context_.settings, static_cast<int>(Section::Data), QStringLiteral("lRoundHS_A_HS"),
        readSetting(context_.settings, Section::Data, QStringLiteral("lRoundHS_A_HS")).toInt());
    const Result<ListOutcome> done = printNutrientStatement(
        nutrients_, heading(), p, context_.shared.templatesFolder(), context_.settings, outputPath, context_.prompter);
    if (!done)
        context_.prompter.warning(done.error());
    return done.ok();
}

bool AnalysisForm::printProducts(const QString &outputPath)
{
    if (products_.empty()) {
        context_.prompter.warning(
            nutrients_.empty() ? QStringLiteral("Сначала выполните расчет.") : kNoProductNormsText.toString());
        return false;
    }
    const int pm
        = decimalsSetting(context_.settings, static_cast<int>(Section::Data), QStringLiteral("lRoundBr_A_Br"), 2);
    const Result<ListOutcome> done = printProductSetStatement(products_, missingReport_, heading(), pm,
        context_.shared.templatesFolder(), context_.settings, outputPath, context_.prompter);
    if (!done)
        context_.prompter.warning(done.error());
    return done.ok();
}

void AnalysisForm::choosePrintFile(bool nutrients)
{
    const QString file = QFileDialog::getSaveFileName(this, QStringLiteral("Сохранение ведомости"),
        nutrients ? QStringLiteral("an_hs.xlsx") : QStringLiteral("an_prod.xlsx"),
        QStringLiteral("Книга Excel (*.xlsx)"));
    if (file.isEmpty())
        return;
    if (nutrients ? printNutrients(file) : printProducts(file))
        context_.prompter.message(QStringLiteral("Ведомость сохранена: ") + file);
}

} // namespace kulvera
