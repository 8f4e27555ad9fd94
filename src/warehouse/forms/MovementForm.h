#pragma once

#include "warehouse/StockMovements.h"
#include "warehouse/WarehouseBase.h"

#include <QWidget>

class QDateEdit;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace kulvera {

class ReferenceCombo;

// "Внутреннее перемещение": the lots of the source warehouse on the left, the
// lots chosen to move (or to write off by an act) on the right with the
// quantity to take, typed in the lot's unit. Keyboard: Enter on a source lot
// moves it over with all it holds, Delete on a chosen lot puts it back, Enter
// in the quantity commits it. Opened as "akt_sp" the same form is ready for a
// write-off act: no target warehouse and no movement.
class MovementForm : public QWidget
{
    Q_OBJECT
public:
    enum class Mode { Movement, Act };
    enum SourceColumn { Product, Quantity, Unit, Supplier, Date, Price, Markup, User, LotKey, SourceColumnCount };
    enum TargetColumn { TargetProduct, TargetQuantity, TargetUnit, Available, TargetLotKey, TargetColumnCount };

    explicit MovementForm(AppContext &context, QWidget *parent = nullptr, Mode mode = Mode::Movement);

    QTableWidget *sourceGrid() const { return source_; }
    QTableWidget *targetGrid() const { return target_; }
    void reloadSource();
    // The current source lot goes to the chosen lots, with all it holds.
    void chooseCurrent();
    // The current chosen lot goes back.
    void returnCurrent();
    void save();
    void act();

private:
    struct Chosen {
        MovableLot lot;
        double typed = 0; // in the lot's unit
    };
    void fillTarget();
    void quantityEdited(int row, const QString &text);
    std::vector<LotQuantity> rows() const;
    QString title() const;

    WarehouseBase base_;
    StockMovements movements_;
    Mode mode_;
    std::vector<MovableLot> sourceRows_;
    std::vector<Chosen> chosen_;
    QDateEdit *date_;
    QLineEdit *number_;
    QLineEdit *note_;
    ReferenceCombo *from_;
    ReferenceCombo *to_;
    QTableWidget *source_;
    QTableWidget *target_;
    bool loading_ = false;
};

} // namespace kulvera
