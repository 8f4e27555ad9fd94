#include "StartupWiring.h"

#include "SeedData.h"
#include "common/Prompter.h"
#include "shell/SharedSettings.h"
#include "shell/Startup.h"

namespace kulvera {

void installStartupHooks(StartupHooks &hooks, StartupSequence &startup, SettingsAccess &settings)
{
    hooks.set(QStringLiteral("seedDefaultBases"), [&startup, &settings] {
        const Status seeded = seedDefaultBases(startup.connections(), settings, startup.shared());
        if (!seeded)
            startup.sessionLog().write(QStringLiteral("Начальные данные не загружены: ") + seeded.error());
    });
}

} // namespace kulvera
