#pragma once

#include "products/clsProds.h"
#include "recipes/HeatTreatment.h"
#include "recipes/clsBludo.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace kulvera {

class Prompter;

// What the ready dish contains.
//
// Two sums exist and both are kept. The dish totals below add every product
// position of the slot as loaded: raw amounts, before any heat treatment.
// The dish composition (computeRecipeComposition / dishComposition) adds the
// top-level positions after the semi-finished products were resolved, so a
// boiled stock counts with its losses. Energy, values per 100 g and the card
// figures come from the dish composition.

// Dish totals over the product positions ("pro") of a slot.
double dishTotal(const colBludo &slot, double clsProds::*field);
double dishBel(const colBludo &slot);
double dishGir(const colBludo &slot);
double dishMD(const colBludo &slot);
double dishKr(const colBludo &slot);
double dishKl(const colBludo &slot);
double dishOrg(const colBludo &slot);
double dishSv(const colBludo &slot);
double dishNetto(const colBludo &slot); // the total net mass

// The names of the products in lower case, short name when set, each once,
// joined by ", " and ended by "." ("" for a slot without products).
QString compositionText(const colBludo &slot);

inline constexpr double kKcalProtein = 4.0;
inline constexpr double kKcalFat = 9.0;
inline constexpr double kKcalSugars = 3.8;
inline constexpr double kKcalStarch = 4.1;
inline constexpr double kKjPerKcal = 4.1868;

// 4.0 × Bel + 9.0 × Gir + 3.8 × MD + 4.1 × Kr of the amounts given.
double energyKcal(const clsProds &amounts);
inline double kcalToKj(double kcal)
{
    return kcal * kKjPerKcal;
}
// The energy of the dish composition of a slot: its top-level positions,
// semi-finished products as last computed (with their losses).
double energyKcal(const colBludo &slot);

// value × 100 ÷ output; nothing for an output of 0.
std::optional<double> per100g(double value, double output);
// Every composition field per 100 g of dish; nothing for an output of 0.
std::optional<clsProds> per100g(const clsProds &amounts, double output);

// Carbohydrates of the checks: mono- and disaccharides plus starch.
double carbohydrates(const clsProds &amounts);

// The mass fraction of dry matter (%) printed on the card: the dry matter of
// the dish reduced by its retention, ÷ output × 100. Each product's dry matter
// is reduced once: inside a semi-finished product by that product's losses
// (its type's, or the averages when it names none), which the dish
// composition already carries; at the top of the recipe by the average
// dry-matter loss. Nothing for an output of 0.
std::optional<double> dryMatterFraction(const colBludo &slot, double output, const HeatTreatmentTables &losses);
// Fat and sugars as a share of the dry matter (%): the physico-chemical
// fractions; 0 when there is no dry matter.
double fatOnDryMatter(const clsProds &amounts);
double sugarsOnDryMatter(const clsProds &amounts);

// The messages of the plausibility check of values per 100 g: proteins, fats
// and carbohydrates above 100 g, fat and sugars above 100 % of dry matter.
// Exactly 100 passes.
QStringList plausibilityProblems(const clsProds &per100);
// Shows each problem ("В закладке продуктов имеется ошибка!" and the line);
// returns how many there were. The card is produced all the same.
int checkPlausibility(const clsProds &per100, Prompter &prompter);

// Everything computed for one dish.
struct DishValues {
    clsProds composition; // the dish: top-level positions, losses applied
    clsProds raw; // dish totals of the product positions
    double output = 0; // g
    double netto = 0; // total net mass of the product positions
    double kcal = 0;
    double kj = 0;
    bool hasPer100 = false; // false when the output is 0
    clsProds per100;
    double kcalPer100 = 0;
    double kjPer100 = 0;
    double dryMatter = 0; // % of the dish
    int passes = 0;
    bool settled = true;
    QString text; // the composition text
};

// Resolves the semi-finished products (passes, losses) and forms the dish
// values. An output of 0 gets the refusal message
// and no values per 100 g.
DishValues computeDish(
    colBludo &slot, const QString &recipeName, double output, const HeatTreatmentTables &losses, Prompter &prompter);

} // namespace kulvera
