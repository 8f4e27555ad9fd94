#pragma once

#include "common/Result.h"
#include "warehouse/ReferenceGuard.h"

#include <QComboBox>
#include <QObject>
#include <QString>
#include <QTableWidget>

#include <functional>

namespace kulvera {

class Prompter;
class WarehouseBase;

// The prompt of the last row of every list that adds rows.
inline const QString kAddRowText = QStringLiteral("Щелкните для добавления...");

QTableWidgetItem *textItem(const QString &text, bool editable = true);
// Fills the last row of a grid with the add-row prompt in `column`.
void fillAddRow(QTableWidget *table, int row, int column);
// A refused edit says why (the user's own No says nothing).
void tellRefusal(Prompter &prompter, const Status &status, const QString &title);

// A grid driven from the keyboard: Enter moves to the next editable cell,
// Insert and Delete call the form back.
class GridKeys : public QObject
{
public:
    GridKeys(QTableWidget *table, std::function<void()> onInsert, std::function<void()> onDelete);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void moveOn();
    QTableWidget *table_;
    std::function<void()> onInsert_;
    std::function<void()> onDelete_;
};

// A combo of warehouses, suppliers or units (the key in each item's data).
// Before it opens it compares its length with the table and reloads when
// another user changed the list ("Изменили список складов!").
class ReferenceCombo : public QComboBox
{
public:
    ReferenceCombo(WarehouseBase &base, ReferenceList list, QWidget *parent = nullptr);
    void reload();
    qint64 currentKey() const;
    void selectKey(qint64 key);
    void showPopup() override;

private:
    WarehouseBase &base_;
    ReferenceList list_;
};

} // namespace kulvera
