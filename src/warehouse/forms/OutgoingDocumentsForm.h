#pragma once

#include "warehouse/OutgoingDocuments.h"
#include "warehouse/OutgoingEdits.h"
#include "warehouse/OutgoingSelection.h"
#include "warehouse/WarehouseBase.h"

#include <QColor>
#include <QWidget>

#include <optional>
#include <vector>

class QCheckBox;
class QTableWidget;

namespace kulvera {

class ReferenceCombo;

// "Расходные накладные": the outgoing documents by date, the products of the
// selected ones summed with the stock of the chosen warehouse at their date,
// and the work done on them before and at posting. Several documents are
// selected together only when they share a date. Keyboard: Enter on a
// document goes to its products, Enter on a product edits its gross mass,
// Delete asks to delete the selected documents; a click on a column heading sorts.
class OutgoingDocumentsForm : public QWidget
{
    Q_OBJECT
public:
    enum HeaderColumn { Date, Number, Warehouse, Sum, Note, Posted, HeaderKey, HeaderColumnCount };
    enum ProductColumn { Product, Quantity, Unit, Available, LineWarehouse, ProductKey, ProductColumnCount };

    // The colour of posted documents when `vbBackColorNaklM` is not set: light grey.
    static constexpr int kDefaultPostedColour = 0xC0C0C0;

    explicit OutgoingDocumentsForm(AppContext &context, QWidget *parent = nullptr);

    QTableWidget *headerGrid() const { return headers_; }
    QTableWidget *productGrid() const { return products_; }
    // The selected documents, in the order of the list.
    std::vector<qint64> selectedKeys() const;
    // The row of the document in the list as it is sorted now; -1 when not listed.
    int rowOf(qint64 key) const;
    QColor postedColour() const { return postedColour_; }

    void reloadHeaders();
    void reloadProducts();

    void postSelection();
    void updatePrices();
    void editGrossMass();
    void editNote();
    void deleteSelection();
    void roundAll();
    // Opens the replacement dialog for the current product.
    void replaceProduct();
    // Replaces the current product in the selected documents; no factor is a full replacement.
    void replaceCurrentProduct(qint64 target, std::optional<double> factor);

private:
    void selectionChanged();
    void restoreSelection(const std::vector<qint64> &keys);
    void refuse(const Status &status);
    const SelectionProduct *currentProduct() const;

    WarehouseBase base_;
    OutgoingDocuments documents_;
    OutgoingEdits edits_;
    OutgoingSelection selection_;
    std::vector<OutgoingHeader> headerRows_;
    std::vector<SelectionProduct> productRows_;
    std::vector<qint64> accepted_; // the last selection of one date
    QColor postedColour_;
    ReferenceCombo *warehouse_;
    QCheckBox *onlyWarehouse_;
    QCheckBox *showPosted_;
    QTableWidget *headers_;
    QTableWidget *products_;
    bool loading_ = false;
};

} // namespace kulvera
