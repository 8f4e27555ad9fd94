#pragma once

#include "common/Clock.h"
#include "common/ProgramLocale.h"
#include "common/ScriptedPrompter.h"
#include "shell/AppContext.h"
#include "shell/Connections.h"
#include "shell/ErrorLog.h"
#include "shell/SettingsStore.h"
#include "shell/SharedSettings.h"
#include "shell/forms/CommandRegistry.h"
#include "support/CliRunner.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kulvera::test {

// The demo kitchen (kulvera-cli demo) and a desktop program's context on its
// files, on today's date like a user trying it out unless the test names
// another. Which bases it connects and which forms it registers is the test's
// own choice.
struct DemoKitchenContext {
    QTemporaryDir dir;
    QString kitchen = dir.filePath(QStringLiteral("kitchen"));
    bool made = [this] {
        pinProgramLocale();
        CliRunner cli(dir.filePath(QStringLiteral("own.ini")));
        const int code = cli.run({QStringLiteral("demo"), kitchen});
        EXPECT_EQ(code, 0) << cli.err.toStdString();
        return code == 0;
    }();
    SettingsStore settings {QDir(kitchen).filePath(QStringLiteral("Kulvera.ini"))};
    SharedSettings shared = SharedSettings::load(settings, {kitchen, kitchen, QString(), kitchen});
    ErrorLog log {dir.filePath(QStringLiteral("errors.log"))};
    ScriptedPrompter prompter;
    Connections connections {prompter, settings, log};
    FixedClock clock;
    AppContext context {prompter, settings, shared, clock, connections, log};
    CommandRegistry registry;

    explicit DemoKitchenContext(QDate today = QDate::currentDate())
        : clock(today)
    {
        prompter.setSettings(&settings);
        connections.setDefaultFolder(shared.databasesFolder());
    }
};

} // namespace kulvera::test
