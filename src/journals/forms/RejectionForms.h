#pragma once

#include "shell/forms/CommandRegistry.h"

namespace kulvera {

// The rejection journal (reject) and the incoming control journal (cont_int).
void registerRejectionForms(CommandRegistry &registry);

} // namespace kulvera
