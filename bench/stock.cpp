// Stock leaving the warehouse at a busy kitchen's size: a write-off document
// of 1,000 products posted first in, first out against 100,000 lots (goal
// under 1 s), and the balance of a product at a date over 1,000,000 receipt
// and outgoing lines (goal under 50 ms). The stock is written straight into
// the tables: what is measured is the posting and the query, not the making.
#include "BenchWarehouseBase.h"
#include "warehouse/OutgoingDocuments.h"
#include "warehouse/StockQueries.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <memory>

using namespace kulvera;

namespace {

using bench::kProducts;
const QDate kFirstDay(2025, 1, 1);

struct StockBase : bench::BenchWarehouseBase {
    // `perProduct` receipt lines of every product over 2025, each with its lot
    // of `quantity` (linked both ways, as a received line and its lot are).
    bool receive(int perProduct, double quantity)
    {
        Transaction t(base.database());
        SqlStatement line(base.database(),
            QStringLiteral("INSERT INTO \"Приход_Товара\" (\"Код\", \"Код_Накл\", \"Код_Прод\", \"Код_Поставщика\", "
                           "\"Код_Склада\", \"Код_на_Складе\", \"Дата\", \"Брутто\", \"Нетто\", \"Ед_изм\", \"Цена\", "
                           "\"Проводка\") VALUES (?, ?, ?, 1, ?, ?, ?, ?, ?, 1, ?, 1)"));
        SqlStatement lot(base.database(),
            QStringLiteral("INSERT INTO \"Склад\" (\"Код\", \"Код_Прод\", \"Код_Склада\", \"Код_Поставщика\", "
                           "\"Код_Накл\", \"Приход_Код\", \"Дата\", \"Брутто\", \"Ед_изм\", \"Проводка\") "
                           "VALUES (?, ?, ?, 1, ?, ?, ?, ?, 1, 1)"));
        qint64 key = 0;
        for (int n = 0; n < perProduct; ++n) {
            const QDate day = kFirstDay.addDays(n * 365 / perProduct);
            for (int p = 1; p <= kProducts; ++p) {
                ++key;
                const qint64 header = n + 1;
                if (!line.exec({key, header, p, warehouse, key, day, quantity, quantity, 10 + p % 50})
                    || !lot.exec({key, p, warehouse, header, key, day, quantity}))
                    return false;
            }
        }
        return static_cast<bool>(t.commit());
    }

    // `perProduct` posted outgoing lines of every product over 2025.
    bool issue(int perProduct, double quantity)
    {
        Transaction t(base.database());
        SqlStatement line(base.database(),
            QStringLiteral("INSERT INTO \"Расход_Товара\" (\"Код_Накл\", \"Код_Прод\", \"Код_Склада\", \"Дата\", "
                           "\"Брутто\", \"Нетто\", \"Ед_изм\", \"Проводка\") VALUES (?, ?, ?, ?, ?, ?, 1, 1)"));
        for (int n = 0; n < perProduct; ++n) {
            const QDate day = kFirstDay.addDays(n * 365 / perProduct);
            for (int p = 1; p <= kProducts; ++p) {
                if (!line.exec({n + 1, p, warehouse, day, quantity, quantity}))
                    return false;
            }
        }
        return static_cast<bool>(t.commit());
    }
};

// 100 lots of 2 kg per product; each document asks 3 kg of every product, so
// it uses up one lot and halves the next.
void BM_PostWriteOff1000ProductsAgainst100000Lots(benchmark::State &state)
{
    StockBase g;
    if (!g.receive(100, 2)) {
        state.SkipWithError("the lots were not written");
        return;
    }
    OutgoingDocuments documents(g.base);
    std::vector<NewOutgoingLine> lines;
    for (int p = 1; p <= kProducts; ++p)
        lines.push_back({p, 3, {}});
    for (auto _ : state) {
        state.PauseTiming();
        const auto document = documents.create({QDate(2026, 1, 15), g.warehouse, {}}, lines);
        state.ResumeTiming();
        if (!document || !documents.post(*document)) {
            state.SkipWithError("the posting was refused");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * kProducts);
}
BENCHMARK(BM_PostWriteOff1000ProductsAgainst100000Lots)->Unit(benchmark::kMillisecond)->Iterations(5);

StockBase &oneMillionLines()
{
    static std::unique_ptr<StockBase> g = [] {
        auto made = std::make_unique<StockBase>();
        made->receive(500, 4);
        made->issue(500, 1);
        return made;
    }();
    return *g;
}

void BM_BalanceAtDateOver1000000Lines(benchmark::State &state)
{
    StockBase &g = oneMillionLines();
    const StockQueries queries(g.base);
    double balance = 0;
    for (auto _ : state) {
        balance = queries.balanceAtDate(417, g.warehouse, QStringLiteral("30.06.2025"));
        benchmark::DoNotOptimize(balance);
    }
    // Up to the 30th of June: 250 receipts of 4 and 250 lines of 1 (the first half of the year).
    if (balance < 600 || balance > 900)
        state.SkipWithError("the balance should be about 750");
    state.counters["balance"] = balance;
}
BENCHMARK(BM_BalanceAtDateOver1000000Lines)->Unit(benchmark::kMillisecond);

void BM_BalanceOfAllWarehousesWithoutDate(benchmark::State &state)
{
    StockBase &g = oneMillionLines();
    const StockQueries queries(g.base);
    double balance = 0;
    for (auto _ : state) {
        balance = queries.balanceAtDate(417, 0, QString());
        benchmark::DoNotOptimize(balance);
    }
    if (balance != 1500)
        state.SkipWithError("the balance should be 1500");
}
BENCHMARK(BM_BalanceOfAllWarehousesWithoutDate)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
