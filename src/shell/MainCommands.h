#pragma once

#include <QString>

#include <span>

namespace kulvera {

// The commands of the main window, by area, under the names other code uses
// to open them. Template commands open one spreadsheet template for editing.
struct MainCommand {
    const char16_t *area; // menu caption
    const char16_t *name; // command name
    const char16_t *caption; // menu item text
    const char16_t *templateFile = nullptr; // template commands: file name in the templates folder
};

std::span<const MainCommand> mainCommands();
const MainCommand *findMainCommand(const QString &name);

} // namespace kulvera
