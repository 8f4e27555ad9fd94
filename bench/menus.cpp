// A menu base of a year of rations for three groups: four meals of twelve
// dishes of about ten positions each, some with a semi-finished product
// (about 137,000 encoded rows). Measured: loading one day's ration (goal under
// 20 ms), saving it back (goal under 50 ms) and listing every ration (goal
// under 100 ms).
#include "BenchDishBase.h"

#include "menus/MenuBase.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

namespace {

using namespace kulvera;

constexpr int kMenu = static_cast<int>(BaseId::Menu);
const QDate kFirstDay(2026, 1, 1);
constexpr int kDays = 365;
const QStringList kGroups = {QStringLiteral("Ясли"), QStringLiteral("Сад"), QStringLiteral("Сотрудники")};

// Meals with their number of dishes: twelve dishes a day.
const std::pair<const char16_t *, int> kMeals[] = {{u"Завтрак", 3}, {u"Обед", 4}, {u"Полдник", 2}, {u"Ужин", 3}};

Ration benchRation(const QDate &day, const QString &group, int seed)
{
    Ration r({day, group});
    int dish = 0;
    for (const auto &[meal, dishes] : kMeals) {
        const int m = r.ensureMeal(QString::fromUtf16(meal));
        for (int i = 0; i < dishes; ++i, ++dish) {
            const int positions = 9 + (seed + dish) % 4; // 9 ... 12, about 10.4 on average
            r.appendDish(m, bench::benchRecipeName(seed * 12 + dish), QStringLiteral("200"),
                bench::benchRecipe(positions, seed + dish, dish % 3 == 0));
        }
    }
    return r;
}

struct MenuInstallation : bench::BenchDishBase {
    std::unique_ptr<MenuBase> menu;
    int rows = 0;

    MenuInstallation()
    {
        const QString path = dir.filePath(QStringLiteral("Menu.db"));
        createBaseFile(path, BaseId::Menu, settings);
        connections.connectAt(kMenu, path, QStringLiteral("Base"));
        menu = std::make_unique<MenuBase>(connections, kMenu, settings, prompter, base->codec());
        Transaction all(connections.database(kMenu));
        for (int d = 0; d < kDays; ++d) {
            for (int g = 0; g < kGroups.size(); ++g) {
                const Ration r = benchRation(kFirstDay.addDays(d), kGroups[g], d * 3 + g);
                rows += r.positionCount();
                menu->save(r);
            }
        }
        all.commit();
    }
};

MenuInstallation &installation()
{
    static MenuInstallation inst;
    return inst;
}

const RationKey kDay {QDate(2026, 7, 15), QStringLiteral("Сад")};

void BM_LoadOneDay(benchmark::State &state)
{
    MenuInstallation &inst = installation();
    state.counters["rows"] = inst.rows;
    for (auto _ : state) {
        const Result<Ration> r = inst.menu->load(kDay);
        if (!r || r->dishCount() != 12)
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(r->positionCount());
    }
}
BENCHMARK(BM_LoadOneDay)->Unit(benchmark::kMillisecond);

void BM_SaveOneDayBack(benchmark::State &state)
{
    MenuInstallation &inst = installation();
    const Ration r = inst.menu->load(kDay).value();
    for (auto _ : state) {
        if (!inst.menu->save(r))
            state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_SaveOneDayBack)->Unit(benchmark::kMillisecond);

void BM_ListAllRations(benchmark::State &state)
{
    MenuInstallation &inst = installation();
    for (auto _ : state) {
        const auto list = inst.menu->list();
        if (!list || list->size() != static_cast<std::size_t>(kDays * kGroups.size()))
            state.SkipWithError("list failed");
        benchmark::DoNotOptimize(list->size());
    }
}
BENCHMARK(BM_ListAllRations)->Unit(benchmark::kMillisecond);

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
