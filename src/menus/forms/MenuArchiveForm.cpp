#include "menus/forms/MenuArchiveForm.h"

#include "common/NameCollator.h"
#include "common/TextDate.h"
#include "menus/MenuArchive.h"
#include "menus/MenuBase.h"
#include "menus/forms/OpenMenuBase.h"
#include "shell/DbMaintenance.h"
#include "shell/forms/FormButtons.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QStandardPaths>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kulvera {
namespace {

constexpr int kDateRole = Qt::UserRole + 1;
constexpr int kGroupRole = Qt::UserRole + 2;

// Sorts the date column by the day, not by the text "dd.mm.yyyy".
class RationItem : public QTreeWidgetItem
{
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem &other) const override
    {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        const QDate mine = data(0, kDateRole).toDate();
        const QDate theirs = other.data(0, kDateRole).toDate();
        if (column == 0 && mine != theirs)
            return mine < theirs;
        if (column == 1 && text(1) != other.text(1))
            return nameCollator().compare(text(1), other.text(1)) < 0;
        return column == 0 ? text(1) < other.text(1) : mine < theirs;
    }
};

} // namespace

MenuArchiveForm::MenuArchiveForm(AppContext &context, QWidget *parent)
    : QWidget(parent)
    , context_(context)
    , base_(openMenuBase(context))
    , list_(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("MenuArchive"));
    setWindowTitle(QStringLiteral("Архив меню"));
    list_->setObjectName(QStringLiteral("rations"));
    list_->setColumnCount(2);
    list_->setHeaderLabels({QStringLiteral("Дата"), QStringLiteral("Группа")});
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setSortingEnabled(true);
    list_->sortByColumn(0, Qt::AscendingOrder);
    list_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    auto *buttons = new QHBoxLayout;
    connect(addButton(this, buttons, QStringLiteral("changeDate"), QStringLiteral("Изменить дату...")),
        &QPushButton::clicked, this, [this] { changeDateOfCurrent(); });
    connect(addButton(this, buttons, QStringLiteral("removeRations"), QStringLiteral("Удалить")), &QPushButton::clicked,
        this, [this] { removeChosen(); });
    buttons->addStretch();
    connect(addButton(this, buttons, QStringLiteral("archiveMenu"), QStringLiteral("Архивировать базу меню")),
        &QPushButton::clicked, this, [this] { archive(); });
    connect(addButton(this, buttons, QStringLiteral("moveRations"), QStringLiteral("Перенести в другую базу...")),
        &QPushButton::clicked, this, [this] { chooseTargetAndMove(); });
    list_->installEventFilter(this);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);
    reload();
}

MenuArchiveForm::~MenuArchiveForm() = default;

bool MenuArchiveForm::eventFilter(QObject *watched, QEvent *event)
{
    // Delete deletes the chosen rations, F2 moves the current one to another day.
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Delete) {
            removeChosen();
            return true;
        }
        if (key == Qt::Key_F2) {
            changeDateOfCurrent();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void MenuArchiveForm::reload()
{
    list_->clear();
    if (!base_)
        return;
    const Result<std::vector<RationListEntry>> rations = base_->list(RationOrder::ByDate);
    if (!rations)
        return;
    list_->setSortingEnabled(false);
    for (const RationListEntry &e : rations.value()) {
        auto *item = new RationItem(list_, QStringList {formatTextDate(e.date), groupCaption(e.group)});
        item->setData(0, kDateRole, e.date);
        item->setData(0, kGroupRole, e.group);
    }
    list_->setSortingEnabled(true);
}

std::vector<RationKey> MenuArchiveForm::chosenRations() const
{
    std::vector<RationKey> keys;
    for (const QTreeWidgetItem *item : list_->selectedItems())
        keys.push_back({item->data(0, kDateRole).toDate(), item->data(0, kGroupRole).toString()});
    return keys;
}

bool MenuArchiveForm::changeDateOfCurrent()
{
    const QTreeWidgetItem *item = list_->currentItem();
    if (!base_ || !item)
        return false;
    const Status s = base_->changeDateAsking({item->data(0, kDateRole).toDate(), item->data(0, kGroupRole).toString()});
    if (!s) {
        if (!s.error().isEmpty())
            context_.prompter.warning(s.error(), windowTitle());
        return false;
    }
    reload();
    return true;
}

bool MenuArchiveForm::removeChosen()
{
    const std::vector<RationKey> keys = chosenRations();
    if (!base_ || keys.empty())
        return false;
    const Result<int> removed = base_->removeRations(keys);
    if (!removed) {
        context_.prompter.warning(removed.error(), windowTitle());
        return false;
    }
    reload();
    return removed.value() > 0;
}

QString MenuArchiveForm::tempFolder() const
{
    return sessionTempFolder(QStandardPaths::writableLocation(QStandardPaths::TempLocation));
}

bool MenuArchiveForm::archive()
{
    if (!base_)
        return false;
    const Result<QString> archived = archiveMenuBase(*base_, context_.shared, tempFolder(), context_.clock.today());
    if (!archived && !archived.error().isEmpty())
        context_.prompter.warning(archived.error(), QStringLiteral("Архивирование баз"));
    reload();
    return archived.ok();
}

bool MenuArchiveForm::moveTo(const QString &path)
{
    if (!base_ || path.isEmpty())
        return false;
    const Status s = moveRationsTo(*base_, path, !QFileInfo::exists(path), tempFolder(), context_.clock.today());
    if (!s && !s.error().isEmpty())
        context_.prompter.warning(s.error(), QStringLiteral("Архивирование баз"));
    reload();
    return s.ok();
}

void MenuArchiveForm::chooseTargetAndMove()
{
    // An existing menu base takes the rations; a new name makes one "(создать новую базу)".
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("База меню для переноса рационов"),
        menuArchiveFolder(context_.shared), QStringLiteral("База меню (*.db)"), nullptr,
        QFileDialog::DontConfirmOverwrite);
    if (!path.isEmpty())
        moveTo(path);
}

} // namespace kulvera
