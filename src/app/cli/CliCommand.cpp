#include "CliCommand.h"

#include "common/TextDate.h"
#include "shell/SettingsStore.h"

#include <algorithm>
#include <tuple>

namespace kulvera {

std::vector<CliCommand> &cliCommands()
{
    static std::vector<CliCommand> commands;
    return commands;
}

namespace {

void printHelp(QTextStream &out)
{
    out << "Usage: kulvera-cli [--yes|--no] [--settings FILE] COMMAND [ARGS...]\n\n"
        << "Questions are answered No (changing nothing) unless --yes is given.\n"
        << "--settings FILE uses another settings file (as KULVERA_SETTINGS does).\n\n"
        << "Commands:\n";
    auto commands = cliCommands();
    std::sort(commands.begin(), commands.end(),
        [](const CliCommand &a, const CliCommand &b) { return std::tie(a.name, a.verb) < std::tie(b.name, b.verb); });
    out << "  help\n      this list\n";
    for (const CliCommand &c : commands)
        out << "  " << c.usage << "\n      " << c.summary << '\n';
}

} // namespace

int runCli(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    ConsolePrompter::Policy policy = ConsolePrompter::Policy::Safe;
    QString settingsFile;
    QStringList rest;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (rest.isEmpty() && a == u"--yes")
            policy = ConsolePrompter::Policy::Yes;
        else if (rest.isEmpty() && a == u"--no")
            policy = ConsolePrompter::Policy::No;
        else if (rest.isEmpty() && a == u"--settings" && i + 1 < arguments.size())
            settingsFile = arguments[++i];
        else
            rest << a;
    }
    if (rest.isEmpty() || rest.first() == u"help" || rest.first() == u"--help" || rest.first() == u"-h") {
        printHelp(out);
        return rest.isEmpty() ? kExitUsage : kExitOk;
    }
    const QString name = rest.takeFirst();
    const auto &commands = cliCommands();
    auto found = std::find_if(commands.begin(), commands.end(), [&](const CliCommand &c) {
        return c.name == name && !c.verb.isEmpty() && !rest.isEmpty() && c.verb == rest[0];
    });
    if (found != commands.end())
        rest.removeFirst();
    else
        found = std::find_if(
            commands.begin(), commands.end(), [&](const CliCommand &c) { return c.name == name && c.verb.isEmpty(); });
    if (found == commands.end()) {
        err << "Unknown command: " << name << "\nRun 'kulvera-cli help' for the list.\n";
        return kExitUsage;
    }
    std::unique_ptr<SettingsStore> settings
        = settingsFile.isEmpty() ? SettingsStore::openDefault() : std::make_unique<SettingsStore>(settingsFile);
    ConsolePrompter prompter(policy);
    prompter.setSettings(settings.get());
    CliRun run {rest, prompter, *settings, out, err};
    const int code = found->run(run);
    out.flush();
    err.flush();
    return code;
}

std::optional<QDate> dateArgument(const QString &text)
{
    if (const auto d = parseTextDate(text.trimmed()))
        return d;
    const QDate iso = QDate::fromString(text.trimmed(), Qt::ISODate);
    return iso.isValid() ? std::optional<QDate>(iso) : std::nullopt;
}

} // namespace kulvera
