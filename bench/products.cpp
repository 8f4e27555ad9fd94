// Loading the whole product base with its full composition into colProds,
// for a generated base of 10,000 products. Goal: under 100 ms.
#include "common/Clock.h"
#include "common/ScriptedPrompter.h"
#include "products/ProductBase.h"
#include "products/ProductFields.h"
#include "shell/Catalogue.h"
#include "shell/Connections.h"
#include "shell/DbStructure.h"
#include "shell/ErrorLog.h"
#include "shell/SettingsStore.h"
#include "shell/SharedSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace kulvera;

namespace {

struct GeneratedBase {
    QTemporaryDir dir;
    SettingsStore settings {dir.filePath(QStringLiteral("s.ini"))};
    ErrorLog log {dir.filePath(QStringLiteral("e.log"))};
    ScriptedPrompter prompter;
    Connections connections {prompter, settings, log};
    FixedClock clock {QDate(2026, 3, 1)};
    std::unique_ptr<ProductBase> base;

    explicit GeneratedBase(int count)
    {
        const QString path = dir.filePath(QStringLiteral("db011.db"));
        createBaseFile(path, BaseId::Products, settings);
        connections.connectAt(static_cast<int>(BaseId::Products), path, QStringLiteral("dt010"));
        base = std::make_unique<ProductBase>(connections, settings, prompter, clock);
        std::vector<ProductRow> rows;
        for (int k = 1; k <= count; ++k) {
            ProductRow row;
            row.setKey(k);
            row.prod.FullName = QStringLiteral("Продукт %1").arg(k);
            row.prod.ShortName = QStringLiteral("П%1").arg(k);
            row.setOut(80);
            row.losses[0] = 80;
            row.variants[0] = QStringLiteral("Очистка");
            double v = k;
            for (const CompositionField &f : compositionFields())
                if (f.column)
                    row.prod.*f.member = (v += 0.37);
            rows.push_back(std::move(row));
        }
        base->insertRows(rows);
    }
};

void BM_LoadAllProducts(benchmark::State &state)
{
    GeneratedBase g(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        colProds all;
        all.reserve(static_cast<int>(state.range(0)));
        g.base->load(all);
        if (all.Count() != state.range(0))
            state.SkipWithError("not every product was loaded");
        benchmark::DoNotOptimize(all);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LoadAllProducts)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_ListAllProductRows(benchmark::State &state)
{
    GeneratedBase g(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(g.base->list());
}
BENCHMARK(BM_ListAllProductRows)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
