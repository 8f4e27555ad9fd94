#include "warehouse/forms/DishWriteOffForm.h"

#include "common/NumberText.h"
#include "common/Prompter.h"
#include "recipes/DishBase.h"
#include "recipes/RecipeOutputs.h"
#include "recipes/StoredText.h"
#include "shell/Connections.h"
#include "shell/DishCollections.h"
#include "warehouse/DishWriteOff.h"
#include "warehouse/forms/WarehouseGrid.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kulvera {
namespace {

const QString kTitle = QStringLiteral("Списание по блюдам");

} // namespace

DishWriteOffForm::DishWriteOffForm(AppContext &context, QWidget *parent)
    : QWidget(parent)
    , base_(context)
{
    setObjectName(QStringLiteral("NewMinus"));
    setWindowTitle(kTitle);
    Prompter &prompter = context.prompter;
    prompter.status(QStringLiteral("Формирование таблицы для списания..."));
    grid_ = new QTableWidget(0, ColumnCount, this);
    grid_->setObjectName(QStringLiteral("dishes"));
    grid_->setHorizontalHeaderLabels({QStringLiteral("База"), QStringLiteral("Таблица"), QStringLiteral("Рецептура"),
        QStringLiteral("Выход"), QStringLiteral("Порций")});
    grid_->horizontalHeader()->setSectionResizeMode(Dish, QHeaderView::Stretch);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    filter_ = new QLineEdit(this);
    filter_->setObjectName(QStringLiteral("filter"));
    filter_->setPlaceholderText(QStringLiteral("Поиск рецептуры"));
    connect(filter_, &QLineEdit::textChanged, this, &DishWriteOffForm::applyFilter);

    prompter.status(QStringLiteral("Формируем склады..."));
    warehouse_ = new ReferenceCombo(base_, ReferenceList::Warehouses, this);
    warehouse_->setObjectName(QStringLiteral("warehouse"));
    date_ = new QDateEdit(context.clock.today(), this);
    date_->setObjectName(QStringLiteral("date"));
    date_->setCalendarPopup(true);
    date_->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));

    auto *startButton = new QPushButton(QStringLiteral("Старт"), this);
    startButton->setObjectName(QStringLiteral("start"));
    auto *saveButton = new QPushButton(QStringLiteral("Сохранить"), this);
    saveButton->setObjectName(QStringLiteral("save"));
    connect(startButton, &QPushButton::clicked, this, [this] { start(); });
    connect(saveButton, &QPushButton::clicked, this, [this] { save(); });
    state_ = new QLabel(this);
    state_->setObjectName(QStringLiteral("state"));

    auto *fields = new QFormLayout;
    fields->addRow(QStringLiteral("Склад:"), warehouse_);
    fields->addRow(QStringLiteral("Дата:"), date_);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(startButton);
    buttons->addWidget(saveButton);
    buttons->addWidget(state_, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(filter_);
    layout->addWidget(grid_, 1);
    layout->addLayout(buttons);

    prompter.status(QStringLiteral("Формируем список рецептур..."));
    fillDishes();
    prompter.status(QStringLiteral("Модуль списания подготовлен"));
}

DishWriteOffForm::~DishWriteOffForm() = default;

void DishWriteOffForm::fillDishes()
{
    AppContext &context = base_.context();
    const int number = static_cast<int>(BaseId::Dishes);
    if (!context.connections.isConnected(number))
        return;
    const Result<StoredTextCodec> codec
        = installationCodec(context.connections, number, context.settings, &context.prompter);
    if (!codec)
        return;
    dishBase_ = std::make_unique<DishBase>(context.connections, number, context.settings, context.prompter, *codec);
    writeOff_ = std::make_unique<DishWriteOff>(base_, *dishBase_);
    for (const DishCollection &collection : listCollections(context.connections, context.settings)) {
        const auto recipes = recipeOutputs(*dishBase_, collection.table);
        if (!recipes)
            continue;
        for (const RecipeOutput &recipe : *recipes) {
            const int row = grid_->rowCount();
            grid_->insertRow(row);
            grid_->setItem(row, Base, textItem(collection.name, false));
            grid_->setItem(row, Table, textItem(collection.table, false));
            grid_->setItem(row, Dish, textItem(recipe.name, false));
            grid_->setItem(row, Output, textItem(recipe.output));
            grid_->setItem(row, Portions, textItem(QString()));
        }
    }
}

void DishWriteOffForm::applyFilter()
{
    const QString text = filter_->text().trimmed();
    for (int row = 0; row < grid_->rowCount(); ++row)
        grid_->setRowHidden(row, !grid_->item(row, Dish)->text().contains(text, Qt::CaseInsensitive));
}

bool DishWriteOffForm::start()
{
    Prompter &prompter = base_.context().prompter;
    if (!writeOff_) {
        prompter.warning(QStringLiteral("Нет подключения к базе блюд"), kTitle);
        return false;
    }
    const std::optional<QString> note = prompter.askText(QStringLiteral("Примечание:"), kTitle);
    if (!note)
        return false;
    const auto key = writeOff_->start({date_->date(), warehouse_->currentKey(), note->trimmed()});
    if (!key) {
        tellRefusal(prompter, Status::failure(key.error()), kTitle);
        return false;
    }
    header_ = *key;
    state_->setText(QStringLiteral("Документ ") + QString::number(header_));
    return true;
}

bool DishWriteOffForm::save()
{
    Prompter &prompter = base_.context().prompter;
    std::vector<DishPortions> rows;
    for (int row = 0; row < grid_->rowCount(); ++row) {
        const QString typed = grid_->item(row, Portions)->text().trimmed();
        if (typed.isEmpty())
            continue;
        const std::optional<double> portions = parseNumber(typed);
        const QString dish = grid_->item(row, Dish)->text();
        if (!portions || *portions < 0) {
            prompter.warning(QStringLiteral("Неверное количество порций: ") + dish, kTitle);
            return false;
        }
        rows.push_back({grid_->item(row, Table)->text(), dish, grid_->item(row, Output)->text().trimmed(), *portions});
    }
    if (rows.empty()) {
        prompter.warning(QStringLiteral("Нет данных для сохранения!"), kTitle);
        return false;
    }
    if (header_ == 0 && !start())
        return false;
    const Status saved = writeOff_->save(header_, rows);
    tellRefusal(prompter, saved, kTitle);
    return static_cast<bool>(saved);
}

} // namespace kulvera
