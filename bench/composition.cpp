// Computing a recipe as the recipe editor and the menu do: the semi-finished
// products resolved in passes with their heat-treatment losses, the dish
// totals, energy and values per 100 g, and the summary of raw products.
// The recipe has 50 positions with semi-finished products three levels deep,
// every composition field filled. Measured: one recipe (goal under 0.2 ms)
// and 10,000 such recipes (goal under 2 s).
#include "common/ScriptedPrompter.h"
#include "products/ProductFields.h"
#include "recipes/DishComposition.h"
#include "recipes/HeatTreatment.h"
#include "recipes/PositionKey.h"
#include "recipes/RecipeExpansion.h"

#include <benchmark/benchmark.h>

namespace {

using namespace kulvera;

constexpr int kRecipes = 10000;

HeatTreatmentTables lossTables()
{
    LossType boiling;
    boiling.name = QStringLiteral("варка");
    LossType stewing;
    stewing.name = QStringLiteral("тушение");
    int n = 0;
    for (const QString &c : basicLossColumns()) {
        boiling.losses.insert(c, 5 + n % 7);
        stewing.losses.insert(c, 3 + n % 5);
        ++n;
    }
    HeatTreatmentTables t;
    t.setCulinaryTypes({boiling, stewing});
    return t;
}

void addProduct(colBludo &slot, int parent, int item, int seed)
{
    clsProds p;
    p.Kod = makeKey(kKeyProduct, parent, item).value();
    p.ID_Prod = QString::number(100 + seed % 40); // some products repeat
    p.Id = p.ID_Prod;
    p.FullName = QStringLiteral("Продукт %1").arg(seed % 40);
    p.Netto = 10 + seed % 30;
    p.Brutto = p.Netto * 1.2;
    int f = 0;
    for (const CompositionField &field : compositionFields())
        p.*field.member = 0.01 * ((seed * 31 + f++ * 17) % 500);
    slot.Add(clsBludo(std::move(p)));
}

void addSemi(colBludo &slot, int parent, int item, const QString &lossType)
{
    clsProds p;
    p.Kod = makeKey(kKeySemiFinished, parent, item).value();
    p.Id = lossType;
    p.FullName = QStringLiteral("Полуфабрикат %1").arg(item);
    slot.Add(clsBludo(std::move(p)));
}

// 21 products at the top, a semi-finished product A with 10 products and B,
// B with 8 products and C, C with 8 products: 50 positions.
void buildRecipe(colBludo &slot, int seed)
{
    int item = 1;
    for (int i = 0; i < 21; ++i)
        addProduct(slot, 0, item++, seed + i);
    const int a = item++;
    addSemi(slot, 0, a, QStringLiteral("варка"));
    for (int i = 0; i < 10; ++i)
        addProduct(slot, a, item++, seed + 21 + i);
    const int b = item++;
    addSemi(slot, a, b, QStringLiteral("тушение"));
    for (int i = 0; i < 8; ++i)
        addProduct(slot, b, item++, seed + 31 + i);
    const int c = item++;
    addSemi(slot, b, c, QStringLiteral("порционирование"));
    for (int i = 0; i < 8; ++i)
        addProduct(slot, c, item++, seed + 39 + i);
}

// As loaded from a base whose stored semi-finished values are stale.
void clearSemiFinished(colBludo &slot)
{
    for (clsBludo &b : slot) {
        if (isSemiFinishedKey(b.clsProds().Kod.toString()))
            scaleComposition(b.clsProds(), 0);
    }
}

void computeOne(RecipeSlots &memory, int n, const HeatTreatmentTables &losses, Prompter &prompter)
{
    colBludo &slot = *memory.slot(n);
    clearSemiFinished(slot);
    const DishValues v = computeDish(slot, QStringLiteral("Блюдо"), 250, losses, prompter);
    benchmark::DoNotOptimize(v.kcal);
    buildSummaryRecipe(memory, n, n, prompter);
}

void BM_ComputeOneRecipe(benchmark::State &state)
{
    const HeatTreatmentTables losses = lossTables();
    ScriptedPrompter prompter;
    RecipeSlots memory;
    buildRecipe(*memory.slot(1), 7);
    for (auto _ : state)
        computeOne(memory, 1, losses, prompter);
    if (!prompter.shown().empty())
        state.SkipWithError("unexpected message");
    state.counters["positions"] = memory.slot(1)->Count();
}
BENCHMARK(BM_ComputeOneRecipe)->Unit(benchmark::kMicrosecond);

void BM_Compute10000Recipes(benchmark::State &state)
{
    const HeatTreatmentTables losses = lossTables();
    ScriptedPrompter prompter;
    RecipeSlots memory;
    for (int n = 1; n <= kRecipes; ++n)
        buildRecipe(*memory.slot(n), n);
    for (auto _ : state) {
        for (int n = 1; n <= kRecipes; ++n)
            computeOne(memory, n, losses, prompter);
    }
    if (!prompter.shown().empty())
        state.SkipWithError("unexpected message");
    state.counters["recipes"] = kRecipes;
}
BENCHMARK(BM_Compute10000Recipes)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
