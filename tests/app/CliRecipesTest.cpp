#include "support/CliRunner.h"

#include "recipes/DishBase.h"
#include "shell/DishCollections.h"
#include "support/TempBases.h"

#include <gtest/gtest.h>

using namespace kulvera;
using kulvera::test::TempBases;

namespace {

struct RecipesCli {
    TempBases bases;
    test::CliRunner runner {QDir(bases.root()).filePath(QStringLiteral("settings.ini"))};
    int run(const QStringList &args)
    {
        bases.settings().sync();
        return runner.run(args);
    }
};

clsBludo position(const QString &key, const QString &product, const QString &name, double brutto, double netto)
{
    clsBludo b;
    b.clsProds().Kod = key;
    b.clsProds().ID_Prod = product;
    b.clsProds().FullName = name;
    b.clsProds().Brutto = brutto;
    b.clsProds().Netto = netto;
    b.clsProds().Out = QStringLiteral("200");
    return b;
}

} // namespace

TEST(CliRecipes, ListsNamesAndShowsARecipeForAnOutput)
{
    RecipesCli cli;
    constexpr int kDishes = static_cast<int>(BaseId::Dishes);
    ASSERT_NE(cli.bases.create(BaseId::Dishes), Connections::kFailed);
    const QString table = addCollection(cli.bases.connections(), cli.bases.settings(), QStringLiteral("Школа"))->table;
    const auto codec = installationCodec(cli.bases.connections(), kDishes, cli.bases.settings(), nullptr);
    DishBase base(cli.bases.connections(), kDishes, cli.bases.settings(), cli.bases.prompter(), codec.value());
    colBludo r;
    r.Add(position(QStringLiteral("pro0001"), QStringLiteral("5"), QStringLiteral("Крупа гречневая"), 50, 50));
    r.Add(position(QStringLiteral("pro0002"), QStringLiteral("8"), QStringLiteral("Масло сливочное"), 10.4, 10.4));
    ASSERT_TRUE(base.save(r, table, QStringLiteral("Каша гречневая"), {}));
    ASSERT_TRUE(base.save(r, table, QStringLiteral("Блины"), {}));
    cli.bases.connections().disconnectAll();

    ASSERT_EQ(cli.run({QStringLiteral("recipes"), QStringLiteral("list"), QStringLiteral("--table"),
                  QStringLiteral("Школа")}),
        0)
        << cli.runner.err.toStdString();
    EXPECT_EQ(cli.runner.out, u"Блины\nКаша гречневая\n");

    ASSERT_EQ(cli.run({QStringLiteral("recipes"), QStringLiteral("show"), QStringLiteral("Каша гречневая"),
                  QStringLiteral("--out"), QStringLiteral("100"), QStringLiteral("--table"), table}),
        0)
        << cli.runner.err.toStdString();
    EXPECT_EQ(cli.runner.out,
        QStringLiteral("Каша гречневая\t100\n"
                       "pro0001\t5\tКрупа гречневая\t25\t25\t100\n"
                       "pro0002\t8\tМасло сливочное\t5,2\t5,2\t100\n"));

    EXPECT_EQ(cli.run({QStringLiteral("recipes"), QStringLiteral("show"), QStringLiteral("Нет такой"),
                  QStringLiteral("--table"), table}),
        1);
    EXPECT_TRUE(cli.runner.err.contains(u"В данном блюде нет продуктов"));
    EXPECT_EQ(cli.run({QStringLiteral("recipes"), QStringLiteral("list"), QStringLiteral("--table"),
                  QStringLiteral("dt999")}),
        1);
    EXPECT_EQ(cli.run({QStringLiteral("recipes"), QStringLiteral("show")}), 2);
    EXPECT_TRUE(cli.runner.err.contains(u"recipes list"));
}

TEST(CliRecipes, ARecipeTableExportsToDbfOneRowPerPosition)
{
    RecipesCli cli;
    constexpr int kDishes = static_cast<int>(BaseId::Dishes);
    ASSERT_NE(cli.bases.create(BaseId::Dishes), Connections::kFailed);
    const auto codec = installationCodec(cli.bases.connections(), kDishes, cli.bases.settings(), nullptr);
    DishBase base(cli.bases.connections(), kDishes, cli.bases.settings(), cli.bases.prompter(), codec.value());
    colBludo r;
    r.Add(position(QStringLiteral("pro0001"), QStringLiteral("5"), QStringLiteral("Крупа гречневая"), 50, 50));
    r.Add(position(QStringLiteral("pro0002"), QStringLiteral("8"), QStringLiteral("Масло сливочное"), 10.4, 10.4));
    ASSERT_TRUE(base.save(r, QStringLiteral("dt001"), QStringLiteral("Каша гречневая"), {}));
    cli.bases.connections().disconnectAll();

    const QString file = QDir(cli.bases.root()).filePath(QStringLiteral("dishes.dbf"));
    ASSERT_EQ(cli.run({QStringLiteral("dbf"), QStringLiteral("export-recipes"), QStringLiteral("dt001"), file}), 0)
        << cli.runner.err.toStdString();
    EXPECT_TRUE(cli.runner.out.startsWith(u"1 recipes exported"));
    ASSERT_EQ(cli.run({QStringLiteral("dbf"), QStringLiteral("dump"), file}), 0);
    EXPECT_TRUE(cli.runner.out.contains(u"Каша гречневая"));
    EXPECT_TRUE(cli.runner.out.contains(u"pro0002"));
    EXPECT_TRUE(cli.runner.out.contains(u"Масло сливочное"));
}
