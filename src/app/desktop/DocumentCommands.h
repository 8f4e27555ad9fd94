#pragma once

namespace kulvera {

class CommandRegistry;

// Main-window commands that print a document through its template: `ReestrBlud`.
void registerDocumentCommands(CommandRegistry &registry);

} // namespace kulvera
