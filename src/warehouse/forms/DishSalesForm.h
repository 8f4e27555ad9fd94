#pragma once

#include "warehouse/DishSales.h"
#include "warehouse/WarehouseBase.h"

#include <QWidget>

#include <memory>

class QComboBox;
class QDateEdit;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;

namespace kulvera {

class DishBase;
class ReferenceCombo;

// "Накладные на блюда" (nakl_di): dish sales invoices to buyers. The list of
// invoices, a new one by number, date and buyer; the dishes of the chosen one
// with portions, output and price typed in the grid; dishes added from a
// collection of the dish base; the chosen invoice printed through its template.
class DishSalesForm : public QWidget
{
    Q_OBJECT
public:
    enum Column { Dish, Portions, Output, Price, Total, ColumnCount };

    explicit DishSalesForm(AppContext &context, QWidget *parent = nullptr);
    ~DishSalesForm() override;

    QTableWidget *invoices() const { return invoices_; }
    QTableWidget *lines() const { return lines_; }
    QListWidget *recipes() const { return recipes_; }
    QDateEdit *date() const { return date_; }
    QLineEdit *number() const { return number_; }
    qint64 currentInvoice() const;

    bool addInvoice();
    bool addDish(); // the recipe chosen in the list, one portion at its stored output
    bool removeLine();
    void reloadInvoices();
    // The chosen invoice into a workbook at `outputPath`.
    bool print(const QString &outputPath);

private:
    void reloadLines();
    void reloadRecipes();
    void invoiceChosen();
    void lineEdited(QTableWidgetItem *item);
    void dateEdited();
    void choosePrintFile();

    WarehouseBase base_;
    DishSales sales_;
    std::unique_ptr<DishBase> dishBase_;
    std::vector<DishSaleHeader> headers_;
    std::vector<DishSaleLine> rows_;
    QTableWidget *invoices_;
    QTableWidget *lines_;
    QLineEdit *number_;
    QDateEdit *date_;
    ReferenceCombo *buyer_;
    QComboBox *collections_;
    QLineEdit *search_;
    QListWidget *recipes_;
    QPushButton *print_;
    bool loading_ = false;
};

} // namespace kulvera
