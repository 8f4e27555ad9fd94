#pragma once

namespace kulvera {

class CommandRegistry;
class StartupHooks;

// Every subsystem's forms, under the main window's command names.
void registerForms(CommandRegistry &registry);

} // namespace kulvera
