#pragma once

#include "ConsoleHost.h"

#include <QString>
#include <QStringList>

namespace kulvera {

// What one command line gave: the lines to append, and what the window
// (or the command-line loop) has to do besides.
struct ConsoleAnswer {
    QStringList lines;
    bool clear = false; // wipe the window before the lines
    bool end = false; // end the program
};

// The console's command language: modes, settings, menu locks, the unit of
// every product, forms by name. Commands are case-insensitive; the Russian
// synonyms do the same. The recipe server and the update server are not part
// of this installation, and their commands say so.
class ConsoleLanguage
{
public:
    explicit ConsoleLanguage(ConsoleHost host);

    // Longer lines are refused unread: no command is anywhere near this long.
    static constexpr int kMaxLine = 4096;

    // The report shown when the console opens.
    QStringList openingReport() const;
    // Runs one line; the line is written to the session log in log mode.
    ConsoleAnswer run(const QString &line);

    static QString unknownCommandText(); // "> команда не определена"

private:
    ConsoleAnswer runChecked(const QString &text);
    QStringList lockCommand(const QString &arguments, bool on);
    QStringList settingCommand(const QString &verb, const QString &arguments);
    QStringList unitForAll(const QString &argument);
    QStringList userCommand(const QString &argument);
    QStringList openForm(const QString &name);
    QStringList lastError() const;
    QString version() const;

    ConsoleHost host_;
};

} // namespace kulvera
