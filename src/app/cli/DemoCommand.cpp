#include "CliCommand.h"
#include "DemoKitchen.h"

#include "common/Clock.h"
#include "shell/ErrorLog.h"

#include <QDir>
#include <QStandardPaths>

namespace kulvera {
namespace {

int demoCommand(CliRun &run)
{
    if (run.args.size() != 1 || run.args[0].startsWith(u"--")) {
        run.err << "Usage: demo FOLDER\n";
        return kExitUsage;
    }
    const QString folder = QDir(run.args[0]).absolutePath();
    if (const auto refusal = demoKitchenRefusal(folder)) {
        run.err << *refusal << '\n';
        return kExitFailed;
    }
    ErrorLog errorLog(
        QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).filePath(QStringLiteral("errors.log")));
    const SystemClock clock;
    const Status built = buildDemoKitchen(folder, run.prompter, errorLog, clock, [&run](const QString &step) {
        run.out << step << "...\n";
        run.out.flush();
    });
    if (!built) {
        run.err << built.error() << '\n';
        return kExitFailed;
    }
    run.out << "demo kitchen created in " << folder << '\n'
            << "start it with: KULVERA_SETTINGS=" << demoKitchenSettingsFile(folder) << " kulvera\n";
    return kExitOk;
}

const CliRegistrar registrar({QStringLiteral("demo"), QStringLiteral("demo FOLDER"),
    QStringLiteral("creates a demo school canteen (own settings file, bases, recipes, rations) in FOLDER"),
    demoCommand});

} // namespace
} // namespace kulvera
