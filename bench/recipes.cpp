// The dish base at the size of a large installation: 10,000 recipes of about
// 15 positions each (150,000 encoded rows), plus one recipe of 30 positions.
// Measured: loading that recipe into a slot (goal under 1 ms) and listing
// every recipe name (goal under 100 ms).
#include "BenchDishBase.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace kulvera;

constexpr int kRecipes = 10000;
constexpr int kPositions = 15;

struct Installation : bench::BenchDishBase {
    Installation()
    {
        fill(kRecipes, kPositions, false);
        SaveOptions options;
        options.silent = true;
        base->save(bench::benchRecipe(30, kRecipes), table, QStringLiteral("Большая рецептура"), options);
    }
};

Installation &installation()
{
    static Installation inst;
    return inst;
}

void BM_LoadOneRecipeOf30Positions(benchmark::State &state)
{
    Installation &inst = installation();
    RecipeSlots memory;
    for (auto _ : state) {
        const auto loaded
            = inst.base->load(memory, 1, inst.table, QStringLiteral("Большая рецептура"), QStringLiteral("150"));
        if (!loaded || memory.slot(1)->Count() != 30)
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(memory.slot(1)->item(30)->clsProds().Brutto);
    }
}
BENCHMARK(BM_LoadOneRecipeOf30Positions)->Unit(benchmark::kMicrosecond);

void BM_ListAllRecipeNames(benchmark::State &state)
{
    Installation &inst = installation();
    for (auto _ : state) {
        const auto names = inst.base->recipeNames(inst.table);
        if (!names || names->size() != kRecipes + 1)
            state.SkipWithError("list failed");
        benchmark::DoNotOptimize(names->size());
    }
}
BENCHMARK(BM_ListAllRecipeNames)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    installation();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
