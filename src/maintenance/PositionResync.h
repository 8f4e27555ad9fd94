#pragma once

#include "recipes/clsBludo.h"

#include <QSet>
#include <QString>

#include <optional>
#include <vector>

namespace kulvera {

class HeatTreatmentTables;
class Prompter;
class colProds;

// How a stored recipe (or a ration's copy of one) is brought up to date.
struct ResyncRules {
    // The product base, keyed by product key. Null: product positions are
    // left as stored and only the semi-finished products are worked out again.
    const colProds *products = nullptr;
    // The products to take (IncPrInSync, --products); unset: every product.
    std::optional<QSet<QString>> only;
    // Write the full composition (98 values) or the short one: the setting.
    bool fullComposition = false;
    const HeatTreatmentTables *losses = nullptr;
};

struct RecipeResync {
    std::vector<int> changed; // one-based indexes of the positions whose stored values differ now
    QString largest; // the largest change, as a person reads it
    QSet<QString> missingProducts; // product keys the product base does not hold
};

// Every product position (key "pro" with a product key) takes the names and
// the composition of its product for its stored net mass, as the recipe
// editor would place it now (productPosition); then, when any changed, the
// semi-finished products are worked out again from what they hold, with the
// current losses. Without products only the semi-finished products are
// worked out again. What differs is judged on the values as they would be
// stored (names, the composition string, the full-composition flag).
// `quiet` takes the messages of the computation.
RecipeResync resyncRecipe(colBludo &recipe, const QString &name, const ResyncRules &rules, Prompter &quiet);

// The product keys of a list given by a person: "12,34 56;78". Nothing for an
// empty list (every product); refused words are returned in `bad`.
std::optional<QSet<QString>> productKeyList(const QString &text, QStringList *bad = nullptr);

} // namespace kulvera
