#pragma once

#include "common/ConsolePrompter.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <functional>
#include <optional>
#include <vector>

namespace kulvera {

class SettingsStore;

// One run of kulvera-cli: the words after the command name, the prompter that
// answers from --yes/--no, the settings store, and where results are printed.
struct CliRun {
    QStringList args;
    Prompter &prompter;
    SettingsStore &settings;
    QTextStream &out;
    QTextStream &err;
};

// A command of kulvera-cli. Each command file registers its commands with a
// static CliRegistrar, so adding a command touches no other file.
struct CliCommand {
    QString name; // "settings", "db", ...
    QString usage; // "settings get|set|delete SECTION KEY [VALUE]"
    QString summary; // one line for `help`
    std::function<int(CliRun &)> run; // exit code: 0 done, 1 failed, 2 wrong usage
    // Set for a subcommand ("statement" under "products"): runs when the word
    // after the name is this verb, with the words after the verb, so a file
    // adds a subcommand without editing the file of the command it extends.
    QString verb = {};
};

std::vector<CliCommand> &cliCommands();

struct CliRegistrar {
    explicit CliRegistrar(CliCommand command) { cliCommands().push_back(std::move(command)); }
};

// Parses global flags, finds the command and runs it. Returns the exit code.
int runCli(const QStringList &arguments, QTextStream &out, QTextStream &err);

// A date on the command line: "dd.mm.yyyy" as everywhere in the program, or
// "yyyy-mm-dd"; blanks around it are ignored.
std::optional<QDate> dateArgument(const QString &text);

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

} // namespace kulvera
