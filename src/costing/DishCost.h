#pragma once

#include "recipes/clsBludo.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace kulvera {

class PriceSources;
class ProductBase;

// The month's output of seasonal products (net mass per 100 g gross), read
// once per product; nothing for a product that is not seasonal.
class SeasonalOutputs
{
public:
    explicit SeasonalOutputs(const ProductBase *products = nullptr)
        : products_(products)
    {
    }
    virtual ~SeasonalOutputs() = default;
    virtual std::optional<double> output(qint64 product);

private:
    const ProductBase *products_;
    QHash<qint64, std::optional<double>> cache_;
};

struct LineCost {
    QString product; // product code
    QString key; // the position's key ("pro…")
    QString name;
    double mass = 0; // the gross mass priced
    double netto = 0; // the position's net mass
    double price = 0; // per price unit
    double factor = 1;
    double cost = 0; // rounded to RoundPrice + 2
    bool priced = true; // false: the price source had no price (cost 0)
    QString note;
};

struct DishCost {
    double cost = 0; // one portion, rounded to RoundPrice
    std::vector<LineCost> lines;
    // "code name: why" for each line without a price.
    QStringList unpriced() const;
};

// The cost of one portion of a dish: each product position ("pro") at its
// gross mass, or for a seasonal product net × 100 ÷ the month's output, times
// its price and price-unit factor; dish headers and semi-finished positions
// are not priced.
DishCost dishPrice(const colBludo &dish, PriceSources &prices, SeasonalOutputs &seasonal, qint64 warehouse);

} // namespace kulvera
