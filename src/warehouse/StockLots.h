#pragma once

#include "common/Result.h"

#include <QDate>
#include <QDateTime>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace kulvera {

class SqlStatement;
class WarehouseBase;

// A row of `Склад`: a received quantity still (partly) in stock. Stock of a
// product in a warehouse is the sum of `Брутто` over its posted lots; outgoing
// quantities leave the oldest lot (by `Дата`) first.
struct Lot {
    qint64 key = 0;
    qint64 product = 0;
    qint64 warehouse = 0;
    qint64 place = 0; // storage place; 0 = none
    qint64 supplier = 0;
    qint64 header = 0; // the document that created the lot
    qint64 incomingLine = 0; // Приход_Код
    QDate date;
    double brutto = 0; // remaining quantity, base unit
    qint64 unit = 0; // unit of entry
    qint64 user = 0;
    QDateTime operationTime;
    bool posted = false;
};

// A lot with the names a list shows.
struct LotView {
    Lot lot;
    QString productName; // Имя2 of the product base
    QString warehouseName;
    QString supplierName;
    QString unitPref;
    double koef = 1;
};

// One step of a first-in-first-out walk: what was taken from which lot.
struct LotTake {
    qint64 lot = 0;
    qint64 incomingLine = 0; // Приход_Код of the lot
    double quantity = 0; // base unit
    bool deleted = false; // the lot was used up
};

// Quantities closer than this to each other are equal: sums of lots and of
// lines differ from the typed figures in the last bits of a double, and a lot
// must not be left holding such dust.
inline constexpr double kStockEpsilon = 1e-9;

struct LotFilter {
    std::optional<qint64> warehouse;
    std::optional<qint64> product;
};

// The one place that changes `Склад`. Lots are created by the document line
// that owns them, then only decrease; a lot that reaches exactly 0 is deleted.
class StockLots
{
public:
    explicit StockLots(WarehouseBase &base);

    std::optional<Lot> find(qint64 key) const;
    // The same for a lot the transaction goes on to change: where the engine
    // locks rows, the lot stays locked until the transaction ends, so another
    // workstation's posting waits and then reads what this one left. A failed
    // read (waiting for the lock may end in a deadlock) is a failure with the
    // engine's text, so the posting can be retried; no such lot is nothing.
    Result<std::optional<Lot>> findToChange(qint64 key) const;
    // Posted lots, oldest first, with product, warehouse, supplier and unit names.
    Result<std::vector<LotView>> list(const LotFilter &filter = {}) const;
    // Current stock of a product in a warehouse (base unit).
    double stock(qint64 product, qint64 warehouse) const;

    // Stock of a product dated up to the end of `upTo` (every date when not
    // given); `warehouse` ≤ 0 means all warehouses.
    double stockUpTo(qint64 product, qint64 warehouse, const std::optional<QDate> &upTo) const;
    // The same lots, oldest first.
    Result<std::vector<Lot>> lotsUpTo(qint64 product, qint64 warehouse, const std::optional<QDate> &upTo) const;
    // The same for lots the transaction goes on to take from, locked as findToChange() locks:
    // a lot another workstation is taking from is read once that one has finished, and one it
    // used up is not there.
    Result<std::vector<Lot>> lotsUpToToChange(qint64 product, qint64 warehouse, const std::optional<QDate> &upTo) const;

    // A receipt's lot holds what its line received until something is taken
    // from it; only then may the receipt's quantity, warehouse or unit change.
    static bool untouched(const Lot &lot, double receivedBrutto) { return lot.brutto == receivedBrutto; }

    // Adds a lot; the caller (a document line) runs it inside its own transaction.
    Result<qint64> create(const Lot &lot);
    // Takes a quantity (base unit) off a lot. A negative quantity, or more than
    // the lot holds, is refused; a lot left at 0 (within kStockEpsilon, so a
    // typed whole lot leaves no dust) is deleted and the whole lot counts as taken.
    Result<LotTake> take(qint64 key, double quantity);
    // The one way a lot grows: an internal movement merges the quantity it
    // brings into the target warehouse's first lot of the product. The lot
    // keeps its date, supplier and unit.
    Status merge(qint64 key, double quantity);
    // The first posted lot (lowest key) of a product in a warehouse, locked
    // for the caller's transaction as findToChange() locks.
    Result<std::optional<Lot>> firstLot(qint64 product, qint64 warehouse) const;
    // Locks every lot of a warehouse for the caller's transaction where the
    // engine locks rows: a reconciliation compares counts with all of them.
    Status lockWarehouse(qint64 warehouse);
    // Links a lot to the receipt line that made it (Приход_Код).
    Status linkIncomingLine(qint64 key, qint64 incomingLine);
    // Takes `quantity` from the lots dated up to `upTo`, oldest first; used-up
    // lots are deleted. When those lots hold less, nothing is taken and the
    // failure says what is missing; the caller runs it inside its transaction.
    Result<std::vector<LotTake>> takeOldestFirst(
        qint64 product, qint64 warehouse, double quantity, const std::optional<QDate> &upTo);
    // Rewrites the quantity of a receipt's untouched lot; refused when the lot
    // no longer holds `received` (something was taken meanwhile).
    Status correctReceived(qint64 key, double received, double quantity);
    // Moves a lot to a storage place of its own warehouse (0: none); the
    // quantity is not touched.
    Status setPlace(qint64 key, qint64 place);

    // The start-up cleanup: lots left at 0 go. A lot whose receipt was 0 and
    // that was never touched stays with its line, which could not otherwise be
    // corrected. Returns the number deleted.
    Result<int> deleteEmptyLots();

    ~StockLots();

private:
    Result<std::optional<Lot>> findLot(qint64 key, bool toChange) const;
    Result<std::vector<Lot>> readLotsUpTo(
        qint64 product, qint64 warehouse, const std::optional<QDate> &upTo, bool toChange) const;

    WarehouseBase &base_;
    std::unique_ptr<SqlStatement> insert_; // prepared by the first create()
};

} // namespace kulvera
