#include "menus/forms/MenuEditorForm.h"

#include "common/NumberText.h"
#include "common/TextDate.h"
#include "costing/DishCalcCard.h"
#include "costing/DishCost.h"
#include "costing/PriceSources.h"
#include "costing/RationCost.h"
#include "costing/StockLotPrices.h"
#include "journals/RejectionJournal.h"
#include "journals/RejectionMenus.h"
#include "menus/DayLocks.h"
#include "menus/MealList.h"
#include "menus/MenuBase.h"
#include "menus/MenuVariants.h"
#include "menus/RationEditing.h"
#include "menus/RationFile.h"
#include "menus/RationTotals.h"
#include "menus/forms/OpenMenuBase.h"
#include "products/ProductBase.h"
#include "recipes/DishBase.h"
#include "recipes/HeatTreatment.h"
#include "recipes/Masses.h"
#include "shell/DishCollections.h"
#include "shell/SettingDefaults.h"
#include "shell/forms/FormButtons.h"

#include <QCalendarWidget>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTextCharFormat>
#include <QTreeWidget>
#include <QUndoStack>
#include <QVBoxLayout>

namespace kulvera {
namespace {

constexpr int kMealRole = Qt::UserRole + 1; // meal name, on meal and dish rows
constexpr int kDishRole = Qt::UserRole + 2; // dish number, on dish rows
constexpr int kPlaceRole = Qt::UserRole + 3; // meal index, on meal rows; entry index, on dish rows

enum Column { Name, Mass, Proteins, Fats, Carbohydrates, Kcal, ColumnCount };

// One edit of the ration: the ration before and after it.
class RationSnapshot : public QUndoCommand
{
public:
    RationSnapshot(std::function<void(const Ration &)> apply, Ration before, Ration after, const QString &text)
        : QUndoCommand(text)
        , apply_(std::move(apply))
        , before_(std::move(before))
        , after_(std::move(after))
    {
    }
    void undo() override { apply_(before_); }
    void redo() override { apply_(after_); }

private:
    std::function<void(const Ration &)> apply_;
    Ration before_;
    Ration after_;
};

void showTotalsIn(QTreeWidgetItem *item, const NutrientTotals &t)
{
    item->setText(Mass, formatFixed(t.mass, 0));
    item->setText(Proteins, formatFixed(t.proteins, 2));
    item->setText(Fats, formatFixed(t.fats, 2));
    item->setText(Carbohydrates, formatFixed(t.carbohydrates, 2));
    item->setText(Kcal, formatFixed(t.kcal, 1));
    for (int c = Mass; c < ColumnCount; ++c)
        item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
}

MenuEditorForm::RequisitionPrinter &requisitionPrinter()
{
    static MenuEditorForm::RequisitionPrinter printer;
    return printer;
}

MenuEditorForm::CalcCardPrinter &calcCardPrinter()
{
    static MenuEditorForm::CalcCardPrinter printer;
    return printer;
}

} // namespace

MenuEditorForm::MenuEditorForm(AppContext &context, QWidget *parent)
    : QWidget(parent)
    , context_(context)
    , base_(openMenuBase(context))
    , undo_(new QUndoStack(this))
{
    setObjectName(QStringLiteral("MenuEditor"));
    setWindowTitle(kTitle.toString());
    if (base_)
        editing_ = std::make_unique<RationEditing>(*base_);
    if (context.connections.isConnected(BaseId::Dishes)) {
        const Result<StoredTextCodec> codec = installationCodec(
            context.connections, static_cast<int>(BaseId::Dishes), context.settings, &context.prompter);
        if (codec)
            dishes_ = std::make_unique<DishBase>(context.connections, static_cast<int>(BaseId::Dishes),
                context.settings, context.prompter, codec.value());
    }

    // The day and the group.
    calendar_ = new QCalendarWidget(this);
    calendar_->setObjectName(QStringLiteral("rationCalendar"));
    calendar_->setGridVisible(true);
    calendar_->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    group_ = new QComboBox(this);
    group_->setObjectName(QStringLiteral("groupSelector"));
    lockState_ = new QLabel(this);
    lockState_->setObjectName(QStringLiteral("lockState"));
    lockState_->setWordWrap(true);
    lockButton_ = new QPushButton(QStringLiteral("Заблокировать день"), this);
    lockButton_->setObjectName(QStringLiteral("lockDay"));
    lockButton_->setCheckable(true);
    auto *left = new QWidget(this);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(calendar_);
    leftLayout->addWidget(new QLabel(QStringLiteral("Группа (вариант меню)"), left));
    leftLayout->addWidget(group_);
    leftLayout->addWidget(lockState_);
    leftLayout->addWidget(lockButton_);
    leftLayout->addStretch();

    // The ration: meals with their dishes and totals.
    tree_ = new QTreeWidget(this);
    tree_->setObjectName(QStringLiteral("rationTree"));
    tree_->setColumnCount(ColumnCount);
    tree_->setHeaderLabels({QStringLiteral("Прием пищи / блюдо"), QStringLiteral("Выход, г"),
        QStringLiteral("Белки, г"), QStringLiteral("Жиры, г"), QStringLiteral("Углеводы, г"), QStringLiteral("Ккал")});
    tree_->header()->setSectionResizeMode(Name, QHeaderView::Stretch);
    for (int c = Mass; c < ColumnCount; ++c)
        tree_->header()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    tree_->header()->setStretchLastSection(false);
    tree_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    tree_->setUniformRowHeights(true);
    dayTotals_ = new QLabel(this);
    dayTotals_->setObjectName(QStringLiteral("dayTotals"));
    // The cost per consumer, shown when `bShowPriceRat` is "1".
    priceBox_ = new QWidget(this);
    priceFor_ = new QComboBox(priceBox_);
    priceFor_->setObjectName(QStringLiteral("priceFor"));
    price_ = new QLabel(priceBox_);
    price_->setObjectName(QStringLiteral("rationPrice"));
    auto *priceRow = new QHBoxLayout(priceBox_);
    priceRow->setContentsMargins(0, 0, 0, 0);
    priceRow->addWidget(new QLabel(QStringLiteral("Расчет для"), priceBox_));
    priceRow->addWidget(priceFor_);
    priceRow->addWidget(price_, 1);
    connect(priceFor_, &QComboBox::currentIndexChanged, this, [this] { showPrice(); });
    auto *dishButtons = new QHBoxLayout;
    connect(addButton(this, dishButtons, QStringLiteral("moveUp"), QStringLiteral("Вверх")), &QPushButton::clicked,
        this, [this] {
            const auto [m, e] = currentPlace();
            moveDish(m, e, true);
        });
    connect(addButton(this, dishButtons, QStringLiteral("moveDown"), QStringLiteral("Вниз")), &QPushButton::clicked,
        this, [this] {
            const auto [m, e] = currentPlace();
            moveDish(m, e, false);
        });
    connect(addButton(this, dishButtons, QStringLiteral("removeDish"), QStringLiteral("Удалить блюдо")),
        &QPushButton::clicked, this, [this] {
            const auto [m, e] = currentPlace();
            removeDish(m, e);
        });
    connect(addButton(this, dishButtons, QStringLiteral("openInEditor"), QStringLiteral("Открыть в редакторе")),
        &QPushButton::clicked, this, [this] {
            const auto [m, e] = currentPlace();
            openInRecipeEditor(ration_.dishAt(m, e));
        });
    dishButtons->addStretch();
    auto *mealButtons = new QHBoxLayout;
    connect(addButton(this, mealButtons, QStringLiteral("addMeal"), QStringLiteral("Добавить прием")),
        &QPushButton::clicked, this, [this] { addMeal(); });
    connect(addButton(this, mealButtons, QStringLiteral("renameMeal"), QStringLiteral("Переименовать прием")),
        &QPushButton::clicked, this, [this] { renameMeal(currentMealName()); });
    connect(addButton(this, mealButtons, QStringLiteral("removeMeal"), QStringLiteral("Удалить прием")),
        &QPushButton::clicked, this, [this] { removeMeal(currentMealName()); });
    mealButtons->addStretch();
    // The clipboard of rations ("buffer" beside the bases) and ration files.
    connect(addButton(this, mealButtons, QStringLiteral("copyRation"), QStringLiteral("Копировать")),
        &QPushButton::clicked, this, [this] {
            if (const auto title = context_.prompter.askText(
                    QStringLiteral("Введите заголовок для меню:"), kTitle.toString(), kRationBufferTitle.toString()))
                copyToBuffer(*title);
        });
    auto *paste = addButton(this, mealButtons, QStringLiteral("pasteRation"), QStringLiteral("Вставить"));
    auto *bufferMenu = new QMenu(paste);
    bufferMenu->setObjectName(QStringLiteral("rationBuffer"));
    paste->setMenu(bufferMenu);
    connect(bufferMenu, &QMenu::aboutToShow, this, [this, bufferMenu] {
        bufferMenu->clear();
        for (const RationBufferEntry &e : rationBufferList(bufferFolder())) {
            const QString file = e.fileName;
            bufferMenu->addAction(e.title, this, [this, file] { pasteFromFile(file); });
        }
    });
    connect(addButton(this, mealButtons, QStringLiteral("saveRationFile"), QStringLiteral("В файл...")),
        &QPushButton::clicked, this, [this] { chooseRationFileToSave(); });
    connect(addButton(this, mealButtons, QStringLiteral("loadRationFile"), QStringLiteral("Из файла...")),
        &QPushButton::clicked, this, [this] { chooseRationFileToLoad(); });
    auto *undoButton = addButton(this, mealButtons, QStringLiteral("undo"), QStringLiteral("Отменить"));
    auto *redoButton = addButton(this, mealButtons, QStringLiteral("redo"), QStringLiteral("Вернуть"));
    connect(addButton(this, mealButtons, QStringLiteral("saveRation"), QStringLiteral("Сохранить")),
        &QPushButton::clicked, this, [this] { save(); });
    auto *print = addButton(this, mealButtons, QStringLiteral("printRequisition"), QStringLiteral("Печать требования"));
    print->setEnabled(static_cast<bool>(requisitionPrinter()));
    connect(print, &QPushButton::clicked, this, [this] { printRequisition(); });
    connect(addButton(this, mealButtons, QStringLiteral("saveToRejection"), QStringLiteral("В бракеражный журнал")),
        &QPushButton::clicked, this, [this] { saveToRejectionJournal(); });
    auto *card = addButton(this, dishButtons, QStringLiteral("printCalcCard"), QStringLiteral("Калькуляционная карта"));
    card->setEnabled(static_cast<bool>(calcCardPrinter()));
    connect(card, &QPushButton::clicked, this, [this] { printCalcCard(); });
    auto *cards = addButton(this, dishButtons, QStringLiteral("printAllCalcCards"), QStringLiteral("Все карты"));
    cards->setToolTip(kExportAllCalcCardsText.toString());
    cards->setEnabled(static_cast<bool>(calcCardPrinter()));
    connect(cards, &QPushButton::clicked, this, [this] { printAllCalcCards(); });
    connect(undoButton, &QPushButton::clicked, undo_, &QUndoStack::undo);
    connect(redoButton, &QPushButton::clicked, undo_, &QUndoStack::redo);
    connect(undo_, &QUndoStack::canUndoChanged, undoButton, &QPushButton::setEnabled);
    connect(undo_, &QUndoStack::canRedoChanged, redoButton, &QPushButton::setEnabled);
    undoButton->setEnabled(false);
    redoButton->setEnabled(false);
    auto *middle = new QWidget(this);
    auto *middleLayout = new QVBoxLayout(middle);
    middleLayout->setContentsMargins(0, 0, 0, 0);
    middleLayout->addWidget(tree_, 1);
    middleLayout->addWidget(dayTotals_);
    middleLayout->addWidget(priceBox_);
    middleLayout->addLayout(dishButtons);
    middleLayout->addLayout(mealButtons);

    // The dish base to add from.
    collection_ = new QComboBox(this);
    collection_->setObjectName(QStringLiteral("dishCollection"));
    for (const DishCollection &c : listCollections(context_.connections, context_.settings))
        collection_->addItem(c.name, c.table);
    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("dishSearch"));
    search_->setPlaceholderText(QStringLiteral("Поиск блюда"));
    search_->setClearButtonEnabled(true);
    dishList_ = new QListWidget(this);
    dishList_->setObjectName(QStringLiteral("dishList"));
    output_ = new QLineEdit(this);
    output_->setObjectName(QStringLiteral("dishOutput"));
    output_->setPlaceholderText(QStringLiteral("выход, г"));
    output_->setToolTip(QStringLiteral("Выход блюда в рационе; пусто: выход рецептуры"));
    auto *addRow = new QHBoxLayout;
    addRow->addWidget(output_, 1);
    connect(addButton(this, addRow, QStringLiteral("addDish"), QStringLiteral("В прием")), &QPushButton::clicked, this,
        [this] { addChosenDish(); });
    auto *right = new QWidget(this);
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addWidget(collection_);
    rightLayout->addWidget(search_);
    rightLayout->addWidget(dishList_, 1);
    rightLayout->addLayout(addRow);

    auto *split = new QSplitter(this);
    split->setObjectName(QStringLiteral("menuSplitter"));
    split->addWidget(left);
    split->addWidget(middle);
    split->addWidget(right);
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 3);
    split->setStretchFactor(2, 1);
    right->setMinimumWidth(280);
    split->setSizes({250, 700, 320});
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(split);

    // Keyboard: Enter adds the chosen dish, Delete removes one, Ctrl+Up/Down
    // move it, F2 edits its output, Ctrl+S saves.
    connect(search_, &QLineEdit::textChanged, this, &MenuEditorForm::filterDishes);
    connect(search_, &QLineEdit::returnPressed, this, [this] { addChosenDish(); });
    connect(output_, &QLineEdit::returnPressed, this, [this] { addChosenDish(); });
    connect(dishList_, &QListWidget::itemActivated, this, [this] { addChosenDish(); });
    tree_->installEventFilter(this);
    search_->installEventFilter(this);
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this, [this] { save(); });
    connect(new QShortcut(QKeySequence::Undo, this), &QShortcut::activated, undo_, &QUndoStack::undo);
    connect(new QShortcut(QKeySequence::Redo, this), &QShortcut::activated, undo_, &QUndoStack::redo);
    connect(undo_, &QUndoStack::cleanChanged, this,
        [this] { setWindowTitle(kTitle.toString() + (isModified() ? QStringLiteral(" *") : QString())); });
    connect(tree_, &QTreeWidget::itemChanged, this, &MenuEditorForm::treeItemChanged);
    connect(collection_, &QComboBox::currentIndexChanged, this, [this] { fillDishList(); });
    // A day chosen with the mouse or the arrow keys opens at once.
    connect(calendar_, &QCalendarWidget::selectionChanged, this, [this] {
        const QDate day = calendar_->selectedDate();
        if (day != ration_.date() && !openRation(day, currentGroup()))
            calendar_->setSelectedDate(ration_.date());
    });
    connect(calendar_, &QCalendarWidget::currentPageChanged, this, [this] { markCalendar(); });
    connect(group_, &QComboBox::activated, this, [this] {
        if (currentGroup() != ration_.group() && !openRation(ration_.date(), currentGroup()))
            fillGroups(ration_.group());
    });
    connect(lockButton_, &QPushButton::clicked, this, [this](bool checked) { setDayLocked(checked); });

    fillDishList();
    fillGroups(QString());
    openRation(context_.clock.today(), currentGroup());
}

MenuEditorForm::~MenuEditorForm()
{
    QObject::disconnect(undo_, nullptr, this, nullptr);
}

bool MenuEditorForm::isModified() const
{
    return !undo_->isClean();
}

bool MenuEditorForm::confirmDiscard()
{
    if (!isModified())
        return true;
    return context_.prompter.ask(QStringLiteral("Меню рационов не сохранено. Выйти?"), Prompter::Buttons::YesNo,
               kTitle.toString(), Prompter::Icon::Question, QStringLiteral("UnsavedMenu"))
        == Prompter::Answer::Yes;
}

void MenuEditorForm::discardChanges()
{
    undo_->setClean();
}

void MenuEditorForm::closeEvent(QCloseEvent *event)
{
    if (confirmDiscard())
        event->accept();
    else
        event->ignore();
}

bool MenuEditorForm::openRation(const QDate &date, const QString &group)
{
    if (!base_ || !date.isValid())
        return false;
    if (isModified()) {
        const Prompter::Answer a = context_.prompter.ask(
            QStringLiteral("Рацион на ") + formatTextDate(ration_.date()) + QStringLiteral(" не сохранен. Сохранить?"),
            Prompter::Buttons::YesNoCancel, kTitle.toString(), Prompter::Icon::Question,
            QStringLiteral("UnsavedRation"));
        if (a == Prompter::Answer::Cancel || (a == Prompter::Answer::Yes && !save()))
            return false;
    }
    Result<Ration> loaded = base_->load(RationKey {date, group});
    if (!loaded) {
        context_.prompter.warning(loaded.error(), kTitle.toString());
        return false;
    }
    undo_->clear();
    setRation(loaded.value());
    fillGroups(group);
    calendar_->setSelectedDate(date);
    markCalendar();
    return true;
}

bool MenuEditorForm::edit(const std::function<bool(Ration &)> &change, const QString &text)
{
    if (!editing_)
        return false;
    Ration after = ration_;
    if (!change(after))
        return false;
    undo_->push(new RationSnapshot([this](const Ration &r) { setRation(r); }, ration_, std::move(after), text));
    return true;
}

bool MenuEditorForm::addDish(const QString &meal, const QString &recipe, const QString &output)
{
    if (!dishes_ || collection_->currentIndex() < 0)
        return false;
    if (!output.isEmpty() && outputValue(output) <= 0) {
        context_.prompter.warning(QStringLiteral("Неверный выход: ") + output, kTitle.toString());
        return false;
    }
    const QString table = collection_->currentData().toString();
    const bool added = edit(
        [&](Ration &r) {
            const Result<int> number = editing_->addDish(r, meal, *dishes_, table, recipe, output);
            if (!number && number.error() != DayLocks::lockedText())
                context_.prompter.warning(number.error(), kTitle.toString());
            return number.ok();
        },
        QStringLiteral("Добавить блюдо"));
    if (added) {
        const int m = ration_.mealIndex(meal);
        selectDish(m, ration_.meal(m)->Count());
    }
    return added;
}

bool MenuEditorForm::addChosenDish()
{
    const QListWidgetItem *item = dishList_->currentItem();
    if (!item || item->isHidden())
        return false;
    QString meal = currentMealName();
    if (meal.isEmpty()) {
        const QStringList meals = MealList(context_.settings, context_.prompter).names();
        meal = ration_.mealCount() > 0 ? ration_.mealName(1) : meals.value(0);
    }
    if (meal.isEmpty()) {
        context_.prompter.warning(QStringLiteral("Не выбран прием пищи"), kTitle.toString());
        return false;
    }
    if (!addDish(meal, item->text(), output_->text().trimmed()))
        return false;
    output_->clear();
    search_->selectAll();
    return true;
}

bool MenuEditorForm::removeDish(int meal, int entry)
{
    if (ration_.dishAt(meal, entry) == 0)
        return false;
    const bool removed
        = edit([&](Ration &r) { return editing_->removeDish(r, meal, entry).ok(); }, QStringLiteral("Удалить блюдо"));
    if (removed && ration_.meal(meal))
        selectDish(meal, std::min(entry, ration_.meal(meal)->Count()));
    return removed;
}

bool MenuEditorForm::moveDish(int meal, int entry, bool up)
{
    if (ration_.dishAt(meal, entry) == 0)
        return false;
    const bool moved = edit([&](Ration &r) { return editing_->moveDish(r, meal, entry, up).ok(); },
        up ? QStringLiteral("Блюдо вверх") : QStringLiteral("Блюдо вниз"));
    if (moved)
        selectDish(meal, up ? entry - 1 : entry + 1);
    return moved;
}

bool MenuEditorForm::changeOutput(int dishNumber, const QString &output)
{
    const auto [meal, entry] = ration_.placeOf(dishNumber);
    if (outputValue(output) <= 0) {
        context_.prompter.warning(QStringLiteral("Неверный выход: ") + output, kTitle.toString());
        showRation();
        return false;
    }
    const bool changed = edit(
        [&](Ration &r) {
            const Status s = editing_->changeOutput(r, dishNumber, output);
            if (!s && s.error() != DayLocks::lockedText() && !s.error().isEmpty())
                context_.prompter.warning(s.error(), kTitle.toString());
            return s.ok();
        },
        QStringLiteral("Выход блюда"));
    if (!changed)
        showRation(); // the cell shows the output the dish has
    else
        selectDish(meal, entry);
    return changed;
}

RecipeFileContext MenuEditorForm::fileContext() const
{
    return RecipeFileContext {context_.prompter, programLossTables(), context_.clock, nullptr, {}};
}

QString MenuEditorForm::bufferFolder() const
{
    return rationBufferFolder(context_.shared.dirBook());
}

bool MenuEditorForm::saveRationToFile(const QString &file, const QString &title, bool askReplace)
{
    RationFileInfo info;
    info.title = title;
    RationFileWriteOptions options;
    options.askReplace = askReplace;
    options.report = askReplace;
    return static_cast<bool>(saveRationFile(ration_, file, info, fileContext(), options));
}

bool MenuEditorForm::copyToBuffer(const QString &title)
{
    const QString folder = bufferFolder();
    if (!QDir().mkpath(folder)) {
        context_.prompter.error(QStringLiteral("Нет прав на запись в папку '") + folder + u'\'', kTitle.toString());
        return false;
    }
    if (!saveRationToFile(QDir(folder).filePath(kRationBufferFile.toString()), title, false))
        return false;
    context_.prompter.status(QStringLiteral("Рацион скопирован в буфер"));
    return true;
}

bool MenuEditorForm::pasteFromFile(const QString &file)
{
    const Result<LoadedRation> loaded = loadRationFile(file, fileContext());
    if (!loaded || loaded->ration.isEmpty()) {
        context_.prompter.message(QStringLiteral("Не удалось загрузить рацион"), kTitle.toString());
        return false;
    }
    const Ration pasted = loaded->ration;
    const bool done = edit(
        [this, &pasted](Ration &r) {
            if (!editing_->editable(r))
                return false;
            Ration copy = pasted;
            copy.setKey(r.key());
            r = std::move(copy);
            return true;
        },
        QStringLiteral("Вставка рациона"));
    if (done)
        context_.prompter.message(QStringLiteral("Рацион загружен"), kTitle.toString());
    return done;
}

void MenuEditorForm::chooseRationFileToSave()
{
    const auto title = context_.prompter.askText(QStringLiteral("Введите заголовок для меню:"), kTitle.toString(),
        context_.settings.get(Section::Data, kRationTitleKey.toString()));
    if (!title)
        return;
    const QString folder = context_.settings.get(Section::Data, kRationFileFolderKey.toString());
    const QString file = QFileDialog::getSaveFileName(this, kRationFileSaveTitle.toString(),
        QDir(folder).filePath(defaultRationFileName(ration_.date())), kRationFileSaveFilter.toString(), nullptr,
        QFileDialog::DontConfirmOverwrite);
    if (!file.isEmpty() && saveRationToFile(file, *title, true))
        context_.settings.save(Section::Data, kRationFileFolderKey.toString(), QFileInfo(file).absolutePath());
}

void MenuEditorForm::chooseRationFileToLoad()
{
    const QString folder = context_.settings.get(Section::Data, kRationFileFolderKey.toString());
    const QString file
        = QFileDialog::getOpenFileName(this, QStringLiteral("Загрузка меню"), folder, kRationFileOpenFilter.toString());
    if (!file.isEmpty())
        pasteFromFile(file);
}

bool MenuEditorForm::save()
{
    if (!editing_)
        return false;
    const Status s = editing_->save(ration_);
    if (!s) {
        if (s.error() != DayLocks::lockedText())
            context_.prompter.warning(s.error(), kTitle.toString());
        return false;
    }
    undo_->setClean();
    markCalendar();
    context_.prompter.status(QStringLiteral("Рацион сохранен"));
    return true;
}

bool MenuEditorForm::addMeal()
{
    MealList meals(context_.settings, context_.prompter);
    if (!meals.addAsking())
        return false;
    showRation();
    return true;
}

bool MenuEditorForm::renameMeal(const QString &meal)
{
    if (meal.isEmpty())
        return false;
    MealList meals(context_.settings, context_.prompter);
    const int inRation = ration_.mealIndex(meal);
    // A meal of the open ration is renamed in the ration too: not on a locked day.
    if (inRation > 0 && (!editing_ || !editing_->editable(ration_)))
        return false;
    const int inList = static_cast<int>(meals.names().indexOf(meal));
    std::optional<QString> renamed;
    if (inList >= 0) {
        renamed = meals.renameAsking(inList);
    } else {
        const std::optional<QString> typed
            = context_.prompter.askText(QStringLiteral("Введите новое наименование приема"), kTitle.toString(), meal);
        if (typed && !typed->trimmed().isEmpty())
            renamed = typed->trimmed();
    }
    if (!renamed || *renamed == meal)
        return false;
    if (inRation > 0) {
        edit(
            [&](Ration &r) {
                r.renameMeal(inRation, *renamed);
                return true;
            },
            QStringLiteral("Переименовать прием"));
    } else {
        showRation();
    }
    selectMeal(*renamed);
    return true;
}

bool MenuEditorForm::removeMeal(const QString &meal)
{
    MealList meals(context_.settings, context_.prompter);
    const int inList = static_cast<int>(meals.names().indexOf(meal));
    // The list loses the meal; dishes a ration holds under it stay in the ration.
    if (inList < 0 || !meals.removeAsking(inList))
        return false;
    showRation();
    return true;
}

bool MenuEditorForm::setDayLocked(bool locked)
{
    if (!base_)
        return false;
    const DayLocks locks(*base_);
    const Status s
        = locked ? locks.lock(ration_.date(), ration_.group()) : locks.unlock(ration_.date(), ration_.group());
    if (!s)
        context_.prompter.warning(s.error(), kTitle.toString());
    else if (!locked && locks.isLocked(ration_.date(), ration_.group()))
        context_.prompter.message(QStringLiteral("День заблокирован для всех групп"), kTitle.toString());
    showRation();
    return s.ok();
}

bool MenuEditorForm::openInRecipeEditor(int dishNumber)
{
    if (!ration_.dish(dishNumber) || collection_->currentIndex() < 0)
        return false;
    emit recipeRequested(
        collection_->currentData().toString(), ration_.dishName(dishNumber), ration_.dishOutput(dishNumber));
    return true;
}

void MenuEditorForm::setRation(const Ration &ration)
{
    ration_ = ration;
    showRation();
}

void MenuEditorForm::showRation()
{
    const auto [selectedMeal, selectedEntry] = currentPlace();
    const QString selectedMealName = currentMealName();
    locked_ = base_ && DayLocks(*base_).isLocked(ration_.date(), ration_.group());
    lockState_->setText(locked_ ? DayLocks::lockedText() : QString());
    lockState_->setStyleSheet(locked_ ? QStringLiteral("color: #b00020; font-weight: bold") : QString());
    lockButton_->setChecked(locked_);

    showing_ = true;
    tree_->clear();
    // The ration's meals in its order, then the meals of the list it has none of.
    QStringList names;
    for (int m = 1; m <= ration_.mealCount(); ++m)
        names << ration_.mealName(m);
    for (const QString &n : MealList(context_.settings, context_.prompter).names()) {
        if (!names.contains(n))
            names << n;
    }
    for (const QString &name : names) {
        auto *mealItem = new QTreeWidgetItem(tree_, QStringList {name});
        const int m = ration_.mealIndex(name);
        mealItem->setData(Name, kMealRole, name);
        mealItem->setData(Name, kPlaceRole, m);
        QFont bold = mealItem->font(Name);
        bold.setBold(true);
        for (int c = 0; c < ColumnCount; ++c)
            mealItem->setFont(c, bold);
        mealItem->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        if (m > 0) {
            for (int e = 1; e <= ration_.meal(m)->Count(); ++e) {
                const int number = ration_.dishAt(m, e);
                auto *dishItem = new QTreeWidgetItem(mealItem, QStringList {ration_.dishName(number)});
                dishItem->setData(Name, kMealRole, name);
                dishItem->setData(Name, kDishRole, number);
                dishItem->setData(Name, kPlaceRole, e);
                showTotalsIn(dishItem, dishTotals(ration_, number));
                dishItem->setText(Mass, ration_.dishOutput(number));
                dishItem->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
            }
            showTotalsIn(mealItem, mealTotals(ration_, m));
        }
        mealItem->setExpanded(true);
    }
    showing_ = false;
    showTotals();
    if (selectedEntry > 0 && ration_.dishAt(selectedMeal, selectedEntry) != 0)
        selectDish(selectedMeal, selectedEntry);
    else if (!selectedMealName.isEmpty())
        selectMeal(selectedMealName);
}

void MenuEditorForm::showTotals()
{
    const NutrientTotals t = rationTotals(ration_);
    dayTotals_->setText(QStringLiteral("Итого за день: выход %1 г, белки %2 г, жиры %3 г, углеводы %4 г, %5 ккал")
                            .arg(formatFixed(t.mass, 0), formatFixed(t.proteins, 2), formatFixed(t.fats, 2),
                                formatFixed(t.carbohydrates, 2), formatFixed(t.kcal, 1)));
    showPrice();
}

void MenuEditorForm::showPrice()
{
    const bool shown
        = context_.settings.get(Section::UserInterface, QStringLiteral("bShowPriceRat"), QStringLiteral("0")) == u"1";
    priceBox_->setVisible(shown);
    if (!shown)
        return;
    // The selector: the whole day first, then the meals of the meal list.
    const QStringList meals = MealList(context_.settings, context_.prompter).names();
    QStringList items {QStringLiteral("Весь день")};
    items += meals;
    QStringList present;
    for (int i = 0; i < priceFor_->count(); ++i)
        present << priceFor_->itemText(i);
    if (present != items) {
        const QSignalBlocker quiet(priceFor_);
        const int keep = priceFor_->currentIndex();
        priceFor_->clear();
        priceFor_->addItems(items);
        priceFor_->setCurrentIndex(keep >= 0 && keep < items.size() ? keep : 0);
    }
    const int meal = priceFor_->currentIndex() <= 0 ? -1 : priceFor_->currentIndex();
    StockLotPrices stock(context_.connections);
    PriceSources prices(context_.connections, context_.settings, context_.prompter, stock);
    const ProductBase products(context_.connections, context_.settings, context_.prompter, context_.clock);
    SeasonalOutputs seasonal(&products);
    const RationCost cost = rationPrice(ration_, meals, meal, true, prices, seasonal, 1);
    price_->setText(rationPriceLabel(cost.total,
        readSetting(context_.settings, Section::Data, QStringLiteral("FormatPriceRation")), priceFor_->currentText()));
}

void MenuEditorForm::markCalendar()
{
    calendar_->setDateTextFormat(QDate(), QTextCharFormat());
    if (!base_)
        return;
    QTextCharFormat marked;
    marked.setFontWeight(QFont::Bold);
    marked.setBackground(QColor(0xd5, 0xe8, 0xd4));
    const Result<std::vector<QDate>> days = base_->daysOf(ration_.group());
    if (!days)
        return;
    for (const QDate &d : days.value())
        calendar_->setDateTextFormat(d, marked);
}

void MenuEditorForm::fillGroups(const QString &current)
{
    QStringList groups;
    if (base_) {
        if (const auto variants = MenuVariants(*base_).list())
            for (const MenuVariant &v : variants.value())
                if (!v.name.isEmpty() && !groups.contains(v.name))
                    groups << v.name;
        if (const auto rations = base_->list(RationOrder::ByGroup))
            for (const RationListEntry &e : rations.value())
                if (!e.group.isEmpty() && !groups.contains(e.group))
                    groups << e.group;
    }
    if (!current.isEmpty() && !groups.contains(current))
        groups << current;
    const QSignalBlocker quiet(group_);
    group_->clear();
    for (const QString &g : groups)
        group_->addItem(g, g);
    group_->addItem(groupCaption(QString()), QString());
    group_->setCurrentIndex(std::max(0, group_->findData(current)));
}

void MenuEditorForm::fillDishList()
{
    dishList_->clear();
    if (!dishes_ || collection_->currentIndex() < 0)
        return;
    const Result<QStringList> names = dishes_->recipeNames(collection_->currentData().toString());
    if (names)
        dishList_->addItems(names.value());
    filterDishes(search_->text());
}

void MenuEditorForm::filterDishes(const QString &text)
{
    QListWidgetItem *first = nullptr;
    for (int i = 0; i < dishList_->count(); ++i) {
        QListWidgetItem *item = dishList_->item(i);
        const bool hidden = !text.isEmpty() && !item->text().contains(text, Qt::CaseInsensitive);
        item->setHidden(hidden);
        if (!hidden && !first)
            first = item;
    }
    // What Enter adds: the first dish that matches.
    if (first && (!dishList_->currentItem() || dishList_->currentItem()->isHidden() || !text.isEmpty()))
        dishList_->setCurrentItem(first);
}

QString MenuEditorForm::currentGroup() const
{
    return group_->currentIndex() < 0 ? QString() : group_->currentData().toString();
}

QString MenuEditorForm::currentMealName() const
{
    const QTreeWidgetItem *item = tree_->currentItem();
    return item ? item->data(Name, kMealRole).toString() : QString();
}

std::pair<int, int> MenuEditorForm::currentPlace() const
{
    const QTreeWidgetItem *item = tree_->currentItem();
    if (!item)
        return {0, 0};
    const int meal = ration_.mealIndex(item->data(Name, kMealRole).toString());
    return {meal, item->parent() ? item->data(Name, kPlaceRole).toInt() : 0};
}

void MenuEditorForm::selectDish(int meal, int entry)
{
    const QString name = ration_.mealName(meal);
    for (int i = 0; i < tree_->topLevelItemCount(); ++i) {
        QTreeWidgetItem *m = tree_->topLevelItem(i);
        if (m->data(Name, kMealRole).toString() != name)
            continue;
        if (entry >= 1 && entry <= m->childCount())
            tree_->setCurrentItem(m->child(entry - 1));
        else
            tree_->setCurrentItem(m);
        return;
    }
}

void MenuEditorForm::selectMeal(const QString &meal)
{
    for (int i = 0; i < tree_->topLevelItemCount(); ++i) {
        if (tree_->topLevelItem(i)->data(Name, kMealRole).toString() == meal) {
            tree_->setCurrentItem(tree_->topLevelItem(i));
            return;
        }
    }
}

bool MenuEditorForm::eventFilter(QObject *watched, QEvent *event)
{
    // The ration's own keys, taken while the ration view has the focus.
    if (watched == tree_ && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const auto [m, e] = currentPlace();
        if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) {
            removeDish(m, e);
            return true;
        }
        if ((key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) && key->modifiers() == Qt::ControlModifier) {
            moveDish(m, e, key->key() == Qt::Key_Up);
            return true;
        }
    }
    // Down from the search goes into the list it filters.
    if (watched == search_ && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Down) {
        dishList_->setFocus();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void MenuEditorForm::treeItemChanged(QTreeWidgetItem *item, int column)
{
    if (showing_ || column != Mass || !item->parent())
        return;
    const int number = item->data(Name, kDishRole).toInt();
    const QString typed = item->text(Mass).trimmed();
    if (typed == ration_.dishOutput(number))
        return;
    // The edit runs after the view has finished with the item it rebuilds.
    QMetaObject::invokeMethod(
        this, [this, number, typed] { changeOutput(number, typed); }, Qt::QueuedConnection);
}

void MenuEditorForm::setRequisitionPrinter(RequisitionPrinter printer)
{
    requisitionPrinter() = std::move(printer);
}

bool MenuEditorForm::printRequisition()
{
    if (!requisitionPrinter())
        return false;
    if (ration_.isEmpty()) {
        context_.prompter.warning(QStringLiteral("В рационе нет ни одного блюда."), kTitle.toString());
        return false;
    }
    return requisitionPrinter()(ration_, context_);
}

bool MenuEditorForm::saveToRejectionJournal()
{
    RejectionJournal journal(context_);
    const Result<int> added = saveRationToJournal(journal, ration_);
    if (!added) {
        context_.prompter.warning(added.error(), kTitle.toString());
        return false;
    }
    if (!ration_.isEmpty())
        context_.prompter.status(QStringLiteral("Бракераж :: Добавлено в журнал блюд: ") + QString::number(*added));
    return true;
}

void MenuEditorForm::setCalcCardPrinter(CalcCardPrinter printer)
{
    calcCardPrinter() = std::move(printer);
}

bool MenuEditorForm::printCalcCard()
{
    const auto [meal, entry] = currentPlace();
    const int number = meal > 0 && entry > 0 ? ration_.dishAt(meal, entry) : 0;
    if (number == 0) {
        context_.prompter.warning(QStringLiteral("Выберите блюдо в рационе."), kTitle.toString());
        return false;
    }
    return printCalcCards(number);
}

bool MenuEditorForm::printAllCalcCards()
{
    return printCalcCards(0);
}

bool MenuEditorForm::printCalcCards(int number)
{
    if (!calcCardPrinter())
        return false;
    if (ration_.isEmpty()) {
        context_.prompter.warning(QStringLiteral("В рационе нет ни одного блюда."), kTitle.toString());
        return false;
    }
    const std::optional<QString> typed = context_.prompter.askText(QStringLiteral("Наценка, %:"),
        QStringLiteral("Калькуляционная карта"), formatNumber(defaultMarkupPercent(context_.settings)));
    if (!typed)
        return false;
    const std::optional<double> markup = parseMarkupPercent(*typed);
    if (!markup) {
        context_.prompter.warning(kBadMarkupText.toString(), kTitle.toString());
        return false;
    }
    context_.settings.save(Section::Calc, QStringLiteral("GlobalNac"), formatNumber(*markup));
    return calcCardPrinter()(ration_, number, *markup, context_);
}

} // namespace kulvera
