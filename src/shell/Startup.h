#pragma once

#include "shell/CommandLine.h"
#include "shell/SessionLog.h"
#include "shell/WorkingFolder.h"

#include <QLocale>
#include <QString>

#include <functional>
#include <map>
#include <memory>

namespace kulvera {

class Clock;
class Connections;
class ErrorLog;
class Prompter;
class SettingsAccess;
class SharedSettings;

// Work of later subsystems that the start sequence calls at its place, by
// name. A hook nobody filled says so in the session log and does nothing.
class StartupHooks
{
public:
    using Hook = std::function<void()>;
    void set(const QString &name, Hook hook) { hooks_[name] = std::move(hook); }
    bool has(const QString &name) const { return hooks_.count(name) != 0; }
    // Runs the hook; returns false when none is set.
    bool run(const QString &name) const;

    // The names the start sequence calls.
    static const QStringList &names();

private:
    std::map<QString, Hook> hooks_;
};

// Where the start sequence reports its steps: the splash window, the console.
class StartupObserver
{
public:
    virtual ~StartupObserver() = default;
    virtual void stepStarted(const QString &internalName, const QString &text) = 0;
    virtual void splashShown() { }
    virtual void mainWindowCreated() { }
    virtual void mainWindowShown() { }
};

// What the start sequence needs from the machine, so tests can stand in.
struct StartupEnvironment {
    QString programFolder;
    QString tempFolder; // empty: cannot be determined (fatal); the run's working files go below it
    QString userDataFolder; // empty: cannot be determined (fatal)
    QString documentsFolder;
    QLocale locale; // the locale the program formats with
    std::function<bool()> otherInstanceRunning; // nullptr: none
    std::function<qint64(const QString &)> freeBytes; // free space on the drive of a folder
};

// The program's start, step by step in a fixed order: locale check, single
// instance, folders, command line, free space, settings, databases folder
// (deploying the default bases on a first start), connections with their
// failure rules, structure upgrade, and the hooks of the subsystems. Fatal
// steps end the sequence with a message; no window is shown then. The run's
// working folder lives as long as the sequence.
class StartupSequence
{
public:
    enum class Outcome { Ready, Exit };

    StartupSequence(Prompter &prompter, SettingsAccess &settings, const Clock &clock,
        const StartupEnvironment &environment, const StartupHooks &hooks, StartupObserver *observer = nullptr);
    ~StartupSequence();

    // `arguments` are the command line after the program name.
    Outcome run(const QStringList &arguments);

    const CommandLine &commandLine() const { return commandLine_; }
    SharedSettings &shared() { return *shared_; }
    Connections &connections() { return *connections_; }
    ErrorLog &errorLog() { return *errorLog_; }
    SessionLog &sessionLog() { return sessionLog_; }
    QString currentUser() const { return currentUser_; }
    // The console may name another user; a user named before the users step is kept.
    void setCurrentUser(const QString &user) { currentUser_ = user; }
    // The switches the console may turn during the start: the forced update
    // check, and the console flag (cleared: the start goes on once the
    // console closes; still set: the program ends there).
    void setUpdatesNow(bool on) { commandLine_.updatesNow = on; }
    void resumeLoading() { commandLine_.console = false; }
    bool consoleFlag() const { return commandLine_.console; }
    // True while run() works through the steps.
    bool loading() const { return loading_; }
    // Each step's internal name and text, in the order run.
    const QStringList &stepsRun() const { return steps_; }
    QString exitReason() const { return exitReason_; }
    // The folder of this run's working files; empty before the folders step.
    QString workingFolder() const { return workingFolder_ ? workingFolder_->path() : QString(); }

    static constexpr qint64 kMinimumFreeMegabytes = 5;

private:
    bool step(const QString &internalName, const QString &text, const std::function<bool()> &body);
    void log(const QString &text);
    void hook(const QString &name);
    bool fail(const QString &reason);
    bool checkSeparator();
    bool checkInstance();
    bool checkFolders();
    bool handleCommandLine();
    void reportUnavailableSwitches();
    bool checkFreeSpace();
    bool loadSettings();
    bool prepareDatabaseFolders();
    bool connectBases();
    bool restoreDishes();

    Prompter &prompter_;
    SettingsAccess &settings_;
    const Clock &clock_;
    StartupEnvironment environment_;
    const StartupHooks &hooks_;
    StartupObserver *observer_;
    CommandLine commandLine_;
    SessionLog sessionLog_;
    std::unique_ptr<SharedSettings> shared_;
    std::unique_ptr<ErrorLog> errorLog_;
    std::unique_ptr<WorkingFolder> workingFolder_; // outlives the connections to its files
    std::unique_ptr<Connections> connections_;
    QString currentUser_;
    bool loading_ = false;
    QStringList steps_;
    QString exitReason_;
};

} // namespace kulvera
