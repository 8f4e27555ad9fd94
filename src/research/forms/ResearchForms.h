#pragma once

#include "shell/forms/CommandRegistry.h"

namespace kulvera {

// Registers the main window's commands of laboratory research protocols:
// "FH_New" (the list of protocols, from which a protocol is made or opened)
// and "prt_fh" (the same list, for printing the selected protocols).
void registerResearchForms(CommandRegistry &registry);

} // namespace kulvera
