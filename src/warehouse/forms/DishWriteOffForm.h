#pragma once

#include "warehouse/WarehouseBase.h"

#include <QWidget>

#include <memory>

class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace kulvera {

class DishBase;
class DishWriteOff;
class ReferenceCombo;

// "Списание по блюдам" (NewMinus): the dishes of every collection of the
// dish base with their stored output and the portions the user types; Start
// asks for the note and adds the document's header, Save writes its lines
// (again and again: each save replaces them). Posting is done elsewhere.
class DishWriteOffForm : public QWidget
{
    Q_OBJECT
public:
    enum Column { Base, Table, Dish, Output, Portions, ColumnCount };

    explicit DishWriteOffForm(AppContext &context, QWidget *parent = nullptr);
    ~DishWriteOffForm() override;

    QTableWidget *dishes() const { return grid_; }
    QLineEdit *filter() const { return filter_; }
    QDateEdit *date() const { return date_; }
    qint64 document() const { return header_; }
    // The buttons' work: true when done.
    bool start();
    bool save();

private:
    void fillDishes();
    void applyFilter();

    WarehouseBase base_;
    std::unique_ptr<DishBase> dishBase_;
    std::unique_ptr<DishWriteOff> writeOff_;
    QTableWidget *grid_;
    QLineEdit *filter_;
    ReferenceCombo *warehouse_;
    QDateEdit *date_;
    QLabel *state_;
    qint64 header_ = 0;
};

} // namespace kulvera
