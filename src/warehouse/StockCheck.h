#pragma once

#include "common/Result.h"

#include <vector>

namespace kulvera {

class WarehouseBase;

// A product in a warehouse whose lots do not add up to its posted lines.
struct StockDifference {
    qint64 product = 0;
    qint64 warehouse = 0;
    double lots = 0; // sum of the lots
    double lines = 0; // posted receipts − posted outgoing lines (movements included)
};

// The stock invariant: per product and warehouse, the lots hold what the
// posted receipt lines brought in less what the posted outgoing lines took
// out. Differences below five decimals are rounding, not faults.
Result<std::vector<StockDifference>> checkStock(const WarehouseBase &base);

} // namespace kulvera
