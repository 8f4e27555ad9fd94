#include "FormRegistration.h"
#include "SeededDesktop.h"

#include "common/NumberText.h"
#include "common/ProgramLocale.h"
#include "common/TextDate.h"
#include "menus/DayLocks.h"
#include "menus/MenuBase.h"
#include "menus/forms/MenuArchiveForm.h"
#include "menus/forms/MenuEditorForm.h"
#include "menus/forms/MenuVariantsForm.h"
#include "menus/forms/OpenMenuBase.h"
#include "recipes/forms/RecipeEditorForm.h"
#include "shell/forms/MainWindow.h"
#include "support/KeepPicture.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QUndoStack>

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace kulvera;

namespace {

template <typename W> W *child(QWidget *form, const char *name)
{
    W *w = form->findChild<W *>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

// Key presses carrying the text, as a keyboard sends Cyrillic letters.
void typeInto(QWidget *form, const char *name, const QString &text)
{
    auto *edit = child<QLineEdit>(form, name);
    edit->setFocus();
    edit->selectAll();
    for (QChar ch : text) {
        QTest::sendKeyEvent(QTest::Press, edit, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, edit, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

void pressEnter(QWidget *form, const char *name)
{
    QTest::keyClick(child<QLineEdit>(form, name), Qt::Key_Return);
}

// The seeded desktop with its menu base connected.
struct MenuDesktop : test::Desktop {
    MenuDesktop() { EXPECT_NE(connections.connectBase(BaseId::Menu, shared, true), Connections::kFailed); }
};

MenuEditorForm *openEditor(MainWindow &window)
{
    window.runCommand(QStringLiteral("MenuNew"));
    for (QMdiSubWindow *sub : window.documents()->subWindowList()) {
        if (auto *form = qobject_cast<MenuEditorForm *>(sub->widget()))
            return form;
    }
    return nullptr;
}

// Meal rows of the ration view: "meal: dish (output), dish (output)", one a line.
QString shownRation(MenuEditorForm *editor)
{
    auto *tree = child<QTreeWidget>(editor, "rationTree");
    QStringList lines;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *meal = tree->topLevelItem(i);
        QStringList dishes;
        for (int j = 0; j < meal->childCount(); ++j)
            dishes << meal->child(j)->text(0) + u" (" + meal->child(j)->text(1) + u')';
        lines << meal->text(0) + u": " + dishes.join(QStringLiteral(", "));
    }
    return lines.join(u'\n');
}

QString storedRation(const MenuBase &base, const RationKey &key)
{
    const Result<Ration> r = base.load(key);
    EXPECT_TRUE(r) << r.error().toStdString();
    QStringList lines;
    for (int m = 1; r && m <= r->mealCount(); ++m) {
        QStringList dishes;
        for (int e = 1; e <= r->meal(m)->Count(); ++e) {
            const int n = r->dishAt(m, e);
            dishes << r->dishName(n) + u" (" + r->dishOutput(n) + u')';
        }
        lines << r->mealName(m) + u": " + dishes.join(QStringLiteral(", "));
    }
    return lines.join(u'\n');
}

} // namespace

// A day of two meals and three dishes built with the keyboard, edited,
// saved, and read back from the base and into the editor again.
TEST(MenuEditor, ADayOfTwoMealsAndThreeDishesIsBuiltSavedAndReloaded)
{
    MenuDesktop d;
    MainWindow window(d.context, d.registry);
    MenuEditorForm *editor = openEditor(window);
    ASSERT_NE(editor, nullptr);
    const QDate day = d.clock.today();
    EXPECT_EQ(editor->ration().date(), day);

    // The meal list starts with breakfast; lunch is added.
    d.prompter.expectInput(QStringLiteral("Введите название приема:"), QStringLiteral("Обед"));
    QTest::mouseClick(child<QPushButton>(editor, "addMeal"), Qt::LeftButton);
    EXPECT_EQ(shownRation(editor), QStringLiteral("Завтрак: \nОбед: "));

    editor->selectMeal(QStringLiteral("Завтрак"));
    typeInto(editor, "dishSearch", QStringLiteral("рис отв"));
    pressEnter(editor, "dishSearch");
    typeInto(editor, "dishSearch", QStringLiteral("Компот"));
    typeInto(editor, "dishOutput", QStringLiteral("180"));
    pressEnter(editor, "dishOutput");
    editor->selectMeal(QStringLiteral("Обед"));
    typeInto(editor, "dishSearch", QStringLiteral("Суп"));
    pressEnter(editor, "dishSearch");
    ASSERT_EQ(shownRation(editor),
        QStringLiteral(
            "Завтрак: Рис отварной (150), Компот из яблок (180)\nОбед: Суп картофельный на мясном бульоне (250)"))
        << d.prompter.transcript().toStdString();

    // The drink goes first (Ctrl+Up), the soup gets another output in its cell.
    editor->selectDish(1, 2);
    QTest::keyClick(child<QTreeWidget>(editor, "rationTree"), Qt::Key_Up, Qt::ControlModifier);
    auto *tree = child<QTreeWidget>(editor, "rationTree");
    tree->topLevelItem(1)->child(0)->setText(1, QStringLiteral("200"));
    QApplication::processEvents();
    EXPECT_EQ(shownRation(editor),
        QStringLiteral(
            "Завтрак: Компот из яблок (180), Рис отварной (150)\nОбед: Суп картофельный на мясном бульоне (200)"));

    // Totals: the meal row adds its dishes; the day line adds the meals.
    const QTreeWidgetItem *breakfast = tree->topLevelItem(0);
    EXPECT_EQ(breakfast->text(1), u"330");
    const double proteins = numberOr(breakfast->child(0)->text(2)) + numberOr(breakfast->child(1)->text(2));
    EXPECT_NEAR(numberOr(breakfast->text(2)), proteins, 0.011);
    EXPECT_GT(numberOr(breakfast->text(5)), 0.0);
    EXPECT_TRUE(child<QLabel>(editor, "dayTotals")->text().contains(u"выход 530 г"))
        << child<QLabel>(editor, "dayTotals")->text().toStdString();
    // The soup's copy was recalculated: 200 g of it is lighter than 250 g was.
    const QTreeWidgetItem *soup = tree->topLevelItem(1)->child(0);
    EXPECT_GT(numberOr(soup->text(2)), 0.0);

    // Undo takes the output change back, redo brings it again.
    ASSERT_TRUE(editor->isModified());
    editor->undoStack()->undo();
    EXPECT_EQ(tree->topLevelItem(1)->child(0)->text(1), u"250");
    editor->undoStack()->redo();
    EXPECT_EQ(tree->topLevelItem(1)->child(0)->text(1), u"200");

    QTest::mouseClick(child<QPushButton>(editor, "saveRation"), Qt::LeftButton);
    EXPECT_FALSE(editor->isModified());
    const auto base = openMenuBase(d.context);
    ASSERT_TRUE(base);
    const QString saved = QStringLiteral(
        "Завтрак: Компот из яблок (180), Рис отварной (150)\nОбед: Суп картофельный на мясном бульоне (200)");
    EXPECT_EQ(storedRation(*base, {day, QString()}), saved);
    // The calendar marks the day.
    EXPECT_EQ(child<QCalendarWidget>(editor, "rationCalendar")->dateTextFormat(day).fontWeight(), QFont::Bold);

    // Another day chosen in the calendar is empty; coming back shows the saved day.
    child<QCalendarWidget>(editor, "rationCalendar")->setSelectedDate(day.addDays(1));
    EXPECT_EQ(editor->ration().date(), day.addDays(1));
    EXPECT_EQ(shownRation(editor), QStringLiteral("Завтрак: \nОбед: "));
    ASSERT_TRUE(editor->openRation(day, QString()));
    EXPECT_EQ(shownRation(editor), saved);

    // The soup opens as its recipe in the recipe editor, at the ration's output.
    editor->selectDish(2, 1);
    QTest::mouseClick(child<QPushButton>(editor, "openInEditor"), Qt::LeftButton);
    RecipeEditorForm *recipes = window.findChild<RecipeEditorForm *>();
    ASSERT_NE(recipes, nullptr);
    EXPECT_EQ(recipes->state().header.name, u"Суп картофельный на мясном бульоне");
    EXPECT_EQ(recipes->state().header.output, u"200");
    EXPECT_TRUE(d.prompter.unexpected().isEmpty()) << d.prompter.unexpected().join(u'\n').toStdString();
}

TEST(MenuEditor, ALockedDayRefusesEveryEditAndShowsItsLock)
{
    MenuDesktop d;
    MainWindow window(d.context, d.registry);
    MenuEditorForm *editor = openEditor(window);
    ASSERT_NE(editor, nullptr);
    const QDate day = d.clock.today();
    ASSERT_TRUE(editor->addDish(QStringLiteral("Завтрак"), QStringLiteral("Рис отварной")));
    ASSERT_TRUE(editor->addDish(QStringLiteral("Завтрак"), QStringLiteral("Компот из яблок")));
    ASSERT_TRUE(editor->save());
    const auto base = openMenuBase(d.context);
    ASSERT_TRUE(DayLocks(*base).lock(day, QString()));

    ASSERT_TRUE(editor->openRation(day, QString()));
    EXPECT_TRUE(editor->isLocked());
    EXPECT_EQ(child<QLabel>(editor, "lockState")->text(), DayLocks::lockedText());
    EXPECT_TRUE(child<QPushButton>(editor, "lockDay")->isChecked());
    const QString before = shownRation(editor);

    editor->selectMeal(QStringLiteral("Завтрак"));
    typeInto(editor, "dishSearch", QStringLiteral("Курица"));
    pressEnter(editor, "dishSearch");
    EXPECT_FALSE(editor->removeDish(1, 1));
    EXPECT_FALSE(editor->moveDish(1, 2, true));
    EXPECT_FALSE(editor->changeOutput(editor->ration().dishAt(1, 1), QStringLiteral("100")));
    EXPECT_FALSE(editor->save());
    EXPECT_EQ(shownRation(editor), before);
    EXPECT_EQ(editor->undoStack()->count(), 0);
    EXPECT_FALSE(editor->isModified());
    EXPECT_TRUE(d.prompter.saw(DayLocks::lockedText()));
    EXPECT_EQ(storedRation(*base, {day, QString()}), before);

    // Unlocked from the form, the same edit goes through.
    QTest::mouseClick(child<QPushButton>(editor, "lockDay"), Qt::LeftButton);
    EXPECT_FALSE(editor->isLocked());
    EXPECT_TRUE(editor->removeDish(1, 1));
}

// The editor comes with the program unless bDontLoadMenu, hidden; unsaved
// work is asked about at exit.
TEST(MenuEditor, IsPreloadedUnlessSwitchedOffAndGuardsTheExit)
{
    MenuDesktop d;
    d.settings.save(Section::Data, QStringLiteral("bDontLoadTN"), QStringLiteral("1"));
    {
        d.settings.save(Section::Data, QStringLiteral("bDontLoadMenu"), QStringLiteral("1"));
        MainWindow window(d.context, d.registry);
        preloadForms(window, d.context);
        EXPECT_TRUE(window.documents()->subWindowList().isEmpty());
    }
    d.settings.remove(Section::Data, QStringLiteral("bDontLoadMenu"));
    MainWindow window(d.context, d.registry);
    window.show();
    preloadForms(window, d.context);
    ASSERT_EQ(window.documents()->subWindowList().size(), 1);
    QMdiSubWindow *sub = window.documents()->subWindowList().front();
    EXPECT_FALSE(sub->isVisible());
    auto *editor = qobject_cast<MenuEditorForm *>(sub->widget());
    ASSERT_NE(editor, nullptr);
    window.runCommand(QStringLiteral("MenuNew"));
    EXPECT_EQ(window.documents()->subWindowList().size(), 1);
    EXPECT_TRUE(sub->isVisible());

    ASSERT_TRUE(editor->addDish(QStringLiteral("Завтрак"), QStringLiteral("Рис отварной")));
    d.prompter.expect(QStringLiteral("Меню рационов не сохранено"), Prompter::Answer::No);
    EXPECT_FALSE(window.confirmExit());
    d.prompter.expect(QStringLiteral("Меню рационов не сохранено"), Prompter::Answer::Yes);
    EXPECT_TRUE(window.confirmExit());
}

// Variants made in their form are the editor's groups; a ration of a group
// is its own; the archive form lists both rations, dates as dates.
TEST(MenuForms, VariantsBecomeGroupsAndTheArchiveListsTheirRations)
{
    MenuDesktop d;
    MainWindow window(d.context, d.registry);
    window.runCommand(QStringLiteral("VarMenu"));
    auto *variants = window.findChild<MenuVariantsForm *>();
    ASSERT_NE(variants, nullptr);
    d.prompter.expectInput(QStringLiteral("Введите наименование:"), QStringLiteral("Дети \"7-11\" лет"));
    QTest::keyClick(child<QListWidget>(variants, "variants"), Qt::Key_Insert);
    EXPECT_EQ(child<QListWidget>(variants, "variants")->currentItem()->text(), u"Дети \"7-11\" лет");

    MenuEditorForm *editor = openEditor(window);
    ASSERT_NE(editor, nullptr);
    auto *groups = child<QComboBox>(editor, "groupSelector");
    ASSERT_GE(groups->findText(QStringLiteral("Дети \"7-11\" лет")), 0);
    const QDate day = d.clock.today();
    ASSERT_TRUE(editor->openRation(day, QStringLiteral("Дети \"7-11\" лет")));
    ASSERT_TRUE(editor->addDish(QStringLiteral("Завтрак"), QStringLiteral("Рис отварной")));
    ASSERT_TRUE(editor->save());
    ASSERT_TRUE(editor->openRation(day.addDays(-22), QString()));
    ASSERT_TRUE(editor->addDish(QStringLiteral("Завтрак"), QStringLiteral("Компот из яблок")));
    ASSERT_TRUE(editor->save());
    ASSERT_TRUE(editor->openRation(day, QString()));
    EXPECT_TRUE(editor->ration().isEmpty());

    window.runCommand(QStringLiteral("arc_menu"));
    auto *archive = window.findChild<MenuArchiveForm *>();
    ASSERT_NE(archive, nullptr);
    auto *list = child<QTreeWidget>(archive, "rations");
    ASSERT_EQ(list->topLevelItemCount(), 2);
    // 20.04 comes before 12.05 as a day, though not as text.
    EXPECT_EQ(list->topLevelItem(0)->text(0), formatTextDate(day.addDays(-22)));
    EXPECT_EQ(list->topLevelItem(1)->text(1), u"Дети \"7-11\" лет");

    // F2 moves the chosen ration to another day, Delete deletes it after the question.
    list->setCurrentItem(list->topLevelItem(0));
    d.prompter.expectInput(QStringLiteral("Введите новую дату для рациона"), formatTextDate(day.addDays(1)));
    QTest::keyClick(list, Qt::Key_F2);
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(1)->text(0), formatTextDate(day.addDays(1)));
    list->clearSelection();
    list->topLevelItem(1)->setSelected(true);
    d.prompter.expect(QStringLiteral("Удалить рацион на дату"), Prompter::Answer::Yes);
    QTest::keyClick(list, Qt::Key_Delete);
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(1), u"Дети \"7-11\" лет");
    EXPECT_TRUE(d.prompter.scriptDone());
}

// The editor on a day of the demo kitchen draws itself; with
// KULVERA_MENU_SCREENSHOT set the picture is kept there (the README's
// screenshot is made this way).
TEST(MenuEditor, DrawsADayOfTheDemoKitchen)
{
    pinProgramLocale(); // as the program does first thing: Russian calendar
    test::DemoKitchenDesktop k;
    ASSERT_TRUE(k.made);
    auto &context = k.context;
    auto &prompter = k.prompter;
    // Two weeks for each of the two groups.
    const auto base = openMenuBase(context);
    ASSERT_TRUE(base);
    const auto rations = base->list(RationOrder::ByDate);
    ASSERT_TRUE(rations);
    ASSERT_EQ(rations->size(), 20u);
    std::map<QString, std::set<QDate>> days;
    for (const RationListEntry &e : rations.value())
        days[e.group].insert(e.date);
    ASSERT_EQ(days.size(), 2u);
    const QDate monday = *days[QStringLiteral("Дети 12-18 лет")].begin();
    EXPECT_EQ(days[QStringLiteral("Дети 7-11 лет")], days[QStringLiteral("Дети 12-18 лет")]);
    EXPECT_EQ(monday.dayOfWeek(), 1);
    EXPECT_EQ(days[QStringLiteral("Дети 7-11 лет")].size(), 10u);
    const Result<Ration> older = base->load({monday, QStringLiteral("Дети 12-18 лет")});
    ASSERT_TRUE(older);
    EXPECT_EQ(older->mealCount(), 3);

    MainWindow window(context, k.registry);
    window.resize(1280, 800);
    window.show();
    MenuEditorForm *editor = openEditor(window);
    ASSERT_NE(editor, nullptr);
    qobject_cast<QMdiSubWindow *>(editor->parentWidget())->showMaximized();
    ASSERT_TRUE(editor->openRation(monday, QStringLiteral("Дети 7-11 лет")));
    EXPECT_EQ(editor->ration().mealCount(), 3);
    editor->selectDish(2, 3);
    typeInto(editor, "dishSearch", QStringLiteral("суп"));
    QApplication::processEvents();
    test::keepPicture(window, "KULVERA_MENU_SCREENSHOT");
    EXPECT_TRUE(prompter.unexpected().isEmpty()) << prompter.unexpected().join(u'\n').toStdString();
}
