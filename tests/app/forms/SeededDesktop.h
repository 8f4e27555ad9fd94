#pragma once

#include "FormRegistration.h"

#include "common/Clock.h"
#include "common/ScriptedPrompter.h"
#include "recipes/HeatTreatment.h"
#include "shell/AppContext.h"
#include "shell/Databases.h"
#include "shell/DishCollections.h"
#include "shell/ErrorLog.h"
#include "shell/SettingsStore.h"
#include "shell/SharedSettings.h"
#include "shell/forms/CommandRegistry.h"
#include "support/CliRunner.h"
#include "support/DemoKitchenContext.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kulvera::test {

// A seeded installation (kulvera-cli db init) and the desktop program's
// context on the same files.
struct Installed : TempCli {
    Installed() { EXPECT_EQ(run({QStringLiteral("db"), QStringLiteral("init")}), 0) << err.toStdString(); }
};

struct Desktop {
    Installed cli;
    SettingsStore settings {cli.settingsFile()};
    SharedSettings shared = SharedSettings::load(settings, {cli.dir.path(), cli.dir.path(), QString(), cli.dir.path()});
    ErrorLog log {cli.dir.filePath(QStringLiteral("errors.log"))};
    ScriptedPrompter prompter;
    Connections connections {prompter, settings, log};
    FixedClock clock {QDate(2026, 5, 12)};
    AppContext context {prompter, settings, shared, clock, connections, log};
    CommandRegistry registry;

    Desktop()
    {
        prompter.setSettings(&settings);
        connections.setDefaultFolder(shared.databasesFolder());
        for (BaseId b : {BaseId::Dishes, BaseId::Products, BaseId::Losses, BaseId::LossesOutput, BaseId::Warehouse})
            EXPECT_NE(connections.connectBase(b, shared, true), Connections::kFailed);
        // The losses the program reads at start, as kulvera-cli reads them.
        EXPECT_TRUE(programLossTables().load(connections, settings));
        registerForms(registry);
    }

    QString firstTable() { return listCollections(connections, settings).front().table; }
};

// The demo kitchen with every base the desktop opens at start and all its forms.
struct DemoKitchenDesktop : DemoKitchenContext {
    DemoKitchenDesktop()
    {
        for (BaseId b :
            {BaseId::Dishes, BaseId::Products, BaseId::Losses, BaseId::LossesOutput, BaseId::Warehouse, BaseId::Menu})
            EXPECT_NE(connections.connectBase(b, shared, true), Connections::kFailed);
        attachExternalTables(connections);
        EXPECT_TRUE(programLossTables().load(connections, settings));
        registerForms(registry);
    }
};

} // namespace kulvera::test
