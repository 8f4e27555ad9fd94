#include "FormRegistration.h"
#include "ListDocumentExports.h"

#include "common/Clock.h"
#include "common/ScriptedPrompter.h"
#include "recipes/forms/RecipeEditorForm.h"
#include "shell/AppContext.h"
#include "shell/DishCollections.h"
#include "shell/ErrorLog.h"
#include "shell/SettingsStore.h"
#include "shell/SharedSettings.h"
#include "shell/forms/CommandRegistry.h"
#include "shell/forms/MainWindow.h"
#include "support/CliRunner.h"

#include <QAction>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace kulvera;

namespace {

struct Installed : test::TempCli {
    Installed() { EXPECT_EQ(run({QStringLiteral("db"), QStringLiteral("init")}), 0) << err.toStdString(); }
};

// A seeded installation and the desktop program's context on it.
struct Seeded {
    Installed cli;
    SettingsStore settings {cli.settingsFile()};
    SharedSettings shared = SharedSettings::load(settings, {cli.dir.path(), cli.dir.path(), QString(), cli.dir.path()});
    ErrorLog log {cli.dir.filePath(QStringLiteral("errors.log"))};
    ScriptedPrompter prompter;
    Connections connections {prompter, settings, log};
    FixedClock clock {QDate(2026, 12, 6)};
    AppContext context {prompter, settings, shared, clock, connections, log};

    Seeded()
    {
        prompter.setSettings(&settings);
        connections.setDefaultFolder(shared.databasesFolder());
        for (BaseId b : {BaseId::Dishes, BaseId::Products, BaseId::Warehouse})
            EXPECT_NE(connections.connectBase(b, shared, true), Connections::kFailed);
    }
};

} // namespace

TEST(RecipeRegister, TheMainWindowCommandIsAvailableAndWritesTheRegisterOfACollection)
{
    Seeded s;
    CommandRegistry registry;
    registerForms(registry);
    MainWindow window(s.context, registry);
    ASSERT_NE(window.commandAction(QStringLiteral("ReestrBlud")), nullptr);
    EXPECT_TRUE(window.commandAction(QStringLiteral("ReestrBlud"))->isEnabled());

    const QString table = listCollections(s.connections, s.settings).front().table;
    const QString out = s.cli.dir.filePath(QStringLiteral("реестр.xlsx"));
    const Result<ListOutcome> made = exportRecipeRegister(s.context, table, out);
    ASSERT_TRUE(made) << made.error().toStdString();
    EXPECT_EQ(made->rows, 4); // the four example recipes of a fresh installation
    EXPECT_EQ(made->errors, 0);
    QFile file(out);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(2) == "PK");
    EXPECT_TRUE(s.prompter.texts().contains(QStringLiteral("Реестр блюд экспортирован. Ошибок при экспорте - 0")));
}

TEST(ProductStatement, TheGroupsWindowExportsTheStatementOfEveryGroup)
{
    Seeded s;
    CommandRegistry registry;
    registerForms(registry);
    MainWindow window(s.context, registry);
    window.runCommand(QStringLiteral("Prod_Group"));
    ASSERT_EQ(window.documents()->subWindowList().size(), 1);
    QWidget *form = window.documents()->subWindowList().front()->widget();
    EXPECT_EQ(form->objectName(), u"ProductGroups");
    EXPECT_NE(form->findChild<QTreeWidget *>(), nullptr);
    EXPECT_NE(form->findChild<QPushButton *>(QStringLiteral("exportStatement")), nullptr);

    const QString out = s.cli.dir.filePath(QStringLiteral("ведомость.xlsx"));
    const Result<ListOutcome> made = exportProductStatement(s.context, out);
    ASSERT_TRUE(made) << made.error().toStdString();
    EXPECT_GT(made->rows, 200); // every seeded product under its group heading
    QFile file(out);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(2) == "PK");
    EXPECT_TRUE(
        s.prompter.texts().contains(QStringLiteral("Ведомость продуктов экспортирована. Ошибок при экспорте - 0")));
}

TEST(RecipeEditorPrint, TheCardIsPrintedFromTheRecipeAsItWouldBeSaved)
{
    Seeded s;
    for (BaseId b : {BaseId::Losses, BaseId::LossesOutput})
        s.connections.connectBase(b, s.shared, true);
    CommandRegistry registry;
    registerForms(registry); // sets the program's card printer
    {
        RecipeEditorForm editor(s.context);
        EXPECT_TRUE(editor.findChild<QPushButton *>(QStringLiteral("printCard"))->isEnabled());
    }

    QString printedName, printedOutput;
    int positions = 0;
    QString firstRowOutput;
    RecipeEditorForm::setCardPrinter([&](colBludo &slot, const QString &name, const QString &output, AppContext &) {
        printedName = name;
        printedOutput = output;
        positions = slot.Count();
        firstRowOutput = slot.item(1)->clsProds().Out;
        return true;
    });
    RecipeEditorForm editor(s.context);
    EXPECT_FALSE(editor.printCard()) << "an empty recipe without a name prints nothing";
    const QString table = listCollections(s.connections, s.settings).front().table;
    ASSERT_TRUE(editor.loadFromBase(table, QStringLiteral("Суп картофельный на мясном бульоне")));
    EXPECT_TRUE(editor.printCard());
    EXPECT_EQ(printedName, u"Суп картофельный на мясном бульоне");
    EXPECT_EQ(printedOutput, u"250");
    EXPECT_EQ(positions, editor.state().slot.Count());
    EXPECT_EQ(firstRowOutput, u"250"); // the first row carries the output, as when saved

    RecipeEditorForm::setCardPrinter({});
    RecipeEditorForm without(s.context);
    EXPECT_FALSE(without.findChild<QPushButton *>(QStringLiteral("printCard"))->isEnabled());
    EXPECT_FALSE(without.printCard());
}
