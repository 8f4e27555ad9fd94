#pragma once

#include "common/Result.h"

#include <QString>

#include <vector>

namespace kulvera {

class WarehouseBase;

// The counted quantity of one lot, in the lot's unit of entry (as listed).
struct LotCount {
    qint64 lot = 0;
    double counted = 0;
};

struct ReconciliationOutcome {
    qint64 incomingHeader = 0; // kind 1: surpluses received
    qint64 outgoingHeader = 0; // kind 2: shortages written off
    int surpluses = 0;
    int shortages = 0;
    double incomingSum = 0;
    double outgoingSum = 0;
};

inline constexpr QStringView kReconcileQuestion = u"Осуществить сверку продуктов? ";
inline constexpr QStringView kReconcileSurplusLine
    = u"Недостающие продукты будут добавлены в учет с формированием накладной на приход.";
inline constexpr QStringView kReconcileShortageLine = u" Излишки продуктов будут списаны актом списания";

// Brings the lots of a warehouse to a physical count. A lot counted above its
// quantity gets a new lot of the surplus, received by a posted line of a
// posted kind 1 header; a lot counted below it is reduced to the count and
// the difference written off from that lot (not oldest first) by a posted
// line of a posted kind 2 header. Both headers carry the number
// `sDefNaklNameByCompare` ("б/н") and the note `sDefNaklPrimByCompare`
// ("Акт сверки"), today's date, and the sum of their lines' values at the
// lots' prices with markup. Every count is checked first; the whole
// reconciliation is one transaction.
class StockReconciliation
{
public:
    explicit StockReconciliation(WarehouseBase &base);

    // Counts equal to the lot's quantity are skipped; when nothing differs,
    // nothing is written and the failure says so.
    Result<ReconciliationOutcome> reconcile(qint64 warehouse, const std::vector<LotCount> &counts);

private:
    Result<ReconciliationOutcome> reconcileLocked(qint64 warehouse, const std::vector<LotCount> &counts);
    WarehouseBase &base_;
};

} // namespace kulvera
