#pragma once

#include "costing/DishCost.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace kulvera {

class Ration;

struct DishCostLine {
    int meal = 0; // index in the meal list
    QString mealName;
    int dish = 0; // the dish's number in the ration
    QString name;
    DishCost cost;
};

struct RationCost {
    double total = 0; // per consumer, each dish one portion
    std::vector<DishCostLine> dishes;
    QStringList unpriced() const;
};

// The cost per consumer of one meal of the ration (1 … meals.size(), the
// meal list's order) or of every meal (meal -1). Meals of the list the ration
// does not hold add nothing; meals of the ration not in the list are not
// counted. With `roundEachDish` each dish cost is rounded to RoundPrice
// before it is added.
RationCost rationPrice(const Ration &ration, const QStringList &meals, int meal, bool roundEachDish,
    PriceSources &prices, SeasonalOutputs &seasonal, qint64 warehouse);

// The label of the menu editor: the price formatted with `FormatPriceRation`,
// then " руб./чел. за '", what it was computed for, and "'".
QString rationPriceLabel(double price, const QString &format, const QString &computedFor);
// A number written with a mask of the form "0.00" (or "0" / "0."): as many
// decimals as zeros after the point.
QString formatWithMask(double value, const QString &mask);

} // namespace kulvera
