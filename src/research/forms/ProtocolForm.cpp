#include "research/forms/ProtocolForm.h"

#include "common/NumberText.h"
#include "recipes/DishBase.h"
#include "recipes/HeatTreatment.h"
#include "research/DishReference.h"
#include "research/ProtocolDocument.h"
#include "research/ProtocolStore.h"
#include "research/forms/ProtocolGridModel.h"
#include "research/forms/ProtocolPrinting.h"
#include "shell/DishCollections.h"
#include "util/MethodStore.h"

#include <QComboBox>
#include <QCompleter>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

namespace kulvera {
namespace {

const QString kTitle = QStringLiteral("Протокол испытаний");

template <typename W> W *named(W *widget, const QString &objectName)
{
    widget->setObjectName(objectName);
    return widget;
}

} // namespace

ProtocolForm::ProtocolForm(AppContext &context, QWidget *parent)
    : QWidget(parent)
    , context_(context)
{
    setObjectName(QStringLiteral("ProtocolForm"));
    setWindowTitle(kTitle);
    protocol_.date = context_.clock.today();

    collectionBox_ = named(new QComboBox(this), QStringLiteral("collectionBox"));
    dishBox_ = named(new QComboBox(this), QStringLiteral("dishBox"));
    dishBox_->setEditable(true);
    dishBox_->setInsertPolicy(QComboBox::NoInsert);
    dishBox_->completer()->setFilterMode(Qt::MatchContains);
    dishBox_->completer()->setCompletionMode(QCompleter::PopupCompletion);
    dishBox_->setMinimumWidth(260);
    outputEdit_ = named(new QLineEdit(this), QStringLiteral("outputEdit"));
    outputEdit_->setPlaceholderText(QStringLiteral("как в рецептуре"));
    outputEdit_->setMaximumWidth(90);
    numberEdit_ = named(new QLineEdit(this), QStringLiteral("numberEdit"));
    numberEdit_->setPlaceholderText(QStringLiteral("при сохранении"));
    numberEdit_->setMaximumWidth(110);
    dateEdit_ = named(new QDateEdit(this), QStringLiteral("dateEdit"));
    dateEdit_->setCalendarPopup(true);
    dateEdit_->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    noteEdit_ = named(new QLineEdit(this), QStringLiteral("noteEdit"));

    auto *header = new QHBoxLayout;
    header->addWidget(new QLabel(QStringLiteral("№"), this));
    header->addWidget(numberEdit_);
    header->addWidget(new QLabel(QStringLiteral("от"), this));
    header->addWidget(dateEdit_);
    header->addSpacing(12);
    header->addWidget(new QLabel(QStringLiteral("Сборник"), this));
    header->addWidget(collectionBox_);
    header->addWidget(new QLabel(QStringLiteral("Изделие"), this));
    header->addWidget(dishBox_, 1);
    header->addWidget(new QLabel(QStringLiteral("Выход, г"), this));
    header->addWidget(outputEdit_);
    auto *noteLine = new QHBoxLayout;
    noteLine->addWidget(new QLabel(QStringLiteral("Примечание"), this));
    noteLine->addWidget(noteEdit_, 1);

    methodsList_ = named(new QListWidget(this), QStringLiteral("methodsList"));
    grid_ = new ProtocolGridModel(protocol_, this);
    gridView_ = named(new QTableView(this), QStringLiteral("gridView"));
    gridView_->setModel(grid_);
    gridView_->verticalHeader()->hide();
    gridView_->horizontalHeader()->setSectionResizeMode(ParameterColumn, QHeaderView::ResizeToContents);
    gridView_->setEditTriggers(
        QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    gridView_->setWordWrap(false);
    gridView_->horizontalHeader()->setDefaultSectionSize(84);
    gridView_->horizontalHeader()->setStretchLastSection(true);
    problemsLabel_ = named(new QLabel(this), QStringLiteral("problemsLabel"));
    problemsLabel_->setWordWrap(true);
    problemsLabel_->setStyleSheet(QStringLiteral("color: #b02020"));

    auto *methodsBox = new QWidget(this);
    auto *methodsLayout = new QVBoxLayout(methodsBox);
    methodsLayout->setContentsMargins(0, 0, 0, 0);
    methodsLayout->addWidget(new QLabel(QStringLiteral("Показатели исследований"), methodsBox));
    methodsLayout->addWidget(methodsList_);
    auto *split = new QSplitter(this);
    split->addWidget(methodsBox);
    split->addWidget(gridView_);
    split->setStretchFactor(1, 4);
    split->setSizes({220, 1100});

    auto *calculateButton
        = named(new QPushButton(QStringLiteral("Рассчитать"), this), QStringLiteral("calculateButton"));
    auto *saveButton = named(new QPushButton(QStringLiteral("Сохранить"), this), QStringLiteral("saveButton"));
    auto *printButton = named(new QPushButton(QStringLiteral("Печать"), this), QStringLiteral("printButton"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(problemsLabel_, 1);
    buttons->addWidget(calculateButton);
    buttons->addWidget(saveButton);
    buttons->addWidget(printButton);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addLayout(noteLine);
    layout->addWidget(split, 1);
    layout->addLayout(buttons);

    fillCollections();
    fillMethods();
    showHeader();
    showProblems();

    connect(grid_, &ProtocolGridModel::refused, this,
        [this](const QString &text) { context_.prompter.warning(text, kTitle); });
    connect(grid_, &ProtocolGridModel::recalculated, this, &ProtocolForm::showProblems);
    connect(collectionBox_, &QComboBox::currentIndexChanged, this, [this] {
        if (!filling_)
            fillDishes();
    });
    connect(dishBox_, &QComboBox::activated, this, &ProtocolForm::dishChosen);
    // A name typed in full and confirmed with Enter is chosen as well.
    connect(dishBox_->lineEdit(), &QLineEdit::returnPressed, this, &ProtocolForm::dishChosen);
    connect(outputEdit_, &QLineEdit::editingFinished, this, [this] {
        if (!filling_ && outputEdit_->text().trimmed() != protocol_.output && !protocol_.dish.isEmpty())
            dishChosen();
    });
    connect(methodsList_, &QListWidget::itemChanged, this, &ProtocolForm::methodToggled);
    connect(calculateButton, &QPushButton::clicked, this, &ProtocolForm::calculate);
    connect(saveButton, &QPushButton::clicked, this, &ProtocolForm::save);
    connect(printButton, &QPushButton::clicked, this, [this] {
        // Into the templates' neighbour, the user's own folder of protocols, then shown.
        print(QString());
    });
}

ProtocolForm::~ProtocolForm() = default;

void ProtocolForm::fillCollections()
{
    const int number = static_cast<int>(BaseId::Dishes);
    if (!context_.connections.isConnected(number))
        return;
    const Result<StoredTextCodec> codec
        = installationCodec(context_.connections, number, context_.settings, &context_.prompter);
    if (!codec)
        return;
    dishes_ = std::make_unique<DishBase>(context_.connections, number, context_.settings, context_.prompter, *codec);
    filling_ = true;
    for (const DishCollection &c : listCollections(context_.connections, context_.settings))
        collectionBox_->addItem(c.name, c.table);
    filling_ = false;
    fillDishes();
}

void ProtocolForm::fillDishes()
{
    filling_ = true;
    const QString typed = dishBox_->currentText();
    dishBox_->clear();
    if (dishes_ && collectionBox_->currentIndex() >= 0) {
        if (const Result<QStringList> names = dishes_->recipeNames(collectionBox_->currentData().toString()))
            dishBox_->addItems(*names);
    }
    dishBox_->setCurrentIndex(-1);
    dishBox_->setEditText(typed);
    filling_ = false;
}

void ProtocolForm::fillMethods()
{
    if (context_.connections.isConnected(BaseId::Methods)) {
        MethodStore store(context_.connections.database(BaseId::Methods), &context_.errorLog);
        if (Result<MethodCatalog> loaded = store.load())
            base_ = std::move(loaded).value();
        else
            context_.prompter.warning(loaded.error(), kTitle);
    }
    syncMethodChecks();
}

// The list holds the shown methods of the base and any method of the
// protocol the base no longer has; the protocol's methods are checked.
void ProtocolForm::syncMethodChecks()
{
    filling_ = true;
    methodsList_->clear();
    const auto add = [this](const Method &m, bool fromProtocol) {
        auto *item = new QListWidgetItem(methodDisplayName(m), methodsList_);
        item->setData(Qt::UserRole, m.id);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(protocol_.methods.method(m.id) ? Qt::Checked : Qt::Unchecked);
        if (fromProtocol)
            item->setToolTip(QStringLiteral("Метода нет в базе методов: он показан, как был в протоколе"));
        if (!m.formula.isEmpty() && !fromProtocol)
            item->setToolTip(m.formula);
    };
    for (const Method &m : base_.methods) {
        if (!m.hidden || protocol_.methods.method(m.id))
            add(m, false);
    }
    for (const Method &m : protocol_.methods.methods) {
        if (!base_.method(m.id))
            add(m, true);
    }
    filling_ = false;
}

void ProtocolForm::chooseMethods(const QList<int> &ids)
{
    addMethods(protocol_, base_, ids);
    refreshDishValues();
    syncMethodChecks();
    grid_->recalculate();
}

void ProtocolForm::methodToggled(QListWidgetItem *item)
{
    if (filling_)
        return;
    const int id = item->data(Qt::UserRole).toInt();
    if (item->checkState() == Qt::Checked) {
        chooseMethods({id});
    } else {
        removeMethod(protocol_, id);
        grid_->recalculate();
    }
}

void ProtocolForm::refreshDishValues()
{
    if (!dishValues_ && dishes_ && !protocol_.dish.isEmpty()) {
        const Result<DishValues> computed = computeStoredDish(
            *dishes_, protocol_.collection, protocol_.dish, protocol_.output, programLossTables(), context_.prompter);
        if (computed)
            dishValues_ = *computed;
    }
    if (dishValues_)
        takeDishValues(protocol_, *dishValues_);
}

void ProtocolForm::dishChosen()
{
    if (filling_)
        return;
    const QString table = collectionBox_->currentData().toString();
    const QString name = dishBox_->currentText().trimmed();
    const QString output = outputEdit_->text().trimmed();
    // Enter in the name field also activates the list: one choice, one computation.
    if (dishValues_ && table == protocol_.collection && name == protocol_.dish && output == protocol_.output)
        return;
    setDish(table, name, output);
}

bool ProtocolForm::setDish(const QString &table, const QString &name, const QString &output)
{
    if (!dishes_) {
        context_.prompter.warning(QStringLiteral("Нет подключения к базе блюд"), kTitle);
        return false;
    }
    const Result<DishValues> computed
        = computeStoredDish(*dishes_, table, name, output, programLossTables(), context_.prompter);
    if (!computed) {
        context_.prompter.warning(computed.error(), kTitle);
        return false;
    }
    protocol_.collection = table;
    protocol_.dish = name;
    protocol_.output = output.isEmpty() ? formatNumber(computed->output) : output;
    dishValues_ = *computed;
    protocol_.references.clear();
    takeDishValues(protocol_, *dishValues_);
    showHeader();
    grid_->recalculate();
    return true;
}

void ProtocolForm::showHeader()
{
    filling_ = true;
    const int collection = collectionBox_->findData(protocol_.collection);
    if (collection >= 0 && collection != collectionBox_->currentIndex()) {
        collectionBox_->setCurrentIndex(collection);
        filling_ = false;
        fillDishes();
        filling_ = true;
    }
    dishBox_->setEditText(protocol_.dish);
    outputEdit_->setText(protocol_.output);
    numberEdit_->setText(protocol_.number);
    dateEdit_->setDate(protocol_.date);
    noteEdit_->setText(protocol_.note);
    filling_ = false;
}

void ProtocolForm::takeHeader()
{
    protocol_.number = numberEdit_->text().trimmed();
    protocol_.date = dateEdit_->date();
    protocol_.note = noteEdit_->text();
}

void ProtocolForm::showProblems()
{
    problemsLabel_->setText(grid_->calculation().problems.join(u'\n'));
}

bool ProtocolForm::openProtocol(int id)
{
    if (!context_.connections.isConnected(BaseId::Protocols))
        return false;
    ProtocolStore store(context_.connections.database(BaseId::Protocols), &context_.errorLog);
    Result<Protocol> loaded = store.load(id);
    if (!loaded) {
        context_.prompter.warning(loaded.error(), kTitle);
        return false;
    }
    protocol_ = std::move(loaded).value();
    dishValues_.reset();
    setWindowTitle(kTitle + QStringLiteral(" № ") + protocol_.number);
    showHeader();
    syncMethodChecks();
    grid_->recalculate();
    return true;
}

bool ProtocolForm::calculate()
{
    takeHeader();
    const MethodCalculation shown = protocol_.compute(context_.prompter);
    grid_->recalculate();
    return shown.anyComputed();
}

bool ProtocolForm::save()
{
    takeHeader();
    if (protocol_.dish.isEmpty()) {
        context_.prompter.warning(QStringLiteral("Не выбрано изделие (блюдо)"), kTitle);
        return false;
    }
    if (protocol_.methods.methods.empty()) {
        context_.prompter.warning(QStringLiteral("Не указаны показатели исследований продукции!"), kTitle);
        return false;
    }
    if (!context_.connections.isConnected(BaseId::Protocols)) {
        context_.prompter.warning(QStringLiteral("Не подключена база протоколов испытаний"), kTitle);
        return false;
    }
    ProtocolStore store(context_.connections.database(BaseId::Protocols), &context_.errorLog);
    if (const Status s = store.save(protocol_); !s) {
        context_.prompter.warning(s.error(), kTitle);
        return false;
    }
    showHeader();
    setWindowTitle(kTitle + QStringLiteral(" № ") + protocol_.number);
    context_.prompter.status(QStringLiteral("Протокол № ") + protocol_.number + QStringLiteral(" сохранен"));
    emit saved(protocol_.id);
    return true;
}

bool ProtocolForm::print(const QString &outputPath)
{
    takeHeader();
    QString path = outputPath;
    if (path.isEmpty())
        path = protocolOutputPath(protocol_);
    const Result<ListOutcome> made
        = printProtocol(protocol_, grid_->calculation(), context_.shared.templatesFolder(), path, context_.prompter);
    if (!made) {
        context_.prompter.warning(made.error(), kTitle);
        return false;
    }
    if (outputPath.isEmpty())
        showPrintedDocument(made->path);
    return true;
}

} // namespace kulvera
