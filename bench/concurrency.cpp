// Several workstations posting against one warehouse at once: 4 processes,
// each posting write-off documents, write-off acts and movements of the
// same few products, so they take from the same oldest lots.
// Measured: postings per second over all four (the time is the slowest
// process's posting time, start-up left out) and the conflicts retried.
// The processes are this program started again with "--workstation".
#include "BenchWarehouseBase.h"
#include "shell/SqlConflict.h"
#include "warehouse/Counterparties.h"
#include "warehouse/IncomingInvoices.h"
#include "warehouse/OutgoingDocuments.h"
#include "warehouse/StockCheck.h"
#include "warehouse/StockMovements.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using namespace kulvera;

namespace {

constexpr int kProcesses = 4;
constexpr int kPostings = 60; // per process and run
constexpr int kHotProducts = 5;
const QDate kDay(2026, 3, 1);

// The bases of the benchmark warehouse, found again by the workstations in its folder.
QString productsFile(const QString &folder)
{
    return folder + QStringLiteral("/db011.db");
}
QString stockFile(const QString &folder)
{
    return folder + QStringLiteral("/db101.db");
}

// One workstation's postings; prints "seconds retries done" for the benchmark to read.
int workstation(const QString &folder, int number)
{
    SettingsStore settings(folder + QStringLiteral("/s.ini"));
    SharedSettings shared;
    ErrorLog log(folder + QStringLiteral("/e") + QString::number(number) + QStringLiteral(".log"));
    ScriptedPrompter prompter;
    prompter.setDefaultAnswer(Prompter::Answer::Yes);
    Connections connections(prompter, settings, log);
    FixedClock clock(kDay);
    AppContext context {prompter, settings, shared, clock, connections, log};
    if (connections.connectAt(static_cast<int>(BaseId::Products), productsFile(folder), QStringLiteral("dt010"))
            == Connections::kFailed
        || connections.connectAt(static_cast<int>(BaseId::Warehouse), stockFile(folder), QStringLiteral("dt101"))
            == Connections::kFailed)
        return 2;
    attachExternalTables(connections);
    WarehouseBase base(context);
    OutgoingDocuments documents(base);
    StockMovements movements(base);
    const qint64 store = 1;
    const qint64 second = 2;
    int done = 0;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kPostings; ++i) {
        const qint64 product = 1 + (i + number) % kHotProducts;
        bool ok = false;
        switch ((i + number) % 3) {
        case 0: {
            const auto doc = documents.create({kDay, store, {}}, {{product, 0.5, {}}});
            ok = doc && documents.post(*doc);
            break;
        }
        case 1: {
            const auto rows = movements.oldestFirst({{product, 0.3}}, store, kDay);
            ok = rows && movements.writeOffAct({kDay, {}, store, {}, *rows});
            break;
        }
        default: {
            const auto rows = movements.oldestFirst({{product, 0.4}}, store, kDay);
            ok = rows && movements.move({kDay, {}, store, second, {}, *rows});
            break;
        }
        }
        done += ok ? 1 : 0;
    }
    std::printf("%.6f %lld %d\n", timer.nsecsElapsed() / 1e9, static_cast<long long>(conflictRetries()), done);
    return 0;
}

struct SharedWarehouse : bench::BenchWarehouseBase {
    qint64 second = 0;

    SharedWarehouse()
    {
        second = Warehouses(base).add(QStringLiteral("Второй")).value();
        const qint64 supplier = Counterparties(base).add(QStringLiteral("Поставщик")).value();
        IncomingInvoices invoices(base);
        // 200 lots of 10 kg of each hot product: far more than the runs take.
        for (int n = 0; n < 200; ++n) {
            std::vector<NewLine> lines;
            for (int p = 1; p <= kHotProducts; ++p) {
                NewLine line;
                line.product = p;
                line.quantity = 10;
                line.price = 10 + p;
                lines.push_back(line);
            }
            invoices.receive({QStringLiteral("н%1").arg(n), kDay.addDays(-200 + n), supplier, warehouse, {}}, lines);
        }
    }
};

void BM_PostingFromFourProcesses(benchmark::State &state)
{
    SharedWarehouse shared;
    if (shared.warehouse != 1 || shared.second != 2) {
        state.SkipWithError("the warehouses should be 1 and 2");
        return;
    }
    double totalSeconds = 0;
    long long retries = 0;
    long long done = 0;
    for (auto _ : state) {
        std::vector<std::unique_ptr<QProcess>> processes;
        for (int n = 0; n < kProcesses; ++n) {
            auto p = std::make_unique<QProcess>();
            p->start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--workstation"), shared.dir.path(), QString::number(n)});
            processes.push_back(std::move(p));
        }
        double slowest = 0;
        for (auto &p : processes) {
            p->waitForFinished(600000);
            const QStringList parts = QString::fromLatin1(p->readAllStandardOutput()).split(u' ');
            if (p->exitCode() != 0 || parts.size() != 3) {
                state.SkipWithError("a workstation failed");
                return;
            }
            slowest = std::max(slowest, parts[0].toDouble());
            retries += parts[1].toLongLong();
            done += parts[2].trimmed().toLongLong();
        }
        state.SetIterationTime(slowest);
        totalSeconds += slowest;
    }
    const auto differences = checkStock(shared.base);
    if (!differences || !differences->empty())
        state.SkipWithError("the lots no longer add up to their lines");
    state.counters["ops_per_s"] = totalSeconds > 0 ? done / totalSeconds : 0;
    state.counters["retries"] = static_cast<double>(retries);
    state.counters["postings"] = static_cast<double>(done);
}
BENCHMARK(BM_PostingFromFourProcesses)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 4 && QString::fromLatin1(argv[1]) == u"--workstation")
        return workstation(QString::fromLocal8Bit(argv[2]), QString::fromLatin1(argv[3]).toInt());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
