// Incoming invoices at the size of a busy kitchen's years: 100,000 receipt
// lines in 10,000 invoices written through the invoice rules (each line with
// its lot) as one import and, for comparison, one transaction per invoice;
// then the header list of one month and the lots of one product. Goals: the
// import under 5 s; each query under 20 ms.
#include "BenchWarehouseBase.h"
#include "warehouse/Counterparties.h"
#include "warehouse/IncomingInvoices.h"
#include "warehouse/StockLots.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <memory>

using namespace kulvera;

namespace {

using bench::kProducts;
constexpr int kInvoices = 10000;
constexpr int kLinesPerInvoice = 10;
const QDate kFirstDay(2025, 1, 1);

struct GeneratedWarehouse : bench::BenchWarehouseBase {
    IncomingInvoices invoices {base};
    qint64 supplier = 0;

    GeneratedWarehouse() { supplier = Counterparties(base).add(QStringLiteral("Поставщик")).value(); }

    // Invoices spread over 2025, about 27 a day.
    std::vector<InvoiceToReceive> year() const
    {
        std::vector<InvoiceToReceive> all(kInvoices);
        for (int n = 0; n < kInvoices; ++n) {
            InvoiceToReceive &one = all[n];
            one.invoice = {QString::number(n + 1), kFirstDay.addDays(n * 365 / kInvoices), supplier, warehouse, {}};
            one.lines.resize(kLinesPerInvoice);
            for (int i = 0; i < kLinesPerInvoice; ++i) {
                one.lines[i].product = (n * kLinesPerInvoice + i) % kProducts + 1;
                one.lines[i].quantity = 1 + (n + i) % 50;
                one.lines[i].price = 10 + (n * 7 + i) % 300;
            }
        }
        return all;
    }

    // The year as one import: one transaction.
    bool receiveAll() { return invoices.receiveAll(year()).ok(); }

    // The year typed invoice by invoice: one transaction each.
    bool receiveOneByOne()
    {
        for (const InvoiceToReceive &one : year()) {
            if (!invoices.receive(one.invoice, one.lines))
                return false;
        }
        return true;
    }
};

template <bool (GeneratedWarehouse::*receive)()> void receiveYear(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto g = std::make_unique<GeneratedWarehouse>();
        state.ResumeTiming();
        if (!((*g).*receive)())
            state.SkipWithError("an invoice was refused");
        state.PauseTiming();
        g.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kInvoices * kLinesPerInvoice);
}

void BM_Receive100000Lines(benchmark::State &state)
{
    receiveYear<&GeneratedWarehouse::receiveAll>(state);
}
BENCHMARK(BM_Receive100000Lines)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_Receive100000LinesOneByOne(benchmark::State &state)
{
    receiveYear<&GeneratedWarehouse::receiveOneByOne>(state);
}
BENCHMARK(BM_Receive100000LinesOneByOne)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

GeneratedWarehouse &filled()
{
    static std::unique_ptr<GeneratedWarehouse> g = [] {
        auto made = std::make_unique<GeneratedWarehouse>();
        made->receiveAll();
        return made;
    }();
    return *g;
}

void BM_HeaderListOfAMonth(benchmark::State &state)
{
    GeneratedWarehouse &g = filled();
    const InvoicePeriod june = InvoicePeriod::chosen(QDate(2025, 6, 1), QDate(2025, 6, 30)).value();
    size_t count = 0;
    for (auto _ : state) {
        const auto headers = g.invoices.headers(june);
        count = headers ? headers->size() : 0;
        benchmark::DoNotOptimize(count);
    }
    if (count < 700)
        state.SkipWithError("the month should hold about 820 invoices");
    state.counters["headers"] = static_cast<double>(count);
}
BENCHMARK(BM_HeaderListOfAMonth)->Unit(benchmark::kMillisecond);

void BM_LotsOfOneProduct(benchmark::State &state)
{
    GeneratedWarehouse &g = filled();
    StockLots lots(g.base);
    size_t count = 0;
    for (auto _ : state) {
        const auto rows = lots.list({g.warehouse, 417});
        count = rows ? rows->size() : 0;
        benchmark::DoNotOptimize(count);
    }
    if (count != kInvoices * kLinesPerInvoice / kProducts)
        state.SkipWithError("every product should have 100 lots");
    state.counters["lots"] = static_cast<double>(count);
}
BENCHMARK(BM_LotsOfOneProduct)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
