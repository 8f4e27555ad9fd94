#include "CliCommand.h"
#include "StartupWiring.h"

#include "common/Clock.h"
#include "shell/Catalogue.h"
#include "shell/Connections.h"
#include "shell/SettingsStore.h"
#include "shell/Startup.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <QStorageInfo>

namespace kulvera {
namespace {

// Prints each step as the splash window would show it.
class PrintingObserver : public StartupObserver
{
public:
    explicit PrintingObserver(QTextStream &out)
        : out_(out)
    {
    }
    void stepStarted(const QString &internalName, const QString &text) override
    {
        out_ << QStringLiteral("%1 %2\n").arg(internalName, -16).arg(text);
        out_.flush();
    }

private:
    QTextStream &out_;
};

int startupCheck(CliRun &run)
{
    SystemClock clock;
    StartupEnvironment environment;
    environment.programFolder = QCoreApplication::applicationDirPath();
    environment.tempFolder = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    environment.userDataFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    environment.documentsFolder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    environment.locale = QLocale(); // the program's own, pinned by main
    environment.freeBytes = [](const QString &folder) { return QStorageInfo(folder).bytesAvailable(); };
    StartupHooks hooks;
    PrintingObserver observer(run.out);
    StartupSequence startup(run.prompter, run.settings, clock, environment, hooks, &observer);
    installStartupHooks(hooks, startup, run.settings, run.prompter, clock);
    const auto outcome = startup.run(run.args);
    if (outcome == StartupSequence::Outcome::Exit) {
        run.out << "Start ended: " << startup.exitReason() << '\n';
        return kExitFailed;
    }
    run.out << "\nConnected bases:\n";
    for (int number : startup.connections().numbers())
        run.out << QStringLiteral("%1 %2\n").arg(number, 3).arg(startup.connections().path(number));
    run.out << "Ready.\n";
    return kExitOk;
}

const CliRegistrar registrar({QStringLiteral("startup-check"), QStringLiteral("startup-check [SWITCHES]"),
    QStringLiteral("run the start sequence without windows (questions answered by --yes/--no) "
                   "and print every step, e.g. startup-check /LOG DIR:/srv/bases"),
    startupCheck});

} // namespace
} // namespace kulvera
