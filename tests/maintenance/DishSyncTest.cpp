#include "MaintenanceTestSupport.h"

#include <QDir>
#include <QFileInfo>

using namespace kulvera;
using namespace kulvera::test;

namespace {

constexpr double kEps = 1e-9;

} // namespace

// A product's new composition and names reach every stored position that
// uses it, at the position's own net mass, and the semi-finished product
// holding it; nothing changes before the run, and recipes without the
// product are left alone. The base was copied into the archive first.
TEST(DishBaseSync, AChangedProductReachesEveryRecipeThatUsesIt)
{
    MaintenanceFixture f;
    f.setProduct(2, QStringLiteral("Белки"), 3.0);
    f.setProduct(2, QStringLiteral("Имя2"), QStringLiteral("Морковь столовая"));
    const double sauteBefore = f.position(QStringLiteral("Суп"), QStringLiteral("pfx00000002")).Bel;
    // Editing the product base changes no saved recipe by itself.
    EXPECT_NEAR(f.position(QStringLiteral("Суп"), QStringLiteral("pro00020003")).Bel, 1.3 * 40 / 100, kEps);
    const QByteArray untouched = f.fingerprint(kDishBase, f.table);

    const MaintenanceReport report = syncDishBase(f.context, {}, f.progress, f.losses);
    ASSERT_FALSE(report.failed) << report.error.toStdString();
    EXPECT_NE(f.fingerprint(kDishBase, f.table), untouched);
    EXPECT_EQ(f.changedNames(report), QStringList {QStringLiteral("Суп")});
    EXPECT_EQ(report.recipesSeen, 3);
    ASSERT_EQ(report.changes.size(), 1u);
    EXPECT_EQ(report.changes[0].positions, 2); // the carrot and its sauté
    EXPECT_TRUE(report.changes[0].largest.contains(u"Морковь столовая")) << report.text().toStdString();

    const clsProds carrot = f.position(QStringLiteral("Суп"), QStringLiteral("pro00020003"));
    EXPECT_NEAR(carrot.Bel, 3.0 * 40 / 100, kEps);
    EXPECT_EQ(carrot.FullName, u"Морковь столовая");
    EXPECT_DOUBLE_EQ(carrot.Netto, 40);
    // The sauté holds the new carrot with its 10 % protein loss on boiling.
    const double butter = 0.5 * 10 / 100;
    const double saute = f.position(QStringLiteral("Суп"), QStringLiteral("pfx00000002")).Bel;
    EXPECT_NEAR(saute, (3.0 * 40 / 100 + butter) * 0.9, 1e-6);
    EXPECT_GT(saute, sauteBefore);

    ASSERT_FALSE(report.archive.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(report.archive));
    EXPECT_TRUE(QFileInfo(report.archive).fileName().startsWith(u"bl_base_2026_03_02_1"));
    EXPECT_TRUE(f.t.prompter().unexpected().isEmpty());
}

// IncPrInSync / --products: only the products named are taken; a second
// changed product stays as stored, and a recipe without the named product is
// not rewritten.
TEST(DishBaseSync, ProductsLeftOutOfTheListAreUntouched)
{
    MaintenanceFixture f;
    f.setProduct(1, QStringLiteral("Кр"), 20.0);
    f.setProduct(3, QStringLiteral("Жир"), 72.5);
    MaintenanceOptions options;
    options.products = QSet<QString> {QStringLiteral("3")};
    const MaintenanceReport report = syncDishBase(f.context, options, f.progress, f.losses);
    ASSERT_FALSE(report.failed) << report.error.toStdString();
    EXPECT_EQ(f.changedNames(report), (QStringList {QStringLiteral("Пюре"), QStringLiteral("Суп")}));
    EXPECT_NEAR(f.position(QStringLiteral("Пюре"), QStringLiteral("pro00000002")).Gir, 72.5 * 5 / 100, kEps);
    // Potatoes changed in the product base but were not asked for.
    EXPECT_NEAR(f.position(QStringLiteral("Пюре"), QStringLiteral("pro00000001")).Kr, 16.0 * 200 / 100, kEps);
    EXPECT_NEAR(f.position(QStringLiteral("Салат"), QStringLiteral("pro00000001")).Kr, 16.0 * 80 / 100, kEps);
}

// The full-composition setting decides what is written: with it on, the
// changed positions carry all 98 values and say so in l22.
TEST(DishBaseSync, WritesTheCompositionTheSettingAsksFor)
{
    MaintenanceFixture f;
    f.t.settings().save(Section::Data, QStringLiteral("bShowFullHS"), QStringLiteral("1"));
    f.setProduct(1, QStringLiteral("лизин"), 135.0);
    const MaintenanceReport report = syncDishBase(f.context, {}, f.progress, f.losses);
    ASSERT_FALSE(report.failed);
    EXPECT_EQ(f.changedNames(report).size(), 3);
    const clsProds salad = f.position(QStringLiteral("Салат"), QStringLiteral("pro00000001"));
    EXPECT_EQ(salad.HS_Full, 1);
    EXPECT_NEAR(salad.лизин, 135.0 * 80 / 100, kEps);
}

// A dry run reports what would change and writes nothing: no row, no archive.
TEST(DishBaseSync, ADryRunChangesNothing)
{
    MaintenanceFixture f;
    f.setProduct(1, QStringLiteral("Белки"), 2.4);
    const QByteArray before = f.fingerprint(kDishBase, f.table);
    MaintenanceOptions options;
    options.dryRun = true;
    const MaintenanceReport report = syncDishBase(f.context, options, f.progress, f.losses);
    ASSERT_FALSE(report.failed);
    EXPECT_EQ(f.changedNames(report).size(), 3);
    EXPECT_TRUE(report.archive.isEmpty());
    EXPECT_EQ(f.fingerprint(kDishBase, f.table), before);
    EXPECT_TRUE(report.text().contains(u"проверка без записи"));
    // The same run for real changes what the dry run listed.
    const MaintenanceReport real = syncDishBase(f.context, {}, f.progress, f.losses);
    EXPECT_EQ(f.changedNames(real), f.changedNames(report));
    EXPECT_NE(f.fingerprint(kDishBase, f.table), before);
}

// Cancelled after its first recipe, the run leaves every row as it was,
// although the first recipe had already been rewritten inside the run.
TEST(DishBaseSync, ACancelledRunLeavesTheBaseAsItWas)
{
    MaintenanceFixture f;
    f.setProduct(1, QStringLiteral("Белки"), 2.4);
    const QByteArray before = f.fingerprint(kDishBase, f.table);
    StoppingProgress stop(2);
    const MaintenanceReport report = syncDishBase(f.context, {}, stop, f.losses);
    EXPECT_TRUE(report.cancelled);
    EXPECT_FALSE(report.changes.empty()); // something was done before the stop
    EXPECT_EQ(f.fingerprint(kDishBase, f.table), before);
    EXPECT_TRUE(report.text().contains(u"прервано"));
}

// A product the product base no longer holds leaves its positions as they
// were and is named in the report; the archive limit stops the run before it
// changes anything.
TEST(DishBaseSync, MissingProductsAndTheArchiveLimit)
{
    MaintenanceFixture f;
    ASSERT_TRUE(execSql(f.t.connections().database(f.products), QStringLiteral("DELETE FROM dt010 WHERE \"Код\" = 3")));
    f.setProduct(1, QStringLiteral("Белки"), 2.4);
    const MaintenanceReport report = syncDishBase(f.context, {}, f.progress, f.losses);
    ASSERT_FALSE(report.failed);
    EXPECT_NEAR(f.position(QStringLiteral("Пюре"), QStringLiteral("pro00000002")).Gir, 82.0 * 5 / 100, kEps);
    EXPECT_TRUE(report.text().contains(u"Продукт с кодом - 3 не найден")) << report.text().toStdString();

    const QDir archive(QFileInfo(report.archive).absolutePath());
    for (int n = 2; n <= 50; ++n)
        QFile(report.archive).copy(archive.filePath(QStringLiteral("bl_base_2026_03_02_%1.db").arg(n)));
    f.setProduct(1, QStringLiteral("Белки"), 2.9);
    const QByteArray before = f.fingerprint(kDishBase, f.table);
    f.t.prompter().clear();
    const MaintenanceReport stopped = syncDishBase(f.context, {}, f.progress, f.losses);
    EXPECT_TRUE(stopped.failed);
    EXPECT_TRUE(f.t.prompter().saw(QStringLiteral("Накоплено 50 архивных баз данных!")));
    EXPECT_EQ(f.fingerprint(kDishBase, f.table), before);
}

// Heat-treatment losses: with a new loss of the boiling type the sauté is
// worked out again from what it holds; the products stay as stored.
TEST(DishBaseLosses, SemiFinishedProductsTakeTheCurrentLosses)
{
    MaintenanceFixture f;
    const clsProds carrot = f.position(QStringLiteral("Суп"), QStringLiteral("pro00020003"));
    const clsProds butter = f.position(QStringLiteral("Суп"), QStringLiteral("pro00020004"));
    f.losses.setCulinaryTypes({MaintenanceFixture::boiling(50)});
    f.setProduct(2, QStringLiteral("Белки"), 9.0); // not a synchronisation: must not reach the recipe
    const MaintenanceReport report = updateDishLosses(f.context, {}, f.progress, f.losses);
    ASSERT_FALSE(report.failed) << report.error.toStdString();
    EXPECT_EQ(f.changedNames(report), QStringList {QStringLiteral("Суп")});
    EXPECT_EQ(report.changes[0].positions, 1);
    EXPECT_NEAR(
        f.position(QStringLiteral("Суп"), QStringLiteral("pfx00000002")).Bel, (carrot.Bel + butter.Bel) * 0.5, 1e-6);
    EXPECT_NEAR(f.position(QStringLiteral("Суп"), QStringLiteral("pro00020003")).Bel, carrot.Bel, kEps);
    EXPECT_FALSE(report.archive.isEmpty());
    // A second run finds nothing to do.
    EXPECT_TRUE(updateDishLosses(f.context, {}, f.progress, f.losses).changes.empty());
}

// The replacement from the product base form: the rows of the old product
// take the new one's key, names and composition in the same run; other
// positions stay.
TEST(DishBaseReplacement, ReplacedPositionsTakeTheNewProduct)
{
    MaintenanceFixture f;
    const MaintenanceReport report = replaceProductInDishes(f.context, 3, 2, f.progress, f.losses);
    ASSERT_FALSE(report.failed) << report.error.toStdString();
    const clsProds replaced = f.position(QStringLiteral("Пюре"), QStringLiteral("pro00000002"));
    EXPECT_EQ(replaced.ID_Prod, u"2");
    EXPECT_EQ(replaced.FullName, u"Морковь свежий");
    EXPECT_NEAR(replaced.Gir, 0.1 * 5 / 100, kEps);
    EXPECT_TRUE(QFileInfo::exists(report.archive));
    EXPECT_NEAR(f.position(QStringLiteral("Салат"), QStringLiteral("pro00000001")).Bel, 2.0 * 80 / 100, kEps);
    EXPECT_TRUE(replaceProductInDishes(f.context, 2, 2, f.progress, f.losses).failed);
}
