#include "CrashHarness.h"

#include "shell/Catalogue.h"
#include "shell/Databases.h"
#include "shell/DbStructure.h"
#include "shell/SqlStatement.h"

#include <QDir>

#include <csignal>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kulvera::test {

CrashInstallation::CrashInstallation()
{
    SettingsStore settings(settingsFile());
    settings.save(Section::Data, QStringLiteral("Dir_book"), dir_.filePath(QStringLiteral("KV_Bases")));
    settings.sync();
}

QString CrashInstallation::settingsFile() const
{
    return dir_.filePath(QStringLiteral("settings.ini"));
}

CrashSession::CrashSession(const CrashInstallation &installation, std::initializer_list<BaseId> bases, bool create)
    : settings_(installation.settingsFile())
    , errorLog_(QDir(installation.root()).filePath(QStringLiteral("errors.log")))
{
    const QString root = installation.root();
    shared_ = SharedSettings::load(settings_, {root, root, QString(), root});
    QDir().mkpath(shared_.databasesFolder());
    prompter_.setSettings(&settings_);
    connections_ = std::make_unique<Connections>(prompter_, settings_, errorLog_);
    connections_->setDefaultFolder(shared_.databasesFolder());
    for (const BaseId base : bases) {
        if (create && !createBaseFile(basePath(base, settings_, shared_), base, settings_))
            ok_ = false;
        if (connections_->connectBase(base, shared_, true) == Connections::kFailed)
            ok_ = false;
    }
    attachExternalTables(*connections_);
    context_
        = std::make_unique<AppContext>(AppContext {prompter_, settings_, shared_, clock_, *connections_, errorLog_});
}

CrashSession::~CrashSession()
{
    context_.reset();
    connections_.reset();
}

QString CrashSession::integrity(BaseId base)
{
    SqlStatement s(connections_->database(base), QStringLiteral("PRAGMA integrity_check"));
    if (!s.exec() || !s.next())
        return QStringLiteral("integrity_check did not run");
    return s.value(0).toString();
}

ChildEnd runChild(const ChildWork &work, std::optional<std::chrono::microseconds> killAfter)
{
    using Clock = std::chrono::steady_clock;
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return {};
    const pid_t pid = fork();
    if (pid == 0) {
        close(pipeFds[0]);
        const int code = work([fd = pipeFds[1]] {
            const char byte = 1;
            (void)!write(fd, &byte, 1);
        });
        _exit(code);
    }
    close(pipeFds[1]);
    ChildEnd end;
    if (pid < 0) {
        close(pipeFds[0]);
        return end;
    }
    char byte = 0;
    const bool ready = read(pipeFds[0], &byte, 1) == 1;
    const auto readyAt = Clock::now();
    close(pipeFds[0]);
    if (ready && killAfter) {
        std::this_thread::sleep_until(readyAt + *killAfter);
        kill(pid, SIGKILL);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    end.afterReady = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - readyAt);
    end.killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    end.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return end;
}

int crashKills(int normal)
{
    bool ok = false;
    const int n = qEnvironmentVariableIntValue("KULVERA_CRASH_KILLS", &ok);
    return ok && n > 0 ? n : normal;
}

} // namespace kulvera::test
