#include "StartupWiring.h"

#include "DocumentStartup.h"
#include "MaintenanceStartup.h"
#include "SeedData.h"
#include "common/Clock.h"
#include "common/Prompter.h"
#include "recipes/HeatTreatment.h"
#include "recipes/Microbiology.h"
#include "recipes/ProductReplacement.h"
#include "shell/Connections.h"
#include "shell/SharedSettings.h"
#include "shell/Startup.h"
#include "warehouse/StockLots.h"
#include "warehouse/WarehouseBase.h"

namespace kulvera {

void installStartupHooks(StartupHooks &hooks, StartupSequence &startup, SettingsAccess &settings, Prompter &prompter,
    const Clock &clock, RunProgressFactory progress)
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
    // Until the loss bases are read the built-in losses stand, so a failure
    // here only goes to the session log.
    hooks.set(QStringLiteral("loadHeatTreatmentTables"), [&startup, &settings] {
        const Status loaded = programLossTables().load(startup.connections(), settings);
        if (!loaded)
            startup.sessionLog().write(loaded.error());
    });
    hooks.set(QStringLiteral("initMicrobiology"), [&startup, &settings, &prompter] {
        if (!startup.connections().isConnected(BaseId::Microbiology))
            return;
        const Status loaded = programMicrobiology().load(startup.connections(), settings, prompter);
        if (!loaded)
            startup.sessionLog().write(loaded.error());
    });
    // Lots left at 0 by write-offs go ("Очистка продуктов на складе").
    hooks.set(QStringLiteral("cleanZeroLots"), [&startup, &settings, &prompter, &clock] {
        if (!startup.connections().isConnected(BaseId::Warehouse))
            return;
        AppContext context {prompter, settings, startup.shared(), clock, startup.connections(), startup.errorLog()};
        WarehouseBase base(context);
        const auto removed = StockLots(base).deleteEmptyLots();
        if (!removed)
            startup.sessionLog().write(removed.error());
    });
    installDocumentHooks(hooks, startup, settings);
    installMaintenanceHooks(hooks, startup, settings, prompter, clock, progress);
}

} // namespace kulvera
