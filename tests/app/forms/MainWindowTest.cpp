#include "FormRegistration.h"

#include "common/Clock.h"
#include "shell/AppContext.h"
#include "shell/CaptionsBase.h"
#include "shell/Databases.h"
#include "shell/MainCommands.h"
#include "shell/forms/CommandRegistry.h"
#include "shell/forms/MainWindow.h"
#include "support/TempBases.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace kulvera;

namespace {

struct Desktop {
    test::TempBases bases;
    FixedClock clock {QDate(2026, 12, 6)};
    AppContext context {
        bases.prompter(), bases.settings(), bases.shared(), clock, bases.connections(), bases.errorLog()};
    CommandRegistry registry;
    Desktop() { registerForms(registry); }
};

struct RefusingGuard : ExitGuard {
    bool answer = false;
    bool confirmExit(Prompter &) override { return answer; }
};

} // namespace

TEST(MainWindow, EveryCommandIsPresentAndOnlyThoseWithoutAFormAreDisabled)
{
    Desktop d;
    MainWindow window(d.context, d.registry);
    int enabled = 0;
    for (const MainCommand &c : mainCommands()) {
        const QString name = QString::fromUtf16(c.name);
        QAction *action = window.commandAction(name);
        ASSERT_NE(action, nullptr) << name.toStdString();
        const bool hasForm = d.registry.has(name) || c.templateFile || name.startsWith(u"c_") || name == u"Exit_Prog"
            || name == u"About_prog" || name == u"open_calc" || unavailableMessage(name).has_value();
        EXPECT_EQ(action->isEnabled(), hasForm) << name.toStdString();
        enabled += action->isEnabled();
    }
    EXPECT_TRUE(window.commandAction(QStringLiteral("meth_edit"))->isEnabled());
    EXPECT_GT(enabled, 40);
}

TEST(MainWindow, EveryDisabledCommandSaysWhyInItsToolTip)
{
    Desktop d;
    MainWindow window(d.context, d.registry);
    for (const MainCommand &c : mainCommands()) {
        const QAction *action = window.commandAction(QString::fromUtf16(c.name));
        if (action->isEnabled())
            continue;
        // An action without a tool tip of its own shows its text: no reason.
        EXPECT_NE(action->toolTip(), action->text()) << action->objectName().toStdString();
        EXPECT_FALSE(action->toolTip().isEmpty());
    }
}

TEST(MainWindow, ServiceCommandsWithoutAServiceHereSaySoPlainly)
{
    Desktop d;
    MainWindow window(d.context, d.registry);
    for (const char16_t *name : {u"Connect_Server", u"Upd_test", u"users", u"Help_Main", u"TipOfDay", u"ReIndex"}) {
        const QString command = QString::fromUtf16(name);
        ASSERT_TRUE(window.commandAction(command)->isEnabled()) << command.toStdString();
        window.runCommand(command);
        EXPECT_TRUE(d.bases.prompter().saw(*unavailableMessage(command))) << command.toStdString();
    }
    EXPECT_TRUE(d.bases.prompter().saw(QStringLiteral("Сервер рецептур в этой установке не используется")));
    window.runCommand(QStringLiteral("mnImport"));
    EXPECT_TRUE(d.bases.prompter().saw(QStringLiteral("База импорта отсутствует в папке ") + d.bases.folder()));
    window.runCommand(QStringLiteral("open_calc")); // no costing program beside the test
    EXPECT_TRUE(d.bases.prompter().saw(QStringLiteral("Не найден модуль калькуляции")));
    EXPECT_TRUE(window.documents()->subWindowList().isEmpty());
}

TEST(MainWindow, FormsOpenWithTheCaptionsOfTheCaptionsBase)
{
    Desktop d;
    ASSERT_NE(d.bases.create(BaseId::Captions), Connections::kFailed);
    CaptionsBase captions(d.bases.connections());
    MainWindow window(d.context, d.registry);
    // The main window's table is filled from its own commands at the first start.
    const auto mainRows = captions.read(QStringLiteral("frmMain"));
    ASSERT_TRUE(mainRows);
    EXPECT_TRUE(std::any_of(mainRows->begin(), mainRows->end(),
        [](const CaptionRow &r) { return r.name == u"Feat" && r.caption == u"Настройки системы"; }));

    // A form opened the first time gives its table; a translated one is applied.
    window.runCommand(QStringLiteral("Feat"));
    auto rows = captions.read(QStringLiteral("Feat"));
    ASSERT_TRUE(rows);
    for (CaptionRow &r : *rows) {
        if (r.name == u"apply")
            r.caption = QStringLiteral("Apply");
    }
    ASSERT_TRUE(captions.write(QStringLiteral("Feat"), *rows).ok());
    window.runCommand(QStringLiteral("Feat"));
    const auto subs = window.documents()->subWindowList();
    ASSERT_EQ(subs.size(), 2);
    EXPECT_EQ(subs[0]->widget()->findChild<QPushButton *>(QStringLiteral("apply"))->text(), u"Применить");
    EXPECT_EQ(subs[1]->widget()->findChild<QPushButton *>(QStringLiteral("apply"))->text(), u"Apply");

    window.runCommand(QStringLiteral("conf"));
    EXPECT_EQ(window.documents()->subWindowList().size(), 3);
}

TEST(MainWindow, OpensFormsIntoTheDocumentArea)
{
    Desktop d;
    ASSERT_NE(d.bases.create(BaseId::Methods), Connections::kFailed);
    MainWindow window(d.context, d.registry);
    window.runCommand(QStringLiteral("meth_edit"));
    EXPECT_EQ(window.documents()->subWindowList().size(), 1);
}

TEST(MainWindow, StatusLineReportsTheFourBasePaths)
{
    Desktop d;
    MainWindow window(d.context, d.registry);
    const QStringList lines = window.basePathsText().split(u'\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith(u"база блюд: [") && lines[0].endsWith(u"bl_base.db]"));
    EXPECT_TRUE(lines[1].startsWith(u"база продуктов: ["));
    EXPECT_TRUE(lines[2].startsWith(u"база калькуляций: ["));
    EXPECT_TRUE(lines[3].startsWith(u"база меню: [") && lines[3].endsWith(u"Menu.db]"));
}

TEST(MainWindow, ExitAsksTheGuardsAndRemembersThePlacement)
{
    Desktop d;
    RefusingGuard guard;
    {
        MainWindow window(d.context, d.registry);
        window.addExitGuard(&guard);
        window.resize(777, 555);
        window.show();
        EXPECT_FALSE(window.close()); // the guard refuses
        guard.answer = true;
        EXPECT_TRUE(window.close());
    }
    EXPECT_EQ(d.bases.settings().getInGroup(QStringLiteral("frmMain"), QStringLiteral("Width")), u"777");
    MainWindow again(d.context, d.registry);
    EXPECT_EQ(again.width(), 777);
}

TEST(MainWindow, TemplateCommandReportsAMissingTemplate)
{
    Desktop d;
    MainWindow window(d.context, d.registry);
    window.runCommand(QStringLiteral("ttk_hs_edit"));
    EXPECT_TRUE(d.bases.prompter().saw(QStringLiteral("TTK.xlsx")));
}

TEST(MainWindow, WarehouseCommandsOpenTheirFormsOnceTheWarehouseBaseIsThere)
{
    Desktop d;
    MainWindow window(d.context, d.registry);
    window.runCommand(QStringLiteral("Nakl_Add"));
    EXPECT_TRUE(window.documents()->subWindowList().isEmpty());
    EXPECT_TRUE(d.bases.prompter().saw(QStringLiteral("Не подключена база склада и калькуляций!")));

    ASSERT_NE(d.bases.create(BaseId::Warehouse), Connections::kFailed);
    ASSERT_NE(d.bases.create(BaseId::Products), Connections::kFailed);
    attachExternalTables(d.bases.connections());
    const QStringList commands
        = {QStringLiteral("WSs"), QStringLiteral("curWS"), QStringLiteral("Suppli"), QStringLiteral("Nakl_Add")};
    for (const QString &command : commands)
        window.runCommand(command);
    const auto subs = window.documents()->subWindowList();
    ASSERT_EQ(subs.size(), commands.size());
    for (int i = 0; i < commands.size(); ++i)
        EXPECT_EQ(subs[i]->widget()->objectName(), commands[i]);
    EXPECT_TRUE(d.bases.prompter().saw(QStringLiteral("Нет складов в системе!")));
}
