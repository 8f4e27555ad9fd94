#pragma once

#include "products/ProductMods.h"
#include "shell/AppContext.h"

#include <QWidget>

class QTableWidget;
class QTableWidgetItem;

namespace kulvera {

// "Модификации продуктов": the modifications of one product (or all of them).
// Every committed cell is written at once; the last row adds a modification.
class ModificationsForm : public QWidget
{
    Q_OBJECT
public:
    // productKey 0 lists every modification and links new ones to no product.
    ModificationsForm(AppContext &context, qint64 productKey, QWidget *parent = nullptr);
    void reload();
    QTableWidget *table() const { return table_; }
    // Deletes the modification of the current row after the question.
    void removeCurrent();

    static const QString kAddRowText; // "Щелкните для добавления..."

private:
    void cellEdited(QTableWidgetItem *item);

    AppContext &context_;
    qint64 productKey_;
    ProductMods mods_;
    std::vector<Modification> rows_;
    QTableWidget *table_;
    bool loading_ = false;
};

} // namespace kulvera
