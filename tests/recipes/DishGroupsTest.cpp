#include "recipes/DishGroups.h"
#include "common/Clock.h"
#include "recipes/DishBase.h"
#include "recipes/ProductReplacement.h"
#include "shell/DishCollections.h"
#include "shell/SqlStatement.h"
#include "support/TempBases.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace kulvera;
using kulvera::test::TempBases;

namespace {
constexpr int kDishes = static_cast<int>(BaseId::Dishes);
}

TEST(DishGroups, AddRenameExpandFindAndDeleteWithSubgroups)
{
    TempBases t;
    ASSERT_NE(t.create(BaseId::Dishes), Connections::kFailed);
    DishGroups groups(t.connections(), kDishes, t.prompter());
    const qint64 soups = groups.add().value();
    const qint64 cold = groups.add(DishGroups::nodeKey(soups)).value();
    const qint64 deeper = groups.add(DishGroups::nodeKey(cold)).value();
    const qint64 salads = groups.add().value();
    EXPECT_EQ(cold, soups + 1);
    auto all = groups.list();
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[0].name, u"Новая группа");
    EXPECT_EQ(all[1].name, u"Новая подгруппа");
    EXPECT_EQ(all[1].parent, soups);

    ASSERT_TRUE(groups.rename(soups, QStringLiteral("Супы")));
    ASSERT_TRUE(groups.rename(cold, QStringLiteral("Холодные СУПЫ")));
    ASSERT_TRUE(groups.setExpanded(soups, true));
    EXPECT_TRUE(groups.list()[0].expanded);
    const auto found = groups.find(QStringLiteral("суп"));
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[1].key, cold);

    t.prompter().expect(QStringLiteral("Удалить группу - 'Супы'?"), Prompter::Answer::No);
    EXPECT_FALSE(groups.remove(soups));
    EXPECT_EQ(groups.list().size(), 4u);
    t.prompter().expect(QStringLiteral("Удалить группу - 'Супы'?"), Prompter::Answer::Yes);
    ASSERT_TRUE(groups.remove(soups));
    all = groups.list();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].key, salads);
    (void)deeper;

    EXPECT_EQ(groups.rename(soups, QStringLiteral("x")).error(), u"Возможна она была удалена");
    EXPECT_EQ(DishGroups::keyOfNode(QStringLiteral("pro12")).error(), u"Ошибка определения кода базы!");
    EXPECT_FALSE(groups.add(QStringLiteral("bld")));
    EXPECT_TRUE(t.prompter().unexpected().isEmpty());

    DishGroups nowhere(t.connections(), 30, t.prompter());
    EXPECT_EQ(nowhere.add().error(), u"База не обнаружена в списке!");
}

TEST(DishGroups, TheDeleteQuestionNamesEverySubgroupThatGoesWithTheGroup)
{
    TempBases t;
    ASSERT_NE(t.create(BaseId::Dishes), Connections::kFailed);
    DishGroups groups(t.connections(), kDishes, t.prompter());
    auto add = [&](const QString &name, qint64 parent) {
        const qint64 key = groups.add(parent ? DishGroups::nodeKey(parent) : QString()).value();
        EXPECT_TRUE(groups.rename(key, name));
        return key;
    };
    const qint64 soups = add(QStringLiteral("Супы"), 0);
    const qint64 cold = add(QStringLiteral("Холодные супы"), soups);
    add(QStringLiteral("Окрошки"), cold);
    add(QStringLiteral("Бульоны"), soups);
    const qint64 salads = add(QStringLiteral("Салаты"), 0);

    // Every subgroup, at every depth, in tree order.
    t.prompter().expect(QStringLiteral("Удалить группу - 'Супы'?"), Prompter::Answer::Yes);
    ASSERT_TRUE(groups.remove(soups));
    ASSERT_EQ(t.prompter().shown().size(), 1u);
    EXPECT_EQ(t.prompter().shown()[0].text,
        u"Удалить группу - 'Супы'?\nВместе с ней будут удалены подгруппы: 'Холодные супы', 'Окрошки', "
        u"'Бульоны'.\nОтменить действие будет невозможно!");
    ASSERT_EQ(groups.list().size(), 1u);

    // A group without subgroups gets the plain question.
    t.prompter().expect(QStringLiteral("Удалить группу"), Prompter::Answer::Yes);
    ASSERT_TRUE(groups.remove(salads));
    EXPECT_EQ(t.prompter().shown()[1].text, u"Удалить группу - 'Салаты'?\nОтменить действие будет невозможно!");
    EXPECT_TRUE(groups.list().empty());

    // A long list is cut after thirty names and the rest counted.
    const qint64 big = add(QStringLiteral("Большая"), 0);
    for (int i = 1; i <= 32; ++i)
        add(QStringLiteral("П%1").arg(i), big);
    t.prompter().expect(QStringLiteral("Удалить группу"), Prompter::Answer::Yes);
    ASSERT_TRUE(groups.remove(big));
    const QString text = t.prompter().shown().back().text;
    EXPECT_TRUE(text.contains(QStringLiteral("'П29', 'П30' и еще 2.\n"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("'П31'")));
    EXPECT_TRUE(groups.list().empty());
    EXPECT_TRUE(t.prompter().unexpected().isEmpty());
}

TEST(DishGroups, AGroupsRecipesIncludeThoseOfItsSubgroups)
{
    TempBases t;
    ASSERT_NE(t.create(BaseId::Dishes), Connections::kFailed);
    DishGroups groups(t.connections(), kDishes, t.prompter());
    const qint64 soups = groups.add().value();
    const qint64 cold = groups.add(DishGroups::nodeKey(soups)).value();
    const qint64 salads = groups.add().value();
    const QSqlDatabase db = t.connections().database(kDishes);
    const auto header = [&db](const QString &name, qint64 group) {
        return execSql(db,
            QStringLiteral("INSERT INTO \"Блюда_Заголовки\" (\"Наименование\", \"Группа\") VALUES (?, ?)"),
            {name, group});
    };
    ASSERT_TRUE(header(QStringLiteral("Борщ"), soups));
    ASSERT_TRUE(header(QStringLiteral("Окрошка"), cold));
    ASSERT_TRUE(header(QStringLiteral("Винегрет"), salads));
    ASSERT_TRUE(header(QStringLiteral("Борщ"), soups)); // listed once

    QStringList inSoups = groups.recipesOf(soups);
    inSoups.sort();
    EXPECT_EQ(inSoups, QStringList({QStringLiteral("Борщ"), QStringLiteral("Окрошка")}));
    EXPECT_EQ(groups.recipesOf(cold), QStringList {QStringLiteral("Окрошка")});
    EXPECT_EQ(groups.recipesOf(salads), QStringList {QStringLiteral("Винегрет")});
    EXPECT_TRUE(groups.recipesOf(salads + 100).isEmpty());
}

TEST(ProductReplacement, EveryUseIsReplacedAfterAnArchiveCopy)
{
    TempBases t;
    ASSERT_NE(t.create(BaseId::Dishes), Connections::kFailed);
    const QString table = addCollection(t.connections(), t.settings(), QStringLiteral("Проверочная"))->table;
    const StoredTextCodec codec = installationCodec(t.connections(), kDishes, t.settings(), nullptr).value();
    DishBase base(t.connections(), kDishes, t.settings(), t.prompter(), codec);
    colBludo r;
    for (const char16_t *product : {u"7", u"77", u"7"}) {
        clsBludo b;
        b.clsProds().Kod = QStringLiteral("pro0001");
        b.clsProds().ID_Prod = QString::fromUtf16(product);
        b.clsProds().Out = QStringLiteral("100");
        r.Add(b);
    }
    ASSERT_TRUE(base.save(r, table, QStringLiteral("Каша"), {}));
    ASSERT_TRUE(execSql(t.connections().database(kDishes),
        QStringLiteral("INSERT INTO \"Блюда_Позиции\" (\"Код_рец\", \"Код_Прод\") VALUES (1, 7)")));

    const auto report
        = replaceProductInDishBase(t.connections(), t.settings(), t.shared(), t.prompter(), QDate(2026, 5, 4), 7, 9);
    ASSERT_TRUE(report) << report.error().toStdString();
    EXPECT_EQ(report->positions, 3);
    EXPECT_TRUE(QFileInfo::exists(report->archive));

    RecipeSlots memory;
    ASSERT_TRUE(base.load(memory, 1, table, QStringLiteral("Каша"), QString()));
    EXPECT_EQ(memory.slot(1)->item(1)->clsProds().ID_Prod, u"9");
    EXPECT_EQ(memory.slot(1)->item(2)->clsProds().ID_Prod, u"77");
    EXPECT_EQ(memory.slot(1)->item(3)->clsProds().ID_Prod, u"9");

    EXPECT_FALSE(
        replaceProductInDishBase(t.connections(), t.settings(), t.shared(), t.prompter(), QDate(2026, 5, 4), 9, 9));
}
