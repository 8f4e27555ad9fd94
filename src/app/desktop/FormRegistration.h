#pragma once

class QString;

namespace kulvera {

class CommandRegistry;
class MainWindow;
class StartupHooks;
struct AppContext;

// Every subsystem's forms, under the main window's command names.
void registerForms(CommandRegistry &registry);
// The heavy editors loaded before the main window shows (the recipe editor
// unless `bDontLoadTN` is set, the menu editor unless `bDontLoadMenu` is),
// kept out of sight until their command runs.
void preloadForms(MainWindow &window, AppContext &context);
// The rations analysis opened on a ".sql_menu" file (the start-up switch):
// the file's rations are analysed without being added to the menu base.
bool openMenuFileInAnalysis(MainWindow &window, const QString &file);

} // namespace kulvera
