#include "menus/forms/MenuExportForm.h"

#include "common/Prompter.h"
#include "common/TextDate.h"
#include "menus/MenuBase.h"
#include "menus/MenuDateList.h"
#include "menus/MenuExportFile.h"
#include "menus/SqlMenuFile.h"
#include "menus/forms/OpenMenuBase.h"
#include "shell/LastFileFolder.h"
#include "shell/forms/FormButtons.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kulvera {

MenuExportForm::MenuExportForm(AppContext &context, QWidget *parent)
    : QWidget(parent)
    , context_(context)
    , base_(openMenuBase(context))
    , dates_(new QLineEdit(this))
    , group_(new QComboBox(this))
{
    setObjectName(QStringLiteral("MenuExport"));
    setWindowTitle(QStringLiteral("Сохранить меню в файл"));
    dates_->setObjectName(QStringLiteral("exportDates"));
    dates_->setText(formatTextDate(context_.clock.today()));
    group_->setObjectName(QStringLiteral("exportGroup"));
    group_->addItem(QStringLiteral("(все группы)"));
    if (base_) {
        if (const auto list = base_->list()) {
            QStringList groups;
            for (const RationListEntry &e : list.value()) {
                if (!groups.contains(e.group))
                    groups << e.group;
            }
            for (const QString &g : groups)
                group_->addItem(groupCaption(g), g);
        }
    }
    auto *buttons = new QHBoxLayout;
    connect(addButton(this, buttons, QStringLiteral("exportMenu"), QStringLiteral("Сохранить .menu...")),
        &QPushButton::clicked, this, [this] { chooseExportFile(); });
    connect(addButton(this, buttons, QStringLiteral("exportSql"), QStringLiteral("Сохранить .sql_menu...")),
        &QPushButton::clicked, this, [this] { chooseSqlFile(); });
    connect(addButton(this, buttons, QStringLiteral("importMenu"), QStringLiteral("Загрузить...")),
        &QPushButton::clicked, this, [this] { chooseImportFile(); });
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Даты (через запятую)"), this));
    layout->addWidget(dates_);
    layout->addWidget(new QLabel(QStringLiteral("Группа (для .sql_menu)"), this));
    layout->addWidget(group_);
    layout->addLayout(buttons);
    layout->addStretch();
}

MenuExportForm::~MenuExportForm() = default;

std::optional<QString> MenuExportForm::chosenGroup() const
{
    if (group_->currentIndex() <= 0)
        return std::nullopt;
    return group_->currentData().toString();
}

bool MenuExportForm::exportMenu(const QString &path)
{
    if (!base_)
        return false;
    const Result<std::vector<QDate>> days = parseMenuDateList(dates_->text());
    if (!days) {
        context_.prompter.error(days.error(), kMenuExportTitle.toString());
        return false;
    }
    if (!saveMenuExportFile(*base_, days.value(), path))
        return false;
    rememberFileFolder(context_.settings, path);
    return true;
}

bool MenuExportForm::exportSql(const QString &path)
{
    if (!base_)
        return false;
    const Result<std::vector<QDate>> days = parseMenuDateList(dates_->text());
    if (!days) {
        context_.prompter.error(days.error(), kSqlMenuSaveTitle.toString());
        return false;
    }
    if (!saveSqlMenuFile(*base_, days.value(), chosenGroup(), path))
        return false;
    context_.settings.save(Section::Data, kSqlMenuFolderKey.toString(), QFileInfo(path).absolutePath());
    return true;
}

bool MenuExportForm::importFile(const QString &path)
{
    if (!base_)
        return false;
    const bool sql = path.endsWith(QStringLiteral(".sql_menu"), Qt::CaseInsensitive);
    const bool loaded = sql ? loadSqlMenuFile(*base_, path).ok() : loadMenuExportFile(*base_, path).ok();
    if (loaded)
        rememberFileFolder(context_.settings, path);
    return loaded;
}

void MenuExportForm::chooseExportFile()
{
    const QString file = QFileDialog::getSaveFileName(this, kMenuExportTitle.toString(),
        lastFileFolder(context_.settings), kMenuExportFilter.toString(), nullptr, QFileDialog::DontConfirmOverwrite);
    if (!file.isEmpty())
        exportMenu(file);
}

void MenuExportForm::chooseSqlFile()
{
    const QString folder = context_.settings.get(Section::Data, kSqlMenuFolderKey.toString());
    const QString file = QFileDialog::getSaveFileName(this, kSqlMenuSaveTitle.toString(),
        QDir(folder).filePath(defaultSqlMenuFileName(context_.settings)), kSqlMenuFilter.toString(), nullptr,
        QFileDialog::DontConfirmOverwrite);
    if (!file.isEmpty())
        exportSql(file);
}

void MenuExportForm::chooseImportFile()
{
    const QString file = QFileDialog::getOpenFileName(this, QStringLiteral("Загрузка меню рационов"),
        lastFileFolder(context_.settings), QStringLiteral("Меню (*.menu *.sql_menu)"));
    if (!file.isEmpty())
        importFile(file);
}

} // namespace kulvera
