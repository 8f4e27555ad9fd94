#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace kulvera {

class Clock;
class Connections;
class ErrorLog;
class Prompter;
class SessionLog;
class SettingsAccess;

// The modes the console switches. The program keeps them for the whole
// session, so a console opened again shows them as they were left.
struct ConsoleModes {
    bool serverConsole = false; // the recipe server's console mode
    bool serverShortMessages = false;
    bool updatesNow = false; // forced update check at start
    bool resumeLoad = false; // the start goes on once the console closes
};

// The running program as the console sees it. A piece the program does not
// have stays empty, and the commands that need it say so.
struct ConsoleHost {
    ConsoleHost(Prompter &p, SettingsAccess &s, const Clock &c, ConsoleModes &m)
        : prompter(p)
        , settings(s)
        , clock(c)
        , modes(m)
    {
    }

    Prompter &prompter;
    SettingsAccess &settings;
    const Clock &clock;
    ConsoleModes &modes;
    Connections *connections = nullptr; // empty until the bases are connected
    ErrorLog *errorLog = nullptr;
    SessionLog *sessionLog = nullptr;
    QStringList commandLine; // the program's arguments
    std::function<bool()> loading; // the start is still running
    std::function<QString()> user;
    std::function<void(const QString &)> setUser;
    // Opens a form by the main window's command name; false when there is no such form.
    std::function<bool(const QString &)> openForm;
};

} // namespace kulvera
