#include "WarehouseFixture.h"

#include "products/ProductSeed.h"
#include "shell/DataFiles.h"
#include "warehouse/DemoWarehouse.h"

using namespace kulvera;

namespace {

TEST(DemoWarehouse, AMonthOfReceiptsOnTheDeliveredProductsOnce)
{
    test::TempBases bases;
    ASSERT_NE(bases.create(BaseId::Warehouse), Connections::kFailed);
    ASSERT_NE(bases.create(BaseId::Products), Connections::kFailed);
    ASSERT_TRUE(seedProductBase(bases.connections(), bases.settings(), dataFile(QStringLiteral("products.csv"))));
    attachExternalTables(bases.connections());
    FixedClock clock(QDate(2026, 3, 31));
    AppContext context {
        bases.prompter(), bases.settings(), bases.shared(), clock, bases.connections(), bases.errorLog()};

    const auto first = seedDemoWarehouse(context, clock.today());
    ASSERT_TRUE(first) << first.error().toStdString();
    EXPECT_EQ(first->warehouses, 2);
    EXPECT_EQ(first->suppliers, 3);
    EXPECT_GE(first->invoices, 20);
    EXPECT_GT(first->lines, first->invoices * 2);

    WarehouseBase base(context);
    IncomingInvoices invoices(base);
    const auto march = invoices.headers(InvoicePeriod::chosen(QDate(2026, 3, 2), QDate(2026, 3, 31)).value()).value();
    const auto all = invoices.headers(InvoicePeriod::all()).value();
    EXPECT_EQ(static_cast<int>(all.size()), first->invoices);
    EXPECT_EQ(march.size(), all.size());
    const auto lots = StockLots(base).list().value();
    EXPECT_EQ(static_cast<int>(lots.size()), first->lines);
    for (const LotView &lot : lots) {
        EXPECT_FALSE(lot.productName.isEmpty());
        EXPECT_GT(lot.lot.brutto, 0);
    }
    for (const InvoiceHeader &h : all)
        EXPECT_GT(h.sum, 0);

    const auto again = seedDemoWarehouse(context, clock.today());
    ASSERT_TRUE(again);
    EXPECT_TRUE(again->alreadyPresent);
    EXPECT_EQ(invoices.headers(InvoicePeriod::all())->size(), all.size());
    EXPECT_EQ(Warehouses(base).count(), 2);
    EXPECT_TRUE(bases.prompter().unexpected().isEmpty());
}

} // namespace
