#include "CliCommand.h"
#include "CliEnvironment.h"
#include "ConsoleLanguage.h"

#include "common/Clock.h"
#include "shell/SessionLog.h"
#include "shell/SettingsStore.h"

#include <QCoreApplication>

#include <cstdio>

namespace kulvera {
namespace {

// The console's command language on standard input and output, one command a
// line, so scripts can drive it. `End` stops reading; so does the end of input.
int consoleCommand(CliRun &run)
{
    if (!run.args.isEmpty()) {
        run.err << "Usage: console (commands are read from standard input, one a line)\n";
        return kExitUsage;
    }
    SystemClock clock;
    CliEnvironment env(run);
    env.connectAll();
    SessionLog log;
    log.start(false, QString(), QCoreApplication::applicationDirPath(), clock.now());
    ConsoleModes modes;
    QString user = QStringLiteral("Администратор системы");
    ConsoleHost host(run.prompter, run.settings, clock, modes);
    host.connections = &env.connections();
    host.errorLog = &env.errorLog();
    host.sessionLog = &log;
    host.commandLine = QCoreApplication::arguments();
    host.loading = [] { return false; };
    host.user = [&user] { return user; };
    host.setUser = [&user](const QString &name) { user = name; };
    ConsoleLanguage console(host);

    for (const QString &line : console.openingReport())
        run.out << line << '\n';
    run.out.flush();
    QTextStream in(stdin);
    QString line;
    while (in.readLineInto(&line)) {
        const ConsoleAnswer answer = console.run(line);
        for (const QString &text : answer.lines)
            run.out << text << '\n';
        run.out.flush();
        if (answer.end)
            break;
    }
    if (!run.settings.sync())
        run.err << "Cannot write the settings file " << run.settings.fileName() << '\n';
    return kExitOk;
}

const CliRegistrar registrar({QStringLiteral("console"), QStringLiteral("console"),
    QStringLiteral("the console's command language on standard input, one command a line (help lists them)"),
    consoleCommand});

} // namespace
} // namespace kulvera
