#pragma once

#include "common/Result.h"

#include <QString>

#include <vector>

namespace kulvera {

class DishBase;

// A recipe of a table with the output it is stored for.
struct RecipeOutput {
    QString name;
    QString output; // as stored, e.g. "200" or "150/5"; empty when none was
};

// The recipes of a table (menu copies left out) with their stored outputs, in
// the order of names, read from the first row of each without loading it.
Result<std::vector<RecipeOutput>> recipeOutputs(const DishBase &base, const QString &table);

} // namespace kulvera
