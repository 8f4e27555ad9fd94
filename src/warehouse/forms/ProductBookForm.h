#pragma once

#include "warehouse/ProductBook.h"
#include "warehouse/WarehouseBase.h"

#include <QWidget>

class QCheckBox;
class QListWidget;
class QTableWidget;

namespace kulvera {

class ReportPeriod;

// "Книга учета продуктов": for the chosen products (none chosen: every one
// received) the opening quantity, the receipts, the outgoing quantities and
// the closing quantity of the period, in full or summed as the two check
// boxes say (kept in `bFullIncomPB` and `bFullExpPB`).
class ProductBookForm : public QWidget
{
    Q_OBJECT
public:
    explicit ProductBookForm(AppContext &context, QWidget *parent = nullptr);

    ReportPeriod *period() const { return period_; }
    QListWidget *products() const { return products_; }
    QTableWidget *grid() const { return table_; }
    bool build();
    bool print(const QString &outputPath);

private:
    void fillProducts();
    void choosePrintFile();

    WarehouseBase base_;
    ReportPeriod *period_;
    QListWidget *products_;
    QCheckBox *fullIncoming_;
    QCheckBox *fullOutgoing_;
    QTableWidget *table_;
    std::vector<ProductBookSection> sections_;
};

} // namespace kulvera
