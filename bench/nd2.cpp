// Recipe exchange files at the size of a large installation: every recipe of
// a 10,000-recipe collection (8 positions each, one of them a semi-finished
// product holding three) written as one ".nd2" file per recipe, and all of
// the files read back into another collection. Goal: under 10 s each.
#include "common/Clock.h"
#include "common/ScriptedPrompter.h"
#include "recipes/DishBase.h"
#include "recipes/HeatTreatment.h"
#include "recipes/RecipeExport.h"
#include "shell/Connections.h"
#include "shell/DbStructure.h"
#include "shell/DishCollections.h"
#include "shell/ErrorLog.h"
#include "shell/SettingsStore.h"
#include "shell/SqlStatement.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace kulvera;

constexpr int kRecipes = 10000;
constexpr int kDishes = static_cast<int>(BaseId::Dishes);

struct Installation {
    QTemporaryDir dir;
    SettingsStore settings {dir.filePath(QStringLiteral("s.ini"))};
    ErrorLog log;
    ScriptedPrompter prompter;
    Connections connections {prompter, settings, log};
    QString table;
    QString importTable;
    std::unique_ptr<DishBase> base;
    HeatTreatmentTables losses;
    SystemClock clock;
    RecipeFileContext context {prompter, losses, clock, nullptr, {}};

    Installation()
    {
        prompter.setDefaultAnswer(Prompter::Answer::Yes);
        const QString path = dir.filePath(QStringLiteral("bl_base.db"));
        createBaseFile(path, BaseId::Dishes, settings);
        connections.connectAt(kDishes, path, QStringLiteral("Base_ID"));
        table = addCollection(connections, settings, QStringLiteral("Бенч"))->table;
        importTable = addCollection(connections, settings, QStringLiteral("Импорт"))->table;
        base = std::make_unique<DishBase>(connections, kDishes, settings, prompter,
            installationCodec(connections, kDishes, settings, nullptr).value());
        Transaction all(connections.database(kDishes));
        SaveOptions options;
        options.silent = true;
        for (int r = 0; r < kRecipes; ++r)
            base->save(recipe(r), table, QStringLiteral("Рецептура № %1 (салат, суп или каша)").arg(r), options);
        all.commit();
    }

    static colBludo recipe(int seed)
    {
        colBludo r;
        for (int i = 1; i <= 8; ++i) {
            clsBludo b;
            clsProds &p = b.clsProds();
            const bool node = i == 1;
            const int parent = i >= 2 && i <= 4 ? 1 : 0;
            p.Kod = QStringLiteral("%1%2%3")
                        .arg(node ? QStringLiteral("pfx") : QStringLiteral("pro"))
                        .arg(parent, 4, 10, QLatin1Char('0'))
                        .arg(i, 4, 10, QLatin1Char('0'));
            p.ID_Prod = node ? QString() : QString::number(1 + (seed * 7 + i) % 2000);
            p.Id = node ? QStringLiteral("без потерь") : p.ID_Prod;
            p.FullName = node ? QStringLiteral("Полуфабрикат") : QStringLiteral("Продукт пищевой номер ") + p.ID_Prod;
            p.ShortName = p.FullName;
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
