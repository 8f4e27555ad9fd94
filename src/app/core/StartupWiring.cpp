#include "StartupWiring.h"

#include "SeedData.h"
#include "common/Clock.h"
#include "common/Prompter.h"
#include "recipes/ProductReplacement.h"
#include "shell/SharedSettings.h"
#include "shell/Startup.h"

namespace kulvera {

void installStartupHooks(StartupHooks &hooks, StartupSequence &startup, SettingsAccess &settings, Prompter &prompter,
                         const Clock &clock)
{
    // /RPx,y: every use of product x in the dish base becomes y, then the program ends.
    hooks.set(QStringLiteral("replaceProducts"), [&startup, &settings, &prompter, &clock] {
        const CommandLine &line = startup.commandLine();
        const auto replaced = replaceProductInDishBase(startup.connections(), settings, startup.shared(), prompter,
                                                       clock.today(), line.replaceFrom, line.replaceTo);
        if (!replaced && !replaced.error().isEmpty())
            prompter.error(replaced.error());
    });
    hooks.set(QStringLiteral("seedDefaultBases"), [&startup, &settings] {
        const Status seeded = seedDefaultBases(startup.connections(), settings, startup.shared());
        if (!seeded)
            startup.sessionLog().write(QStringLiteral("Начальные данные не загружены: ") + seeded.error());
    });
}

} // namespace kulvera
