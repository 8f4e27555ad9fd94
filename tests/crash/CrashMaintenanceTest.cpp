#include "CrashHarness.h"

#include "maintenance/MaintenanceRun.h"
#include "maintenance/RunProgress.h"
#include "recipes/DishBase.h"
#include "recipes/HeatTreatment.h"
#include "recipes/RecipeEditing.h"
#include "shell/DbMaintenance.h"
#include "shell/DishCollections.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

#include <QCryptographicHash>
#include <QDir>

#include <gtest/gtest.h>

#include <iostream>
#include <random>

using namespace kulvera;
using namespace kulvera::test;

namespace {

constexpr int kRecipes = 200;
constexpr int kDishBase = static_cast<int>(BaseId::Dishes);

class NoProgress : public RunProgress
{
public:
    bool advance(qint64, qint64, const QString &) override { return true; }
};

QByteArray fingerprint(CrashSession &session, const QString &table)
{
    const QSqlDatabase db = session.connections().database(kDishBase);
    QCryptographicHash hash(QCryptographicHash::Sha1);
    SqlStatement q(
        db, QStringLiteral("SELECT * FROM ") + SqlDialect::of(db).quote(table) + QStringLiteral(" ORDER BY \"ID\""));
    EXPECT_TRUE(q.exec());
    while (q.next()) {
        for (int c = 0; c < q.columnCount(); ++c)
            hash.addData(QByteArray(q.value(c).toString().toUtf8() + '\x1f'));
    }
    return hash.result();
}

void setProtein(CrashSession &session, double value)
{
    EXPECT_TRUE(execSql(session.connections().database(BaseId::Products),
        QStringLiteral("UPDATE dt010 SET \"Белки\" = ? WHERE \"Код\" = 1"), {value}));
}

// 200 recipes, each of the two products.
QString prepareRecipes(const CrashInstallation &installation)
{
    CrashSession session(installation, {BaseId::Dishes, BaseId::Products}, true);
    EXPECT_TRUE(session.ok());
    const QSqlDatabase products = session.connections().database(BaseId::Products);
    for (int p = 1; p <= 2; ++p)
        EXPECT_TRUE(execSql(products,
            QStringLiteral("INSERT INTO dt010 (\"Код\", \"Имя\", \"Имя2\", \"Белки\", \"Вода\", \"ЕдИ_Ц\") "
                           "VALUES (?, ?, ?, 2, 70, 1)"),
            {p, QStringLiteral("Продукт %1").arg(p), QStringLiteral("Продукт %1").arg(p)}));
    AppContext &c = session.context();
    const QString table = addCollection(c.connections, c.settings, QStringLiteral("Столовая"))->table;
    const StoredTextCodec codec = installationCodec(c.connections, kDishBase, c.settings, &c.prompter).value();
    DishBase dishes(c.connections, kDishBase, c.settings, c.prompter, codec);
    SaveOptions options;
    options.silent = true;
    for (int r = 1; r <= kRecipes; ++r) {
        colBludo recipe;
        for (int p = 1; p <= 2; ++p) {
            clsProds position;
            position.ID_Prod = QString::number(p);
            position.Kod = QString(QStringLiteral("pro0000000") + QString::number(p));
            position.Netto = position.Brutto = 10 * p + r % 7;
            position.Out = QStringLiteral("100");
            recipe.Add()->clsProds() = position;
        }
        EXPECT_TRUE(dishes.save(recipe, table, QStringLiteral("Рецептура %1").arg(r), options));
    }
    return table;
}

// A dry run finds nothing left to change: the base is fully synchronised.
bool synchronised(CrashSession &session)
{
    MaintenanceOptions dry;
    dry.dryRun = true;
    NoProgress progress;
    const MaintenanceReport report = syncDishBase(session.context(), dry, progress, HeatTreatmentTables());
    return !report.failed && report.changes.empty();
}

} // namespace

// A child synchronising the dish base is killed at seeded random moments
// (the archive copy included); each time the base opens sound and is either
// as it was before the run or wholly synchronised.
TEST(CrashSafety, AKilledSynchronisationLeavesTheDishBaseAsItWasOrDone)
{
    CrashInstallation installation;
    const QString table = prepareRecipes(installation);
    const int kills = crashKills(6);
    std::mt19937 random(20260302);
    std::optional<std::chrono::microseconds> span;
    int done = 0;
    int untouched = 0;
    for (int run = 0; run <= kills; ++run) {
        QByteArray before;
        {
            CrashSession session(installation, {BaseId::Dishes, BaseId::Products});
            ASSERT_TRUE(session.ok());
            setProtein(session, 3.0 + run);
            before = fingerprint(session, table);
            // Archive copies pile up one per run: keep below the limit of 50.
            QDir archive(archiveFolderOf(session.context().shared));
            for (const QString &f : archive.entryList({QStringLiteral("*.db*")}, QDir::Files))
                archive.remove(f);
        }
        std::optional<std::chrono::microseconds> killAfter;
        if (span)
            killAfter
                = std::chrono::microseconds(std::uniform_int_distribution<qint64>(0, span->count() * 6 / 5)(random));
        const ChildEnd end = runChild(
            [&](const std::function<void()> &ready) {
                CrashSession session(installation, {BaseId::Dishes, BaseId::Products});
                NoProgress progress;
                ready();
                const MaintenanceReport report = syncDishBase(session.context(), {}, progress, HeatTreatmentTables());
                return report.failed || report.changes.size() != kRecipes ? 1 : 0;
            },
            killAfter);
        if (!span) {
            ASSERT_FALSE(end.killed);
            ASSERT_EQ(end.exitCode, 0) << "the uninterrupted synchronisation failed";
            span = end.afterReady;
        } else {
            ASSERT_TRUE(end.killed || end.exitCode == 0) << "run " << run << " ended with " << end.exitCode;
        }
        CrashSession session(installation, {BaseId::Dishes, BaseId::Products});
        ASSERT_TRUE(session.ok());
        ASSERT_EQ(session.integrity(BaseId::Dishes), QStringLiteral("ok")) << "run " << run;
        if (fingerprint(session, table) == before) {
            ++untouched;
        } else {
            ASSERT_TRUE(synchronised(session)) << "run " << run << ": a partly synchronised base";
            ++done;
        }
    }
    std::cout << "[ crash    ] " << kills << " kills in a synchronisation of " << span->count() / 1000
              << " ms: " << done - 1 << " found it done, " << untouched << " untouched\n";
}
