// Incoming invoices at the size of a busy kitchen's years: 100,000 receipt
// lines in 10,000 invoices written through the invoice rules (each line with
// its lot) as one import and, for comparison, one transaction per invoice;
// then the header list of one month and the lots of one product. Goals: the
// import under 5 s; each query under 20 ms.
#include "common/Clock.h"
#include "common/ScriptedPrompter.h"
#include "shell/AppContext.h"
#include "shell/Catalogue.h"
#include "shell/Connections.h"
#include "shell/Databases.h"
#include "shell/DbStructure.h"
#include "shell/ErrorLog.h"
#include "shell/SettingsStore.h"
#include "shell/SharedSettings.h"
#include "shell/SqlStatement.h"
#include "warehouse/Counterparties.h"
#include "warehouse/IncomingInvoices.h"
#include "warehouse/StockLots.h"
#include "warehouse/WarehouseBase.h"
#include "warehouse/Warehouses.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace kulvera;

namespace {

constexpr int kProducts = 1000;
constexpr int kInvoices = 10000;
constexpr int kLinesPerInvoice = 10;
const QDate kFirstDay(2025, 1, 1);

struct GeneratedWarehouse {
    QTemporaryDir dir;
    SettingsStore settings {dir.filePath(QStringLiteral("s.ini"))};
    SharedSettings shared;
    ErrorLog log {dir.filePath(QStringLiteral("e.log"))};
    ScriptedPrompter prompter;
    Connections connections {prompter, settings, log};
    FixedClock clock {QDate(2026, 3, 1)};
    AppContext context {prompter, settings, shared, clock, connections, log};
    WarehouseBase base {context};
    IncomingInvoices invoices {base};
    qint64 warehouse = 0;
    qint64 supplier = 0;

    GeneratedWarehouse()
    {
        prompter.setDefaultAnswer(Prompter::Answer::Yes);
        const QString products = dir.filePath(QStringLiteral("db011.db"));
        const QString stock = dir.filePath(QStringLiteral("db101.db"));
        createBaseFile(products, BaseId::Products, settings);
        createBaseFile(stock, BaseId::Warehouse, settings);
        connections.connectAt(static_cast<int>(BaseId::Products), products, QStringLiteral("dt010"));
        connections.connectAt(static_cast<int>(BaseId::Warehouse), stock, QStringLiteral("dt101"));
        attachExternalTables(connections);
        const QSqlDatabase db = connections.database(BaseId::Products);
        Transaction t(db);
        SqlStatement add(
            db, QStringLiteral("INSERT INTO \"dt010\" (\"Код\", \"Имя\", \"Имя2\", \"ЕдИ_Ц\") VALUES (?, ?, ?, 1)"));
        for (int k = 1; k <= kProducts; ++k)
            add.exec({k, QStringLiteral("П%1").arg(k), QStringLiteral("Продукт %1").arg(k)});
        t.commit();
        base.exec(
            QStringLiteral("INSERT INTO \"dt105\" (\"ID\", \"Name\", \"Pref\", \"Koef\") VALUES (1, 'кг', 'кг', 1)"));
        warehouse = Warehouses(base).add(QStringLiteral("Склад")).value();
        supplier = Counterparties(base).add(QStringLiteral("Поставщик")).value();
    }

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
