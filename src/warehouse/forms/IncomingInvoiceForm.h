#pragma once

#include "warehouse/IncomingInvoices.h"
#include "warehouse/WarehouseBase.h"

#include <QWidget>

#include <functional>

class QComboBox;
class QDateEdit;
class QLineEdit;
class QListWidget;
class QTableWidget;
class QTableWidgetItem;

namespace kulvera {

class ReferenceCombo;

// "Приходная накладная": the headers of a period, the lines of the selected
// invoice and the products lines are added from. Every committed cell is
// written at once through IncomingInvoices; a refused edit says why and the
// grid shows the stored values again. Keyboard: Enter moves on, Insert goes to
// the product list, Delete asks to delete the line or the invoice; Enter on a
// product adds it to the invoice.
class IncomingInvoiceForm : public QWidget
{
    Q_OBJECT
public:
    // Line grid columns, in the order shown.
    enum LineColumn {
        Product,
        Warehouse,
        Quantity,
        Unit,
        Koef,
        Price,
        VatPercent,
        VatAmount,
        Markup,
        MarkupAmount,
        Value,
        Posted,
        LineKey,
        LotKey,
        ProductKey,
        SafetyDocument,
        Organoleptic,
        Temperature,
        ShelfLife,
        LineColumnCount
    };
    enum HeaderColumn { HeaderKey, Number, Supplier, Date, Sum, User, OperationTime, HeaderColumnCount };

    explicit IncomingInvoiceForm(AppContext &context, QWidget *parent = nullptr);

    QTableWidget *headerGrid() const { return headers_; }
    QTableWidget *lineGrid() const { return lines_; }
    qint64 currentHeader() const;
    void selectHeader(qint64 key);
    void reloadHeaders();
    void reloadLines();
    // Adds the product chosen in the list to the current invoice.
    void addChosenProduct();
    void deleteCurrentLine();
    void deleteCurrentInvoice();

private:
    void periodChosen(int index);
    void afterCommit(QTableWidgetItem *item, std::function<void(int, int, const QString &)> edit);
    void headerEdited(int row, int column, const QString &text);
    void lineEdited(int row, int column, const QString &text);
    void filterProducts(const QString &text);
    void refuse(const Status &status);

    WarehouseBase base_;
    IncomingInvoices invoices_;
    InvoicePeriod period_;
    std::vector<InvoiceHeader> headerRows_;
    std::vector<InvoiceLine> lineRows_;
    QComboBox *periodBox_;
    QDateEdit *from_;
    QDateEdit *to_;
    QDateEdit *date_;
    ReferenceCombo *supplier_;
    ReferenceCombo *warehouse_;
    QTableWidget *headers_;
    QTableWidget *lines_;
    QLineEdit *search_;
    QListWidget *products_;
    bool loading_ = false;
};

} // namespace kulvera
