#pragma once

#include "shell/forms/CommandRegistry.h"

namespace kulvera {

// Registers "AnalysMenu" (rations against a norm), "fiz_norm" (the norms) and
// "GlobalVed" (the statements over several days or variants).
void registerCostingForms(CommandRegistry &registry);

} // namespace kulvera
