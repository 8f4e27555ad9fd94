#include "FormRegistration.h"
#include "SeededDesktop.h"

#include "common/Clock.h"
#include "common/NumberText.h"
#include "common/ScriptedPrompter.h"
#include "products/forms/ProductListModel.h"
#include "recipes/DishGroups.h"
#include "recipes/HeatTreatment.h"
#include "recipes/Microbiology.h"
#include "recipes/forms/DishBaseBrowser.h"
#include "recipes/forms/RecipeEditorForm.h"
#include "shell/AppContext.h"
#include "shell/DishCollections.h"
#include "shell/ErrorLog.h"
#include "shell/SettingsStore.h"
#include "shell/SharedSettings.h"
#include "shell/SqlStatement.h"
#include "shell/forms/CommandRegistry.h"
#include "shell/forms/MainWindow.h"
#include "support/CliRunner.h"
#include "support/KeepPicture.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>
#include <QUndoStack>

#include <gtest/gtest.h>

using namespace kulvera;

using test::Desktop;

namespace {

template <typename W> W *child(QWidget *form, const char *name)
{
    W *w = form->findChild<W *>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

// Key presses carrying the text, as a keyboard sends Cyrillic letters.
void typeText(QWidget *widget, const QString &text)
{
    for (QChar ch : text) {
        QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

void typeInto(QWidget *form, const char *name, const QString &text)
{
    auto *edit = child<QLineEdit>(form, name);
    edit->setFocus();
    edit->selectAll();
    typeText(edit, text);
}

void pressEnter(QWidget *form, const char *name)
{
    QTest::keyClick(child<QLineEdit>(form, name), Qt::Key_Return);
}

QString cell(QTableWidget *t, int row, int column)
{
    return t->item(row, column) ? t->item(row, column)->text() : QString();
}

} // namespace

// The whole round: typed input builds a recipe with a semi-finished product,
// it is saved to the dish base, opened again, and its figures are the ones
// kulvera-cli computes for it.
TEST(RecipeEditor, TypedTwoLevelRecipeSavesReopensAndMatchesTheCommandLine)
{
    Desktop d;
    MainWindow window(d.context, d.registry);
    window.runCommand(QStringLiteral("Norm"));
    ASSERT_EQ(window.documents()->subWindowList().size(), 1);
    auto *editor = qobject_cast<RecipeEditorForm *>(window.documents()->subWindowList().front()->widget());
    ASSERT_NE(editor, nullptr);
    // One editor for the program: the command brings it forward.
    window.runCommand(QStringLiteral("Norm"));
    EXPECT_EQ(window.documents()->subWindowList().size(), 1);

    typeInto(editor, "recipeName", QStringLiteral("Картофель с морковным соусом"));
    typeInto(editor, "recipeOutput", QStringLiteral("200"));

    // A semi-finished product, and a product typed into it (net mass).
    d.prompter.expectInput(QStringLiteral("Наименование полуфабриката"), QStringLiteral("Соус морковный"));
    QTest::mouseClick(child<QPushButton>(editor, "addSemiFinished"), Qt::LeftButton);
    ASSERT_EQ(editor->state().slot.Count(), 1);
    typeInto(editor, "productSearch", QStringLiteral("Морковь"));
    pressEnter(editor, "productSearch"); // no mass yet: the mass field takes the focus
    typeInto(editor, "massEntry", QStringLiteral("40"));
    pressEnter(editor, "massEntry");
    ASSERT_EQ(editor->state().slot.Count(), 2);

    // A product at the top of the recipe, entered as gross mass.
    child<QTreeWidget>(editor, "positions")->clearSelection();
    typeInto(editor, "productSearch", QStringLiteral("Картофель"));
    child<QRadioButton>(editor, "massIsGross")->setChecked(true);
    typeInto(editor, "massEntry", QStringLiteral("200"));
    pressEnter(editor, "massEntry");
    ASSERT_EQ(editor->state().slot.Count(), 3);
    EXPECT_TRUE(d.prompter.unexpected().isEmpty()) << d.prompter.unexpected().join(u'\n').toStdString();

    auto *tree = child<QTreeWidget>(editor, "positions");
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), u"Соус морковный");
    ASSERT_EQ(tree->topLevelItem(0)->childCount(), 1);
    EXPECT_EQ(tree->topLevelItem(0)->child(0)->text(0), u"Морковь");
    EXPECT_EQ(tree->topLevelItem(0)->child(0)->text(2), u"40,0");
    EXPECT_EQ(tree->topLevelItem(0)->child(0)->text(1), u"53,3"); // yield in May: 75 %
    EXPECT_EQ(tree->topLevelItem(1)->text(0), u"Картофель");
    EXPECT_EQ(tree->topLevelItem(1)->text(1), u"200,0");
    EXPECT_TRUE(editor->isModified());

    // Undo takes the last product away and redo brings it back.
    editor->undoStack()->undo();
    EXPECT_EQ(editor->state().slot.Count(), 2);
    editor->undoStack()->redo();
    EXPECT_EQ(editor->state().slot.Count(), 3);

    QTest::mouseClick(child<QPushButton>(editor, "saveToBase"), Qt::LeftButton);
    EXPECT_FALSE(editor->isModified());
    const QString kcalShown = cell(child<QTableWidget>(editor, "totals"), 4, 0);

    // Reopened in a fresh editor.
    RecipeEditorForm reopened(d.context);
    ASSERT_TRUE(reopened.loadFromBase(d.firstTable(), QStringLiteral("Картофель с морковным соусом")));
    EXPECT_EQ(reopened.state().slot.Count(), 3);
    EXPECT_EQ(cell(child<QTableWidget>(&reopened, "totals"), 4, 0), kcalShown);

    ASSERT_EQ(d.cli.run({QStringLiteral("recipes"), QStringLiteral("compute"),
                  QStringLiteral("Картофель с морковным соусом"), QStringLiteral("--json")}),
        0)
        << d.cli.err.toStdString();
    const QJsonObject computed = QJsonDocument::fromJson(d.cli.out.toUtf8()).object();
    const DishValues &v = reopened.values();
    EXPECT_DOUBLE_EQ(v.netto, computed.value(QStringLiteral("netto")).toDouble());
    EXPECT_DOUBLE_EQ(roundTo(v.kcal, 1), computed.value(QStringLiteral("kcal")).toDouble());
    EXPECT_DOUBLE_EQ(roundTo(v.kj, 1), computed.value(QStringLiteral("kj")).toDouble());
    const QJsonObject totals = computed.value(QStringLiteral("totals")).toObject();
    EXPECT_NEAR(v.composition.Bel, totals.value(QStringLiteral("Белки")).toDouble(), 1e-9);
    EXPECT_NEAR(v.composition.Gir, totals.value(QStringLiteral("Жир")).toDouble(), 1e-9);
    EXPECT_NEAR(v.composition.c, totals.value(QStringLiteral("C")).toDouble(), 1e-9);
    EXPECT_NEAR(
        v.per100.Kr, computed.value(QStringLiteral("per100g")).toObject().value(QStringLiteral("Кр")).toDouble(), 1e-9);
    EXPECT_GT(v.kcal, 0);
}

TEST(RecipeEditor, UnsavedRecipeIsAskedAboutOnCloseAndAtExit)
{
    Desktop d;
    MainWindow window(d.context, d.registry);
    window.runCommand(QStringLiteral("Norm"));
    auto *editor = qobject_cast<RecipeEditorForm *>(window.documents()->subWindowList().front()->widget());
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(editor->addSemiFinished(QStringLiteral("Тесто"), QString(), QStringLiteral("100")));

    d.prompter.expect(QStringLiteral("Активный норматив не сохранен. Выйти?"), Prompter::Answer::No);
    EXPECT_FALSE(window.confirmExit());
    const auto &asked = d.prompter.shown().back();
    EXPECT_EQ(asked.title, u"Нормативы");
    d.prompter.expect(QStringLiteral("Активный норматив не сохранен. Выйти?"), Prompter::Answer::No);
    EXPECT_FALSE(editor->close());
    EXPECT_EQ(editor->state().slot.Count(), 1);
    d.prompter.expect(QStringLiteral("Активный норматив не сохранен. Выйти?"), Prompter::Answer::Yes);
    EXPECT_TRUE(window.confirmExit());
    EXPECT_TRUE(d.prompter.scriptDone());
    EXPECT_TRUE(d.prompter.unexpected().isEmpty());
}

TEST(RecipeEditor, FilesAndRecalculationThroughTheEditor)
{
    Desktop d;
    RecipeEditorForm editor(d.context);
    ASSERT_TRUE(editor.loadFromBase(d.firstTable(), QStringLiteral("Суп картофельный на мясном бульоне")));
    const double netto = editor.values().netto;
    const QString file = d.cli.dir.filePath(QStringLiteral("суп.nd2"));
    ASSERT_TRUE(editor.saveToFile(file));
    EXPECT_EQ(d.settings.get(Section::Data, QStringLiteral("sLastFileND2")), file);
    EXPECT_EQ(d.settings.get(Section::Data, QStringLiteral("LastSaveND")), d.cli.dir.path());

    ASSERT_TRUE(editor.recalculate(QStringLiteral("125")));
    EXPECT_EQ(editor.state().header.output, u"125");
    EXPECT_NEAR(editor.values().netto, netto / 2, 0.5); // masses rounded to 0,1 g each
    EXPECT_TRUE(editor.isModified());
    EXPECT_FALSE(editor.recalculate(QStringLiteral("0")));

    ASSERT_TRUE(editor.loadFromFile(file));
    EXPECT_EQ(editor.state().header.output, u"250");
    EXPECT_DOUBLE_EQ(editor.values().netto, netto);
    EXPECT_FALSE(editor.isModified());
    EXPECT_EQ(d.settings.get(Section::Data, QStringLiteral("LastLoadND")), d.cli.dir.path());
    // A load is undone like any edit.
    editor.undoStack()->undo();
    EXPECT_EQ(editor.state().header.output, u"125");
}

TEST(DishBaseBrowser, CollectionsSearchDeleteAndExport)
{
    Desktop d;
    DishBaseBrowser browser(d.context);
    ASSERT_GE(browser.collections()->count(), 1);
    const int all = browser.recipes()->count();
    ASSERT_GT(all, 3);
    typeText(child<QLineEdit>(&browser, "recipeSearch"), QStringLiteral("суп"));
    int visible = 0;
    for (int i = 0; i < browser.recipes()->count(); ++i)
        visible += browser.recipes()->item(i)->isHidden() ? 0 : 1;
    EXPECT_GE(visible, 1);
    EXPECT_LT(visible, all);

    // The selection (visible rows only) goes out as files.
    browser.recipes()->selectAll();
    const QString folder = d.cli.dir.filePath(QStringLiteral("out"));
    EXPECT_EQ(browser.exportSelected(folder), visible);
    EXPECT_EQ(QDir(folder).entryList({QStringLiteral("*.nd2")}).size(), visible);

    // Deleting asks; No keeps the recipe.
    child<QLineEdit>(&browser, "recipeSearch")->clear();
    browser.recipes()->clearSelection();
    browser.recipes()->setCurrentRow(0);
    const QString first = browser.recipes()->item(0)->text();
    d.prompter.expect(QStringLiteral("Удалить рецептуру"), Prompter::Answer::No);
    EXPECT_FALSE(browser.deleteSelected());
    EXPECT_EQ(browser.recipes()->count(), all);
    browser.recipes()->setCurrentRow(0);
    d.prompter.expect(QStringLiteral("Удалить рецептуру"), Prompter::Answer::Yes);
    EXPECT_TRUE(browser.deleteSelected());
    EXPECT_EQ(browser.recipes()->count(), all - 1);
    EXPECT_TRUE(browser.recipes()->findItems(first, Qt::MatchExactly).isEmpty());

    // A collection with a bad name is refused; a good one is added and removed.
    const int collections = browser.collections()->count();
    EXPECT_FALSE(browser.addCollection(QStringLiteral("плохое имя")));
    ASSERT_TRUE(browser.addCollection(QStringLiteral("Летнее")));
    EXPECT_EQ(browser.collections()->count(), collections + 1);
    EXPECT_EQ(browser.recipes()->count(), 0);
    d.prompter.expect(QStringLiteral("Удалить таблицу"), Prompter::Answer::Yes);
    EXPECT_TRUE(browser.removeCurrentCollection());
    EXPECT_EQ(browser.collections()->count(), collections);
    EXPECT_TRUE(d.prompter.unexpected().isEmpty()) << d.prompter.unexpected().join(u'\n').toStdString();
}

TEST(RecipeEditor, PreloadedOutOfSightUnlessSwitchedOff)
{
    Desktop d;
    d.settings.save(Section::Data, QStringLiteral("bDontLoadMenu"), QStringLiteral("1")); // the menu editor's own test
    {
        d.settings.save(Section::Data, QStringLiteral("bDontLoadTN"), QStringLiteral("1"));
        MainWindow window(d.context, d.registry);
        preloadForms(window, d.context);
        EXPECT_TRUE(window.documents()->subWindowList().isEmpty());
    }
    d.settings.remove(Section::Data, QStringLiteral("bDontLoadTN"));
    MainWindow window(d.context, d.registry);
    window.show();
    preloadForms(window, d.context);
    ASSERT_EQ(window.documents()->subWindowList().size(), 1);
    QMdiSubWindow *sub = window.documents()->subWindowList().front();
    EXPECT_FALSE(sub->isVisible());
    window.runCommand(QStringLiteral("Norm"));
    EXPECT_EQ(window.documents()->subWindowList().size(), 1);
    EXPECT_TRUE(sub->isVisible());
}

// The editor showing a demo recipe draws itself; with KULVERA_SCREENSHOT set
// the picture is kept there (the README's screenshot is made this way).
TEST(RecipeEditor, DrawsADemoRecipe)
{
    Desktop d;
    MainWindow window(d.context, d.registry);
    window.resize(1280, 800);
    window.show();
    window.runCommand(QStringLiteral("Norm"));
    QMdiSubWindow *sub = window.documents()->subWindowList().front();
    auto *editor = qobject_cast<RecipeEditorForm *>(sub->widget());
    ASSERT_TRUE(editor->loadFromBase(d.firstTable(), QStringLiteral("Суп картофельный на мясном бульоне")));
    sub->showMaximized();
    editor->selectIndex(1);
    child<QLineEdit>(editor, "productSearch")->setText(QStringLiteral("Морков"));
    QApplication::processEvents();
    // The product list names each product's group.
    const QAbstractItemModel *products = child<QTableView>(editor, "productList")->model();
    ASSERT_GT(products->rowCount(), 0);
    const QString group = products->index(0, ProductListModel::Group).data().toString();
    EXPECT_FALSE(group.isEmpty());
    bool number = false;
    group.toInt(&number);
    EXPECT_FALSE(number) << group.toStdString();
    test::keepPicture(window, "KULVERA_SCREENSHOT");
}

// A semi-finished product built in the editor goes into the semi-finished
// base, and the base's list ("pf") puts it into the program's editor again.
TEST(RecipeEditor, SemiFinishedProductsTravelBetweenTheEditorAndTheirBase)
{
    Desktop d;
    MainWindow window(d.context, d.registry);
    window.runCommand(QStringLiteral("Norm"));
    auto *editor = qobject_cast<RecipeEditorForm *>(window.documents()->subWindowList().front()->widget());
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(editor->addSemiFinished(QStringLiteral("Соус луковый"), QString(), QStringLiteral("60")));
    typeInto(editor, "productSearch", QStringLiteral("Морковь"));
    typeInto(editor, "massEntry", QStringLiteral("40"));
    pressEnter(editor, "massEntry");
    ASSERT_EQ(editor->state().slot.Count(), 2);
    const double carrotBel = editor->state().slot.item(2)->clsProds().Bel;

    // A product is not a semi-finished product: said, nothing stored.
    editor->selectIndex(2);
    QTest::mouseClick(child<QPushButton>(editor, "saveSemiFinished"), Qt::LeftButton);
    EXPECT_TRUE(d.prompter.saw(QStringLiteral("Полуфабрикат не выбран")));
    editor->selectIndex(1);
    QTest::mouseClick(child<QPushButton>(editor, "saveSemiFinished"), Qt::LeftButton);
    EXPECT_TRUE(d.prompter.unexpected().isEmpty()) << d.prompter.unexpected().join(u'\n').toStdString();

    window.runCommand(QStringLiteral("pf"));
    SemiFinishedListForm *list = nullptr;
    for (QMdiSubWindow *sub : window.documents()->subWindowList()) {
        if (auto *l = qobject_cast<SemiFinishedListForm *>(sub->widget()))
            list = l;
    }
    ASSERT_NE(list, nullptr);
    const auto found = list->list()->findItems(QStringLiteral("Соус луковый"), Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    list->list()->setCurrentItem(found.front());
    editor->selectIndex(0); // nothing selected: it goes to the top
    child<QPushButton>(list, "addToRecipe")->click();

    // The copy hangs at the top as a node of its own, with the carrot in it.
    ASSERT_EQ(editor->state().slot.Count(), 4) << d.prompter.transcript().toStdString();
    const colBludo &slot = editor->state().slot;
    int nodes = 0;
    for (int i = 1; i <= slot.Count(); ++i) {
        const clsProds &p = slot.item(i)->clsProds();
        if (p.FullName == u"Соус луковый")
            ++nodes;
    }
    EXPECT_EQ(nodes, 2);
    EXPECT_NEAR(slot.item(4)->clsProds().Bel, carrotBel, 1e-9);
    EXPECT_EQ(slot.item(3)->clsProds().Out, u"60");
    EXPECT_TRUE(d.prompter.unexpected().isEmpty()) << d.prompter.unexpected().join(u'\n').toStdString();
}

// The indicator set is chosen from the microbiology base's sets of the
// card's kind; the parts of the normative-document value have fields of
// their own, and all of it travels in the recipe file.
TEST(RecipeEditor, IndicatorSetFromTheListAndTheNormativeDocumentParts)
{
    Desktop d;
    ASSERT_NE(d.connections.connectBase(BaseId::Microbiology, d.shared, true), Connections::kFailed);
    ASSERT_TRUE(programMicrobiology().load(d.connections, d.settings, d.prompter));
    const QList<int> culinary = programMicrobiology().ids(false);
    ASSERT_GE(culinary.size(), 2);

    RecipeEditorForm editor(d.context);
    ASSERT_TRUE(editor.loadFromBase(d.firstTable(), QStringLiteral("Суп картофельный на мясном бульоне")));
    auto *sets = child<QComboBox>(&editor, "microbiology");
    ASSERT_EQ(sets->count(), culinary.size() + 1); // "не задан" first
    EXPECT_EQ(sets->itemData(0).toInt(), 0);
    const int wanted = culinary[1];
    const int row = sets->findData(wanted);
    ASSERT_GT(row, 0);
    EXPECT_TRUE(sets->itemText(row).contains((*programMicrobiology().find(wanted))[0]));
    sets->setCurrentIndex(row);
    emit sets->activated(row);
    EXPECT_EQ(editor.state().header.microbiology, wanted);
    EXPECT_EQ(editor.state().head.ID_MB, wanted);

    typeInto(&editor, "out1", QStringLiteral("150"));
    typeInto(&editor, "out2", QStringLiteral("200"));
    typeInto(&editor, "out3", QStringLiteral("300"));
    typeInto(&editor, "stn", QStringLiteral("СТН 1-2024"));
    typeInto(&editor, "diet", QStringLiteral("щадящая"));
    typeInto(&editor, "zav", QStringLiteral("Иванова А. А."));
    EXPECT_EQ(editor.state().header.out2, u"200");
    EXPECT_EQ(editor.state().header.zav, u"Иванова А. А.");
    editor.undoStack()->undo(); // header typing is one step
    EXPECT_TRUE(editor.state().header.out1.isEmpty());
    editor.undoStack()->redo();

    const QString file = d.cli.dir.filePath(QStringLiteral("суп.nd2"));
    ASSERT_TRUE(editor.saveToFile(file));
    RecipeEditorForm reopened(d.context);
    ASSERT_TRUE(reopened.loadFromFile(file));
    EXPECT_EQ(child<QComboBox>(&reopened, "microbiology")->currentData().toInt(), wanted);
    EXPECT_EQ(child<QLineEdit>(&reopened, "out1")->text(), u"150");
    EXPECT_EQ(child<QLineEdit>(&reopened, "out3")->text(), u"300");
    EXPECT_EQ(child<QLineEdit>(&reopened, "stn")->text(), u"СТН 1-2024");
    EXPECT_EQ(child<QLineEdit>(&reopened, "diet")->text(), u"щадящая");
    EXPECT_EQ(child<QLineEdit>(&reopened, "zav")->text(), u"Иванова А. А.");

    // A set the base does not hold stays chosen, marked as missing; a
    // confectionery card lists the confectionery sets.
    QFile text(file);
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    QByteArray bytes = text.readAll();
    text.close();
    const QByteArray chosen = QByteArray("mb=").append(QByteArray::number(wanted));
    bytes.replace(chosen, QByteArray("mb=9999"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write(bytes);
    text.close();
    ASSERT_TRUE(reopened.loadFromFile(file));
    auto *again = child<QComboBox>(&reopened, "microbiology");
    EXPECT_EQ(again->currentData().toInt(), 9999);
    EXPECT_TRUE(again->currentText().contains(QStringLiteral("нет в базе")));
    auto *card = child<QComboBox>(&reopened, "cardType");
    card->setCurrentIndex(1);
    emit card->activated(1);
    EXPECT_EQ(again->count() - 2, programMicrobiology().ids(true).size());
}

TEST(DishBaseBrowser, ChoosingAGroupShowsItsRecipes)
{
    Desktop d;
    DishGroups groups(d.connections, static_cast<int>(BaseId::Dishes), d.prompter);
    const qint64 soups = groups.add().value();
    ASSERT_TRUE(groups.rename(soups, QStringLiteral("Супы")));
    ASSERT_TRUE(execSql(d.connections.database(BaseId::Dishes),
        QStringLiteral("INSERT INTO \"Блюда_Заголовки\" (\"Наименование\", \"Группа\") VALUES (?, ?)"),
        {QStringLiteral("Суп картофельный на мясном бульоне"), soups}));

    DishBaseBrowser browser(d.context);
    const int all = browser.recipes()->count();
    ASSERT_GT(all, 1);
    const auto visible = [&browser] {
        QStringList names;
        for (int i = 0; i < browser.recipes()->count(); ++i) {
            if (!browser.recipes()->item(i)->isHidden())
                names << browser.recipes()->item(i)->text();
        }
        return names;
    };
    QTreeWidget *tree = browser.groups()->tree();
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    tree->setCurrentItem(tree->topLevelItem(0));
    EXPECT_EQ(visible(), QStringList {QStringLiteral("Суп картофельный на мясном бульоне")});
    // The search works inside the group.
    typeText(child<QLineEdit>(&browser, "recipeSearch"), QStringLiteral("каша"));
    EXPECT_TRUE(visible().isEmpty());
    child<QLineEdit>(&browser, "recipeSearch")->clear();
    QTest::mouseClick(child<QPushButton>(&browser, "allRecipes"), Qt::LeftButton);
    EXPECT_EQ(visible().size(), all);
}
