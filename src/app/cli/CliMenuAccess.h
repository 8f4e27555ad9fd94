#pragma once

#include "CliCommand.h"
#include "CliEnvironment.h"
#include "CliRecipeTable.h"

#include "menus/MenuBase.h"

#include <optional>

namespace kulvera {

// The menu base with the installation's codec, opened for one command;
// `base` is empty (and the reason printed) when it cannot be opened.
struct CliMenuAccess {
    CliEnvironment env;
    std::optional<CliRecipeTable> recipes;
    std::optional<MenuBase> base;

    explicit CliMenuAccess(CliRun &run);
};

} // namespace kulvera
