#include "costing/DishCost.h"

#include "common/NumberText.h"
#include "costing/PriceSources.h"
#include "products/ProductBase.h"
#include "recipes/PositionKey.h"

namespace kulvera {

std::optional<double> SeasonalOutputs::output(qint64 product)
{
    if (const auto it = cache_.constFind(product); it != cache_.cend())
        return *it;
    std::optional<double> out;
    if (products_ && products_->connected()) {
        if (const std::optional<ProductRow> row = products_->findQuiet(product); row && row->l72)
            out = products_->currentOutput(*row);
    }
    cache_.insert(product, out);
    return out;
}

QStringList DishCost::unpriced() const
{
    QStringList list;
    for (const LineCost &line : lines) {
        if (!line.priced)
            list << line.product + u' ' + line.name + QStringLiteral(": ") + line.note;
    }
    return list;
}

DishCost dishPrice(const colBludo &dish, PriceSources &prices, SeasonalOutputs &seasonal, qint64 warehouse)
{
    const int p = prices.roundPrice();
    DishCost result;
    double sum = 0;
    for (const clsBludo &position : dish) {
        const clsProds &line = position.clsProds();
        if (!isProductKey(line.Kod.toString()))
            continue;
        LineCost cost;
        cost.product = line.ID_Prod.trimmed();
        cost.key = line.Kod.toString();
        cost.netto = line.Netto;
        cost.name = line.FullName.isEmpty() ? line.ShortName : line.FullName;
        const qint64 product = cost.product.toLongLong();
        cost.mass = line.Brutto;
        if (const std::optional<double> out = seasonal.output(product)) {
            // A month without an output set means no waste.
            const double output = *out > 0 ? *out : 100.0;
            cost.mass = line.Netto * 100.0 / output;
        }
        const ProductPrice price = prices.currentProductPrice(product, warehouse);
        cost.price = price.value;
        cost.priced = price.available;
        cost.note = price.note;
        cost.factor = prices.priceUnitFactor(product);
        cost.cost = roundTo(cost.price * cost.mass * cost.factor, p + 2);
        sum += cost.cost;
        result.lines.push_back(std::move(cost));
    }
    result.cost = roundTo(sum, p);
    return result;
}

} // namespace kulvera
