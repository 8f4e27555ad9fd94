#pragma once

namespace kulvera {

class CommandRegistry;

// Main-window commands that print a document through its template: `ReestrBlud`, and the export
// of the product statement in the product groups window (register after the product forms).
void registerDocumentCommands(CommandRegistry &registry);

} // namespace kulvera
