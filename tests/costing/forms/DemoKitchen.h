#pragma once

#include "common/Clock.h"
#include "common/ProgramLocale.h"
#include "common/ScriptedPrompter.h"
#include "menus/MenuBase.h"
#include "menus/forms/OpenMenuBase.h"
#include "recipes/HeatTreatment.h"
#include "shell/AppContext.h"
#include "shell/Connections.h"
#include "shell/ErrorLog.h"
#include "shell/SettingsStore.h"
#include "shell/SharedSettings.h"
#include "support/CliRunner.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

namespace kulvera::test {

inline const QString kDemoGroup = QStringLiteral("Дети 7-11 лет");
inline const QString kDemoNorm = QStringLiteral("Взрослые женщины — US RDA (IFCT 2017)");

// The demo kitchen (kulvera-cli demo) and the desktop program's context on it.
struct DemoKitchen {
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
    FixedClock clock {QDate(2026, 5, 12)};
    AppContext context {prompter, settings, shared, clock, connections, log};

    DemoKitchen()
    {
        prompter.setSettings(&settings);
        connections.setDefaultFolder(shared.databasesFolder());
        for (BaseId b :
            {BaseId::Dishes, BaseId::Products, BaseId::Losses, BaseId::LossesOutput, BaseId::Warehouse, BaseId::Menu})
            EXPECT_NE(connections.connectBase(b, shared, true), Connections::kFailed);
        EXPECT_TRUE(programLossTables().load(connections, settings));
    }

    // The first and last day holding a ration of the group.
    std::pair<QDate, QDate> span(const QString &group = kDemoGroup)
    {
        const auto base = openMenuBase(context);
        const auto days = base->daysOf(group);
        EXPECT_TRUE(days && !days->empty());
        return {*std::min_element(days->begin(), days->end()), *std::max_element(days->begin(), days->end())};
    }
};

} // namespace kulvera::test
