#include "util/forms/FormulasForm.h"

#include "util/forms/MethodModels.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace kulvera {
namespace {

QPushButton *button(const QString &text, const QString &objectName, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(objectName);
    return b;
}

QTableView *table(const QString &objectName, QWidget *parent)
{
    auto *view = new QTableView(parent);
    view->setObjectName(objectName);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(
        QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    view->horizontalHeader()->setStretchLastSection(true);
    view->verticalHeader()->hide();
    return view;
}

} // namespace

FormulasForm::FormulasForm(std::unique_ptr<MethodEditor> editor, QWidget *parent)
    : QWidget(parent)
    , editor_(std::move(editor))
{
    setObjectName(QStringLiteral("FormulasForm"));
    setWindowTitle(QStringLiteral("Формулы методов исследований"));

    methods_ = new MethodsModel(*editor_, this);
    params_ = new ParamsModel(*editor_, this);
    methodsView_ = table(QStringLiteral("methodsView"), this);
    methodsView_->setModel(methods_);
    paramsView_ = table(QStringLiteral("paramsView"), this);
    paramsView_->setModel(params_);

    auto *addMethodButton = button(QStringLiteral("Добавить метод"), QStringLiteral("addMethodButton"), this);
    deleteMethodButton_ = button(QStringLiteral("Удалить метод"), QStringLiteral("deleteMethodButton"), this);
    renameMethodButton_ = button(QStringLiteral("Переименовать"), QStringLiteral("renameMethodButton"), this);
    addParamButton_ = button(QStringLiteral("Добавить параметр"), QStringLiteral("addParamButton"), this);
    deleteParamButton_ = button(QStringLiteral("Удалить параметр"), QStringLiteral("deleteParamButton"), this);
    renameParamButton_ = button(QStringLiteral("Переименовать"), QStringLiteral("renameParamButton"), this);

    auto *methodButtons = new QHBoxLayout;
    methodButtons->addWidget(new QLabel(QStringLiteral("Методы"), this));
    methodButtons->addStretch();
    methodButtons->addWidget(addMethodButton);
    methodButtons->addWidget(renameMethodButton_);
    methodButtons->addWidget(deleteMethodButton_);
    auto *paramButtons = new QHBoxLayout;
    paramButtons->addWidget(new QLabel(QStringLiteral("Параметры метода"), this));
    paramButtons->addStretch();
    paramButtons->addWidget(addParamButton_);
    paramButtons->addWidget(renameParamButton_);
    paramButtons->addWidget(deleteParamButton_);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(methodButtons);
    layout->addWidget(methodsView_, 3);
    layout->addLayout(paramButtons);
    layout->addWidget(paramsView_, 2);

    connect(addMethodButton, &QPushButton::clicked, this, &FormulasForm::addMethod);
    connect(deleteMethodButton_, &QPushButton::clicked, this, &FormulasForm::deleteMethod);
    connect(renameMethodButton_, &QPushButton::clicked, this, &FormulasForm::renameMethod);
    connect(addParamButton_, &QPushButton::clicked, this, &FormulasForm::addParam);
    connect(deleteParamButton_, &QPushButton::clicked, this, &FormulasForm::deleteParam);
    connect(renameParamButton_, &QPushButton::clicked, this, &FormulasForm::renameParam);
    // The name columns are renamed through their question, opened by a double click.
    connect(methodsView_, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.column() == MethodsModel::Name)
            renameMethod();
    });
    connect(paramsView_, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.column() == ParamsModel::Name)
            renameParam();
    });
    connect(
        methodsView_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &FormulasForm::methodChanged);
    connect(paramsView_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &FormulasForm::updateButtons);
    // A reset (rows added or deleted) loses the current row; follow it.
    connect(methods_, &QAbstractItemModel::modelReset, this, &FormulasForm::methodChanged);
    connect(params_, &QAbstractItemModel::modelReset, this, &FormulasForm::updateButtons);

    if (methods_->rowCount() > 0)
        selectMethod(methods_->methodId(0));
    updateButtons();
}

FormulasForm::~FormulasForm() = default;

int FormulasForm::currentMethodId() const
{
    const QModelIndex current = methodsView_->currentIndex();
    return current.isValid() ? methods_->methodId(current.row()) : 0;
}

int FormulasForm::currentParamId() const
{
    const QModelIndex current = paramsView_->currentIndex();
    return current.isValid() ? params_->paramId(current.row()) : 0;
}

void FormulasForm::selectMethod(int methodId)
{
    const int row = methods_->rowOf(methodId);
    if (row >= 0)
        methodsView_->setCurrentIndex(methods_->index(row, MethodsModel::Name));
    methodChanged();
}

void FormulasForm::selectParam(int paramId)
{
    const int row = params_->rowOf(paramId);
    if (row >= 0)
        paramsView_->setCurrentIndex(params_->index(row, ParamsModel::Name));
    updateButtons();
}

void FormulasForm::methodChanged()
{
    const int id = currentMethodId();
    if (id != params_->method())
        params_->setMethod(id);
    updateButtons();
}

void FormulasForm::updateButtons()
{
    const bool method = currentMethodId() != 0;
    const bool param = currentParamId() != 0;
    deleteMethodButton_->setEnabled(method);
    renameMethodButton_->setEnabled(method);
    addParamButton_->setEnabled(method);
    deleteParamButton_->setEnabled(param);
    renameParamButton_->setEnabled(param);
}

void FormulasForm::addMethod()
{
    if (const std::optional<int> id = editor_->addMethod()) {
        methods_->refresh();
        selectMethod(*id);
    }
}

void FormulasForm::deleteMethod()
{
    const int row = methodsView_->currentIndex().row();
    if (!editor_->deleteMethod(currentMethodId()))
        return;
    methods_->refresh();
    if (methods_->rowCount() > 0)
        selectMethod(methods_->methodId(std::min(row, methods_->rowCount() - 1)));
    else
        params_->setMethod(0);
}

void FormulasForm::renameMethod()
{
    const int id = currentMethodId();
    if (editor_->renameMethod(id))
        methods_->refreshMethod(id);
}

void FormulasForm::addParam()
{
    if (const std::optional<int> id = editor_->addParam(currentMethodId())) {
        params_->refresh();
        selectParam(*id);
    }
}

void FormulasForm::deleteParam()
{
    const int row = paramsView_->currentIndex().row();
    if (!editor_->deleteParam(currentParamId()))
        return;
    params_->refresh();
    if (params_->rowCount() > 0)
        selectParam(params_->paramId(std::min(row, params_->rowCount() - 1)));
}

void FormulasForm::renameParam()
{
    const int id = currentParamId();
    if (editor_->renameParam(id)) {
        params_->refresh();
        selectParam(id);
    }
}

} // namespace kulvera
