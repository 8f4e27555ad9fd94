#pragma once

#include "shell/forms/CommandRegistry.h"

namespace kulvera {

class MenuEditorForm;

// Registers the main window's menu commands: "MenuNew" (the menu editor, one
// for the whole program, asked about at exit), "VarMenu" (menu variants) and
// "arc_menu" (the rations of the menu base, archiving and moving them) and
// "Menu_Export" (menu export and transfer files).
void registerMenuForms(CommandRegistry &registry);

// The program's menu editor, created in the main window's document area when
// there is none yet (start-up preloads it unless `bDontLoadMenu`).
MenuEditorForm *openMenuEditor(AppContext &context, QWidget *mainWindow);

} // namespace kulvera
