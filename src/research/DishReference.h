#pragma once

#include "common/Result.h"
#include "recipes/DishComposition.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace kulvera {

class DishBase;
class HeatTreatmentTables;
class Prompter;
struct Protocol;

// The dish's computed value that a method's `Compare` names, per 100 g of the
// dish, so a measured mass fraction (%) meets it directly:
// - "Сухие вещества" (or "SV"): the mass fraction of dry matter as the card
//   prints it;
// - "Энергетическая ценность" (or "ккал"): kcal per 100 g; "кДж": kJ;
// - "Углеводы": mono- and disaccharides plus starch;
// - any composition field by its caption ("Жиры", "Белки", "Зола"), its
//   product-table column or its loss-table column ("Gir"); also "Жиры",
//   "Белок" and "Влага".
// Letter case and a leading "Массовая доля" are ignored. Nothing when the
// name is unknown or the dish has no values per 100 g (output 0).
std::optional<double> dishComponent(const DishValues &dish, QStringView compare);

// Loads a recipe of the dish base for `output` (empty: its stored output) and
// works it out as the recipe editor does.
Result<DishValues> computeStoredDish(DishBase &base, const QString &table, const QString &name, const QString &output,
    const HeatTreatmentTables &losses, Prompter &prompter);

// The protocol's reference values: the dish's value of every `Compare` of its
// methods that has none yet (the values a saved protocol was computed with
// stay; clear them first for another dish).
void takeDishValues(Protocol &protocol, const DishValues &dish);

} // namespace kulvera
