#pragma once

// Several running copies of the program on one installation: the test starts
// its own executable again as child processes ("workstations"), each opening
// the bases the way the program does, from the installation's settings file,
// so whatever engine the installation's settings name is the one they share.

#include "common/Clock.h"
#include "common/ScriptedPrompter.h"
#include "shell/AppContext.h"
#include "shell/Connections.h"
#include "shell/Databases.h"
#include "shell/ErrorLog.h"
#include "shell/SettingsStore.h"
#include "shell/SharedSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <vector>

namespace kulvera::test {

inline constexpr const char *kWorkstationRoot = "KULVERA_TEST_WORKSTATION_ROOT";
inline constexpr const char *kWorkstationNumber = "KULVERA_TEST_WORKSTATION_NUMBER";

// One workstation inside a child process: the installation at `root` (a
// TempBases root: its "settings.ini" and databases folder), the given bases
// connected as the program connects them.
class Workstation
{
public:
    Workstation(const QString &root, std::initializer_list<BaseId> bases)
        : settings_(QDir(root).filePath(QStringLiteral("settings.ini")))
        , shared_(SharedSettings::load(settings_, {root, root, QString(), root}))
        , errorLog_(QDir(root).filePath(
              QStringLiteral("errors-") + QString::number(QCoreApplication::applicationPid()) + QStringLiteral(".log")))
        , connections_(prompter_, settings_, errorLog_)
        , clock_(QDateTime(QDate(2026, 6, 15), QTime(10, 30)))
        , context_ {prompter_, settings_, shared_, clock_, connections_, errorLog_}
    {
        prompter_.setSettings(&settings_);
        prompter_.setDefaultAnswer(Prompter::Answer::Yes);
        connections_.setDefaultFolder(shared_.databasesFolder());
        for (const BaseId base : bases)
            ok_ = connections_.connectBase(base, shared_, true) != Connections::kFailed && ok_;
        attachExternalTables(connections_);
    }

    bool ok() const { return ok_; }
    AppContext &context() { return context_; }
    SettingsStore &settings() { return settings_; }
    ScriptedPrompter &prompter() { return prompter_; }
    Connections &connections() { return connections_; }
    ErrorLog &errorLog() { return errorLog_; }

private:
    SettingsStore settings_;
    SharedSettings shared_;
    ErrorLog errorLog_;
    ScriptedPrompter prompter_;
    Connections connections_;
    FixedClock clock_;
    AppContext context_;
    bool ok_ = true;
};

// What the child processes printed, one entry per child, and how long they all took.
struct WorkstationRun {
    std::vector<QString> outputs;
    double seconds = 0;
};

// Starts `count` children running the disabled test `childTest` of this
// executable on the installation at `root`, all at once, and waits for them,
// calling `meanwhile` (when given) over and over until the last has finished.
// `environment` adds variables; each child also gets its number.
inline WorkstationRun runWorkstations(const QString &childTest, int count, const QString &root,
    const std::map<QString, QString> &environment = {}, const std::function<void()> &meanwhile = {})
{
    WorkstationRun run;
    std::vector<std::unique_ptr<QProcess>> children;
    QElapsedTimer timer;
    timer.start();
    for (int n = 0; n < count; ++n) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kWorkstationRoot), root);
        env.insert(QString::fromLatin1(kWorkstationNumber), QString::number(n));
        for (const auto &[name, value] : environment)
            env.insert(name, value);
        process->setProcessEnvironment(env);
        process->setProcessChannelMode(QProcess::MergedChannels);
        process->start(QCoreApplication::applicationFilePath(),
            {QStringLiteral("--gtest_filter=") + childTest, QStringLiteral("--gtest_also_run_disabled_tests")});
        children.push_back(std::move(process));
    }
    QElapsedTimer waited;
    waited.start();
    for (bool running = true; running && waited.elapsed() < 300000;) {
        running = false;
        for (auto &process : children)
            running = (process->state() != QProcess::NotRunning && !process->waitForFinished(1)) || running;
        if (running && meanwhile)
            meanwhile();
    }
    for (auto &process : children) {
        EXPECT_TRUE(process->state() == QProcess::NotRunning || process->waitForFinished(1000));
        const QString output = QString::fromUtf8(process->readAll());
        EXPECT_EQ(process->exitCode(), 0) << output.toStdString();
        run.outputs.push_back(output);
    }
    run.seconds = timer.nsecsElapsed() / 1e9;
    return run;
}

// The "key=value" pairs of the line a child printed after `marker`.
inline std::map<QString, QString> reportOf(const QString &output, const QString &marker)
{
    std::map<QString, QString> values;
    for (const QString &line : output.split(u'\n')) {
        if (!line.startsWith(marker))
            continue;
        for (const QString &pair : line.mid(marker.size()).split(u' ', Qt::SkipEmptyParts)) {
            const qsizetype eq = pair.indexOf(u'=');
            if (eq > 0)
                values[pair.left(eq)] = pair.mid(eq + 1);
        }
    }
    return values;
}

} // namespace kulvera::test
