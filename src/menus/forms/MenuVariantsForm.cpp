#include "menus/forms/MenuVariantsForm.h"

#include "menus/MenuBase.h"
#include "menus/MenuVariants.h"
#include "menus/forms/OpenMenuBase.h"
#include "shell/forms/FormButtons.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace kulvera {
namespace {

constexpr int kIdRole = Qt::UserRole + 1;
constexpr int kParameterRole = Qt::UserRole + 2;

} // namespace

MenuVariantsForm::MenuVariantsForm(AppContext &context, QWidget *parent)
    : QWidget(parent)
    , context_(context)
    , base_(openMenuBase(context))
    , list_(new QListWidget(this))
    , parameter_(new QLineEdit(this))
{
    setObjectName(QStringLiteral("MenuVariants"));
    setWindowTitle(QStringLiteral("Варианты меню"));
    if (base_)
        variants_ = std::make_unique<MenuVariants>(*base_);
    list_->setObjectName(QStringLiteral("variants"));
    parameter_->setObjectName(QStringLiteral("variantParameter"));
    parameter_->setPlaceholderText(QStringLiteral("Параметр варианта"));
    auto *buttons = new QHBoxLayout;
    connect(addButton(this, buttons, QStringLiteral("addVariant"), QStringLiteral("Добавить")), &QPushButton::clicked,
        this, [this] { add(); });
    connect(addButton(this, buttons, QStringLiteral("renameVariant"), QStringLiteral("Переименовать")),
        &QPushButton::clicked, this, [this] { renameCurrent(); });
    connect(addButton(this, buttons, QStringLiteral("removeVariant"), QStringLiteral("Удалить")), &QPushButton::clicked,
        this, [this] { removeCurrent(); });
    buttons->addStretch();
    list_->installEventFilter(this);
    connect(list_, &QListWidget::currentRowChanged, this, [this] { showParameter(); });
    connect(parameter_, &QLineEdit::editingFinished, this, [this] {
        QListWidgetItem *item = list_->currentItem();
        if (!variants_ || !item || item->data(kParameterRole).toString() == parameter_->text())
            return;
        if (const Status s = variants_->setParameter(currentId(), parameter_->text()); s)
            item->setData(kParameterRole, parameter_->text());
        else
            context_.prompter.warning(s.error(), windowTitle());
    });
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addWidget(new QLabel(QStringLiteral("Параметр"), this));
    layout->addWidget(parameter_);
    layout->addLayout(buttons);
    reload();
}

MenuVariantsForm::~MenuVariantsForm() = default;

bool MenuVariantsForm::eventFilter(QObject *watched, QEvent *event)
{
    // Insert adds, F2 renames, Delete deletes.
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent *>(event)->key()) {
        case Qt::Key_Insert:
            add();
            return true;
        case Qt::Key_F2:
            renameCurrent();
            return true;
        case Qt::Key_Delete:
            removeCurrent();
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void MenuVariantsForm::reload(int selectId)
{
    list_->clear();
    if (!variants_)
        return;
    const Result<std::vector<MenuVariant>> all = variants_->list();
    if (!all)
        return;
    for (const MenuVariant &v : all.value()) {
        auto *item = new QListWidgetItem(groupCaption(v.name), list_);
        item->setData(kIdRole, v.id);
        item->setData(kParameterRole, v.p1);
        if (v.id == selectId)
            list_->setCurrentItem(item);
    }
    if (!list_->currentItem() && list_->count() > 0)
        list_->setCurrentRow(0);
    showParameter();
}

int MenuVariantsForm::currentId() const
{
    const QListWidgetItem *item = list_->currentItem();
    return item ? item->data(kIdRole).toInt() : 0;
}

void MenuVariantsForm::showParameter()
{
    const QListWidgetItem *item = list_->currentItem();
    parameter_->setEnabled(item != nullptr);
    parameter_->setText(item ? item->data(kParameterRole).toString() : QString());
}

bool MenuVariantsForm::add()
{
    if (!variants_)
        return false;
    const std::optional<int> id = variants_->addAsking();
    if (!id)
        return false;
    reload(*id);
    return true;
}

bool MenuVariantsForm::renameCurrent()
{
    const int id = currentId();
    if (!variants_ || id == 0 || !variants_->renameAsking(id))
        return false;
    reload(id);
    return true;
}

bool MenuVariantsForm::removeCurrent()
{
    const int id = currentId();
    if (!variants_ || id == 0 || !variants_->removeAsking(id))
        return false;
    reload();
    return true;
}

} // namespace kulvera
