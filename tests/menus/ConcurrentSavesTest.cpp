#include "MenuTestSupport.h"
#include "warehouse/OtherWorkstations.h"

#include <QStringList>

#include <iostream>

using namespace kulvera;
using namespace kulvera::test;

// Two workstations save the same recipe and the same day's ration over and over, each its own
// version. A save deletes the stored rows and writes its own: if two saves interleave, the
// base holds rows of both (or none for a moment). Meanwhile this process reads both records,
// and every read, and what is left at the end, must be exactly one of the two versions.
namespace {

constexpr int kSaves = 25; // per workstation, of each record
const char *const kTable = "KULVERA_TEST_SAVES_TABLE";
const QString kRecipe = QStringLiteral("Суп дня");
const QString kReport = QStringLiteral("SAVES ");

// Version 0 is borscht, version 1 stewed fruit: different positions, different counts.
colBludo recipeVersion(int version)
{
    return version == 0 ? borscht() : compote();
}

Ration rationVersion(int version, const QDate &day, RationEditing &editing, DishBase &dishes, const QString &table)
{
    Ration r({day, QString()});
    if (version == 0) {
        EXPECT_TRUE(editing.addDish(r, QStringLiteral("Обед"), dishes, table, QStringLiteral("Борщ"), {}));
        EXPECT_TRUE(editing.addDish(r, QStringLiteral("Обед"), dishes, table, QStringLiteral("Компот"), {}));
    } else {
        EXPECT_TRUE(editing.addDish(r, QStringLiteral("Завтрак"), dishes, table, QStringLiteral("Компот"), {}));
    }
    return r;
}

// The stored rows of a record, as one comparable text: the order of rows does not matter.
QString snapshot(const QSqlDatabase &db, const QString &sql, const QVariantList &values)
{
    SqlStatement s(db, sql);
    if (!s.exec(values))
        return QStringLiteral("<failed: ") + s.lastError() + u'>';
    QStringList rows;
    while (s.next()) {
        QStringList row;
        for (int c = 0; c < s.columnCount(); ++c)
            row << s.value(c).toString();
        rows << row.join(u'|');
    }
    rows.sort();
    return rows.join(u'\n');
}

const QString kRecipeRows = QStringLiteral("SELECT \"l1\", \"l15\" FROM %1 WHERE \"l1\" = ? AND (\"l26\" IS NULL OR "
                                           "\"l26\" = '')");
const QString kRationRows = QStringLiteral("SELECT \"l1\", \"l15\", \"l27\" FROM base_temp WHERE \"l26\" = ?");

} // namespace

// Run only as a child process of the test below: one workstation saving its version.
TEST(ConcurrentSaves, DISABLED_Workstation)
{
    Workstation w(qEnvironmentVariable(kWorkstationRoot), {BaseId::Dishes, BaseId::Menu});
    ASSERT_TRUE(w.ok()) << w.errorLog().recent().join(u'\n').toStdString();
    const int version = qEnvironmentVariableIntValue(kWorkstationNumber) % 2;
    const QString table = qEnvironmentVariable(kTable);
    const StoredTextCodec codec = installationCodec(w.connections(), kDishes, w.settings(), &w.prompter()).value();
    DishBase dishes {w.connections(), kDishes, w.settings(), w.prompter(), codec};
    MenuBase menus {w.connections(), kMenu, w.settings(), w.prompter(), codec};
    RationEditing editing {menus};
    SaveOptions silent;
    silent.silent = true;
    const Ration ration = rationVersion(version, QDate(2026, 3, 2), editing, dishes, table);
    int saved = 0;
    for (int i = 0; i < kSaves; ++i) {
        const Status recipe = dishes.save(recipeVersion(version), table, kRecipe, silent);
        EXPECT_TRUE(recipe) << recipe.error().toStdString();
        const Status day = menus.save(ration);
        EXPECT_TRUE(day) << day.error().toStdString();
        saved += (recipe ? 1 : 0) + (day ? 1 : 0);
    }
    std::cout << kReport.toStdString() << "saved=" << saved << std::endl;
}

TEST(ConcurrentSaves, TheStoredRecipeAndRationAreAlwaysOneWholeVersion)
{
    MenuFixture f;
    SaveOptions silent;
    silent.silent = true;
    const QSqlDatabase dishDb = f.t.connections().database(kDishes);
    const QString recipeSql = kRecipeRows.arg(SqlDialect::of(dishDb).quote(f.table));
    const QVariantList recipeKey {f.codec.encode(kRecipe)};
    const QVariantList rationKey {f.codec.encode(formatTextDate(f.day))};

    // What each version looks like stored, written here first.
    std::array<QString, 2> recipes;
    std::array<QString, 2> rations;
    for (int v = 0; v < 2; ++v) {
        ASSERT_TRUE(f.dishBase.save(recipeVersion(v), f.table, kRecipe, silent));
        recipes[v] = snapshot(dishDb, recipeSql, recipeKey);
        ASSERT_TRUE(f.base.save(rationVersion(v, f.day, f.editing, f.dishBase, f.table)));
        rations[v] = snapshot(f.db(), kRationRows, rationKey);
    }
    ASSERT_NE(recipes[0], recipes[1]);
    ASSERT_NE(rations[0], rations[1]);
    ASSERT_FALSE(rations[0].isEmpty());

    int reads = 0;
    QStringList mixed;
    const auto check = [&](const QString &what, const QString &seen, const std::array<QString, 2> &versions) {
        if (seen != versions[0] && seen != versions[1])
            mixed << what + QStringLiteral(":\n") + seen;
    };
    const WorkstationRun run = runWorkstations(QStringLiteral("ConcurrentSaves.DISABLED_Workstation"), 2, f.t.root(),
        {{QString::fromLatin1(kTable), f.table}}, [&] {
            ++reads;
            check(QStringLiteral("recipe"), snapshot(dishDb, recipeSql, recipeKey), recipes);
            check(QStringLiteral("ration"), snapshot(f.db(), kRationRows, rationKey), rations);
        });
    check(QStringLiteral("recipe at the end"), snapshot(dishDb, recipeSql, recipeKey), recipes);
    check(QStringLiteral("ration at the end"), snapshot(f.db(), kRationRows, rationKey), rations);
    EXPECT_TRUE(mixed.isEmpty()) << mixed.size() << " mixed reads, the first:\n"
                                 << (mixed.isEmpty() ? QString() : mixed.front()).toStdString();
    int saved = 0;
    for (const QString &output : run.outputs)
        saved += reportOf(output, kReport).count(QStringLiteral("saved"))
            ? reportOf(output, kReport).at(QStringLiteral("saved")).toInt()
            : 0;
    EXPECT_EQ(saved, 2 * 2 * kSaves);
    EXPECT_GT(reads, 0);
    std::cout << "[ concurrency ] 2 workstations: " << saved << " saves of one recipe and one ration in " << run.seconds
              << " s = " << saved / run.seconds << " saves/s, " << reads << " reads in between, " << mixed.size()
              << " of them mixed" << std::endl;
}
