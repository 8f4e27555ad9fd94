#include "menus/RationTotals.h"

#include "recipes/DishComposition.h"
#include "recipes/Masses.h"
#include "recipes/RecipeExpansion.h"

namespace kulvera {

NutrientTotals &NutrientTotals::operator+=(const NutrientTotals &other)
{
    mass += other.mass;
    proteins += other.proteins;
    fats += other.fats;
    carbohydrates += other.carbohydrates;
    kcal += other.kcal;
    return *this;
}

NutrientTotals dishTotals(const Ration &ration, int dishNumber)
{
    NutrientTotals t;
    const colBludo *dish = ration.dish(dishNumber);
    if (!dish)
        return t;
    const clsProds composition = dishComposition(*dish);
    t.mass = outputValue(ration.dishOutput(dishNumber));
    t.proteins = composition.Bel;
    t.fats = composition.Gir;
    t.carbohydrates = carbohydrates(composition);
    t.kcal = energyKcal(composition);
    return t;
}

NutrientTotals mealTotals(const Ration &ration, int meal)
{
    NutrientTotals t;
    const colRation *entries = ration.meal(meal);
    if (!entries)
        return t;
    for (int e = 1; e <= entries->Count(); ++e)
        t += dishTotals(ration, ration.dishAt(meal, e));
    return t;
}

NutrientTotals rationTotals(const Ration &ration)
{
    NutrientTotals t;
    for (int m = 1; m <= ration.mealCount(); ++m)
        t += mealTotals(ration, m);
    return t;
}

} // namespace kulvera
