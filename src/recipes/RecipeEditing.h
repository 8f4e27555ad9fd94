#pragma once

#include "common/Result.h"
#include "products/clsProds.h"
#include "recipes/Masses.h"
#include "recipes/clsBludo.h"

#include <QString>

#include <vector>

namespace kulvera {

// The edits the recipe editor makes to a slot, without any widget: positions
// are keyed "pro"/"pfx" + parent number + item number, and a semi-finished
// product's children are the positions whose parent number is its item
// number. Item numbers are unique within the slot.

// A product of the product base (composition per 100 g) as a recipe
// position of `netto` grams: every amount × net ÷ 100. The product table has
// no dry matter, so `sv` is what is not water: (100 − Voda) × net ÷ 100.
clsProds productPosition(const clsProds &product, double brutto, double netto);

// The largest item number in the slot plus 1; failure past 9999 ("Длина больше 4").
Result<int> nextItemNumber(const colBludo &slot);
// The item number of a position (0 for a key without one).
int itemOf(const clsProds &position);
int parentOf(const clsProds &position);
// One-based index of the position with this item number; 0 when none.
int indexOfItem(const colBludo &slot, int item);
// The positions under a node, directly (in slot order).
std::vector<int> childIndexes(const colBludo &slot, int parentItem);

// Adds a product under `parentItem` (0: the top of the recipe) with the mass
// the user entered; the other mass follows from the waste or the product's
// yield. Refused: no product ("Продукт не выбран!"), no mass, a parent that
// is not a semi-finished product, a mass that cannot be worked out.
// Returns the new position's index.
Result<int> addProductPosition(
    colBludo &slot, int parentItem, const clsProds *product, const MassEntry &entry, const MassRounding &rounding);
// Adds an empty semi-finished product under `parentItem` with a loss type
// and its output.
Result<int> addSemiFinishedPosition(
    colBludo &slot, int parentItem, const QString &name, const QString &lossType, const QString &output);
// Adds a semi-finished product loaded into `source` (the root position keyed
// "main" carries its name, output and loss type, the others are its
// positions) under `parentItem`, renumbering everything it holds.
Result<int> insertSemiFinished(colBludo &slot, int parentItem, const colBludo &source, const QString &name);

// The semi-finished product at `index` as the semi-finished base keeps it:
// a root position keyed "main" (name, output, loss type, masses) followed by
// what it holds, renumbered from 1 with its direct positions at the top.
// Refused for a position that is not a semi-finished product or holds nothing.
Result<colBludo> semiFinishedForBase(const colBludo &slot, int index);

// Removes the position and everything under it. Returns how many went.
int removePosition(colBludo &slot, int index);
// A copy of the position (and of what it holds) under the same parent,
// with new item numbers, placed after the original's subtree.
Result<int> copyPosition(colBludo &slot, int index);
// Swaps the position with its previous (up) or next sibling, each with its
// subtree; false when there is none.
bool movePosition(colBludo &slot, int index, bool up);

// Gross or net changed by hand: the other follows from the position's own
// ratio (net ÷ gross) when it has one; refused for a mass below 0.
Status setPositionMass(clsProds &position, double mass, bool isGross, const MassRounding &rounding);

// The recipe recalculated to another output: masses and composition of the
// products and the masses and outputs of semi-finished products × new ÷ old.
// Refused for an old or new output of 0 grams.
Status recalculateToOutput(colBludo &slot, double oldOutput, double newOutput, const MassRounding &rounding);

// Header fields every position repeats: card type, indicator set, card texts,
// normative document, storage terms, sanitary rule, code.
void copyHeaderFields(clsProds &to, const clsProds &from);
void applyHeaderToAll(colBludo &slot, const clsProds &header);

} // namespace kulvera
