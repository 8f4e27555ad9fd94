#include "CliCommand.h"
#include "CliEnvironment.h"

#include "common/Clock.h"
#include "maintenance/MaintenanceRun.h"
#include "maintenance/PositionResync.h"
#include "maintenance/RunProgress.h"
#include "recipes/HeatTreatment.h"
#include "shell/AppContext.h"
#include "shell/SettingsStore.h"

namespace kulvera {
namespace {

const QString kUsage
    = QStringLiteral("maintenance sync-dishes|sync-menus [--products K,K...] [--compact] [--dry-run] | "
                     "maintenance update-losses|renumber-cards|repair-names [--dry-run]");

int usage(CliRun &run)
{
    run.err << "Usage: " << kUsage << '\n';
    return kExitUsage;
}

int maintenanceCommand(CliRun &run)
{
    if (run.args.isEmpty())
        return usage(run);
    const QString verb = run.args.first();
    const bool sync = verb == u"sync-dishes" || verb == u"sync-menus";
    if (!sync && verb != u"update-losses" && verb != u"renumber-cards" && verb != u"repair-names")
        return usage(run);
    MaintenanceOptions options;
    for (qsizetype i = 1; i < run.args.size(); ++i) {
        const QString &a = run.args[i];
        if (a == u"--dry-run") {
            options.dryRun = true;
        } else if (sync && a == u"--compact") {
            options.compact = true;
        } else if (sync && a == u"--products" && i + 1 < run.args.size()) {
            QStringList bad;
            options.products = productKeyList(run.args[++i], &bad);
            if (!bad.isEmpty() || !options.products) {
                run.err << "Неверные коды продуктов: " << (bad.isEmpty() ? run.args[i] : bad.join(u", ")) << '\n';
                return kExitUsage;
            }
        } else {
            return usage(run);
        }
    }

    CliEnvironment env(run);
    env.connectAll();
    options.tempFolder = env.tempFolder();
    HeatTreatmentTables losses;
    env.loadLossTables(losses, run);
    SystemClock clock;
    AppContext context {run.prompter, run.settings, env.shared(), clock, env.connections(), env.errorLog()};
    PrompterProgress progress(run.prompter);
    MaintenanceReport report;
    if (verb == u"sync-dishes")
        report = syncDishBase(context, options, progress, losses);
    else if (verb == u"sync-menus")
        report = syncMenuBase(context, options, progress, losses);
    else if (verb == u"update-losses")
        report = updateDishLosses(context, options, progress, losses);
    else if (verb == u"renumber-cards")
        report = renumberMenuCards(context, options, progress);
    else
        report = repairRecipeNames(context, options, progress);
    run.out << report.text(1000000) << '\n';
    return report.failed ? kExitFailed : kExitOk;
}

const CliRegistrar registrar({QStringLiteral("maintenance"), kUsage,
    QStringLiteral("bring the stored composition of the dish or menu base up to the product base, work out the "
                   "semi-finished products with the current losses, renumber the cards in the menus from the dish "
                   "base, repair recipe names; --dry-run prints what would change and writes nothing"),
    maintenanceCommand});

} // namespace
} // namespace kulvera
