// The console window and the debug window in the desktop program, offscreen.
#include "ConsoleWindow.h"
#include "SeededDesktop.h"

#include "products/ProductBase.h"
#include "recipes/forms/DebugWindowForm.h"
#include "recipes/forms/RecipeEditorForm.h"
#include "shell/Startup.h"
#include "shell/forms/MainWindow.h"
#include "support/KeepPicture.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QUndoStack>

#include <gtest/gtest.h>

using namespace kulvera;

namespace {

// The desktop program after its start, with the console command registered.
struct ConsoleDesktop : test::Desktop {
    StartupHooks hooks;
    StartupEnvironment environment;
    StartupSequence startup {prompter, settings, clock, environment, hooks};
    ConsoleModes modes;

    ConsoleDesktop() { registerConsole(registry, startup, modes); }
};

void enter(ConsoleWindow *console, const QString &line)
{
    console->input()->setFocus();
    console->input()->setText(line);
    QTest::keyClick(console->input(), Qt::Key_Return);
}

} // namespace

TEST(ConsoleWindow, AnswersCommandsRecallsHistoryAndEndsTheProgram)
{
    ConsoleDesktop d;
    MainWindow window(d.context, d.registry);
    window.show();
    window.runCommand(QStringLiteral("Consol"));
    auto *console = window.findChild<ConsoleWindow *>();
    ASSERT_NE(console, nullptr);
    EXPECT_TRUE(console->output()->toPlainText().startsWith(u"Консольная панель. "));

    enter(console, QStringLiteral("hello"));
    enter(console, QStringLiteral("ver"));
    enter(console, QStringLiteral("what"));
    const QString shown = console->output()->toPlainText();
    EXPECT_TRUE(shown.contains(u"» hello\nПривет! Консоль на связи.")) << shown.toStdString();
    EXPECT_TRUE(shown.contains(u"Сборка программы: 1697"));
    EXPECT_TRUE(shown.endsWith(u"» what\n> команда не определена"));
    EXPECT_TRUE(console->input()->text().isEmpty());

    QLineEdit *input = console->input();
    const auto key = [input](Qt::Key k) {
        QTest::keyClick(input, k);
        return input->text();
    };
    EXPECT_EQ(key(Qt::Key_Up), u"what");
    EXPECT_EQ(key(Qt::Key_Up), u"ver");
    EXPECT_EQ(key(Qt::Key_Up), u"hello");
    EXPECT_EQ(key(Qt::Key_Up), u"hello"); // the oldest stays
    EXPECT_EQ(key(Qt::Key_Down), u"ver");
    EXPECT_EQ(key(Qt::Key_Down), u"what");
    EXPECT_EQ(key(Qt::Key_Down), QString()); // below the newest: an empty line
    QTest::keyClick(input, Qt::Key_Up);
    QTest::keyClick(input, Qt::Key_Return); // a recalled line runs again
    EXPECT_TRUE(console->output()->toPlainText().endsWith(u"» what\n> команда не определена"));

    // Forms open through the main window's commands.
    enter(console, QStringLiteral("start form Norm"));
    EXPECT_TRUE(console->output()->toPlainText().endsWith(u"Команда обработана."));
    EXPECT_NE(window.findChild<RecipeEditorForm *>(), nullptr);

    enter(console, QStringLiteral("clr"));
    EXPECT_EQ(console->output()->toPlainText(), u"Очистка окна");

    const QPointer<ConsoleWindow> closing(console);
    enter(console, QStringLiteral("End"));
    EXPECT_TRUE(closing && closing->endRequested());
    QApplication::processEvents();
    EXPECT_FALSE(window.isVisible()); // the program's own close ran
    EXPECT_TRUE(d.prompter.unexpected().isEmpty()) << d.prompter.unexpected().join(u'\n').toStdString();
}

// With KULVERA_CONSOLE_SCREENSHOT set the picture is kept there (docs/screenshots/console.png).
TEST(ConsoleWindow, PictureOfASession)
{
    ConsoleDesktop d;
    ConsoleHost host(d.prompter, d.settings, d.clock, d.modes);
    host.connections = &d.connections;
    d.connections.connectBase(BaseId::Menu, d.shared, true);
    ConsoleWindow console(host);
    console.resize(760, 440);
    console.show();
    for (const char *line : {"ver", "consol", "OnBlockMenu=31.12.2018@@", "OnBlockMenu=31.12.2018@@",
             "OnBlockMenu=2018-12-31@@", "getstr=Data@@bCheckUpdate", "s.connect", "команда"})
        enter(&console, QString::fromUtf8(line));
    QApplication::processEvents();
    test::keepPicture(console, "KULVERA_CONSOLE_SCREENSHOT");
}

TEST(DebugWindow, ListsTheRecipeRecordsAndNeverDeletesTheLastRow)
{
    test::Desktop d;
    MainWindow window(d.context, d.registry);
    const std::vector<ProductRow> products = ProductBase(d.connections, d.settings, d.prompter, d.clock).list().value();
    ASSERT_GE(products.size(), 2u);
    window.runCommand(QStringLiteral("Norm"));
    auto *editor = window.findChild<RecipeEditorForm *>();
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(editor->addProductByKey(products[0].key(), 100, false));
    ASSERT_TRUE(editor->addProductByKey(products[1].key(), 50, true));

    window.runCommand(QStringLiteral("DebugWin"));
    auto *debug = window.findChild<DebugWindowForm *>();
    ASSERT_NE(debug, nullptr);
    QTableWidget *table = debug->table();
    ASSERT_EQ(table->rowCount(), 2);
    const QStringList headers = [table] {
        QStringList list;
        for (int c = 0; c < table->columnCount(); ++c)
            list << table->horizontalHeaderItem(c)->text();
        return list;
    }();
    EXPECT_EQ(headers.mid(0, 8),
        QStringList({QStringLiteral("Kod"), QStringLiteral("ID_Prod"), QStringLiteral("ID"), QStringLiteral("TN_Vid"),
            QStringLiteral("FN"), QStringLiteral("SN"), QStringLiteral("Brutto"), QStringLiteral("Netto")}));
    EXPECT_TRUE(headers.contains(u"CostVal") && headers.contains(u"STNid"));
    // Kod is the position's own key, ID_Prod the product's.
    EXPECT_EQ(table->item(0, 1)->text(), QString::number(products[0].key()));
    EXPECT_EQ(table->item(1, 4)->text(), products[1].prod.FullName);

    // Found by text; a text nobody has is said.
    debug->selectRow(0);
    EXPECT_TRUE(debug->findRow(products[1].prod.FullName.toUpper()));
    EXPECT_EQ(debug->currentRow(), 1);
    EXPECT_FALSE(debug->findRow(QStringLiteral("нет такого текста")));
    EXPECT_TRUE(d.prompter.saw(QStringLiteral("Записей не найдено.")));

    // Moving goes to the editor as a step undo takes back.
    QTest::mouseClick(debug->findChild<QPushButton *>(QStringLiteral("moveUp")), Qt::LeftButton);
    EXPECT_EQ(editor->state().slot.item(1)->clsProds().ID_Prod, QString::number(products[1].key()));
    EXPECT_EQ(table->item(0, 1)->text(), QString::number(products[1].key()));
    EXPECT_EQ(debug->currentRow(), 0);
    editor->undoStack()->undo();
    EXPECT_EQ(table->item(0, 1)->text(), QString::number(products[0].key()));

    debug->selectRow(1);
    QTest::mouseClick(debug->findChild<QPushButton *>(QStringLiteral("addRow")), Qt::LeftButton);
    EXPECT_EQ(editor->state().slot.Count(), 3);
    EXPECT_EQ(debug->currentRow(), 2);

    QPushButton *remove = debug->findChild<QPushButton *>(QStringLiteral("deleteRow"));
    QTest::mouseClick(remove, Qt::LeftButton);
    QTest::mouseClick(remove, Qt::LeftButton);
    ASSERT_EQ(editor->state().slot.Count(), 1);
    EXPECT_FALSE(d.prompter.saw(QStringLiteral("Не допускается удалять последнюю строку")));
    QTest::mouseClick(remove, Qt::LeftButton);
    EXPECT_TRUE(d.prompter.saw(QStringLiteral("Не допускается удалять последнюю строку")));
    EXPECT_EQ(editor->state().slot.Count(), 1);
    EXPECT_EQ(table->rowCount(), 1);
}
