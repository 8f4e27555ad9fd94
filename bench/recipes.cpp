// The dish base at the size of a large installation: 10,000 recipes of about
// 15 positions each (150,000 encoded rows), plus one recipe of 30 positions.
// Measured: loading that recipe into a slot (goal under 1 ms) and listing
// every recipe name (goal under 100 ms).
#include "common/ScriptedPrompter.h"
#include "recipes/DishBase.h"
#include "shell/Connections.h"
#include "shell/DbStructure.h"
#include "shell/DishCollections.h"
#include "shell/ErrorLog.h"
#include "shell/SettingsStore.h"
#include "shell/SqlStatement.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace kulvera;

constexpr int kRecipes = 10000;
constexpr int kPositions = 15;
constexpr int kDishes = static_cast<int>(BaseId::Dishes);

struct Installation {
    QTemporaryDir dir;
    SettingsStore settings {dir.filePath(QStringLiteral("s.ini"))};
    ErrorLog log;
    ScriptedPrompter prompter;
    Connections connections {prompter, settings, log};
    QString table;
    std::unique_ptr<DishBase> base;

    Installation()
    {
        prompter.setDefaultAnswer(Prompter::Answer::Yes);
        const QString path = dir.filePath(QStringLiteral("bl_base.db"));
        createBaseFile(path, BaseId::Dishes, settings);
        connections.connectAt(kDishes, path, QStringLiteral("Base_ID"));
        table = addCollection(connections, settings, QStringLiteral("Бенч"))->table;
        base = std::make_unique<DishBase>(connections, kDishes, settings, prompter,
            installationCodec(connections, kDishes, settings, nullptr).value());
        Transaction all(connections.database(kDishes));
        SaveOptions options;
        options.silent = true;
        for (int r = 0; r < kRecipes; ++r)
            base->save(
                recipe(kPositions, r), table, QStringLiteral("Рецептура № %1 (салат, суп или каша)").arg(r), options);
        base->save(recipe(30, kRecipes), table, QStringLiteral("Большая рецептура"), options);
        all.commit();
    }

    static colBludo recipe(int positions, int seed)
    {
        colBludo r;
        for (int i = 1; i <= positions; ++i) {
            clsBludo b;
            clsProds &p = b.clsProds();
            p.Kod = QStringLiteral("pro0000%1").arg(i, 4, 10, QLatin1Char('0'));
            p.ID_Prod = QString::number(1 + (seed * 7 + i) % 2000);
            p.FullName = QStringLiteral("Продукт пищевой номер ") + p.ID_Prod;
            p.ShortName = QStringLiteral("Продукт ") + p.ID_Prod;
            p.Brutto = 10 + i * 1.25;
            p.Netto = 9 + i;
            p.Out = QStringLiteral("200");
            p.NameND = QStringLiteral("Сборник технических нормативов, 2015");
            p.sv = 1.5 * i;
            p.Bel = 0.3 * i;
            p.Gir = 0.2 * i;
            p.Kr = 0.7 * i;
            p.Voda = 70.25;
            r.Add(b);
        }
        return r;
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
