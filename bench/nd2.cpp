// Recipe exchange files at the size of a large installation: every recipe of
// a 10,000-recipe collection (8 positions each, one of them a semi-finished
// product holding three) written as one ".nd2" file per recipe, and all of
// the files read back into another collection. Goal: under 10 s each.
#include "BenchDishBase.h"
#include "common/Clock.h"
#include "recipes/HeatTreatment.h"
#include "recipes/RecipeExport.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace kulvera;

constexpr int kRecipes = 10000;
using bench::kDishes;

struct Installation : bench::BenchDishBase {
    QString importTable;
    HeatTreatmentTables losses;
    SystemClock clock;
    RecipeFileContext context {prompter, losses, clock, nullptr, {}};

    Installation()
    {
        importTable = addCollection(connections, settings, QStringLiteral("Импорт"))->table;
        fill(kRecipes, 8, true);
    }
};

Installation &installation()
{
    static Installation inst;
    return inst;
}

QString folder()
{
    return QDir(installation().dir.path()).filePath(QStringLiteral("nd2"));
}

void BM_ExportCollectionOf10000RecipesToNd2(benchmark::State &state)
{
    Installation &inst = installation();
    for (auto _ : state) {
        QDir(folder()).removeRecursively();
        // As kulvera-cli and the browser do: the names first, then the files.
        const auto names = inst.base->recipeNames(inst.table);
        const auto done = exportRecipes(*inst.base, inst.table, names.value(), folder(), inst.context);
        if (!done || done->written != kRecipes)
            state.SkipWithError("export failed");
    }
}
BENCHMARK(BM_ExportCollectionOf10000RecipesToNd2)->Unit(benchmark::kSecond)->Iterations(1);

// Reads every file back, computes it and saves it into another collection
// (all in one transaction, as a bulk import would).
void BM_ImportTheirNd2FilesIntoACollection(benchmark::State &state)
{
    Installation &inst = installation();
    const QStringList files = QDir(folder()).entryList({QStringLiteral("*.nd2")}, QDir::Files);
    if (files.size() != kRecipes) {
        state.SkipWithError("no files: run the export first");
        return;
    }
    for (auto _ : state) {
        Transaction all(inst.connections.database(kDishes));
        int saved = 0;
        for (const QString &file : files) {
            if (importRecipeFile(*inst.base, inst.importTable, QDir(folder()).filePath(file), QString(), inst.settings,
                    inst.context))
                ++saved;
        }
        all.commit();
        if (saved != kRecipes)
            state.SkipWithError("import failed");
    }
}
BENCHMARK(BM_ImportTheirNd2FilesIntoACollection)->Unit(benchmark::kSecond)->Iterations(1);

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
