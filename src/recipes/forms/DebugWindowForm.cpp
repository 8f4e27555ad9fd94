#include "recipes/forms/DebugWindowForm.h"

#include "recipes/DebugRows.h"
#include "recipes/forms/RecipeEditorForm.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kulvera {
namespace {

QPushButton *button(const QString &name, const QString &text, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    return b;
}

} // namespace

DebugWindowForm::DebugWindowForm(AppContext &context, RecipeEditorForm *editor, QWidget *parent)
    : QWidget(parent)
    , context_(context)
    , editor_(editor)
{
    setObjectName(QStringLiteral("DebugWin"));
    setWindowTitle(kTitle.toString());
    table_ = new QTableWidget(this);
    table_->setObjectName(QStringLiteral("debugRows"));
    table_->setColumnCount(static_cast<int>(debugColumns().size()));
    table_->setHorizontalHeaderLabels(debugColumns());
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);

    find_ = new QLineEdit(this);
    find_->setObjectName(QStringLiteral("findText"));
    find_->setPlaceholderText(QStringLiteral("Текст для поиска"));
    auto *buttons = new QHBoxLayout;
    QPushButton *add = button(QStringLiteral("addRow"), QStringLiteral("Добавить"), this);
    QPushButton *up = button(QStringLiteral("moveUp"), QStringLiteral("Вверх"), this);
    QPushButton *down = button(QStringLiteral("moveDown"), QStringLiteral("Вниз"), this);
    QPushButton *remove = button(QStringLiteral("deleteRow"), QStringLiteral("Удалить"), this);
    QPushButton *find = button(QStringLiteral("findRow"), QStringLiteral("Найти"), this);
    for (QPushButton *b : {add, up, down, remove})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(find_);
    buttons->addWidget(find);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(table_);

    connect(add, &QPushButton::clicked, this, &DebugWindowForm::addRow);
    connect(up, &QPushButton::clicked, this, [this] { moveRow(-1); });
    connect(down, &QPushButton::clicked, this, [this] { moveRow(1); });
    connect(remove, &QPushButton::clicked, this, &DebugWindowForm::deleteRow);
    connect(find, &QPushButton::clicked, this, [this] { findRow(find_->text()); });
    connect(find_, &QLineEdit::returnPressed, this, [this] { findRow(find_->text()); });
    // Not the undo stack's signals: the stack clears itself, signalling, while the editor is destroyed.
    if (editor_)
        connect(editor_, &RecipeEditorForm::stateChanged, this, &DebugWindowForm::refresh);
    refresh();
}

int DebugWindowForm::currentRow() const
{
    return table_->currentRow();
}

void DebugWindowForm::selectRow(int row)
{
    if (row >= 0 && row < table_->rowCount())
        table_->selectRow(row);
}

void DebugWindowForm::refresh()
{
    const int keep = currentRow();
    const std::vector<clsProds> records = editor_ ? recordsOf(editor_->state().slot) : std::vector<clsProds>();
    const int columns = table_->columnCount();
    table_->setRowCount(static_cast<int>(records.size()));
    for (int row = 0; row < static_cast<int>(records.size()); ++row) {
        for (int column = 0; column < columns; ++column) {
            auto *item = new QTableWidgetItem(debugValue(records[static_cast<std::size_t>(row)], column).toString());
            table_->setItem(row, column, item);
        }
    }
    selectRow(std::min(keep, table_->rowCount() - 1));
}

void DebugWindowForm::apply(const std::vector<clsProds> &records, const QString &text, int selectAfter)
{
    if (!editor_)
        return;
    editor_->replacePositions(slotOf(records), text);
    selectRow(selectAfter);
}

void DebugWindowForm::addRow()
{
    if (!editor_)
        return;
    std::vector<clsProds> records = recordsOf(editor_->state().slot);
    const int at = addDebugRow(records, currentRow());
    apply(records, QStringLiteral("Окно отладки: новая строка"), at);
}

void DebugWindowForm::moveRow(int delta)
{
    if (!editor_)
        return;
    std::vector<clsProds> records = recordsOf(editor_->state().slot);
    const int row = currentRow();
    if (moveDebugRow(records, row, delta))
        apply(records, QStringLiteral("Окно отладки: перемещение строки"), row + delta);
}

bool DebugWindowForm::findRow(const QString &text)
{
    const std::vector<clsProds> records = editor_ ? recordsOf(editor_->state().slot) : std::vector<clsProds>();
    const int row = findDebugRow(records, text.trimmed(), currentRow());
    if (row < 0) {
        context_.prompter.message(QStringLiteral("Записей не найдено."), kTitle.toString());
        return false;
    }
    selectRow(row);
    return true;
}

void DebugWindowForm::deleteRow()
{
    if (!editor_)
        return;
    std::vector<clsProds> records = recordsOf(editor_->state().slot);
    const int row = currentRow();
    if (const Status s = removeDebugRow(records, row); !s) {
        context_.prompter.warning(s.error(), kTitle.toString());
        return;
    }
    apply(
        records, QStringLiteral("Окно отладки: удаление строки"), std::min(row, static_cast<int>(records.size()) - 1));
}

} // namespace kulvera
