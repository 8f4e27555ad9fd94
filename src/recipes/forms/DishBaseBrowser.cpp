#include "recipes/forms/DishBaseBrowser.h"

#include "common/Clock.h"
#include "recipes/DishBase.h"
#include "recipes/DishGroups.h"
#include "recipes/HeatTreatment.h"
#include "recipes/Microbiology.h"
#include "recipes/Nd2File.h"
#include "recipes/RecipeExport.h"
#include "shell/DishCollections.h"
#include "shell/forms/FormButtons.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <map>
#include <set>

namespace kulvera {
namespace {

constexpr int kDishes = static_cast<int>(BaseId::Dishes);
constexpr int kSemiFinished = static_cast<int>(BaseId::SemiFinished);
constexpr int kKeyRole = Qt::UserRole + 1;

std::unique_ptr<DishBase> openBase(AppContext &context, int number)
{
    if (!context.connections.isConnected(number))
        return nullptr;
    const Result<StoredTextCodec> codec
        = installationCodec(context.connections, kDishes, context.settings, &context.prompter);
    if (!codec)
        return nullptr;
    return std::make_unique<DishBase>(context.connections, number, context.settings, context.prompter, codec.value());
}

// Hides the rows whose text does not hold the search text (any case).
void filterList(QListWidget *list, const QString &text)
{
    for (int i = 0; i < list->count(); ++i)
        list->item(i)->setHidden(!text.isEmpty() && !list->item(i)->text().contains(text, Qt::CaseInsensitive));
}

} // namespace

DishGroupsForm::DishGroupsForm(AppContext &context, QWidget *parent)
    : QWidget(parent)
    , context_(context)
    , groups_(std::make_unique<DishGroups>(context.connections, kDishes, context.prompter))
    , tree_(new QTreeWidget(this))
    , find_(new QLineEdit(this))
{
    setObjectName(QStringLiteral("DishGroups"));
    setWindowTitle(QStringLiteral("Группы блюд"));
    tree_->setObjectName(QStringLiteral("groups"));
    tree_->setHeaderLabel(QStringLiteral("Группы"));
    tree_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    find_->setObjectName(QStringLiteral("groupSearch"));
    find_->setPlaceholderText(QStringLiteral("Найти группу"));
    auto *buttons = new QHBoxLayout;
    connect(addButton(this, buttons, QStringLiteral("addGroup"), QStringLiteral("Добавить группу ")),
        &QPushButton::clicked, this, [this] { addGroup(false); });
    connect(addButton(this, buttons, QStringLiteral("addSubgroup"), QStringLiteral("Добавить подгруппу ")),
        &QPushButton::clicked, this, [this] { addGroup(true); });
    connect(addButton(this, buttons, QStringLiteral("deleteGroup"), QStringLiteral("Удалить")), &QPushButton::clicked,
        this, [this] { deleteCurrent(); });
    connect(
        new QShortcut(QKeySequence(Qt::Key_Insert), tree_), &QShortcut::activated, this, [this] { addGroup(false); });
    connect(new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Insert), tree_), &QShortcut::activated, this,
        [this] { addGroup(true); });
    connect(
        new QShortcut(QKeySequence(Qt::Key_Delete), tree_), &QShortcut::activated, this, [this] { deleteCurrent(); });
    connect(tree_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem *item) {
        if (!filling_ && !item->text(0).trimmed().isEmpty())
            groups_->rename(item->data(0, kKeyRole).toLongLong(), item->text(0).trimmed());
    });
    connect(tree_, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem *item) {
        if (!filling_)
            groups_->setExpanded(item->data(0, kKeyRole).toLongLong(), true);
    });
    connect(tree_, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem *item) {
        if (!filling_)
            groups_->setExpanded(item->data(0, kKeyRole).toLongLong(), false);
    });
    connect(find_, &QLineEdit::textChanged, this, [this](const QString &text) {
        std::set<qint64> found;
        for (const DishGroup &g : groups_->find(text))
            found.insert(g.key);
        QTreeWidgetItemIterator it(tree_);
        while (*it) {
            const bool hit = !text.isEmpty() && found.count((*it)->data(0, kKeyRole).toLongLong());
            QFont f = (*it)->font(0);
            f.setBold(hit);
            (*it)->setFont(0, f);
            ++it;
        }
    });
    connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        if (!filling_)
            emit groupChosen(item ? item->data(0, kKeyRole).toLongLong() : 0);
    });
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(find_);
    layout->addWidget(tree_, 1);
    layout->addLayout(buttons);
    reload();
}

DishGroupsForm::~DishGroupsForm() = default;

void DishGroupsForm::reload()
{
    filling_ = true;
    tree_->clear();
    const std::vector<DishGroup> all = groups_->list();
    std::map<qint64, QTreeWidgetItem *> items;
    for (const DishGroup &g : all) {
        auto *item = new QTreeWidgetItem(QStringList {g.name});
        item->setData(0, kKeyRole, g.key);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        items[g.key] = item;
    }
    for (const DishGroup &g : all) {
        const auto parent = items.find(g.parent);
        if (g.parent != 0 && parent != items.end() && parent->second != items[g.key])
            parent->second->addChild(items[g.key]);
        else
            tree_->addTopLevelItem(items[g.key]);
    }
    for (const DishGroup &g : all)
        items[g.key]->setExpanded(g.expanded);
    filling_ = false;
}

void DishGroupsForm::addGroup(bool subgroup)
{
    QString node;
    if (subgroup) {
        const QTreeWidgetItem *current = tree_->currentItem();
        if (!current)
            return;
        node = DishGroups::nodeKey(current->data(0, kKeyRole).toLongLong());
    }
    const Result<qint64> key = groups_->add(node);
    if (!key)
        return;
    reload();
    QTreeWidgetItemIterator it(tree_);
    while (*it) {
        if ((*it)->data(0, kKeyRole).toLongLong() == *key) {
            tree_->setCurrentItem(*it);
            tree_->editItem(*it, 0); // "Введите название группы:"
            break;
        }
        ++it;
    }
}

void DishGroupsForm::deleteCurrent()
{
    const QTreeWidgetItem *current = tree_->currentItem();
    if (current && groups_->remove(current->data(0, kKeyRole).toLongLong()))
        reload();
}

DishBaseBrowser::DishBaseBrowser(AppContext &context, QWidget *parent)
    : QWidget(parent)
    , context_(context)
    , collections_(new QListWidget(this))
    , search_(new QLineEdit(this))
    , recipes_(new QListWidget(this))
{
    setObjectName(QStringLiteral("DishBaseBrowser"));
    setWindowTitle(DishBase::kTitle.toString());
    collections_->setObjectName(QStringLiteral("collections"));
    search_->setObjectName(QStringLiteral("recipeSearch"));
    search_->setPlaceholderText(QStringLiteral("Поиск рецептуры"));
    recipes_->setObjectName(QStringLiteral("recipes"));
    recipes_->setSelectionMode(QAbstractItemView::ExtendedSelection);

    auto *left = new QWidget(this);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(new QLabel(QStringLiteral("Базы рецептур"), left));
    leftLayout->addWidget(collections_, 1);
    auto *collectionButtons = new QHBoxLayout;
    connect(addButton(this, collectionButtons, QStringLiteral("addCollection"), QStringLiteral("Добавить")),
        &QPushButton::clicked, this, [this] { addCollection(QString()); });
    connect(addButton(this, collectionButtons, QStringLiteral("removeCollection"), QStringLiteral("Удалить")),
        &QPushButton::clicked, this, [this] { removeCurrentCollection(); });
    leftLayout->addLayout(collectionButtons);

    auto *middle = new QWidget(this);
    auto *middleLayout = new QVBoxLayout(middle);
    middleLayout->setContentsMargins(0, 0, 0, 0);
    auto *searchRow = new QHBoxLayout;
    searchRow->addWidget(search_, 1);
    connect(addButton(this, searchRow, QStringLiteral("allRecipes"), QStringLiteral("Все группы")),
        &QPushButton::clicked, this, [this] {
            groups_->tree()->setCurrentItem(nullptr);
            showGroup(0);
        });
    middleLayout->addLayout(searchRow);
    middleLayout->addWidget(recipes_, 1);
    auto *recipeButtons = new QHBoxLayout;
    connect(addButton(this, recipeButtons, QStringLiteral("openRecipe"), QStringLiteral("Открыть")),
        &QPushButton::clicked, this, [this] {
            const QStringList names = selectedRecipes();
            if (!names.isEmpty())
                emit openRequested(currentTable(), names.first());
        });
    connect(addButton(this, recipeButtons, QStringLiteral("deleteRecipe"), QStringLiteral("Удалить")),
        &QPushButton::clicked, this, [this] { deleteSelected(); });
    connect(addButton(this, recipeButtons, QStringLiteral("exportRecipes"), QStringLiteral("В файлы .nd2...")),
        &QPushButton::clicked, this, [this] {
            const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("Папка для рецептур"),
                context_.settings.get(Section::Data, kLastSaveNdKey.toString()));
            if (!folder.isEmpty())
                exportSelected(folder);
        });
    middleLayout->addLayout(recipeButtons);

    auto *split = new QSplitter(this);
    split->addWidget(left);
    split->addWidget(middle);
    groups_ = new DishGroupsForm(context, this);
    split->addWidget(groups_);
    split->setStretchFactor(1, 2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(split);

    connect(groups_, &DishGroupsForm::groupChosen, this, &DishBaseBrowser::showGroup);
    connect(collections_, &QListWidget::currentRowChanged, this, [this] { reloadRecipes(); });
    connect(search_, &QLineEdit::textChanged, this, [this] { applySearch(); });
    connect(recipes_, &QListWidget::itemActivated, this,
        [this](QListWidgetItem *item) { emit openRequested(currentTable(), item->text()); });
    reloadCollections();
}

DishBaseBrowser::~DishBaseBrowser() = default;

DishBase *DishBaseBrowser::base()
{
    if (!base_)
        base_ = openBase(context_, kDishes);
    return base_.get();
}

void DishBaseBrowser::reloadCollections()
{
    const QString keep = currentTable();
    const QSignalBlocker block(collections_);
    collections_->clear();
    for (const DishCollection &c : listCollections(context_.connections, context_.settings)) {
        auto *item = new QListWidgetItem(c.name, collections_);
        item->setData(kKeyRole, c.table);
        item->setToolTip(c.table);
        if (c.table == keep)
            collections_->setCurrentItem(item);
    }
    if (!collections_->currentItem() && collections_->count() > 0)
        collections_->setCurrentRow(0);
    reloadRecipes();
}

QString DishBaseBrowser::currentTable() const
{
    const QListWidgetItem *item = collections_->currentItem();
    return item ? item->data(kKeyRole).toString() : QString();
}

void DishBaseBrowser::reloadRecipes()
{
    recipes_->clear();
    if (currentTable().isEmpty() || !base())
        return;
    if (const Result<QStringList> names = base()->recipeNames(currentTable()))
        recipes_->addItems(*names);
    applySearch();
}

void DishBaseBrowser::showGroup(qint64 key)
{
    groupRecipes_.reset();
    if (key > 0) {
        groupRecipes_.emplace();
        for (const QString &name : DishGroups(context_.connections, kDishes, context_.prompter).recipesOf(key))
            groupRecipes_->insert(name.trimmed().toCaseFolded());
    }
    applySearch();
}

void DishBaseBrowser::applySearch()
{
    filterList(recipes_, search_->text());
    if (!groupRecipes_)
        return;
    for (int i = 0; i < recipes_->count(); ++i) {
        QListWidgetItem *item = recipes_->item(i);
        if (!groupRecipes_->contains(item->text().trimmed().toCaseFolded()))
            item->setHidden(true);
    }
}

QStringList DishBaseBrowser::selectedRecipes() const
{
    QStringList names;
    for (int i = 0; i < recipes_->count(); ++i) {
        if (recipes_->item(i)->isSelected() && !recipes_->item(i)->isHidden())
            names << recipes_->item(i)->text();
    }
    if (names.isEmpty() && recipes_->currentItem() && !recipes_->currentItem()->isHidden())
        names << recipes_->currentItem()->text();
    return names;
}

bool DishBaseBrowser::addCollection(const QString &name)
{
    const Result<DishCollection> added = name.isEmpty()
        ? kulvera::addCollection(context_.connections, context_.settings)
        : kulvera::addCollection(context_.connections, context_.settings, name);
    if (!added) {
        if (!added.error().isEmpty())
            context_.prompter.warning(added.error(), DishBase::kTitle.toString());
        return false;
    }
    reloadCollections();
    for (int i = 0; i < collections_->count(); ++i) {
        if (collections_->item(i)->data(kKeyRole).toString() == added->table)
            collections_->setCurrentRow(i);
    }
    return true;
}

bool DishBaseBrowser::removeCurrentCollection()
{
    const QListWidgetItem *item = collections_->currentItem();
    if (!item)
        return false;
    if (!removeCollection(context_.connections, context_.settings, item->text()))
        return false;
    reloadCollections();
    return true;
}

bool DishBaseBrowser::deleteSelected()
{
    if (!base())
        return false;
    bool any = false;
    for (const QString &name : selectedRecipes())
        any = bool(deleteRecipe(*base(), currentTable(), name, context_.prompter)) || any;
    if (any)
        reloadRecipes();
    return any;
}

int DishBaseBrowser::exportSelected(const QString &folder)
{
    const QStringList names = selectedRecipes();
    if (names.isEmpty() || !base())
        return 0;
    const MicrobiologyBase &mb = programMicrobiology();
    const RecipeFileContext fileContext {
        context_.prompter, programLossTables(), context_.clock, mb.loaded() ? &mb : nullptr, {}};
    const Result<ExportSummary> done = exportRecipes(*base(), currentTable(), names, folder, fileContext);
    if (!done)
        return 0;
    context_.settings.save(Section::Data, kLastSaveNdKey.toString(), folder);
    context_.prompter.message(QStringLiteral("Записано файлов рецептур: ") + QString::number(done->written)
            + (done->failed.isEmpty() ? QString() : QStringLiteral("\nНе записаны: ") + done->failed.join(u", ")),
        DishBase::kTitle.toString());
    return done->written;
}

SemiFinishedListForm::SemiFinishedListForm(AppContext &context, QWidget *parent)
    : QWidget(parent)
    , context_(context)
    , search_(new QLineEdit(this))
    , list_(new QListWidget(this))
{
    setObjectName(QStringLiteral("SemiFinishedBase"));
    setWindowTitle(QStringLiteral("База полуфабрикатов"));
    search_->setObjectName(QStringLiteral("search"));
    search_->setPlaceholderText(QStringLiteral("Поиск полуфабриката"));
    list_->setObjectName(QStringLiteral("semiFinished"));
    if (!context.connections.isConnected(kSemiFinished))
        context.connections.connectBase(BaseId::SemiFinished, context.shared, true);
    base_ = openBase(context, kSemiFinished);
    if (base_)
        base_->setNameColumn(DishBase::kSemiFinishedNameColumn);
    auto *buttons = new QHBoxLayout;
    connect(addButton(this, buttons, QStringLiteral("delete"), QStringLiteral("Удалить")), &QPushButton::clicked, this,
        [this] {
            if (base_ && list_->currentItem()
                && deleteRecipe(
                    *base_, DishBase::kSemiFinishedTable.toString(), list_->currentItem()->text(), context_.prompter))
                reload();
        });
    connect(addButton(this, buttons, QStringLiteral("addToRecipe"), QStringLiteral("В рецептуру")),
        &QPushButton::clicked, this, [this] { requestAdd(); });
    buttons->addStretch();
    connect(search_, &QLineEdit::textChanged, this, [this](const QString &text) { filterList(list_, text); });
    connect(list_, &QListWidget::itemActivated, this, [this] { requestAdd(); });
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(search_);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);
    reload();
}

SemiFinishedListForm::~SemiFinishedListForm() = default;

bool SemiFinishedListForm::requestAdd()
{
    const QListWidgetItem *item = list_->currentItem();
    if (!base_ || !item || item->isHidden())
        return false;
    emit addRequested(item->text());
    return true;
}

void SemiFinishedListForm::reload()
{
    list_->clear();
    if (!base_) {
        list_->addItem(QStringLiteral("Нет подключения к базе полуфабрикатов"));
        list_->setEnabled(false);
        return;
    }
    if (const Result<QStringList> names = base_->recipeNames(DishBase::kSemiFinishedTable.toString()))
        list_->addItems(*names);
    filterList(list_, search_->text());
}

} // namespace kulvera
