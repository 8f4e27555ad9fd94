// Our data layer beside the raw SQLite C API, in one binary: one million rows
// of ten columns inserted in one transaction, then a scan with a condition on
// an indexed text column. With KULVERA_PG_TEST naming a PostgreSQL server
// (scripts/pg-cluster), the same work through our layer on the server runs too,
// each time in a fresh database.
#include "shell/ServerBases.h"
#include "shell/SqlStatement.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <string>

namespace {

constexpr int kRows = 1000000;
constexpr const char *kCreate
    = "CREATE TABLE t (id INTEGER, name VARCHAR(255), grp VARCHAR(255), a REAL, b REAL, c REAL, "
      "d INTEGER, e INTEGER, note TEXT, day DATETIME)";
// The same table in the server's type names (dates are text there too).
constexpr const char *kCreateServer
    = "CREATE TABLE t (id INTEGER, name TEXT, grp TEXT, a DOUBLE PRECISION, b DOUBLE PRECISION, "
      "c DOUBLE PRECISION, d INTEGER, e INTEGER, note TEXT, day VARCHAR(19))";
constexpr const char *kInsert = "INSERT INTO t VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
constexpr const char *kIndex = "CREATE INDEX ix_t_grp ON t (grp)";
constexpr const char *kScan = "SELECT id, name, a FROM t WHERE grp = ?";

std::string groupOf(int i)
{
    return "group " + std::to_string(i % 1000);
}

// The insert and the scan through our layer; false when the scan finds a wrong count.
bool workload(const QSqlDatabase &db, const char *create)
{
    kulvera::execSql(db, QString::fromLatin1(create));
    kulvera::execSql(db, QString::fromLatin1(kIndex));
    {
        kulvera::Transaction tx(db);
        kulvera::SqlStatement insert(db, QString::fromLatin1(kInsert));
        const QString note = QStringLiteral("примечание к строке");
        const QDateTime day(QDate(2026, 1, 1), QTime(8, 0));
        for (int i = 0; i < kRows; ++i) {
            insert.bind(0, i);
            // Each side builds its texts the way its callers would.
            insert.bind(1, QString(QStringLiteral("Продукт ") + QString::number(i)));
            insert.bind(2, QString(QStringLiteral("group ") + QString::number(i % 1000)));
            insert.bind(3, i * 0.5);
            insert.bind(4, i * 0.25);
            insert.bind(5, 1.0);
            insert.bind(6, i % 7);
            insert.bind(7, i % 13);
            insert.bind(8, note);
            insert.bind(9, day);
            insert.exec();
        }
        tx.commit();
    }
    kulvera::SqlStatement scan(db, QString::fromLatin1(kScan));
    long found = 0;
    for (int g = 0; g < 100; ++g) {
        scan.bind(0, QString(QStringLiteral("group ") + QString::number(g)));
        scan.exec();
        while (scan.next()) {
            benchmark::DoNotOptimize(scan.value(1).toString());
            ++found;
        }
    }
    return found == kRows / 10;
}

void BM_OurLayer(benchmark::State &state)
{
    QTemporaryDir dir;
    for (auto _ : state) {
        const QString name = QUuid::createUuid().toString();
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(dir.filePath(name + QStringLiteral(".db")));
            db.open();
            if (!workload(db, kCreate))
                state.SkipWithError("wrong row count");
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

// Runs one statement on the server's maintenance database.
void onServer(const kulvera::ServerSettings &server, const QString &sql)
{
    const QString name = QUuid::createUuid().toString();
    {
        const auto db = kulvera::openServerDatabase(server, name);
        if (db)
            QSqlQuery(db.value()).exec(sql);
    }
    QSqlDatabase::removeDatabase(name);
}

void BM_OurLayerPostgres(benchmark::State &state, const kulvera::ServerSettings &cluster)
{
    for (auto _ : state) {
        kulvera::ServerSettings server = cluster;
        server.database = QStringLiteral("kv_bench_") + QUuid::createUuid().toString(QUuid::Id128);
        state.PauseTiming();
        onServer(cluster, QStringLiteral("CREATE DATABASE ") + server.database);
        state.ResumeTiming();
        const QString name = QUuid::createUuid().toString();
        QString failure;
        {
            const auto db = kulvera::openServerDatabase(server, name);
            if (!db)
                failure = db.error();
            else if (!workload(db.value(), kCreateServer))
                failure = QStringLiteral("wrong row count");
        }
        QSqlDatabase::removeDatabase(name);
        state.PauseTiming();
        onServer(cluster, QStringLiteral("DROP DATABASE ") + server.database + QStringLiteral(" WITH (FORCE)"));
        // The library refuses to pause or resume a run already marked failed.
        if (!failure.isEmpty()) {
            state.SkipWithError(failure.toUtf8().constData());
            break;
        }
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_RawSqlite(benchmark::State &state)
{
    QTemporaryDir dir;
    int run = 0;
    for (auto _ : state) {
        const std::string path = dir.filePath(QStringLiteral("raw%1.db").arg(++run)).toStdString();
        sqlite3 *db = nullptr;
        sqlite3_open(path.c_str(), &db);
        sqlite3_exec(db, kCreate, nullptr, nullptr, nullptr);
        sqlite3_exec(db, kIndex, nullptr, nullptr, nullptr);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt *insert = nullptr;
        sqlite3_prepare_v2(db, kInsert, -1, &insert, nullptr);
        const std::string note = "примечание к строке";
        for (int i = 0; i < kRows; ++i) {
            const std::string name = "Продукт " + std::to_string(i);
            const std::string grp = groupOf(i);
            sqlite3_bind_int(insert, 1, i);
            sqlite3_bind_text(insert, 2, name.c_str(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 3, grp.c_str(), static_cast<int>(grp.size()), SQLITE_TRANSIENT);
            sqlite3_bind_double(insert, 4, i * 0.5);
            sqlite3_bind_double(insert, 5, i * 0.25);
            sqlite3_bind_double(insert, 6, 1.0);
            sqlite3_bind_int(insert, 7, i % 7);
            sqlite3_bind_int(insert, 8, i % 13);
            sqlite3_bind_text(insert, 9, note.c_str(), static_cast<int>(note.size()), SQLITE_STATIC);
            sqlite3_bind_text(insert, 10, "2026-01-01 08:00:00", -1, SQLITE_STATIC);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_stmt *scan = nullptr;
        sqlite3_prepare_v2(db, kScan, -1, &scan, nullptr);
        long found = 0;
        for (int g = 0; g < 100; ++g) {
            const std::string grp = groupOf(g);
            sqlite3_bind_text(scan, 1, grp.c_str(), static_cast<int>(grp.size()), SQLITE_TRANSIENT);
            while (sqlite3_step(scan) == SQLITE_ROW) {
                // Read the text as the layer does: into a Unicode string.
                const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(scan, 1));
                benchmark::DoNotOptimize(QString::fromUtf8(text));
                ++found;
            }
            sqlite3_reset(scan);
        }
        sqlite3_finalize(scan);
        sqlite3_close(db);
        if (found != kRows / 10)
            state.SkipWithError("wrong row count");
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

BENCHMARK(BM_RawSqlite)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OurLayer)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (const auto cluster = kulvera::parseConnInfo(qEnvironmentVariable("KULVERA_PG_TEST")))
        benchmark::RegisterBenchmark("BM_OurLayerPostgres", BM_OurLayerPostgres, cluster.value())
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
