#pragma once

#include "shell/forms/CommandRegistry.h"

namespace kulvera {

// Registers the main window's commands of the month journals: "j_z" (health),
// "hol_jur" (temperature) and their reference lists "j_z_work" (staff),
// "j_z_post" (positions), "j_z_res" (health marks), "obor" (equipment) and
// "pomech" (premises).
void registerHygieneJournalForms(CommandRegistry &registry);

} // namespace kulvera
