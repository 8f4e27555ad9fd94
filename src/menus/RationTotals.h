#pragma once

#include "menus/Ration.h"

namespace kulvera {

// What a dish or a meal adds up to: the output mass and the dish composition
// (top-level positions as stored, semi-finished products with their losses).
struct NutrientTotals {
    double mass = 0; // g
    double proteins = 0; // g
    double fats = 0; // g
    double carbohydrates = 0; // g: mono- and disaccharides plus starch
    double kcal = 0;
    NutrientTotals &operator+=(const NutrientTotals &other);
};

NutrientTotals dishTotals(const Ration &ration, int dishNumber);
NutrientTotals mealTotals(const Ration &ration, int meal);
NutrientTotals rationTotals(const Ration &ration);

} // namespace kulvera
