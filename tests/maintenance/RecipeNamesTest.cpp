#include "MaintenanceTestSupport.h"

#include "maintenance/RecipeNameRules.h"

using namespace kulvera;
using namespace kulvera::test;

TEST(RecipeNameRules, TidiesWhatAPersonCannotSee)
{
    EXPECT_EQ(tidyRecipeName(QStringLiteral("  Суп\tкартофельный\r\n")), u"Суп картофельный");
    EXPECT_EQ(tidyRecipeName(QStringLiteral("Суп\u00A0 \u00A0с  клецками")), u"Суп с клецками");
    EXPECT_EQ(tidyRecipeName(QString(QChar::ReplacementCharacter)), u"Рецептура без названия");
    EXPECT_EQ(uniqueRecipeName(QStringLiteral("Суп"), {QStringLiteral("Суп"), QStringLiteral("Суп (2)")}), u"Суп (3)");
    EXPECT_FALSE(recipeNameNeedsRepair(QStringLiteral("12341235"), QStringLiteral("Суп")));
    EXPECT_TRUE(recipeNameNeedsRepair(QStringLiteral("123412"), QStringLiteral("Суп"))); // a cut group
}

// Damaged names are repaired in every row of their recipe; a repaired name
// another recipe has gets a number; sound names and a dry run change nothing.
TEST(RecipeNameRepair, RenamesDamagedRecipesWholly)
{
    MaintenanceFixture f;
    const QSqlDatabase db = f.t.connections().database(kDishBase);
    const QString table = SqlDialect::of(db).quote(f.table);
    auto rename = [&](const QString &from, const QString &stored) {
        ASSERT_TRUE(execSql(db, QStringLiteral("UPDATE ") + table + QStringLiteral(" SET l1 = ? WHERE l1 = ?"),
            {stored, f.codec.encode(from)}));
    };
    rename(QStringLiteral("Пюре"), f.codec.encode(QStringLiteral(" Суп\n")));
    // A stored name cut in the middle of a character's group.
    rename(QStringLiteral("Салат"), f.codec.encode(QStringLiteral("Салат")) + QStringLiteral("12"));

    MaintenanceOptions dry;
    dry.dryRun = true;
    const QByteArray before = f.fingerprint(kDishBase, f.table);
    EXPECT_EQ(repairRecipeNames(f.context, dry, f.progress).changes.size(), 2u);
    EXPECT_EQ(f.fingerprint(kDishBase, f.table), before);

    const MaintenanceReport report = repairRecipeNames(f.context, {}, f.progress);
    ASSERT_FALSE(report.failed) << report.error.toStdString();
    EXPECT_EQ(report.changes.size(), 2u);
    const QStringList names = f.dishBase.recipeNames(f.table).value();
    EXPECT_EQ(names, (QStringList {QStringLiteral("Салат"), QStringLiteral("Суп"), QStringLiteral("Суп (2)")}));
    EXPECT_EQ(f.load(QStringLiteral("Суп (2)")).Count(), 2); // every row of the mashed potatoes
    EXPECT_EQ(f.load(QStringLiteral("Суп")).Count(), 4);
    EXPECT_TRUE(repairRecipeNames(f.context, {}, f.progress).changes.empty());
}
