#include "recipes/forms/RecipeEditorForm.h"

#include "common/NumberText.h"
#include "common/ScriptedPrompter.h"
#include "products/ProductBase.h"
#include "products/forms/ProductListModel.h"
#include "recipes/DishBase.h"
#include "recipes/HeatTreatment.h"
#include "recipes/Masses.h"
#include "recipes/Microbiology.h"
#include "recipes/PositionKey.h"
#include "recipes/RecipeEditing.h"
#include "recipes/RecipeExport.h"
#include "shell/DishCollections.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTreeWidget>
#include <QUndoCommand>
#include <QUndoStack>
#include <QVBoxLayout>

namespace kulvera {
namespace {

constexpr int kDishes = static_cast<int>(BaseId::Dishes);
constexpr int kSemiFinished = static_cast<int>(BaseId::SemiFinished);
constexpr int kIndexRole = Qt::UserRole + 1;
enum TreeColumn { ColName, ColBrutto, ColNetto, ColOut, ColCount };

const char16_t *const kTextCaptions[7]
    = {u"Технология", u"Требования к оформлению", u"Внешний вид", u"Цвет", u"Консистенция", u"Вкус", u"Запах"};

RecipeEditorForm::CardPrinter &cardPrinter()
{
    static RecipeEditorForm::CardPrinter printer;
    return printer;
}

colBludo copyOf(const colBludo &slot)
{
    colBludo out;
    out.reserve(slot.Count());
    for (const clsBludo &b : slot)
        out.Add(clsBludo(b.clsProds()));
    return out;
}

RecipeEditorState cloneState(const RecipeEditorState &s)
{
    return {copyOf(s.slot), s.header, s.head};
}

// A whole-recipe snapshot before and after one edit. Consecutive header
// edits merge into one step.
class SnapshotCommand : public QUndoCommand
{
public:
    static constexpr int kHeaderEdit = 1;
    SnapshotCommand(std::function<void(const RecipeEditorState &)> apply, RecipeEditorState before,
        RecipeEditorState after, const QString &text, bool header)
        : QUndoCommand(text)
        , apply_(std::move(apply))
        , before_(std::move(before))
        , after_(std::move(after))
        , header_(header)
    {
    }
    void undo() override { apply_(before_); }
    void redo() override { apply_(after_); }
    int id() const override { return header_ ? kHeaderEdit : -1; }
    bool mergeWith(const QUndoCommand *other) override
    {
        after_ = cloneState(static_cast<const SnapshotCommand *>(other)->after_);
        return true;
    }

private:
    std::function<void(const RecipeEditorState &)> apply_;
    RecipeEditorState before_;
    RecipeEditorState after_;
    bool header_;
};

QString positionName(const clsProds &p)
{
    return p.FullName.isEmpty() ? p.ShortName : p.FullName;
}

} // namespace

RecipeEditorForm::RecipeEditorForm(AppContext &context, QWidget *parent)
    : QWidget(parent)
    , context_(context)
    , undo_(new QUndoStack(this))
{
    setObjectName(QStringLiteral("RecipeEditor"));
    setWindowTitle(QStringLiteral("Разработка рецептур"));
    state_.head.TN_Vid = 1;

    auto *tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("editorTabs"));
    auto *main = new QWidget(tabs);
    auto *headerPage = new QWidget(tabs);
    tabs->addTab(main, QStringLiteral("Рецептура"));
    tabs->addTab(headerPage, QStringLiteral("Оформление карты"));
    buildHeader(headerPage);

    // Left: header and positions; right: the product list to add from.
    name_ = new QLineEdit(main);
    name_->setObjectName(QStringLiteral("recipeName"));
    output_ = new QLineEdit(main);
    output_->setObjectName(QStringLiteral("recipeOutput"));
    output_->setToolTip(QStringLiteral("Выход, г; составной выход через \"/\" (150/50)"));
    cardType_ = new QComboBox(main);
    cardType_->setObjectName(QStringLiteral("cardType"));
    cardType_->addItems({QStringLiteral("1 - технико-технологическая карта"), QStringLiteral("2 - кондитерская карта"),
        QStringLiteral("3 - технологическая карта"), QStringLiteral("4 - карта алкогольного напитка")});
    normative_ = new QLineEdit(main);
    normative_->setObjectName(QStringLiteral("normativeDocument"));
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Наименование:"), name_);
    auto *outRow = new QHBoxLayout;
    outRow->addWidget(output_, 1);
    outRow->addWidget(new QLabel(QStringLiteral("Вид карты:"), main));
    outRow->addWidget(cardType_, 2);
    form->addRow(QStringLiteral("Выход, г:"), outRow);
    form->addRow(QStringLiteral("Нормативный документ:"), normative_);

    tree_ = new QTreeWidget(main);
    tree_->setObjectName(QStringLiteral("positions"));
    tree_->setColumnCount(ColCount);
    tree_->setHeaderLabels({QStringLiteral("Продукт / полуфабрикат"), QStringLiteral("Брутто, г"),
        QStringLiteral("Нетто, г"), QStringLiteral("Выход / тип потерь")});
    tree_->header()->setSectionResizeMode(ColName, QHeaderView::Stretch);
    tree_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);

    lossType_ = new QComboBox(main);
    lossType_->setObjectName(QStringLiteral("lossType"));
    lossType_->setEnabled(false);
    auto *edit = new QHBoxLayout;
    const auto button = [this](QBoxLayout *row, const QString &name, const QString &text) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(name);
        row->addWidget(b);
        return b;
    };
    connect(button(edit, QStringLiteral("addSemiFinished"), QStringLiteral("Новый п/ф")), &QPushButton::clicked, this,
        [this] { newSemiFinished(); });
    connect(button(edit, QStringLiteral("addFromSemiFinishedBase"), QStringLiteral("П/ф из базы")),
        &QPushButton::clicked, this, [this] { chooseSemiFinished(); });
    connect(button(edit, QStringLiteral("saveSemiFinished"), QStringLiteral("П/ф в базу")), &QPushButton::clicked, this,
        [this] { saveSemiFinishedToBase(currentIndex()); });
    connect(button(edit, QStringLiteral("moveUp"), QStringLiteral("Вверх")), &QPushButton::clicked, this, [this] {
        runOnSelected(
            [](RecipeEditorState &s, int i) { return movePosition(s.slot, i, true); }, QStringLiteral("Перемещение"));
    });
    connect(button(edit, QStringLiteral("moveDown"), QStringLiteral("Вниз")), &QPushButton::clicked, this, [this] {
        runOnSelected(
            [](RecipeEditorState &s, int i) { return movePosition(s.slot, i, false); }, QStringLiteral("Перемещение"));
    });
    connect(button(edit, QStringLiteral("copyPosition"), QStringLiteral("Копировать")), &QPushButton::clicked, this,
        [this] {
            runOnSelected([](RecipeEditorState &s, int i) { return bool(copyPosition(s.slot, i)); },
                QStringLiteral("Копирование"));
        });
    connect(
        button(edit, QStringLiteral("deletePosition"), QStringLiteral("Удалить")), &QPushButton::clicked, this, [this] {
            const int i = currentIndex();
            if (i == 0)
                return;
            const QString name = positionName(state_.slot.item(i)->clsProds());
            if (!context_.prompter.confirm(
                    QStringLiteral("Удалить позицию '") + name + QStringLiteral("' из рецептуры?"), kTitle.toString()))
                return;
            runOnSelected([](RecipeEditorState &s, int index) { return removePosition(s.slot, index) > 0; },
                QStringLiteral("Удаление"));
        });
    edit->addWidget(new QLabel(QStringLiteral("Потери:"), main));
    edit->addWidget(lossType_, 1);

    totals_ = new QTableWidget(6, 2, main);
    totals_->setObjectName(QStringLiteral("totals"));
    totals_->setHorizontalHeaderLabels({QStringLiteral("Всего"), QStringLiteral("На 100 г")});
    totals_->setVerticalHeaderLabels({QStringLiteral("Масса нетто, г"), QStringLiteral("Белки, г"),
        QStringLiteral("Жиры, г"), QStringLiteral("Углеводы, г"), QStringLiteral("Энерг. ценность, ккал"),
        QStringLiteral("Энерг. ценность, кДж")});
    totals_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    totals_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    totals_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    problems_ = new QLabel(main);
    problems_->setObjectName(QStringLiteral("plausibility"));
    problems_->setStyleSheet(QStringLiteral("color: #b00020"));
    problems_->setWordWrap(true);

    recalcOutput_ = new QLineEdit(main);
    recalcOutput_->setObjectName(QStringLiteral("recalcOutput"));
    recalcOutput_->setPlaceholderText(QStringLiteral("новый выход"));
    collection_ = new QComboBox(main);
    collection_->setObjectName(QStringLiteral("collection"));
    for (const DishCollection &c : listCollections(context_.connections, context_.settings))
        collection_->addItem(c.name, c.table);
    auto *io = new QHBoxLayout;
    io->addWidget(recalcOutput_);
    connect(button(io, QStringLiteral("recalculate"), QStringLiteral("Пересчитать")), &QPushButton::clicked, this,
        [this] { recalculate(recalcOutput_->text()); });
    io->addSpacing(12);
    io->addWidget(collection_, 1);
    connect(button(io, QStringLiteral("saveToBase"), QStringLiteral("Сохранить в базе")), &QPushButton::clicked, this,
        [this] { chooseAndSave(); });
    connect(button(io, QStringLiteral("loadFromBase"), QStringLiteral("Загрузить из базы")), &QPushButton::clicked,
        this, [this] { chooseAndLoad(); });
    auto *files = new QHBoxLayout;
    connect(button(files, QStringLiteral("newRecipe"), QStringLiteral("Новая")), &QPushButton::clicked, this,
        [this] { newRecipe(); });
    connect(button(files, QStringLiteral("saveFile"), QStringLiteral("Сохранить в файл...")), &QPushButton::clicked,
        this, [this] { chooseFileToSave(); });
    connect(button(files, QStringLiteral("loadFile"), QStringLiteral("Загрузить из файла...")), &QPushButton::clicked,
        this, [this] { chooseFileToLoad(); });
    auto *print = button(files, QStringLiteral("printCard"), QStringLiteral("Печать карты"));
    print->setEnabled(static_cast<bool>(cardPrinter()));
    connect(print, &QPushButton::clicked, this, [this] { printCard(); });
    files->addStretch();
    auto *undoButton = button(files, QStringLiteral("undo"), QStringLiteral("Отменить"));
    auto *redoButton = button(files, QStringLiteral("redo"), QStringLiteral("Вернуть"));
    connect(undoButton, &QPushButton::clicked, undo_, &QUndoStack::undo);
    connect(redoButton, &QPushButton::clicked, undo_, &QUndoStack::redo);
    connect(undo_, &QUndoStack::canUndoChanged, undoButton, &QPushButton::setEnabled);
    connect(undo_, &QUndoStack::canRedoChanged, redoButton, &QPushButton::setEnabled);
    undoButton->setEnabled(false);
    redoButton->setEnabled(false);
    auto *undoKey = new QShortcut(QKeySequence::Undo, this);
    connect(undoKey, &QShortcut::activated, undo_, &QUndoStack::undo);
    auto *redoKey = new QShortcut(QKeySequence::Redo, this);
    connect(redoKey, &QShortcut::activated, undo_, &QUndoStack::redo);
    connect(undo_, &QUndoStack::cleanChanged, this, [this] {
        setWindowTitle(QStringLiteral("Разработка рецептур") + (isModified() ? QStringLiteral(" *") : QString()));
    });

    auto *left = new QWidget(main);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addLayout(form);
    leftLayout->addWidget(tree_, 1);
    leftLayout->addLayout(edit);
    leftLayout->addWidget(totals_);
    leftLayout->addWidget(problems_);
    leftLayout->addLayout(io);
    leftLayout->addLayout(files);
    auto *split = new QSplitter(main);
    split->addWidget(left);
    split->addWidget(buildProducts());
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    auto *mainLayout = new QVBoxLayout(main);
    mainLayout->addWidget(split);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(tabs);

    connect(name_, &QLineEdit::textEdited, this, [this] { headerEdited(); });
    connect(output_, &QLineEdit::textEdited, this, [this] { headerEdited(); });
    connect(normative_, &QLineEdit::textEdited, this, [this] { headerEdited(); });
    connect(cardType_, &QComboBox::activated, this, [this] { headerEdited(); });
    connect(tree_, &QTreeWidget::itemChanged, this, &RecipeEditorForm::treeItemChanged);
    connect(tree_, &QTreeWidget::itemSelectionChanged, this, &RecipeEditorForm::selectionChanged);
    connect(lossType_, &QComboBox::activated, this, [this] { setLossType(lossType_->currentText()); });

    showState();
}

RecipeEditorForm::~RecipeEditorForm()
{
    // The stack outlives this part of the form while the widget tears down.
    QObject::disconnect(undo_, nullptr, this, nullptr);
}

void RecipeEditorForm::buildHeader(QWidget *page)
{
    auto *layout = new QVBoxLayout(page);
    auto *form = new QFormLayout;
    microbiology_ = new QComboBox(page);
    microbiology_->setObjectName(QStringLiteral("microbiology"));
    shelfLife_ = new QLineEdit(page);
    shelfLife_->setObjectName(QStringLiteral("shelfLife"));
    storage_ = new QLineEdit(page);
    storage_->setObjectName(QStringLiteral("storageConditions"));
    storageDocument_ = new QLineEdit(page);
    storageDocument_->setObjectName(QStringLiteral("storageDocument"));
    otv_ = new QLineEdit(page);
    otv_->setObjectName(QStringLiteral("responsible"));
    form->addRow(QStringLiteral("Микробиологические показатели (набор):"), microbiology_);
    form->addRow(QStringLiteral("Срок годности:"), shelfLife_);
    form->addRow(QStringLiteral("Условия хранения:"), storage_);
    form->addRow(QStringLiteral("Документ по хранению:"), storageDocument_);
    form->addRow(QStringLiteral("Ответственный:"), otv_);
    // Parts of the recipe's normative-document value the card prints.
    auto *outputs = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        outputs_[i] = new QLineEdit(page);
        outputs_[i]->setObjectName(QStringLiteral("out%1").arg(i + 1));
        outputs_[i]->setToolTip(QStringLiteral("Выход, на который карта пересчитывает массы"));
        outputs->addWidget(outputs_[i]);
    }
    form->addRow(QStringLiteral("Пересчет на выходы, г:"), outputs);
    const auto line = [page](const char *name) {
        auto *e = new QLineEdit(page);
        e->setObjectName(QString::fromLatin1(name));
        return e;
    };
    stn_ = line("stn");
    diet_ = line("diet");
    zav_ = line("zav");
    form->addRow(QStringLiteral("Стандарт (СТН):"), stn_);
    form->addRow(QStringLiteral("Диета:"), diet_);
    form->addRow(QStringLiteral("Заведующий производством:"), zav_);
    layout->addLayout(form);
    auto *texts = new QTabWidget(page);
    for (int i = 0; i < 7; ++i) {
        texts_[i] = new QPlainTextEdit(texts);
        texts_[i]->setObjectName(QStringLiteral("cardText%1").arg(i + 1));
        texts->addTab(texts_[i], QString::fromUtf16(kTextCaptions[i]));
        connect(texts_[i], &QPlainTextEdit::textChanged, this, [this] { headerEdited(); });
    }
    layout->addWidget(texts, 1);
    for (QLineEdit *e :
        {shelfLife_, storage_, storageDocument_, otv_, outputs_[0], outputs_[1], outputs_[2], stn_, diet_, zav_})
        connect(e, &QLineEdit::textEdited, this, [this] { headerEdited(); });
    connect(microbiology_, &QComboBox::activated, this, [this] { headerEdited(); });
}

QWidget *RecipeEditorForm::buildProducts()
{
    auto *box = new QGroupBox(QStringLiteral("Продукты"), this);
    search_ = new QLineEdit(box);
    search_->setObjectName(QStringLiteral("productSearch"));
    search_->setPlaceholderText(QStringLiteral("Поиск продукта (Enter - добавить)"));
    productModel_ = new ProductListModel(box);
    productFilter_ = new ProductFilterModel(box);
    productFilter_->setSourceModel(productModel_);
    productFilter_->setSortRole(Qt::EditRole);
    productView_ = new QTableView(box);
    productView_->setObjectName(QStringLiteral("productList"));
    productView_->setModel(productFilter_);
    productView_->setSortingEnabled(true);
    productView_->sortByColumn(ProductListModel::FullName, Qt::AscendingOrder);
    productView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    productView_->setSelectionMode(QAbstractItemView::SingleSelection);
    productView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    productView_->horizontalHeader()->setSectionResizeMode(ProductListModel::FullName, QHeaderView::Stretch);
    for (int c : {int(ProductListModel::Key), int(ProductListModel::ShortName), int(ProductListModel::Price)})
        productView_->hideColumn(c);
    mass_ = new QLineEdit(box);
    mass_->setObjectName(QStringLiteral("massEntry"));
    mass_->setPlaceholderText(QStringLiteral("масса, г"));
    gross_ = new QRadioButton(QStringLiteral("брутто"), box);
    gross_->setObjectName(QStringLiteral("massIsGross"));
    net_ = new QRadioButton(QStringLiteral("нетто"), box);
    net_->setObjectName(QStringLiteral("massIsNet"));
    net_->setChecked(true);
    auto *add = new QPushButton(QStringLiteral("Добавить"), box);
    add->setObjectName(QStringLiteral("addProduct"));
    auto *massRow = new QHBoxLayout;
    massRow->addWidget(mass_, 1);
    massRow->addWidget(gross_);
    massRow->addWidget(net_);
    massRow->addWidget(add);
    auto *layout = new QVBoxLayout(box);
    layout->addWidget(search_);
    layout->addWidget(productView_, 1);
    layout->addLayout(massRow);

    connect(search_, &QLineEdit::textChanged, this, [this](const QString &text) {
        productFilter_->setSearch(text);
        if (productFilter_->rowCount() > 0)
            productView_->selectRow(0);
    });
    connect(search_, &QLineEdit::returnPressed, this, [this] {
        if (mass_->text().trimmed().isEmpty())
            mass_->setFocus();
        else
            addSelectedProduct();
    });
    connect(mass_, &QLineEdit::returnPressed, this, [this] {
        if (addSelectedProduct()) {
            mass_->clear();
            search_->selectAll();
            search_->setFocus();
        }
    });
    connect(productView_, &QTableView::activated, this, [this] { mass_->setFocus(); });
    connect(add, &QPushButton::clicked, this, [this] { addSelectedProduct(); });
    loadProductList();
    return box;
}

void RecipeEditorForm::loadProductList()
{
    if (!context_.connections.isConnected(BaseId::Products))
        return;
    products_ = std::make_unique<ProductBase>(context_);
    productModel_->setGroupNames(productGroupNames(context_));
    if (const auto rows = products_->list())
        productModel_->setRows(*rows);
}

bool RecipeEditorForm::isModified() const
{
    return !undo_->isClean();
}

bool RecipeEditorForm::confirmDiscard()
{
    if (!isModified())
        return true;
    return context_.prompter.ask(QStringLiteral("Активный норматив не сохранен. Выйти?"), Prompter::Buttons::YesNo,
               kTitle.toString(), Prompter::Icon::Question, QStringLiteral("UnsavedRecipe"))
        == Prompter::Answer::Yes;
}

void RecipeEditorForm::discardChanges()
{
    undo_->setClean();
}

void RecipeEditorForm::closeEvent(QCloseEvent *event)
{
    if (confirmDiscard())
        event->accept();
    else
        event->ignore();
}

void RecipeEditorForm::commit(RecipeEditorState after, const QString &text)
{
    undo_->push(new SnapshotCommand(
        [this](const RecipeEditorState &s) { setState(s); }, cloneState(state_), std::move(after), text, false));
}

void RecipeEditorForm::setState(const RecipeEditorState &state)
{
    const int selected = currentIndex();
    state_ = cloneState(state);
    showState();
    selectIndex(std::min(selected, state_.slot.Count()));
    Q_EMIT stateChanged();
}

void RecipeEditorForm::readHeaderWidgets(RecipeEditorState &into) const
{
    into.header.name = name_->text();
    into.header.output = output_->text();
    into.header.cardType = cardType_->currentIndex() + 1;
    into.header.microbiology = microbiology_->currentIndex() < 0 ? 0 : microbiology_->currentData().toInt();
    into.header.otv = otv_->text();
    into.header.out1 = outputs_[0]->text();
    into.header.out2 = outputs_[1]->text();
    into.header.out3 = outputs_[2]->text();
    into.header.stn = stn_->text();
    into.header.diet = diet_->text();
    into.header.zav = zav_->text();
    for (int i = 0; i < 7; ++i)
        into.header.texts[i] = texts_[i]->toPlainText();
    into.head.TN_Vid = static_cast<std::int16_t>(into.header.cardType);
    into.head.ID_MB = static_cast<std::int16_t>(into.header.microbiology);
    into.head.NameND = normative_->text();
    into.head.l_Godn = shelfLife_->text();
    into.head.l_Hran = storage_->text();
    into.head.l_ND = storageDocument_->text();
    into.head.Oform = joinCardTexts(into.header.texts);
}

void RecipeEditorForm::headerEdited()
{
    if (showing_)
        return;
    RecipeEditorState after = cloneState(state_);
    readHeaderWidgets(after);
    applyHeaderToAll(after.slot, after.head);
    undo_->push(new SnapshotCommand([this](const RecipeEditorState &s) { setState(s); }, cloneState(state_),
        std::move(after), QStringLiteral("Заголовок"), true));
}

void RecipeEditorForm::showState()
{
    showing_ = true;
    const auto setText = [](QLineEdit *e, const QString &t) {
        if (e->text() != t)
            e->setText(t);
    };
    setText(name_, state_.header.name);
    setText(output_, state_.header.output);
    cardType_->setCurrentIndex(std::clamp(state_.header.cardType, 1, 4) - 1);
    setText(normative_, state_.head.NameND);
    fillMicrobiologyChoices();
    setText(shelfLife_, state_.head.l_Godn);
    setText(storage_, state_.head.l_Hran);
    setText(storageDocument_, state_.head.l_ND);
    setText(otv_, state_.header.otv);
    setText(outputs_[0], state_.header.out1);
    setText(outputs_[1], state_.header.out2);
    setText(outputs_[2], state_.header.out3);
    setText(stn_, state_.header.stn);
    setText(diet_, state_.header.diet);
    setText(zav_, state_.header.zav);
    for (int i = 0; i < 7; ++i) {
        if (texts_[i]->toPlainText() != state_.header.texts[i])
            texts_[i]->setPlainText(state_.header.texts[i]);
    }
    const bool confectionery = state_.header.cardType == 2;
    lossType_->clear();
    lossType_->addItem(QString());
    for (const LossType &t :
        confectionery ? programLossTables().confectioneryTypes() : programLossTables().culinaryTypes())
        lossType_->addItem(t.name);
    fillTree();
    showTotals();
    showing_ = false;
}

void RecipeEditorForm::fillMicrobiologyChoices()
{
    // The sets of the card's kind (confectionery cards have their own); a
    // set the base does not hold stays chosen, marked as such.
    const bool confectionery = state_.header.cardType == 2;
    const MicrobiologyBase &base = programMicrobiology();
    const int chosen = state_.header.microbiology;
    microbiology_->clear();
    microbiology_->addItem(QStringLiteral("не задан"), 0);
    for (int id : base.ids(confectionery)) {
        const IndicatorSet *set = base.find(id, confectionery);
        microbiology_->addItem(QString::number(id) + QStringLiteral(" - ") + (set ? (*set)[0] : QString()), id);
    }
    if (chosen != 0 && microbiology_->findData(chosen) < 0)
        microbiology_->addItem(QString::number(chosen) + QStringLiteral(" (нет в базе показателей)"), chosen);
    microbiology_->setCurrentIndex(std::max(0, microbiology_->findData(chosen)));
}

void RecipeEditorForm::fillTree()
{
    const QSignalBlocker block(tree_);
    tree_->clear();
    std::map<int, QTreeWidgetItem *> nodes;
    std::vector<QTreeWidgetItem *> items;
    for (int i = 1; i <= state_.slot.Count(); ++i) {
        const clsProds &p = state_.slot.item(i)->clsProds();
        const bool node = isSemiFinishedKey(p.Kod.toString());
        auto *item = new QTreeWidgetItem;
        item->setText(ColName, positionName(p));
        item->setText(ColBrutto, formatFixed(p.Brutto, 1));
        item->setText(ColNetto, formatFixed(p.Netto, 1));
        item->setText(ColOut, node ? p.Out + (p.Id.isEmpty() ? QString() : QStringLiteral(" / ") + p.Id) : QString());
        item->setData(ColName, kIndexRole, i);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        if (node) {
            QFont bold = item->font(ColName);
            bold.setBold(true);
            item->setFont(ColName, bold);
            nodes[itemOf(p)] = item;
        }
        items.push_back(item);
    }
    for (QTreeWidgetItem *item : items) {
        const int index = item->data(ColName, kIndexRole).toInt();
        const clsProds &p = state_.slot.item(index)->clsProds();
        const auto parent = nodes.find(parentOf(p));
        if (!kulvera::isTopLevel(p.Kod.toString()) && parent != nodes.end() && parent->second != item)
            parent->second->addChild(item);
        else
            tree_->addTopLevelItem(item);
    }
    tree_->expandAll();
}

void RecipeEditorForm::showTotals()
{
    // The live figures must not ask anything: what the computation would
    // say goes under the totals instead.
    ScriptedPrompter quiet;
    const double output = outputValue(state_.header.output);
    values_ = computeDish(state_.slot, state_.header.name, output, programLossTables(), quiet);
    QStringList problems = quiet.texts();
    if (values_.hasPer100)
        problems += plausibilityProblems(values_.per100);
    if (state_.slot.Count() == 0)
        problems.clear();
    problems_->setText(problems.join(u'\n'));
    const clsProds &all = values_.composition;
    const clsProds &per = values_.per100;
    const double totals[6] = {values_.netto, all.Bel, all.Gir, carbohydrates(all), values_.kcal, values_.kj};
    const double per100[6] = {output > 0 ? values_.netto * 100 / output : 0, per.Bel, per.Gir, carbohydrates(per),
        values_.kcalPer100, values_.kjPer100};
    for (int r = 0; r < 6; ++r) {
        const int decimals = r >= 4 ? 1 : 2;
        totals_->setItem(r, 0, new QTableWidgetItem(formatFixed(totals[r], decimals)));
        totals_->setItem(
            r, 1, new QTableWidgetItem(values_.hasPer100 ? formatFixed(per100[r], decimals) : QStringLiteral("-")));
    }
    // Every row in sight, no scrolling.
    totals_->resizeRowsToContents();
    totals_->setFixedHeight(totals_->horizontalHeader()->sizeHint().height() + totals_->verticalHeader()->length()
        + 2 * totals_->frameWidth());
}

int RecipeEditorForm::currentIndex() const
{
    const QTreeWidgetItem *item = tree_->currentItem();
    if (!item || !item->isSelected())
        return 0;
    return item->data(ColName, kIndexRole).toInt();
}

void RecipeEditorForm::selectIndex(int index)
{
    QTreeWidgetItemIterator it(tree_);
    while (*it) {
        if ((*it)->data(ColName, kIndexRole).toInt() == index) {
            tree_->setCurrentItem(*it);
            (*it)->setSelected(true);
            return;
        }
        ++it;
    }
    tree_->setCurrentItem(nullptr);
}

void RecipeEditorForm::selectionChanged()
{
    const int i = currentIndex();
    const bool node = i > 0 && isSemiFinishedKey(state_.slot.item(i)->clsProds().Kod.toString());
    lossType_->setEnabled(node);
    if (node)
        lossType_->setCurrentText(state_.slot.item(i)->clsProds().Id);
}

void RecipeEditorForm::setLossType(const QString &type)
{
    runOnSelected(
        [type](RecipeEditorState &s, int i) {
            clsProds &p = s.slot.item(i)->clsProds();
            if (!isSemiFinishedKey(p.Kod.toString()) || p.Id == type)
                return false;
            p.Id = type;
            return true;
        },
        QStringLiteral("Тип потерь"));
}

void RecipeEditorForm::replacePositions(const colBludo &positions, const QString &text)
{
    RecipeEditorState after = cloneState(state_);
    after.slot = copyOf(positions);
    commit(std::move(after), text);
}

void RecipeEditorForm::runOnSelected(const std::function<bool(RecipeEditorState &, int)> &edit, const QString &text)
{
    const int i = currentIndex();
    if (i == 0)
        return;
    RecipeEditorState after = cloneState(state_);
    if (edit(after, i))
        commit(std::move(after), text);
}

void RecipeEditorForm::treeItemChanged(QTreeWidgetItem *item, int column)
{
    const int index = item->data(ColName, kIndexRole).toInt();
    if (index < 1 || index > state_.slot.Count())
        return;
    RecipeEditorState after = cloneState(state_);
    clsProds &p = after.slot.item(index)->clsProds();
    bool changed = false;
    if (column == ColName) {
        changed = item->text(ColName).trimmed() != positionName(p) && !item->text(ColName).trimmed().isEmpty();
        if (changed)
            p.FullName = item->text(ColName).trimmed();
    } else if (column == ColBrutto || column == ColNetto) {
        const std::optional<double> mass = parseNumber(item->text(column));
        const Status s = mass
            ? setPositionMass(p, *mass, column == ColBrutto, MassRounding::fromSettings(context_.settings))
            : Status::failure(noMassText());
        if (!s)
            context_.prompter.message(s.error(), noMassTitle());
        changed = bool(s);
    } else if (column == ColOut && isSemiFinishedKey(p.Kod.toString())) {
        const QString out = item->text(ColOut).section(QStringLiteral(" / "), 0, 0).trimmed();
        changed = out != p.Out;
        p.Out = out;
    }
    if (changed)
        commit(std::move(after), QStringLiteral("Изменение позиции"));
    else
        QMetaObject::invokeMethod(
            this, [this] { showState(); }, Qt::QueuedConnection);
}

bool RecipeEditorForm::addProductByKey(qint64 key, double mass, bool isGross)
{
    if (!products_) {
        context_.prompter.message(noProductText(), noMassTitle());
        return false;
    }
    const std::optional<ProductRow> row = products_->findQuiet(key);
    if (!row) {
        context_.prompter.message(noProductText(), noMassTitle());
        return false;
    }
    // A product goes into the selected semi-finished product, or beside the
    // selected position.
    int parent = 0;
    if (const int i = currentIndex()) {
        const clsProds &sel = state_.slot.item(i)->clsProds();
        parent = isSemiFinishedKey(sel.Kod.toString()) ? itemOf(sel) : parentOf(sel);
    }
    MassEntry entry;
    entry.mass = mass;
    entry.isGross = isGross;
    entry.yieldPercent = products_->currentOutput(*row);
    RecipeEditorState after = cloneState(state_);
    const Result<int> added
        = addProductPosition(after.slot, parent, &row->prod, entry, MassRounding::fromSettings(context_.settings));
    if (!added) {
        context_.prompter.message(added.error(), noMassTitle());
        return false;
    }
    commit(std::move(after), QStringLiteral("Добавление продукта"));
    selectIndex(parent == 0 ? 0 : indexOfItem(state_.slot, parent));
    return true;
}

bool RecipeEditorForm::addSelectedProduct()
{
    QModelIndex index = productView_->currentIndex();
    if (!index.isValid() && productFilter_->rowCount() > 0)
        index = productFilter_->index(0, 0);
    if (!index.isValid()) {
        context_.prompter.message(noProductText(), noMassTitle());
        return false;
    }
    const qint64 key
        = productFilter_->data(productFilter_->index(index.row(), ProductListModel::Key), ProductListModel::KeyRole)
              .toLongLong();
    const std::optional<double> mass = parseNumber(mass_->text());
    if (!mass || *mass <= 0) {
        context_.prompter.message(noMassText(), noMassTitle());
        return false;
    }
    return addProductByKey(key, *mass, gross_->isChecked());
}

bool RecipeEditorForm::addSemiFinished(const QString &name, const QString &lossType, const QString &output)
{
    int parent = 0;
    if (const int i = currentIndex()) {
        const clsProds &sel = state_.slot.item(i)->clsProds();
        parent = isSemiFinishedKey(sel.Kod.toString()) ? itemOf(sel) : parentOf(sel);
    }
    RecipeEditorState after = cloneState(state_);
    const Result<int> added = addSemiFinishedPosition(after.slot, parent, name, lossType, output);
    if (!added) {
        context_.prompter.message(added.error(), noMassTitle());
        return false;
    }
    const int item = itemOf(after.slot.item(*added)->clsProds());
    commit(std::move(after), QStringLiteral("Добавление п/ф"));
    selectIndex(indexOfItem(state_.slot, item));
    return true;
}

void RecipeEditorForm::newSemiFinished()
{
    const std::optional<QString> name
        = context_.prompter.askText(QStringLiteral("Наименование полуфабриката:"), kTitle.toString());
    if (!name || name->trimmed().isEmpty())
        return;
    addSemiFinished(*name, lossType_->count() > 1 ? lossType_->itemText(1) : QString(), QString());
}

DishBase *RecipeEditorForm::dishBase()
{
    if (dishes_)
        return dishes_.get();
    if (!context_.connections.isConnected(kDishes)) {
        context_.prompter.warning(QStringLiteral("Нет подключения к базе блюд"), DishBase::kTitle.toString());
        return nullptr;
    }
    const Result<StoredTextCodec> codec
        = installationCodec(context_.connections, kDishes, context_.settings, &context_.prompter);
    if (!codec) {
        context_.prompter.error(codec.error());
        return nullptr;
    }
    dishes_ = std::make_unique<DishBase>(
        context_.connections, kDishes, context_.settings, context_.prompter, codec.value());
    return dishes_.get();
}

DishBase *RecipeEditorForm::semiFinishedBase()
{
    if (semiFinished_)
        return semiFinished_.get();
    if (!context_.connections.isConnected(kSemiFinished)
        && context_.connections.connectBase(BaseId::SemiFinished, context_.shared, true) == Connections::kFailed) {
        context_.prompter.warning(QStringLiteral("Нет подключения к базе полуфабрикатов"));
        return nullptr;
    }
    const Result<StoredTextCodec> codec
        = installationCodec(context_.connections, kDishes, context_.settings, &context_.prompter);
    if (!codec)
        return nullptr;
    semiFinished_ = std::make_unique<DishBase>(
        context_.connections, kSemiFinished, context_.settings, context_.prompter, codec.value());
    semiFinished_->setNameColumn(DishBase::kSemiFinishedNameColumn);
    return semiFinished_.get();
}

bool RecipeEditorForm::addFromSemiFinishedBase(const QString &name)
{
    DishBase *base = semiFinishedBase();
    if (!base)
        return false;
    RecipeSlots memory;
    const Result<LoadedRecipe> loaded = base->load(memory, 1, DishBase::kSemiFinishedTable.toString(), name, QString());
    if (!loaded)
        return false;
    int parent = 0;
    if (const int i = currentIndex()) {
        const clsProds &sel = state_.slot.item(i)->clsProds();
        parent = isSemiFinishedKey(sel.Kod.toString()) ? itemOf(sel) : parentOf(sel);
    }
    RecipeEditorState after = cloneState(state_);
    const Result<int> added = insertSemiFinished(after.slot, parent, *memory.slot(1), name);
    if (!added) {
        context_.prompter.message(added.error(), noMassTitle());
        return false;
    }
    commit(std::move(after), QStringLiteral("П/ф из базы"));
    return true;
}

bool RecipeEditorForm::saveSemiFinishedToBase(int index)
{
    const Result<colBludo> stored = semiFinishedForBase(state_.slot, index);
    if (!stored) {
        context_.prompter.message(stored.error(), kTitle.toString());
        return false;
    }
    DishBase *base = semiFinishedBase();
    if (!base)
        return false;
    const QString name = positionName(state_.slot.item(index)->clsProds()).trimmed();
    SaveOptions options;
    options.cardType = std::clamp(state_.header.cardType, 1, 4);
    options.fullComposition = DishBase::fullCompositionSetting(context_.settings);
    if (!base->save(*stored, DishBase::kSemiFinishedTable.toString(), name, options))
        return false;
    context_.prompter.status(QStringLiteral("Полуфабрикат '") + name + QStringLiteral("' сохранен в базе"));
    return true;
}

void RecipeEditorForm::chooseSemiFinished()
{
    DishBase *base = semiFinishedBase();
    if (!base)
        return;
    const Result<QStringList> names = base->recipeNames(DishBase::kSemiFinishedTable.toString());
    if (!names || names->isEmpty()) {
        context_.prompter.message(QStringLiteral("База полуфабрикатов пуста"), kTitle.toString());
        return;
    }
    bool ok = false;
    const QString name
        = QInputDialog::getItem(this, kTitle.toString(), QStringLiteral("Полуфабрикат:"), *names, 0, false, &ok);
    if (ok)
        addFromSemiFinishedBase(name);
}

bool RecipeEditorForm::recalculate(const QString &output)
{
    const double now = outputValue(state_.header.output);
    const double wanted = outputValue(output);
    RecipeEditorState after = cloneState(state_);
    if (const Status s = recalculateToOutput(after.slot, now, wanted, MassRounding::fromSettings(context_.settings));
        !s) {
        context_.prompter.message(s.error(), kTitle.toString(), Prompter::Icon::Warning);
        return false;
    }
    after.header.output = output.trimmed();
    commit(std::move(after), QStringLiteral("Пересчет на выход"));
    return true;
}

std::optional<RecipeEditorState> RecipeEditorForm::preparedRecipe() const
{
    RecipeEditorState s = cloneState(state_);
    readHeaderWidgets(s);
    const QString name = s.header.name.trimmed();
    if (name.isEmpty()) {
        context_.prompter.error(QStringLiteral("Не указано название рецептуры"), kTitle.toString());
        return std::nullopt;
    }
    if (s.slot.Count() > 0) {
        applyHeaderToAll(s.slot, s.head);
        s.slot.item(1)->clsProds().Out = s.header.output;
        ScriptedPrompter quiet;
        computeDish(s.slot, name, outputValue(s.header.output), programLossTables(), quiet);
    }
    return s;
}

void RecipeEditorForm::setCardPrinter(CardPrinter printer)
{
    cardPrinter() = std::move(printer);
}

bool RecipeEditorForm::printCard()
{
    if (!cardPrinter())
        return false;
    std::optional<RecipeEditorState> prepared = preparedRecipe();
    if (!prepared)
        return false;
    if (prepared->slot.Count() == 0) {
        context_.prompter.warning(QStringLiteral("В рецептуре нет ни одной позиции."), kTitle.toString());
        return false;
    }
    return cardPrinter()(prepared->slot, prepared->header.name.trimmed(), prepared->header.output, context_);
}

bool RecipeEditorForm::saveToBase(const QString &table)
{
    DishBase *base = dishBase();
    if (!base)
        return false;
    std::optional<RecipeEditorState> prepared = preparedRecipe();
    if (!prepared)
        return false;
    RecipeEditorState &s = *prepared;
    const QString name = s.header.name.trimmed();
    SaveOptions options;
    options.texts = s.header.texts;
    options.cardType = s.header.cardType;
    options.fullComposition = DishBase::fullCompositionSetting(context_.settings);
    for (const clsBludo &b : s.slot)
        options.fullComposition = options.fullComposition || b.clsProds().HS_Full != 0;
    if (!base->save(s.slot, table, name, options))
        return false;
    undo_->setClean();
    context_.prompter.status(QStringLiteral("Рецептура '") + name + QStringLiteral("' сохранена"));
    return true;
}

bool RecipeEditorForm::loadFromBase(const QString &table, const QString &name, const QString &output)
{
    DishBase *base = dishBase();
    if (!base)
        return false;
    RecipeSlots memory;
    const Result<LoadedRecipe> loaded = base->load(memory, 1, table, name, output);
    if (!loaded)
        return false;
    RecipeEditorState s;
    s.slot = copyOf(*memory.slot(1));
    s.header = headerOfSlot(s.slot, name, loaded->output);
    s.head = s.slot.item(1)->clsProds();
    commit(std::move(s), QStringLiteral("Загрузка рецептуры"));
    undo_->setClean();
    return true;
}

RecipeFileContext RecipeEditorForm::fileContext()
{
    const MicrobiologyBase &mb = programMicrobiology();
    return {context_.prompter, programLossTables(), context_.clock, mb.loaded() ? &mb : nullptr, {}};
}

bool RecipeEditorForm::saveToFile(const QString &fileName)
{
    RecipeEditorState s = cloneState(state_);
    readHeaderWidgets(s);
    if (s.slot.Count() > 0) {
        applyHeaderToAll(s.slot, s.head);
        s.slot.item(1)->clsProds().Out = s.header.output;
    }
    if (!saveRecipeFile(s.slot, s.header, fileName, fileContext()))
        return false;
    context_.settings.save(Section::Data, kLastFileNd2Key.toString(), fileName);
    context_.settings.save(Section::Data, kLastSaveNdKey.toString(), QFileInfo(fileName).absolutePath());
    undo_->setClean();
    return true;
}

bool RecipeEditorForm::loadFromFile(const QString &fileName)
{
    RecipeEditorState s;
    const Result<RecipeFileHeader> header = loadRecipeFile(s.slot, fileName, fileContext());
    if (!header)
        return false;
    s.header = *header;
    s.head = s.slot.item(1)->clsProds();
    s.head.TN_Vid = static_cast<std::int16_t>(header->cardType);
    s.head.ID_MB = static_cast<std::int16_t>(header->microbiology);
    commit(std::move(s), QStringLiteral("Загрузка из файла"));
    undo_->setClean();
    context_.settings.save(Section::Data, kLastFileNd2Key.toString(), fileName);
    context_.settings.save(Section::Data, kLastLoadNdKey.toString(), QFileInfo(fileName).absolutePath());
    return true;
}

void RecipeEditorForm::newRecipe()
{
    if (!confirmDiscard())
        return;
    RecipeEditorState s;
    s.head.TN_Vid = 1;
    commit(std::move(s), QStringLiteral("Новая рецептура"));
    undo_->setClean();
}

void RecipeEditorForm::chooseAndSave()
{
    if (collection_->currentIndex() < 0) {
        context_.prompter.warning(QStringLiteral("Нет ни одной базы рецептур"), kTitle.toString());
        return;
    }
    saveToBase(collection_->currentData().toString());
}

void RecipeEditorForm::chooseAndLoad()
{
    DishBase *base = dishBase();
    if (!base || collection_->currentIndex() < 0)
        return;
    const QString table = collection_->currentData().toString();
    const Result<QStringList> names = base->recipeNames(table);
    if (!names || names->isEmpty())
        return;
    bool ok = false;
    const QString name
        = QInputDialog::getItem(this, kTitle.toString(), QStringLiteral("Рецептура:"), *names, 0, false, &ok);
    if (ok)
        loadFromBase(table, name);
}

void RecipeEditorForm::chooseFileToSave()
{
    const QString folder = context_.settings.get(Section::Data, kLastSaveNdKey.toString());
    const QString suggested = QDir(folder).filePath(safeFileStem(name_->text()) + QStringLiteral(".nd2"));
    const QString file = QFileDialog::getSaveFileName(this, QStringLiteral("Сохранение рецептуры в файл"), suggested,
        kRecipeFileFilter.toString(), nullptr, QFileDialog::DontConfirmOverwrite);
    if (!file.isEmpty())
        saveToFile(file);
}

void RecipeEditorForm::chooseFileToLoad()
{
    const QString folder = context_.settings.get(Section::Data, kLastLoadNdKey.toString());
    const QString file = QFileDialog::getOpenFileName(
        this, QStringLiteral("Загрузка рецептуры из файла"), folder, kRecipeFileFilter.toString());
    if (!file.isEmpty())
        loadFromFile(file);
}

} // namespace kulvera
