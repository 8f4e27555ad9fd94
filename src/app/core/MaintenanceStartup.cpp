#include "MaintenanceStartup.h"

#include "common/Clock.h"
#include "common/Prompter.h"
#include "maintenance/MaintenanceRun.h"
#include "maintenance/PositionResync.h"
#include "maintenance/RunProgress.h"
#include "recipes/HeatTreatment.h"
#include "shell/AppContext.h"
#include "shell/Startup.h"

namespace kulvera {

QString switchReportText(const QString &switchName, const MaintenanceReport &report)
{
    return QStringLiteral("Ключ ") + switchName + QStringLiteral(":\n") + report.text(50);
}

void installMaintenanceHooks(StartupHooks &hooks, StartupSequence &startup, SettingsAccess &settings,
    Prompter &prompter, const Clock &clock, RunProgressFactory progress)
{
    using Run = std::function<MaintenanceReport(AppContext &, const MaintenanceOptions &, RunProgress &)>;
    // Runs one switch's work and tells the user how it went; never stops the start.
    auto runSwitch = [&startup, &settings, &prompter, &clock, progress](
                         const QString &switchName, bool compact, bool withProducts, const Run &work) {
        AppContext context {prompter, settings, startup.shared(), clock, startup.connections(), startup.errorLog()};
        MaintenanceOptions options;
        options.compact = compact;
        options.tempFolder = startup.workingFolder();
        MaintenanceReport report;
        const CommandLine &line = startup.commandLine();
        QStringList bad;
        if (withProducts && line.includeProductsGiven)
            options.products = productKeyList(line.includeProductsInSync, &bad);
        if (!bad.isEmpty()) {
            report.title = QStringLiteral("Синхронизация");
            report.failed = true;
            report.error = QStringLiteral("Неверные коды продуктов в IncPrInSync: ") + bad.join(QStringLiteral(", "));
        } else {
            std::unique_ptr<RunProgress> shown = progress ? progress(switchName) : nullptr;
            PrompterProgress plain(prompter);
            report = work(context, options, shown ? *shown : static_cast<RunProgress &>(plain));
        }
        const QString text = switchReportText(switchName, report);
        for (const QString &l : text.split(u'\n'))
            startup.sessionLog().write(l);
        if (report.failed || report.cancelled)
            prompter.warning(text);
        else
            prompter.message(text);
    };
    hooks.set(QStringLiteral("updateHeatLosses"), [runSwitch] {
        runSwitch(QStringLiteral("/UPDATESTEPLOV"), false, false,
            [](AppContext &c, const MaintenanceOptions &o, RunProgress &p) {
                return updateDishLosses(c, o, p, programLossTables());
            });
    });
    hooks.set(QStringLiteral("syncDishBase"), [runSwitch, &startup] {
        const bool compact = startup.commandLine().compactAfterDishSync;
        runSwitch(compact ? QStringLiteral("/SYNCGLOBCOMP") : QStringLiteral("/SYNCGLOB"), compact, true,
            [](AppContext &c, const MaintenanceOptions &o, RunProgress &p) {
                return syncDishBase(c, o, p, programLossTables());
            });
    });
    hooks.set(QStringLiteral("syncMenuBase"), [runSwitch, &startup] {
        const bool compact = startup.commandLine().compactAfterMenuSync;
        runSwitch(compact ? QStringLiteral("/SYNCGLOBMENUCOMP") : QStringLiteral("/SYNCGLOBMENU"), compact, true,
            [](AppContext &c, const MaintenanceOptions &o, RunProgress &p) {
                return syncMenuBase(c, o, p, programLossTables());
            });
    });
    hooks.set(QStringLiteral("renumberMenuCards"),
        [runSwitch] { runSwitch(QStringLiteral("/UpdNumInMenu"), false, false, renumberMenuCards); });
}

} // namespace kulvera
