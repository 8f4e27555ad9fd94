#include "WarehouseFixture.h"

#include "shell/SettingsStore.h"
#include "warehouse/StockQueries.h"
#include "warehouse/StockWriteOff.h"

using namespace kulvera;
using kulvera::test::WarehouseFixture;

namespace {

class Queries : public WarehouseFixture
{
protected:
    qint64 receive(qint64 product, double quantity, double price, const QDate &date, double markup = 0,
        std::optional<qint64> unit = {})
    {
        NewLine l = line(product, quantity, price);
        l.markupPercent = markup;
        l.unit = unit;
        const qint64 h = invoices.receive(invoice(QString::number(++number_), date), {l}).value();
        return invoices.lines(h)->front().lot;
    }
    void listPrice(qint64 product, double price, const QVariant &markup)
    {
        ASSERT_TRUE(base.exec(QStringLiteral("INSERT INTO \"dt102\" (\"KodProd\", \"ID_Sel\", \"Price\", \"EdI\", "
                                             "\"Nac\") VALUES (?, ?, ?, 1, ?)"),
            {product, supplier, price, markup}));
    }
    void setData(const QString &key, const QString &value) { bases.settings().save(Section::Data, key, value); }

    StockQueries queries {base};
    int number_ = 0;
};

TEST_F(Queries, PriceFromStockIsTheOldestLotsWithBothMarkupsAndZeroWithoutALot)
{
    EXPECT_EQ(queries.priceFromStock(1, store, true, {}), 0);
    receive(1, 3, 100, QDate(2026, 6, 1), 10);
    receive(1, 3, 80, QDate(2026, 6, 2));
    ASSERT_TRUE(Warehouses(base).setMarkup(store, QStringLiteral("5")));
    EXPECT_DOUBLE_EQ(queries.priceFromStock(1, store, true, {}), 115.5);
    EXPECT_DOUBLE_EQ(queries.priceFromStock(1, store, false, {}), 100);
    // A warehouse markup of 0 or below adds nothing.
    ASSERT_TRUE(Warehouses(base).setMarkup(store, QStringLiteral("-3")));
    EXPECT_DOUBLE_EQ(queries.priceFromStock(1, store, true, {}), 110);
    ASSERT_TRUE(Warehouses(base).setMarkup(store, QStringLiteral("0")));
    EXPECT_DOUBLE_EQ(queries.priceFromStock(1, store, true, {}), 110);
    // Another warehouse, another product: no lot.
    EXPECT_EQ(queries.priceFromStock(1, store + 1, true, {}), 0);
    EXPECT_EQ(queries.priceFromStock(2, store, true, {}), 0);
}

TEST_F(Queries, TheNextLotSetsThePriceOnceTheOldestIsUsedUpAndLaterLotsDoNotBeforeTheirDate)
{
    receive(1, 3, 100, QDate(2026, 6, 1));
    receive(1, 3, 70, QDate(2026, 6, 20));
    ASSERT_TRUE(StockWriteOff(base).prodMinus(1, 3, store, QDate(2026, 6, 5)));
    EXPECT_DOUBLE_EQ(queries.priceFromStock(1, store, true, {}), 70);
    EXPECT_EQ(queries.priceFromStock(1, store, true, QStringLiteral("10.06.2026")), 0);
    EXPECT_DOUBLE_EQ(queries.priceFromStock(1, store, true, QStringLiteral("20.06.2026")), 70);
    // Not a date: no limit.
    EXPECT_DOUBLE_EQ(queries.priceFromStock(1, store, true, QStringLiteral("31.02.2026")), 70);
}

TEST_F(Queries, AUnitOfEntryPriceBecomesAPricePerBaseUnit)
{
    // 50 a box of 10 kg (Koef 0.1): 5 a kilogram.
    receive(2, 2, 50, QDate(2026, 6, 1), 0, 3);
    EXPECT_DOUBLE_EQ(queries.priceFromStock(2, store, false, {}), 5);
    const UnitStockResult byUnit = queries.stockByUnit(2, store, {});
    ASSERT_EQ(byUnit.units.size(), 1u);
    EXPECT_EQ(byUnit.units[0].display(), QStringLiteral("2 ящ"));
}

TEST_F(Queries, SupplierListPriceRoundsOnlyWithItsMarkup)
{
    EXPECT_EQ(queries.supplierListPrice(1, true), 0);
    listPrice(1, 10, 12.5);
    listPrice(2, 10.555, QVariant());
    EXPECT_DOUBLE_EQ(queries.supplierListPrice(1, true), 11.25);
    EXPECT_DOUBLE_EQ(queries.supplierListPrice(1, false), 10);
    EXPECT_DOUBLE_EQ(queries.supplierListPrice(2, false), 10.555);
    EXPECT_DOUBLE_EQ(queries.supplierListPrice(2, true), 10.555);
    ASSERT_TRUE(base.exec(QStringLiteral("UPDATE \"dt102\" SET \"Nac\" = 0 WHERE \"KodProd\" = 2")));
    EXPECT_DOUBLE_EQ(queries.supplierListPrice(2, true), 10.56);
}

TEST_F(Queries, TheCurrentPriceFollowsTheSettingsAndTheRecordPriceIsRounded)
{
    ASSERT_TRUE(execSql(bases.connections().database(BaseId::Products),
        QStringLiteral("UPDATE \"dt010\" SET \"Цена\" = 12.345 WHERE \"Код\" = 1")));
    listPrice(1, 10, 12.5);
    receive(1, 3, 100, QDate(2026, 6, 1), 10);
    EXPECT_DOUBLE_EQ(queries.productRecordPrice(1), 12.35);
    EXPECT_EQ(queries.productRecordPrice(2), 0);
    EXPECT_DOUBLE_EQ(queries.currentProductPrice(1, store, true), 12.35);
    setData(QStringLiteral("bUsePriceFromWS2"), QStringLiteral("1"));
    EXPECT_DOUBLE_EQ(queries.currentProductPrice(1, store, true), 110);
    setData(QStringLiteral("bUsePriceFromWS"), QStringLiteral("1"));
    EXPECT_DOUBLE_EQ(queries.currentProductPrice(1, store, true), 11.25);
}

TEST_F(Queries, TheBalanceAtADateIsPostedReceiptsLessPostedOutgoingLinesUpToThatDay)
{
    EXPECT_EQ(queries.balanceAtDate(1, store, {}), 0);
    receive(1, 10, 1, QDate(2026, 6, 1));
    receive(1, 5, 1, QDate(2026, 6, 20));
    receive(2, 7, 1, QDate(2026, 6, 1));
    ASSERT_TRUE(base.exec(QStringLiteral("INSERT INTO \"Расход_Товара\" (\"Код_Прод\", \"Код_Склада\", \"Брутто\", "
                                         "\"Дата\", \"Проводка\") VALUES (1, ?, 3, ?, 1), (1, ?, 100, ?, 0)"),
        {store, QDate(2026, 6, 10), store, QDate(2026, 6, 10)}));
    EXPECT_DOUBLE_EQ(queries.balanceAtDate(1, store, QStringLiteral("09.06.2026")), 10);
    EXPECT_DOUBLE_EQ(queries.balanceAtDate(1, store, QStringLiteral("10.06.2026")), 7);
    EXPECT_DOUBLE_EQ(queries.balanceAtDate(1, store, {}), 12);
    EXPECT_DOUBLE_EQ(queries.balanceAtDate(1, 0, QStringLiteral("30.06.2026")), 12);
    EXPECT_EQ(queries.balanceAtDate(1, store + 1, {}), 0);
}

TEST_F(Queries, StockByUnitSumsTheLotsOfEachUnitUpToTheDate)
{
    receive(1, 4, 1, QDate(2026, 6, 1));
    receive(1, 1.5, 1, QDate(2026, 6, 2));
    receive(1, 3, 1, QDate(2026, 6, 20), 0, 3);
    const UnitStockResult all = queries.stockByUnit(1, store, {});
    ASSERT_EQ(all.units.size(), 2u);
    QStringList shown;
    for (const UnitStock &u : all.units)
        shown << u.display();
    shown.sort();
    EXPECT_EQ(shown, (QStringList {QStringLiteral("3 ящ"), QStringLiteral("5,5 кг")}));
    const UnitStockResult early = queries.stockByUnit(1, store, QStringLiteral("10.06.2026"));
    ASSERT_EQ(early.units.size(), 1u);
    EXPECT_EQ(early.units[0].display(), QStringLiteral("5,5 кг"));
    EXPECT_TRUE(queries.stockByUnit(2, store, {}).units.empty());
}

} // namespace
