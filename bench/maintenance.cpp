// The re-synchronisation of a large dish base with the product base: 10,000
// recipes of 8 positions (one a semi-finished product holding three) over a
// product base of 2,000 products, every product changed before each run, so
// every recipe is rewritten. The run includes its archive copy and its one
// transaction. Goal: under 30 s.
#include "BenchDishBase.h"
#include "common/Clock.h"
#include "maintenance/MaintenanceRun.h"
#include "maintenance/RunProgress.h"
#include "recipes/HeatTreatment.h"
#include "shell/AppContext.h"
#include "shell/SharedSettings.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

namespace {

using namespace kulvera;

constexpr int kRecipes = 10000;
constexpr int kProducts = 2000;
constexpr int kProductBase = static_cast<int>(BaseId::Products);

class NoProgress : public RunProgress
{
public:
    bool advance(qint64, qint64, const QString &) override { return true; }
};

struct Installation : bench::BenchDishBase {
    SharedSettings shared;
    SystemClock clock;
    HeatTreatmentTables losses;
    std::unique_ptr<AppContext> context;

    Installation()
    {
        settings.save(Section::Data, QStringLiteral("Dir_book"), dir.filePath(QStringLiteral("KV_Bases")));
        shared = SharedSettings::load(settings, {dir.path(), dir.path(), QString(), dir.path()});
        const QString products = dir.filePath(QStringLiteral("db011.db"));
        createBaseFile(products, BaseId::Products, settings);
        connections.connectAt(kProductBase, products, QStringLiteral("dt010"));
        Transaction all(connections.database(kProductBase));
        SqlStatement insert(connections.database(kProductBase),
            QStringLiteral("INSERT INTO dt010 (\"Код\", \"Имя\", \"Имя2\", \"Белки\", \"Жир\", \"Кр\", \"Вода\", "
                           "\"ЕдИ_Ц\") VALUES (?, ?, ?, ?, ?, ?, 70, 1)"));
        for (int p = 1; p <= kProducts; ++p)
            insert.exec({p, QStringLiteral("Продукт %1").arg(p), QStringLiteral("Продукт пищевой номер %1").arg(p),
                p % 13 + 0.5, p % 7 + 0.25, p % 17 + 1.0});
        all.commit();
        fill(kRecipes, 8, true);
        context = std::make_unique<AppContext>(AppContext {prompter, settings, shared, clock, connections, log});
    }
};

void BM_SynchroniseDishBaseOf10000Recipes(benchmark::State &state)
{
    Installation inst;
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        execSql(inst.connections.database(kProductBase), QStringLiteral("UPDATE dt010 SET \"Белки\" = \"Белки\" + ?"),
            {++round});
        state.ResumeTiming();
        NoProgress progress;
        const MaintenanceReport report = syncDishBase(*inst.context, {}, progress, inst.losses);
        if (report.failed || report.changes.size() != kRecipes)
            state.SkipWithError("the synchronisation did not rewrite every recipe");
        state.counters["rows"] = report.rowsChanged;
    }
}
BENCHMARK(BM_SynchroniseDishBaseOf10000Recipes)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
