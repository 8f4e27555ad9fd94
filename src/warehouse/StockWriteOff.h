#pragma once

#include "common/Result.h"
#include "warehouse/StockLots.h"

#include <QDate>

#include <memory>
#include <optional>
#include <vector>

namespace kulvera {

class SqlStatement;
class WarehouseBase;

struct WriteOffItem {
    qint64 product = 0;
    double quantity = 0; // base unit
};

// Products leaving stock first in, first out. Every taken part is appended to
// the write-off trail (`Списание_Детали`) of the receipt line that made the
// lot, and every used-up lot is written to the session log.
class StockWriteOff
{
public:
    explicit StockWriteOff(WarehouseBase &base);
    ~StockWriteOff();
    StockWriteOff(const StockWriteOff &) = delete;
    StockWriteOff &operator=(const StockWriteOff &) = delete;

    // One product (`ProdMinus`): `warehouse` ≤ 0 takes from every warehouse,
    // `date` limits the lots to those received up to that day. Only lots dated
    // up to the date count as available, so a product short there is not
    // touched at all. Runs in its own transaction (a save point inside the
    // caller's).
    Result<std::vector<LotTake>> prodMinus(
        qint64 product, double quantity, qint64 warehouse, const std::optional<QDate> &date);

    // Several products at once, all or nothing: when any is short, nothing is
    // taken and the failure names every short product with what is missing.
    Status writeOffAll(const std::vector<WriteOffItem> &items, qint64 warehouse, const std::optional<QDate> &date);

    // What is missing of `quantity` in the lots dated up to `date`; 0 when enough.
    double shortage(qint64 product, double quantity, qint64 warehouse, const std::optional<QDate> &date) const;

    // Appends (date, quantity) to the trail of the receipt lines of the lot;
    // movements and acts, which take chosen lots, record what they took too.
    // The caller holds the transaction.
    Status appendTrail(const LotTake &taken, const std::optional<QDate> &date);

private:
    // The caller holds the transaction.
    Result<std::vector<LotTake>> take(
        qint64 product, double quantity, qint64 warehouse, const std::optional<QDate> &date);
    void logDeletions(const std::vector<LotTake> &taken) const;
    QString productName(qint64 product) const;

    WarehouseBase &base_;
    StockLots lots_;
    std::unique_ptr<SqlStatement> readTrail_;
    std::unique_ptr<SqlStatement> writeTrail_;
};

} // namespace kulvera
