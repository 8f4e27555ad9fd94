#pragma once

#include "common/Result.h"
#include "recipes/clsBludo.h"

#include <QString>

#include <span>

namespace kulvera {

class HeatTreatmentTables;
class Prompter;

// Semi-finished products of a recipe resolved into their products. A
// semi-finished position ("pfx") holds the sum of its children: the positions
// whose parent number is its item number, each product with its amounts in
// its net mass, each nested semi-finished product with its own resolved sum;
// the losses of its heat-treatment type are applied to that sum (the average
// losses, after telling the user, when it names no type or an unknown one).

inline constexpr int kPassLimit = 100;
inline constexpr QStringView kExpansionModule = u"Блюдо_ХС";
inline constexpr QStringView kExpansionProcedure = u"Summ_Rec_New";
inline constexpr long kCodeMissingSemiFinished = 1;
inline constexpr long kCodeMissingParent = 2;

struct CompositionRun {
    int passes = 0; // passes run in all
    bool settled = false; // false: the user stopped at the pass limit
    clsProds dish; // the dish: the sum of its top-level positions (semi-finished ones with their losses)
};

// Resolves the semi-finished products in passes until no value changes and
// sets the composition of every "pfx" position. At every 100 passes asks
// whether to go on; No keeps the values of the last pass. Missing links are
// reported once, in the error box, and left out.
CompositionRun computeRecipeComposition(
    colBludo &slot, const QString &recipeName, const HeatTreatmentTables &losses, Prompter &prompter);

// One pass over the semi-finished positions in slot order: each is filled
// from its children as they stand (a nested one must come before its parent
// to count resolved) and losses applied; missing links are reported.
void expandSemiFinished(colBludo &slot, const HeatTreatmentTables &losses, Prompter &prompter);

// The composition of the dish from its top-level positions, as they stand.
clsProds dishComposition(const colBludo &slot);

// The mass base of the dish: the net mass of the product positions ("pro"
// with a product key).
double totalNetto(const colBludo &slot);

// Fills summary slot `summarySlot` with one position per distinct `Id` of
// the product positions of `sourceSlot`: identity copied, masses and the
// summed fields added. Refused, with the message, when either slot number
// is outside the arrays.
Status buildSummaryRecipe(RecipeSlots &memory, int sourceSlot, int summarySlot, Prompter &prompter);
// The fields a summary position adds up, besides the masses.
std::span<double clsProds::*const> summaryFields();
// Summary slots beyond this are refused: a summary is built for a dish of a
// menu or a statement, never thousands at once.
inline constexpr int kMaxSummarySlots = 10000;

} // namespace kulvera
