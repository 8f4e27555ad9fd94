#include "CrashHarness.h"

#include "shell/SqlStatement.h"
#include "warehouse/Counterparties.h"
#include "warehouse/IncomingInvoices.h"
#include "warehouse/OutgoingDocuments.h"
#include "warehouse/StockCheck.h"
#include "warehouse/WarehouseBase.h"
#include "warehouse/Warehouses.h"

#include <gtest/gtest.h>

#include <iostream>
#include <map>
#include <random>

using namespace kulvera;
using namespace kulvera::test;

namespace {

constexpr int kProducts = 300;
const QDate kReceived(2026, 6, 1);
const QDate kWrittenOff(2026, 6, 10);

// What a posting may change: every lot and every write-off trail.
struct StockState {
    std::map<qint64, double> lots;
    std::map<qint64, QString> trails;
    bool operator==(const StockState &) const = default;
};

StockState stockState(const WarehouseBase &base)
{
    StockState state;
    SqlStatement lots(base.database(), QStringLiteral("SELECT \"Код\", \"Брутто\" FROM \"Склад\""));
    EXPECT_TRUE(lots.exec());
    while (lots.next())
        state.lots[lots.value(0).toLongLong()] = lots.value(1).toDouble();
    SqlStatement trails(base.database(), QStringLiteral("SELECT \"Код\", \"Списание_Детали\" FROM \"Приход_Товара\""));
    EXPECT_TRUE(trails.exec());
    while (trails.next())
        state.trails[trails.value(0).toLongLong()] = trails.value(1).toString();
    return state;
}

int scalar(const WarehouseBase &base, const QString &sql, const QVariantList &values)
{
    SqlStatement s(base.database(), sql);
    return s.exec(values) && s.next() ? s.value(0).toInt() : -1;
}

// 300 products, each received twice (two lots), into one warehouse.
qint64 prepareStock(const CrashInstallation &installation)
{
    CrashSession session(installation, {BaseId::Warehouse, BaseId::Products}, true);
    EXPECT_TRUE(session.ok());
    WarehouseBase base(session.context());
    const QSqlDatabase products = session.connections().database(BaseId::Products);
    EXPECT_TRUE(execSql(products, QStringLiteral("BEGIN")));
    for (int p = 1; p <= kProducts; ++p) {
        EXPECT_TRUE(execSql(products,
            QStringLiteral("INSERT INTO \"dt010\" (\"Код\", \"Имя\", \"Имя2\", \"ЕдИ_Ц\") VALUES (?, ?, ?, 1)"),
            {p, QStringLiteral("Продукт %1").arg(p), QStringLiteral("Продукт %1").arg(p)}));
    }
    EXPECT_TRUE(execSql(products, QStringLiteral("COMMIT")));
    EXPECT_TRUE(base.exec(QStringLiteral("INSERT INTO \"dt105\" (\"ID\", \"Name\", \"Pref\", \"Koef\", \"SGroup\") "
                                         "VALUES (1, 'кг', 'кг', 1, 1)")));
    const qint64 store = Warehouses(base).add(QStringLiteral("Склад")).value();
    const qint64 supplier = Counterparties(base).add(QStringLiteral("Поставщик")).value();
    IncomingInvoices invoices(base);
    for (int day = 0; day < 2; ++day) {
        std::vector<NewLine> lines;
        for (int p = 1; p <= kProducts; ++p) {
            NewLine l;
            l.product = p;
            l.quantity = 50;
            l.price = 10 + p % 7;
            lines.push_back(l);
        }
        EXPECT_TRUE(invoices.receive({QString::number(day + 1), kReceived.addDays(day), supplier, store, {}}, lines));
    }
    return store;
}

// A child posting a write-off of every product is killed at seeded random
// moments; each time the bases open again with the document either posted
// whole or not at all, the stock adding up and the file sound.
TEST(CrashSafety, AKilledPostingLeavesTheStockUntouchedOrFullyPosted)
{
    CrashInstallation installation;
    const qint64 store = prepareStock(installation);
    const int kills = crashKills(20);
    std::mt19937 random(20260610);
    std::optional<std::chrono::microseconds> span; // a whole posting, measured by the first run
    int posted = 0;
    int untouched = 0;
    for (int run = 0; run <= kills; ++run) {
        qint64 document = 0;
        StockState before;
        {
            CrashSession session(installation, {BaseId::Warehouse, BaseId::Products});
            ASSERT_TRUE(session.ok());
            WarehouseBase base(session.context());
            std::vector<NewOutgoingLine> lines;
            for (int p = 1; p <= kProducts; ++p)
                lines.push_back({p, 0.25 + 0.125 * (run % 3), {}});
            document = OutgoingDocuments(base).create({kWrittenOff, store, {}}, lines).value();
            before = stockState(base);
        }
        std::optional<std::chrono::microseconds> killAfter;
        if (span) {
            // From the start to a little after the usual end: some kills come too late.
            killAfter
                = std::chrono::microseconds(std::uniform_int_distribution<qint64>(0, span->count() * 6 / 5)(random));
        }
        const ChildEnd end = runChild(
            [&](const std::function<void()> &ready) {
                CrashSession session(installation, {BaseId::Warehouse, BaseId::Products});
                WarehouseBase base(session.context());
                ready();
                return OutgoingDocuments(base).post(document) ? 0 : 1;
            },
            killAfter);
        if (!span) {
            ASSERT_FALSE(end.killed);
            ASSERT_EQ(end.exitCode, 0) << "the uninterrupted posting failed";
            span = end.afterReady;
        } else {
            ASSERT_TRUE(end.killed || end.exitCode == 0) << "run " << run << " ended with " << end.exitCode;
        }

        CrashSession session(installation, {BaseId::Warehouse, BaseId::Products});
        ASSERT_TRUE(session.ok());
        WarehouseBase base(session.context());
        ASSERT_EQ(session.integrity(BaseId::Warehouse), QStringLiteral("ok")) << "run " << run;
        const auto differences = checkStock(base).value();
        ASSERT_TRUE(differences.empty()) << "run " << run << ": product " << differences[0].product << " differs";
        const auto header = OutgoingDocuments(base).header(document).value();
        const int postedLines = scalar(base,
            QStringLiteral("SELECT COUNT(*) FROM \"Расход_Товара\" WHERE \"Код_Накл\" = ? AND \"Проводка\" <> 0"),
            {document});
        if (header.posted) {
            ++posted;
            ASSERT_EQ(postedLines, kProducts) << "run " << run;
            ASSERT_NE(stockState(base), before) << "run " << run;
        } else {
            ++untouched;
            ASSERT_EQ(postedLines, 0) << "run " << run;
            ASSERT_TRUE(stockState(base) == before) << "run " << run << ": an unposted document changed the stock";
        }
    }
    std::cout << "[ crash    ] " << kills << " kills in a posting of " << span->count() / 1000 << " ms: " << posted - 1
              << " found it posted, " << untouched << " untouched\n";
}

} // namespace
