#pragma once

#include <QString>

#include <optional>
#include <span>

namespace kulvera {

class SharedSettings;

// The commands of the main window, by area, under the names other code uses
// to open them. Template commands open one spreadsheet template for editing.
struct MainCommand {
    const char16_t *area; // menu caption
    const char16_t *name; // command name
    const char16_t *caption; // menu item text
    const char16_t *templateFile = nullptr; // template commands: default file name in the templates folder
    const char16_t *templateKey = nullptr; // the setting (Documents) that names the template, when one does
};

std::span<const MainCommand> mainCommands();
const MainCommand *findMainCommand(const QString &name);
// Commands this installation does not provide (the recipe server, program
// updates, users): running one says so in these words instead of pretending.
std::optional<QString> unavailableMessage(const QString &name);
// The tool tip of a command shown disabled because its form is not built yet.
QString disabledReason(const QString &name);

// The template a template command opens: the file its setting names (a name
// without a folder lies in the templates folder), else the default file.
QString templatePath(const MainCommand &command, const SharedSettings &shared);

} // namespace kulvera
