// A year of rations against a norm: 365 days of four meals, eight dishes a
// meal and about twelve positions a dish (≈137,000 menu rows). Measured:
// the nutrient and product-set analysis of the whole year (every day's rows
// read, decoded and added up), loading every ration whole for comparison, and beside it a raw SQLite scan
// that reads every column of the same rows. Goal: under 1 s, and within 5×
// of the raw scan.
#include "BenchDishBase.h"

#include "costing/NormAnalysis.h"
#include "costing/NormBase.h"
#include "costing/RationScan.h"
#include "menus/MenuBase.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

namespace {

using namespace kulvera;

constexpr int kMenu = static_cast<int>(BaseId::Menu);
constexpr int kDays = 365;
constexpr int kMeals = 4;
constexpr int kDishesPerMeal = 8;
const QDate kFirstDay {2025, 1, 1};

struct Year : bench::BenchDishBase {
    QString menuPath = dir.filePath(QStringLiteral("Menu.db"));
    std::unique_ptr<MenuBase> menu;
    NormRecord norm;
    qint64 rows = 0;

    Year()
    {
        createBaseFile(menuPath, BaseId::Menu, settings);
        connections.connectAt(kMenu, menuPath, QStringLiteral("base_temp"));
        menu = std::make_unique<MenuBase>(connections, kMenu, settings, prompter, base->codec());
        const QString meals[kMeals]
            = {QStringLiteral("Завтрак"), QStringLiteral("Обед"), QStringLiteral("Полдник"), QStringLiteral("Ужин")};
        Transaction all(connections.database(kMenu));
        for (int d = 0; d < kDays; ++d) {
            Ration ration({kFirstDay.addDays(d), QString()});
            for (int m = 0; m < kMeals; ++m) {
                const int meal = ration.ensureMeal(meals[m]);
                for (int k = 0; k < kDishesPerMeal; ++k) {
                    const int seed = d * 37 + m * 11 + k;
                    ration.appendDish(meal, bench::benchRecipeName(seed % 500), QStringLiteral("200"),
                        bench::benchRecipe(10 + seed % 5, seed, seed % 3 == 0));
                }
            }
            rows += ration.positionCount();
            menu->save(ration);
        }
        all.commit();
        norm.name = QStringLiteral("Взрослые");
        norm.columns = {{QStringLiteral("Белки"), 75.0}, {QStringLiteral("Жир"), 80.0}, {QStringLiteral("Кр"), 300.0},
            {QStringLiteral("ЭЦ"), 2500.0}};
        for (int g = 0; g < 30; ++g) {
            QStringList codes;
            for (int c = 0; c < 20; ++c)
                codes << QString::number(1 + g * 20 + c);
            ProductSetNorm row;
            row.code = g + 1;
            row.groupName
                = QString((g % 2 ? QStringLiteral("*Группа ") : QStringLiteral("Группа ")) + QString::number(g));
            row.codeProds = codes.join(QStringLiteral(", "));
            row.norm = 100.0;
            norm.products.push_back(row);
        }
    }
};

Year &year()
{
    static Year y;
    return y;
}

void BM_AnalyseAYearAgainstANorm(benchmark::State &state)
{
    Year &y = year();
    for (auto _ : state) {
        NutrientFact nutrients;
        ProductSetFact products(y.norm.products);
        const auto days = y.menu->daysOf(QString());
        if (!days || days->size() != static_cast<std::size_t>(kDays)) {
            state.SkipWithError("days");
            break;
        }
        const Result<int> scanned = scanRations(*y.menu, *days, QString(), nutrients, products);
        if (!scanned || *scanned != kDays)
            state.SkipWithError("scan");
        benchmark::DoNotOptimize(nutrientStatement(y.norm, nutrients));
        benchmark::DoNotOptimize(products.rows());
    }
    state.counters["menu_rows"] = static_cast<double>(y.rows);
}
BENCHMARK(BM_AnalyseAYearAgainstANorm)->Unit(benchmark::kMillisecond);

// Loading every ration whole, for comparison: what the analysis would cost
// through the ration loader.
void BM_LoadAYearOfRations(benchmark::State &state)
{
    Year &y = year();
    for (auto _ : state) {
        const auto days = y.menu->daysOf(QString());
        qint64 positions = 0;
        for (const QDate &day : *days) {
            const Result<Ration> ration = y.menu->load({day, QString()});
            positions += ration ? ration->positionCount() : 0;
        }
        if (positions != y.rows)
            state.SkipWithError("row count");
    }
}
BENCHMARK(BM_LoadAYearOfRations)->Unit(benchmark::kMillisecond);

// The same rows read straight from SQLite: every column, in ID order.
void BM_RawScanOfTheSameRows(benchmark::State &state)
{
    Year &y = year();
    sqlite3 *db = nullptr;
    sqlite3_open_v2(y.menuPath.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    QString sql = QStringLiteral("SELECT ");
    for (int c = 1; c <= MenuBase::kRowColumns; ++c)
        sql += (c > 1 ? QStringLiteral(", l") : QStringLiteral("l")) + QString::number(c);
    sql += QStringLiteral(" FROM base_temp ORDER BY ID");
    const QByteArray text = sql.toUtf8();
    for (auto _ : state) {
        sqlite3_stmt *q = nullptr;
        sqlite3_prepare_v2(db, text.constData(), -1, &q, nullptr);
        qint64 rows = 0;
        std::size_t bytes = 0;
        while (sqlite3_step(q) == SQLITE_ROW) {
            ++rows;
            for (int c = 0; c < MenuBase::kRowColumns; ++c) {
                if (const unsigned char *v = sqlite3_column_text(q, c))
                    bytes += static_cast<std::size_t>(sqlite3_column_bytes(q, c)) + (v[0] != 0);
            }
        }
        sqlite3_finalize(q);
        if (rows != y.rows)
            state.SkipWithError("row count");
        benchmark::DoNotOptimize(bytes);
    }
    sqlite3_close(db);
    state.counters["menu_rows"] = static_cast<double>(y.rows);
}
BENCHMARK(BM_RawScanOfTheSameRows)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    year();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
