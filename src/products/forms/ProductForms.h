#pragma once

#include "shell/forms/CommandRegistry.h"

namespace kulvera {

// Registers the main window's product commands: "prod" (the product base),
// "ProdNew" (a new product's card), "Prod_Group" (groups), "Measure" (units),
// "Load_Prod_from_file" (a ".prod" file into the base) and "SyncProds".
void registerProductForms(CommandRegistry &registry);

} // namespace kulvera
