#pragma once

#include "shell/forms/CommandRegistry.h"

namespace kulvera {

class RecipeEditorForm;

// Registers the main window's recipe commands: "Norm" (the recipe editor,
// one for the whole program, asked about at exit), "pf" (the semi-finished
// products base), "Base_Bl" (the dish base browser), "GroupMeat" (dish
// groups) and "DebugWin" (the debug window over the editor's recipe).
void registerRecipeForms(CommandRegistry &registry);

// The program's recipe editor, created in the main window's document area
// when there is none yet (start-up preloads it unless `bDontLoadTN`).
RecipeEditorForm *openRecipeEditor(AppContext &context, QWidget *mainWindow);

} // namespace kulvera
