#pragma once

#include "common/Clock.h"
#include "common/ScriptedPrompter.h"
#include "shell/AppContext.h"
#include "shell/Connections.h"
#include "shell/ErrorLog.h"
#include "shell/SettingsStore.h"
#include "shell/SharedSettings.h"

#include <QTemporaryDir>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace kulvera::test {

// A private installation whose bases outlive every session opened on it: the
// parent prepares it, a child process works on it and is killed, and the
// parent opens it again to see what the kill left.
class CrashInstallation
{
public:
    CrashInstallation();
    QString root() const { return dir_.path(); }
    QString settingsFile() const;

private:
    QTemporaryDir dir_;
};

// The bases of an installation, open for as long as the session lives. Only
// one process may hold a session at a time: a session must be closed before a
// child is forked, or the child would inherit the parent's open files.
class CrashSession
{
public:
    // Opens the bases named; `create` writes them new from the schema first.
    CrashSession(const CrashInstallation &installation, const std::vector<BaseId> &bases, bool create = false);
    ~CrashSession();
    bool ok() const { return ok_; }
    AppContext &context() { return *context_; }
    Connections &connections() { return *connections_; }
    ScriptedPrompter &prompter() { return prompter_; }
    // "ok" when the base file is sound.
    QString integrity(BaseId base);

private:
    SettingsStore settings_;
    SharedSettings shared_;
    ErrorLog errorLog_;
    ScriptedPrompter prompter_;
    // A fixed moment: a change run twice writes the same rows, stamps included.
    FixedClock clock_ {QDateTime(QDate(2026, 6, 15), QTime(12, 0))};
    std::unique_ptr<Connections> connections_;
    std::unique_ptr<AppContext> context_;
    bool ok_ = true;
};

// How a child ended.
struct ChildEnd {
    bool killed = false; // by our SIGKILL
    int exitCode = -1; // when it was not killed
    std::chrono::microseconds afterReady {0}; // from "ready" to its end
};

// Runs `work` in a forked child. The child calls `ready()` where the work to
// interrupt begins; `killAfter` that moment the parent kills it with SIGKILL
// (never when not given). The child leaves with _exit: nothing of the test
// program's own shutdown runs twice.
using ChildWork = std::function<int(const std::function<void()> &ready)>;
ChildEnd runChild(const ChildWork &work, std::optional<std::chrono::microseconds> killAfter);

// A canonical dump of every row of a base: the rows of each table as text,
// sorted, so two bases holding the same rows dump alike whatever their order
// or page layout.
QByteArray baseDump(CrashSession &session, BaseId base);

// The databases folder kept aside whole and put back: every run of a change
// starts from the very same files.
class BasesSnapshot
{
public:
    explicit BasesSnapshot(const CrashInstallation &installation);
    void restore() const;
    // The largest file of the databases folder as kept.
    qint64 largestFile() const;

private:
    QString folder_;
    QTemporaryDir kept_;
};

// Runs `work` in a forked child whose files may grow to `fileSizeLimit` bytes
// at most (RLIMIT_FSIZE from the moment the child calls `limit()`, SIGXFSZ
// ignored, so a write past it fails as on a full disk).
ChildEnd runChildWithFileLimit(
    const std::function<int(const std::function<void()> &limit)> &work, qint64 fileSizeLimit);

// How many kills a test makes: `normal`, or the number in KULVERA_CRASH_KILLS.
int crashKills(int normal);

} // namespace kulvera::test
