#include "warehouse/forms/WarehouseGrid.h"

#include "common/Prompter.h"
#include "shell/SqlStatement.h"
#include "warehouse/Counterparties.h"
#include "warehouse/WarehouseBase.h"
#include "warehouse/Warehouses.h"

#include <QKeyEvent>

namespace kulvera {

QTableWidgetItem *textItem(const QString &text, bool editable)
{
    auto *item = new QTableWidgetItem(text);
    if (!editable)
        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

void fillAddRow(QTableWidget *table, int row, int column)
{
    for (int c = 0; c < table->columnCount(); ++c)
        table->setItem(row, c, textItem(c == column ? kAddRowText : QString(), false));
}

void tellRefusal(Prompter &prompter, const Status &status, const QString &title)
{
    if (!status && !status.error().isEmpty())
        prompter.warning(status.error(), title);
}

GridKeys::GridKeys(QTableWidget *table, std::function<void()> onInsert, std::function<void()> onDelete)
    : QObject(table)
    , table_(table)
    , onInsert_(std::move(onInsert))
    , onDelete_(std::move(onDelete))
{
    table->installEventFilter(this);
}

bool GridKeys::eventFilter(QObject *watched, QEvent *event)
{
    // Keys an open cell editor passes on (its Enter commits the cell) are not the grid's own.
    if (watched != table_ || event->type() != QEvent::KeyPress || !table_->hasFocus())
        return false;
    switch (static_cast<QKeyEvent *>(event)->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        moveOn();
        return true;
    case Qt::Key_Insert:
        if (onInsert_)
            onInsert_();
        return true;
    case Qt::Key_Delete:
        if (onDelete_)
            onDelete_();
        return true;
    default:
        return false;
    }
}

void GridKeys::moveOn()
{
    const int rows = table_->rowCount();
    const int columns = table_->columnCount();
    int row = std::max(table_->currentRow(), 0);
    int column = table_->currentColumn();
    for (int step = 0; step < rows * columns; ++step) {
        if (++column >= columns) {
            column = 0;
            row = (row + 1) % std::max(rows, 1);
        }
        const QTableWidgetItem *item = table_->item(row, column);
        if (item && (item->flags() & Qt::ItemIsEditable)) {
            table_->setCurrentCell(row, column);
            return;
        }
    }
}

ReferenceCombo::ReferenceCombo(WarehouseBase &base, ReferenceList list, QWidget *parent)
    : QComboBox(parent)
    , base_(base)
    , list_(list)
{
    reload();
}

void ReferenceCombo::reload()
{
    const qint64 kept = currentKey();
    clear();
    switch (list_) {
    case ReferenceList::Warehouses:
        if (const auto rows = Warehouses(base_).list()) {
            for (const WarehouseRow &w : *rows)
                addItem(w.name, w.key);
        }
        break;
    case ReferenceList::Suppliers:
        if (const auto rows = Counterparties(base_).list()) {
            for (const Counterparty &c : *rows)
                addItem(c.name, c.id);
        }
        break;
    case ReferenceList::Units: {
        SqlStatement s(base_.database(), QStringLiteral("SELECT \"ID\", \"Pref\" FROM \"dt105\" ORDER BY \"ID\""),
            base_.errorLog());
        if (s.exec()) {
            while (s.next())
                addItem(s.value(1).toString(), s.value(0).toLongLong());
        }
        break;
    }
    }
    selectKey(kept);
}

qint64 ReferenceCombo::currentKey() const
{
    return currentIndex() >= 0 ? currentData().toLongLong() : 0;
}

void ReferenceCombo::selectKey(qint64 key)
{
    const int index = findData(key);
    if (index >= 0)
        setCurrentIndex(index);
}

void ReferenceCombo::showPopup()
{
    if (referenceListChanged(base_, list_, count()))
        reload();
    QComboBox::showPopup();
}

} // namespace kulvera
