#pragma once

#include "shell/forms/CommandRegistry.h"

namespace kulvera {

// Registers "AnalysMenu" (rations against a norm) and "fiz_norm" (the norms).
void registerCostingForms(CommandRegistry &registry);

} // namespace kulvera
