#include "CliMenuAccess.h"

#include "shell/Catalogue.h"
#include "shell/SettingsStore.h"

namespace kulvera {

CliMenuAccess::CliMenuAccess(CliRun &run)
    : env(run)
{
    recipes = openRecipeTable(env, run, QString());
    if (!recipes)
        return;
    const int number = env.connections().connectBase(BaseId::Menu, env.shared(), true);
    if (number == Connections::kFailed) {
        run.err << "Cannot open the menu base " << basePath(BaseId::Menu, run.settings, env.shared()) << '\n';
        return;
    }
    base.emplace(env.connections(), number, run.settings, run.prompter, recipes->base->codec());
}

} // namespace kulvera
