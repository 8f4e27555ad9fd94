#include "FormRegistration.h"
#include "SeededDesktop.h"

#include "common/TextDate.h"
#include "costing/forms/AnalysisForm.h"
#include "menus/MenuBase.h"
#include "menus/RationFile.h"
#include "menus/forms/MenuEditorForm.h"
#include "menus/forms/MenuExportForm.h"
#include "menus/forms/OpenMenuBase.h"
#include "shell/forms/MainWindow.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QUndoStack>

#include <gtest/gtest.h>

using namespace kulvera;

namespace {

struct MenuDesktop : test::Desktop {
    MenuDesktop() { EXPECT_NE(connections.connectBase(BaseId::Menu, shared, true), Connections::kFailed); }
};

template <typename F> F *openForm(MainWindow &window, const QString &command)
{
    window.runCommand(command);
    for (QMdiSubWindow *sub : window.documents()->subWindowList()) {
        if (auto *form = qobject_cast<F *>(sub->widget()))
            return form;
    }
    return nullptr;
}

// A day with two dishes at breakfast, saved.
MenuEditorForm *plannedDay(MainWindow &window)
{
    auto *editor = openForm<MenuEditorForm>(window, QStringLiteral("MenuNew"));
    EXPECT_NE(editor, nullptr);
    if (!editor)
        return nullptr;
    EXPECT_TRUE(editor->addDish(QStringLiteral("Завтрак"), QStringLiteral("Рис отварной")));
    EXPECT_TRUE(editor->addDish(QStringLiteral("Завтрак"), QStringLiteral("Компот из яблок")));
    EXPECT_TRUE(editor->save());
    return editor;
}

} // namespace

TEST(MenuFilesForms, ARationIsCopiedToTheBufferAndPastedIntoAnotherDay)
{
    MenuDesktop d;
    MainWindow window(d.context, d.registry);
    MenuEditorForm *editor = plannedDay(window);
    ASSERT_NE(editor, nullptr);
    const QDate day = d.clock.today();

    d.prompter.expectInput(QStringLiteral("Введите заголовок для меню:"), QStringLiteral("Понедельник"));
    QTest::mouseClick(editor->findChild<QPushButton *>(QStringLiteral("copyRation")), Qt::LeftButton);
    EXPECT_TRUE(QFileInfo::exists(QDir(editor->bufferFolder()).filePath(QStringLiteral("buf.menu"))));

    ASSERT_TRUE(editor->openRation(day.addDays(1), QString()));
    ASSERT_EQ(editor->ration().dishCount(), 0);
    auto *buffer = editor->findChild<QMenu *>(QStringLiteral("rationBuffer"));
    ASSERT_NE(buffer, nullptr);
    emit buffer->aboutToShow();
    ASSERT_EQ(buffer->actions().size(), 1);
    EXPECT_EQ(buffer->actions().front()->text(), u"Понедельник");
    buffer->actions().front()->trigger();
    EXPECT_EQ(editor->ration().dishCount(), 2);
    EXPECT_EQ(editor->ration().date(), day.addDays(1));
    EXPECT_EQ(editor->ration().mealName(1), u"Завтрак");
    EXPECT_TRUE(d.prompter.saw(QStringLiteral("Рацион загружен")));
    EXPECT_TRUE(editor->isModified());
    editor->undoStack()->undo();
    EXPECT_EQ(editor->ration().dishCount(), 0);
    EXPECT_TRUE(d.prompter.unexpected().isEmpty()) << d.prompter.unexpected().join(u'\n').toStdString();
}

TEST(MenuFilesForms, TheExportFormWritesAndLoadsBothFiles)
{
    MenuDesktop d;
    MainWindow window(d.context, d.registry);
    ASSERT_NE(plannedDay(window), nullptr);
    const QDate day = d.clock.today();
    auto *form = openForm<MenuExportForm>(window, QStringLiteral("Menu_Export"));
    ASSERT_NE(form, nullptr);
    auto *dates = form->findChild<QLineEdit *>(QStringLiteral("exportDates"));
    ASSERT_NE(dates, nullptr);
    dates->setText(formatTextDate(day) + QStringLiteral(", ") + formatTextDate(day.addDays(3)));
    const QString menuFile = d.cli.dir.filePath(QStringLiteral("days.menu"));
    const QString sqlFile = d.cli.dir.filePath(QStringLiteral("days.sql_menu"));
    ASSERT_TRUE(form->exportMenu(menuFile));
    ASSERT_TRUE(form->exportSql(sqlFile));

    const auto base = openMenuBase(d.context);
    ASSERT_TRUE(base->remove({day, QString()}));
    ASSERT_TRUE(form->importFile(menuFile));
    EXPECT_EQ(base->load({day, QString()})->dishCount(), 2);
    ASSERT_TRUE(base->remove({day, QString()}));
    ASSERT_TRUE(form->importFile(sqlFile));
    EXPECT_EQ(base->load({day, QString()})->dishCount(), 2);

    dates->setText(QStringLiteral("завтра"));
    EXPECT_FALSE(form->exportMenu(menuFile));
    EXPECT_TRUE(d.prompter.saw(QStringLiteral("Не удалось распознать дату - 'завтра'")));
}

TEST(MenuFilesForms, ATransferFileIsAnalysedWithoutBeingAdded)
{
    MenuDesktop d;
    MainWindow window(d.context, d.registry);
    ASSERT_NE(plannedDay(window), nullptr);
    const QDate day = d.clock.today();
    auto *form = openForm<MenuExportForm>(window, QStringLiteral("Menu_Export"));
    ASSERT_NE(form, nullptr);
    const QString sqlFile = d.cli.dir.filePath(QStringLiteral("day.sql_menu"));
    ASSERT_TRUE(form->exportSql(sqlFile));
    const auto base = openMenuBase(d.context);
    ASSERT_TRUE(base->remove({day, QString()}));

    ASSERT_TRUE(openMenuFileInAnalysis(window, sqlFile));
    auto *analysis = openForm<AnalysisForm>(window, QStringLiteral("AnalysMenu"));
    ASSERT_NE(analysis, nullptr);
    ASSERT_TRUE(analysis->calculate());
    EXPECT_EQ(analysis->days(), 1);
    EXPECT_FALSE(analysis->nutrientRows().empty());
    EXPECT_TRUE(base->list()->empty()) << "the file's rations stay out of the menu base";
}
