#include "costing/RationCost.h"

#include "common/NumberText.h"
#include "costing/PriceSources.h"
#include "menus/Ration.h"

namespace kulvera {

QStringList RationCost::unpriced() const
{
    QStringList list;
    for (const DishCostLine &d : dishes) {
        for (const QString &u : d.cost.unpriced()) {
            if (!list.contains(u))
                list << u;
        }
    }
    return list;
}

RationCost rationPrice(const Ration &ration, const QStringList &meals, int meal, bool roundEachDish,
    PriceSources &prices, SeasonalOutputs &seasonal, qint64 warehouse)
{
    RationCost result;
    const int first = meal < 0 ? 1 : meal;
    const int last = meal < 0 ? static_cast<int>(meals.size()) : meal;
    for (int m = first; m <= last && m >= 1 && m <= meals.size(); ++m) {
        const int inRation = ration.mealIndex(meals[m - 1]);
        const colRation *entries = inRation > 0 ? ration.meal(inRation) : nullptr;
        if (!entries)
            continue;
        for (int e = 1; e <= entries->Count(); ++e) {
            const int number = ration.dishAt(inRation, e);
            const colBludo *dish = ration.dish(number);
            if (!dish)
                continue;
            DishCostLine line;
            line.meal = m;
            line.mealName = meals[m - 1];
            line.dish = number;
            line.name = ration.dishName(number);
            line.cost = dishPrice(*dish, prices, seasonal, warehouse);
            result.total += roundEachDish ? roundTo(line.cost.cost, prices.roundPrice()) : line.cost.cost;
            result.dishes.push_back(std::move(line));
        }
    }
    return result;
}

QString formatWithMask(double value, const QString &mask)
{
    const qsizetype point = mask.indexOf(u'.');
    const int decimals = point < 0 ? 0 : static_cast<int>(mask.size() - point - 1);
    return formatFixed(value, decimals);
}

QString rationPriceLabel(double price, const QString &format, const QString &computedFor)
{
    return formatWithMask(price, format.isEmpty() ? QStringLiteral("0.00") : format) + QStringLiteral(" руб./чел. за '")
        + computedFor + u'\'';
}

} // namespace kulvera
