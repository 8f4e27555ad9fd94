#include "shell/forms/SettingsForm.h"

#include "common/Prompter.h"
#include "shell/forms/ConnectionPage.h"
#include "shell/forms/FormButtons.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <set>

namespace kulvera {
namespace {

enum Column { Caption, Value, Default, Key };
constexpr int kRowRole = Qt::UserRole + 1;

QString shown(const SettingRow &row, const QString &value)
{
    if (row.kind == SettingKind::Flag)
        return parseFlagText(value) ? QStringLiteral("Да") : QStringLiteral("Нет");
    return value;
}

// Colours are kept as the platform's colour value: red in the low byte, blue
// in the high; negative values name system colours and have no swatch.
QVariant swatch(const SettingRow &row, const QString &value)
{
    bool ok = false;
    const qlonglong v = value.trimmed().toLongLong(&ok);
    if (row.kind != SettingKind::Colour || !ok || v < 0)
        return {};
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

} // namespace

SettingsForm::SettingsForm(std::unique_ptr<SettingsEditor> editor, Prompter &prompter, Scope scope, QWidget *parent)
    : QWidget(parent)
    , editor_(std::move(editor))
    , prompter_(prompter)
    , scope_(scope)
{
    setObjectName(scope == Scope::Basic ? QStringLiteral("Feat") : QStringLiteral("FeatNew2"));
    setWindowTitle(
        scope == Scope::Basic ? QStringLiteral("Настройки системы") : QStringLiteral("Расширенные настройки"));
    build();
}

int SettingsForm::rowOf(const QTreeWidgetItem *item)
{
    const QVariant v = item ? item->data(Caption, kRowRole) : QVariant();
    return v.isValid() ? v.toInt() : -1;
}

void SettingsForm::build()
{
    auto *layout = new QVBoxLayout(this);
    // The list of settings, and the page of the bases' engine and server.
    auto *pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("pages"));
    auto *listPage = new QWidget(pages);
    listPage->setObjectName(QStringLiteral("settingsPage"));
    auto *listLayout = new QVBoxLayout(listPage);
    pages->addTab(listPage, QStringLiteral("Настройки"));
    connection_ = new ConnectionPage(*editor_, prompter_, pages);
    pages->addTab(connection_, QStringLiteral("Подключение к базам"));
    layout->addWidget(pages, 1);

    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("search"));
    search_->setPlaceholderText(QStringLiteral("Поиск по названию или ключу настройки"));
    search_->setClearButtonEnabled(true);
    listLayout->addWidget(search_);

    tree_ = new QTreeWidget(this);
    tree_->setObjectName(QStringLiteral("settings"));
    tree_->setHeaderLabels({QStringLiteral("Настройка"), QStringLiteral("Значение"), QStringLiteral("По умолчанию"),
        QStringLiteral("Ключ")});
    tree_->setEditTriggers(
        QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    tree_->header()->setSectionResizeMode(Caption, QHeaderView::Interactive);
    tree_->setColumnWidth(Caption, 380);
    tree_->setColumnWidth(Value, 220);
    tree_->setColumnWidth(Default, 160);
    listLayout->addWidget(tree_, 1);

    std::map<QString, QTreeWidgetItem *> groups;
    for (const QString &group : settingGroups()) {
        auto *item = new QTreeWidgetItem(tree_, {group});
        QFont bold = item->font(Caption);
        bold.setBold(true);
        item->setFont(Caption, bold);
        item->setFlags(Qt::ItemIsEnabled);
        item->setFirstColumnSpanned(true);
        groups[group] = item;
    }
    const bool all = scope_ == Scope::Extended;
    for (int i : editor_->find(QString(), all)) {
        const SettingRow &r = editor_->rows()[static_cast<std::size_t>(i)];
        auto *item = new QTreeWidgetItem(groups[r.group]);
        item->setData(Caption, kRowRole, i);
        item->setText(Caption, r.caption);
        item->setText(Key, r.key);
        item->setToolTip(Caption,
            r.atRestart ? QStringLiteral("Вступает в силу при следующем запуске программы")
                        : QStringLiteral("Действует сразу после сохранения"));
        item->setForeground(Default, palette().brush(QPalette::Disabled, QPalette::Text));
        refreshRow(item);
    }
    tree_->expandAll();

    note_ = new QLabel(this);
    note_->setObjectName(QStringLiteral("note"));
    note_->setWordWrap(true);
    layout->addWidget(note_);

    auto *buttons = new QHBoxLayout;
    browse_ = addButton(this, buttons, QStringLiteral("browse"), QStringLiteral("Обзор..."));
    restore_ = addButton(this, buttons, QStringLiteral("restoreDefault"), QStringLiteral("По умолчанию"));
    restore_->setToolTip(QStringLiteral("Вернуть выбранной настройке значение по умолчанию"));
    buttons->addStretch(1);
    QPushButton *apply = addButton(this, buttons, QStringLiteral("apply"), QStringLiteral("Применить"));
    QPushButton *close = addButton(this, buttons, QStringLiteral("close"), QStringLiteral("Закрыть"));
    layout->addLayout(buttons);
    currentChanged();

    connect(search_, &QLineEdit::textChanged, this, &SettingsForm::filter);
    connect(connection_, &ConnectionPage::edited, this, [this] {
        for (QTreeWidgetItemIterator it(tree_); *it; ++it)
            refreshRow(*it);
    });
    connect(tree_, &QTreeWidget::itemChanged, this, &SettingsForm::itemChanged);
    connect(tree_, &QTreeWidget::currentItemChanged, this, &SettingsForm::currentChanged);
    connect(restore_, &QPushButton::clicked, this, &SettingsForm::restoreCurrent);
    connect(browse_, &QPushButton::clicked, this, &SettingsForm::browseCurrent);
    connect(apply, &QPushButton::clicked, this, &SettingsForm::apply);
    connect(close, &QPushButton::clicked, this, [this] {
        if (parentWidget() && parentWidget()->inherits("QMdiSubWindow"))
            parentWidget()->close();
        else
            QWidget::close();
    });
}

void SettingsForm::refreshRow(QTreeWidgetItem *item)
{
    const int row = rowOf(item);
    if (row < 0)
        return;
    refreshing_ = true;
    const SettingRow &r = editor_->rows()[static_cast<std::size_t>(row)];
    const QString value = editor_->value(row);
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (r.kind == SettingKind::Flag) {
        flags |= Qt::ItemIsUserCheckable;
        item->setCheckState(Value, parseFlagText(value) ? Qt::Checked : Qt::Unchecked);
    } else {
        flags |= Qt::ItemIsEditable;
    }
    item->setFlags(flags);
    item->setText(Value, shown(r, value));
    item->setData(Value, Qt::DecorationRole, swatch(r, value));
    item->setText(Default, shown(r, r.defaultValue));
    // A value other than the default stands out; an edit not yet applied too.
    QFont font = item->font(Caption);
    font.setBold(shown(r, value) != shown(r, r.defaultValue));
    font.setItalic(editor_->isEdited(row));
    item->setFont(Caption, font);
    item->setFont(Value, font);
    refreshing_ = false;
}

void SettingsForm::itemChanged(QTreeWidgetItem *item, int column)
{
    const int row = rowOf(item);
    if (refreshing_ || row < 0 || column != Value)
        return;
    const SettingRow &r = editor_->rows()[static_cast<std::size_t>(row)];
    const QString text = r.kind == SettingKind::Flag
        ? (item->checkState(Value) == Qt::Checked ? QStringLiteral("1") : QStringLiteral("0"))
        : item->text(Value);
    editor_->setValue(row, text);
    refreshRow(item);
    connection_->refresh();
}

void SettingsForm::filter(const QString &text)
{
    const std::vector<int> found = editor_->find(text, scope_ == Scope::Extended);
    const std::set<int> shownRows(found.begin(), found.end());
    for (int g = 0; g < tree_->topLevelItemCount(); ++g) {
        QTreeWidgetItem *group = tree_->topLevelItem(g);
        bool any = false;
        for (int c = 0; c < group->childCount(); ++c) {
            const bool visible = shownRows.count(rowOf(group->child(c))) != 0;
            group->child(c)->setHidden(!visible);
            any = any || visible;
        }
        group->setHidden(!any);
    }
}

void SettingsForm::currentChanged()
{
    const int row = rowOf(tree_->currentItem());
    restore_->setEnabled(row >= 0);
    const bool path = row >= 0
        && (editor_->rows()[static_cast<std::size_t>(row)].kind == SettingKind::Folder
            || editor_->rows()[static_cast<std::size_t>(row)].kind == SettingKind::File);
    browse_->setEnabled(path);
}

void SettingsForm::restoreCurrent()
{
    QTreeWidgetItem *item = tree_->currentItem();
    const int row = rowOf(item);
    if (row < 0)
        return;
    editor_->restoreDefault(row);
    refreshRow(item);
    connection_->refresh();
}

void SettingsForm::browseCurrent()
{
    QTreeWidgetItem *item = tree_->currentItem();
    const int row = rowOf(item);
    if (row < 0)
        return;
    const SettingRow &r = editor_->rows()[static_cast<std::size_t>(row)];
    const QString chosen = r.kind == SettingKind::Folder
        ? QFileDialog::getExistingDirectory(this, r.caption, editor_->value(row))
        : QFileDialog::getOpenFileName(this, r.caption, editor_->value(row));
    if (chosen.isEmpty())
        return;
    editor_->setValue(row, chosen);
    refreshRow(item);
}

bool SettingsForm::apply()
{
    const bool hadEdits = editor_->hasEdits();
    const Status written = editor_->apply();
    for (QTreeWidgetItemIterator it(tree_); *it; ++it)
        refreshRow(*it);
    connection_->refresh();
    if (!hadEdits)
        note_->setText(QStringLiteral("Изменений нет."));
    else if (!editor_->waitingForRestart().isEmpty())
        note_->setText(QStringLiteral("Настройки сохранены. При следующем запуске программы вступят в силу: ")
            + editor_->waitingForRestart().join(QStringLiteral("; ")) + u'.');
    else
        note_->setText(QStringLiteral("Настройки сохранены и действуют."));
    return written.ok();
}

void SettingsForm::closeEvent(QCloseEvent *event)
{
    if (editor_->hasEdits()) {
        const Prompter::Answer answer
            = prompter_.ask(QStringLiteral("Сохранить изменения настроек?"), Prompter::Buttons::YesNoCancel);
        if (answer == Prompter::Answer::Cancel) {
            event->ignore();
            return;
        }
        if (answer == Prompter::Answer::Yes)
            apply();
        else
            editor_->discard();
    }
    event->accept();
}

} // namespace kulvera
