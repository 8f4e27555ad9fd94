#include "CrashHarness.h"

#include "shell/Catalogue.h"
#include "shell/Databases.h"
#include "shell/DbStructure.h"
#include "shell/SqlStatement.h"

#include <QDir>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>
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

CrashSession::CrashSession(const CrashInstallation &installation, const std::vector<BaseId> &bases, bool create)
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

QByteArray baseDump(CrashSession &session, BaseId base)
{
    const QSqlDatabase db = session.connections().database(base);
    QStringList tables;
    {
        SqlStatement list(db,
            QStringLiteral("SELECT name FROM main.sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' "
                           "ORDER BY name"));
        if (!list.exec())
            return QByteArrayLiteral("the tables could not be listed");
        while (list.next())
            tables << list.value(0).toString();
    }
    // Each row as one text of its values quoted by the engine (exact for
    // reals and blobs), the rows sorted and joined, all within SQL.
    const auto quoted
        = [](QString name) -> QString { return u'"' + name.replace(u'"', QStringLiteral("\"\"")) + u'"'; };
    QByteArray dump;
    for (const QString &table : tables) {
        QStringList columns;
        {
            SqlStatement info(db, QStringLiteral("PRAGMA main.table_info(") + quoted(table) + u')');
            if (!info.exec())
                return QByteArrayLiteral("the columns could not be listed: ") + table.toUtf8();
            while (info.next())
                columns << QStringLiteral("quote(") + quoted(info.value(1).toString()) + u')';
        }
        SqlStatement rows(db,
            QStringLiteral("SELECT count(*), group_concat(line, char(10)) FROM (SELECT ")
                + columns.join(QStringLiteral(" || char(31) || ")) + QStringLiteral(" AS line FROM main.")
                + quoted(table) + QStringLiteral(" ORDER BY line)"));
        if (!rows.exec() || !rows.next())
            return QByteArrayLiteral("the table could not be read: ") + table.toUtf8();
        dump += "== " + table.toUtf8() + ' ' + rows.value(0).toByteArray() + '\n' + rows.value(1).toString().toUtf8()
            + '\n';
    }
    return dump;
}

BasesSnapshot::BasesSnapshot(const CrashInstallation &installation)
    : folder_(QDir(installation.root()).filePath(QStringLiteral("KV_Bases")))
{
    namespace fs = std::filesystem;
    fs::copy(fs::path(folder_.toStdString()), fs::path(kept_.path().toStdString()),
        fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

void BasesSnapshot::restore() const
{
    namespace fs = std::filesystem;
    fs::remove_all(fs::path(folder_.toStdString()));
    fs::copy(fs::path(kept_.path().toStdString()), fs::path(folder_.toStdString()), fs::copy_options::recursive);
}

qint64 BasesSnapshot::largestFile() const
{
    namespace fs = std::filesystem;
    qint64 largest = 0;
    for (const auto &entry : fs::recursive_directory_iterator(fs::path(kept_.path().toStdString()))) {
        if (entry.is_regular_file())
            largest = std::max(largest, static_cast<qint64>(entry.file_size()));
    }
    return largest;
}

ChildEnd runChildWithFileLimit(const std::function<int(const std::function<void()> &limit)> &work, qint64 fileSizeLimit)
{
    const pid_t pid = fork();
    ChildEnd end;
    if (pid == 0) {
        const int code = work([fileSizeLimit] {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit {static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)};
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
                _exit(3);
        });
        _exit(code);
    }
    if (pid < 0)
        return end;
    int status = 0;
    waitpid(pid, &status, 0);
    end.killed = WIFSIGNALED(status);
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
