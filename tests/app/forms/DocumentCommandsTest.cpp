#include "FormRegistration.h"
#include "ListDocumentExports.h"
#include "SeededDesktop.h"

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

using test::Desktop;

TEST(RecipeRegister, TheMainWindowCommandIsAvailableAndWritesTheRegisterOfACollection)
{
    Desktop s;
    MainWindow window(s.context, s.registry);
    ASSERT_NE(window.commandAction(QStringLiteral("ReestrBlud")), nullptr);
    EXPECT_TRUE(window.commandAction(QStringLiteral("ReestrBlud"))->isEnabled());

    const QString table = s.firstTable();
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
    Desktop s;
    MainWindow window(s.context, s.registry);
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
    Desktop s; // its forms registration sets the program's card printer
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
    const QString table = s.firstTable();
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
