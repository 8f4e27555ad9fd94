#pragma once

#include "costing/PriceSources.h"

#include <QHash>
#include <QPair>

namespace kulvera {

class Connections;

// Prices from stock for costing: the oldest remaining lot of the product in
// the warehouse, with the lot's and the warehouse's markups and no date limit.
// Each answer is kept for the life of the object, as a costing run asks for
// the same products over and over.
class StockLotPrices final : public StockPrices
{
public:
    explicit StockLotPrices(Connections &connections);
    std::optional<double> priceFromStock(qint64 product, qint64 warehouse) override;

private:
    Connections &connections_;
    QHash<QPair<qint64, qint64>, std::optional<double>> prices_;
};

} // namespace kulvera
