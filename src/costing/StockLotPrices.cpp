#include "costing/StockLotPrices.h"

#include "shell/Connections.h"
#include "warehouse/StockQueries.h"

namespace kulvera {

StockLotPrices::StockLotPrices(Connections &connections)
    : connections_(connections)
{
}

std::optional<double> StockLotPrices::priceFromStock(qint64 product, qint64 warehouse)
{
    const QPair<qint64, qint64> key(product, warehouse);
    if (const auto it = prices_.constFind(key); it != prices_.cend())
        return *it;
    std::optional<double> price;
    if (connections_.isConnected(BaseId::Warehouse))
        price = oldestLotPrice(
            connections_.database(BaseId::Warehouse), &connections_.errorLog(), product, warehouse, true, std::nullopt);
    prices_.insert(key, price);
    return price;
}

} // namespace kulvera
