#pragma once

#include "products/ProductBase.h"
#include "products/forms/ProductListModel.h"
#include "shell/AppContext.h"

#include <QWidget>

class QComboBox;
class QLineEdit;
class QTableView;

namespace kulvera {

// The product base list: search as you type on both names, sort by any
// column, filter by group; opens, adds, copies and deletes products.
class ProductListForm : public QWidget
{
    Q_OBJECT
public:
    explicit ProductListForm(AppContext &context, QWidget *parent = nullptr);
    void reload();
    ProductFilterModel *filter() const { return filter_; }
    qint64 currentKey() const;

private:
    void openCard(qint64 key);
    // Inside the main window when the list is there, like every other form.
    void showForm(QWidget *form);

    AppContext &context_;
    ProductBase base_;
    ProductListModel *model_;
    ProductFilterModel *filter_;
    QLineEdit *search_;
    QComboBox *group_;
    QTableView *view_;
};

} // namespace kulvera
