// A year of rations for three groups (the menu base of bench/menus.cpp, about
// 137,000 encoded rows) written as one ".sql_menu" transfer file and read
// back into an empty menu base through the strict loader (parse every
// statement, stage, copy in one transaction). Goal: under 5 s each.
#include "BenchDishBase.h"

#include "menus/MenuBase.h"
#include "menus/SqlMenuFile.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <benchmark/benchmark.h>

namespace {

using namespace kulvera;

constexpr int kMenu = static_cast<int>(BaseId::Menu);
constexpr int kTarget = 40;
const QDate kFirstDay(2026, 1, 1);
constexpr int kDays = 365;
const QStringList kGroups = {QStringLiteral("Ясли"), QStringLiteral("Сад"), QStringLiteral("Сотрудники")};
const std::pair<const char16_t *, int> kMeals[] = {{u"Завтрак", 3}, {u"Обед", 4}, {u"Полдник", 2}, {u"Ужин", 3}};

Ration benchRation(const QDate &day, const QString &group, int seed)
{
    Ration r({day, group});
    int dish = 0;
    for (const auto &[meal, dishes] : kMeals) {
        const int m = r.ensureMeal(QString::fromUtf16(meal));
        for (int i = 0; i < dishes; ++i, ++dish) {
            const int positions = 9 + (seed + dish) % 4;
            r.appendDish(m, bench::benchRecipeName(seed * 12 + dish), QStringLiteral("200"),
                bench::benchRecipe(positions, seed + dish, dish % 3 == 0));
        }
    }
    return r;
}

struct Installation : bench::BenchDishBase {
    std::unique_ptr<MenuBase> menu;
    std::unique_ptr<MenuBase> target;
    std::vector<QDate> days;
    QString file;
    int rows = 0;

    Installation()
    {
        const QString path = dir.filePath(QStringLiteral("Menu.db"));
        createBaseFile(path, BaseId::Menu, settings);
        connections.connectAt(kMenu, path, QStringLiteral("Base"));
        menu = std::make_unique<MenuBase>(connections, kMenu, settings, prompter, base->codec());
        Transaction all(connections.database(kMenu));
        for (int d = 0; d < kDays; ++d) {
            days.push_back(kFirstDay.addDays(d));
            for (int g = 0; g < kGroups.size(); ++g) {
                const Ration r = benchRation(kFirstDay.addDays(d), kGroups[g], d * 3 + g);
                rows += r.positionCount();
                menu->save(r);
            }
        }
        all.commit();
        file = dir.filePath(QStringLiteral("year.sql_menu"));
    }

    // An empty menu base of another installation (another key) to load into.
    void freshTarget()
    {
        target.reset();
        connections.disconnect(kTarget);
        const QString path = dir.filePath(QStringLiteral("Target.db"));
        QFile::remove(path);
        QFile::remove(path + QStringLiteral("-wal"));
        QFile::remove(path + QStringLiteral("-shm"));
        createBaseFile(path, BaseId::Menu, settings);
        connections.connectAt(kTarget, path, QStringLiteral("Base"));
        target = std::make_unique<MenuBase>(connections, kTarget, settings, prompter, StoredTextCodec(731));
    }
};

Installation &installation()
{
    static Installation inst;
    return inst;
}

void BM_ExportYearAsSqlMenu(benchmark::State &state)
{
    Installation &inst = installation();
    state.counters["rows"] = inst.rows;
    for (auto _ : state) {
        const Result<int> written = saveSqlMenuFile(*inst.menu, inst.days, std::nullopt, inst.file, {false, false});
        if (!written || written.value() != inst.rows)
            state.SkipWithError("export failed");
    }
    state.counters["MB"] = static_cast<double>(QFileInfo(inst.file).size()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_ExportYearAsSqlMenu)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_ImportYearFromSqlMenu(benchmark::State &state)
{
    Installation &inst = installation();
    if (!QFileInfo::exists(inst.file))
        saveSqlMenuFile(*inst.menu, inst.days, std::nullopt, inst.file, {false, false});
    for (auto _ : state) {
        state.PauseTiming();
        inst.freshTarget();
        state.ResumeTiming();
        const Result<RationImportSummary> loaded = loadSqlMenuFile(*inst.target, inst.file);
        if (!loaded || loaded->rows != inst.rows)
            state.SkipWithError("import failed");
    }
    state.counters["rows"] = inst.rows;
}
BENCHMARK(BM_ImportYearFromSqlMenu)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    // The base is made before the clock starts.
    installation();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
