#pragma once

#include "CliCommand.h"
#include "CliEnvironment.h"

#include "recipes/DishBase.h"

#include <memory>
#include <optional>

namespace kulvera {

// A recipe table of the dish base opened for a command: the table a --table
// word names and the dish base reading it with the installation's codec.
struct CliRecipeTable {
    QString table;
    std::unique_ptr<DishBase> base;
};

// Connects the dish base and finds the table; prints why not and gives
// nothing when it cannot.
std::optional<CliRecipeTable> openRecipeTable(CliEnvironment &env, CliRun &run, const QString &wanted);

} // namespace kulvera
