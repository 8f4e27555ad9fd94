#include "CostingFixture.h"

#include "common/NumberText.h"
#include "costing/DishCost.h"
#include "costing/MenuRequisition.h"
#include "costing/PriceSources.h"
#include "costing/RationCost.h"

namespace kulvera::test {
namespace {

// Stock that has a lot of every product at a fixed price.
class FixedStock final : public StockPrices
{
public:
    explicit FixedStock(double price)
        : price_(price)
    {
    }
    std::optional<double> priceFromStock(qint64, qint64 warehouse) override
    {
        lastWarehouse = warehouse;
        return price_;
    }
    qint64 lastWarehouse = -1;

private:
    double price_;
};

class SeasonalFixed final : public SeasonalOutputs
{
public:
    std::optional<double> output(qint64 product) override
    {
        return product == 5 ? std::optional<double>(80.0) : std::nullopt;
    }
};

using DishCostTest = CostingBases;

TEST_F(DishCostTest, RoundPriceZeroMakesWholePricesAndDishCostsButLinesKeepTwoDecimals)
{
    setData(QStringLiteral("RoundPrice"), QStringLiteral("0"));
    addUnit(1, 1);
    addProduct(1, 12.6, 1);
    NoStockPrices stock;
    PriceSources prices(bases.connections(), bases.settings(), bases.prompter(), stock);
    SeasonalOutputs seasonal;
    EXPECT_EQ(prices.productRecordPrice(1), 13.0);
    const DishCost cost = dishPrice(dishOf({productLine(1, QStringLiteral("1"), 0.123)}), prices, seasonal, 1);
    ASSERT_EQ(cost.lines.size(), 1u);
    EXPECT_DOUBLE_EQ(cost.lines[0].cost, 1.6); // 13 × 0.123 = 1.599
    EXPECT_EQ(cost.cost, 2.0);
}

TEST_F(DishCostTest, ThreeLinesOfAThirdRoundToFourDecimalsAndTheDishToOne)
{
    addUnit(7, 0.001); // priced per kilogram
    addProduct(1, 333.33, 7);
    NoStockPrices stock;
    PriceSources prices(bases.connections(), bases.settings(), bases.prompter(), stock);
    SeasonalOutputs seasonal;
    const colBludo dish = dishOf({productLine(1, QStringLiteral("1"), 1), productLine(2, QStringLiteral("1"), 1),
        productLine(3, QStringLiteral("1"), 1)});
    const DishCost cost = dishPrice(dish, prices, seasonal, 1);
    ASSERT_EQ(cost.lines.size(), 3u);
    for (const LineCost &line : cost.lines)
        EXPECT_DOUBLE_EQ(line.cost, 0.3333);
    EXPECT_EQ(formatFixed(cost.cost, 2), QStringLiteral("1,00"));

    Ration ration;
    const int breakfast = ration.ensureMeal(QStringLiteral("Завтрак"));
    ration.appendDish(breakfast, QStringLiteral("Каша"), QStringLiteral("200"), copyPositions(dish));
    const RationCost day = rationPrice(ration, {QStringLiteral("Завтрак")}, -1, true, prices, seasonal, 1);
    EXPECT_DOUBLE_EQ(day.total, 1.0);
}

TEST_F(DishCostTest, OnlyProductPositionsArePricedAndUnpricedProductsCostNothing)
{
    addUnit(1, 1);
    addProduct(1, 10.0, 1);
    addProduct(2, QVariant(), 1); // no price
    NoStockPrices stock;
    PriceSources prices(bases.connections(), bases.settings(), bases.prompter(), stock);
    SeasonalOutputs seasonal;
    colBludo dish = dishOf({productLine(1, QStringLiteral("1"), 2), productLine(2, QStringLiteral("2"), 5)});
    clsProds semi;
    semi.Kod = QStringLiteral("pfx00000009");
    semi.ID_Prod = QStringLiteral("1");
    semi.Brutto = 1000;
    dish.Add(clsBludo(semi));
    const DishCost cost = dishPrice(dish, prices, seasonal, 1);
    EXPECT_EQ(cost.lines.size(), 2u);
    EXPECT_DOUBLE_EQ(cost.cost, 20.0);
}

TEST_F(DishCostTest, SeasonalProductsArePricedOnTheirNetMassOverTheMonthsOutput)
{
    addUnit(1, 1);
    addProduct(5, 2.0, 1);
    NoStockPrices stock;
    PriceSources prices(bases.connections(), bases.settings(), bases.prompter(), stock);
    SeasonalFixed seasonal;
    const DishCost cost = dishPrice(dishOf({productLine(1, QStringLiteral("5"), 100, 60)}), prices, seasonal, 1);
    ASSERT_EQ(cost.lines.size(), 1u);
    EXPECT_DOUBLE_EQ(cost.lines[0].mass, 75.0); // 60 × 100 ÷ 80
    EXPECT_DOUBLE_EQ(cost.cost, 150.0);
}

TEST_F(DishCostTest, SupplierListWinsWhenBothWarehouseSettingsAreOn)
{
    addUnit(1, 1);
    addProduct(1, 10.0, 1);
    ASSERT_TRUE(execSql(db(BaseId::Warehouse), QStringLiteral("INSERT INTO \"dt101\" (\"ID\") VALUES (3)")));
    ASSERT_TRUE(execSql(db(BaseId::Warehouse),
        QStringLiteral(
            "INSERT INTO \"dt102\" (\"KodProd\", \"ID_Sel\", \"Price\", \"EdI\", \"Nac\") VALUES (1, 3, 40, 1, 10)")));
    FixedStock stock(70);
    setData(QStringLiteral("bUsePriceFromWS"), QStringLiteral("1"));
    setData(QStringLiteral("bUsePriceFromWS2"), QStringLiteral("1"));
    {
        PriceSources prices(bases.connections(), bases.settings(), bases.prompter(), stock);
        const ProductPrice p = prices.currentProductPrice(1, 2);
        EXPECT_EQ(p.origin, PriceOrigin::SupplierList);
        EXPECT_DOUBLE_EQ(p.value, 44.0); // 40 with its 10 % markup
    }
    setData(QStringLiteral("bUsePriceFromWS"), QStringLiteral("0"));
    {
        PriceSources prices(bases.connections(), bases.settings(), bases.prompter(), stock);
        const ProductPrice p = prices.currentProductPrice(1, 2);
        EXPECT_EQ(p.origin, PriceOrigin::Stock);
        EXPECT_DOUBLE_EQ(p.value, 70.0);
        EXPECT_EQ(stock.lastWarehouse, 2);
    }
    setData(QStringLiteral("bUsePriceFromWS2"), QStringLiteral("0"));
    {
        PriceSources prices(bases.connections(), bases.settings(), bases.prompter(), stock);
        EXPECT_EQ(prices.currentProductPrice(1, 2).origin, PriceOrigin::ProductRecord);
    }
}

TEST_F(DishCostTest, WithoutStockThePriceIsVisiblyMissingAndTheLineCostsNothing)
{
    addUnit(1, 1);
    addProduct(1, 10.0, 1);
    setData(QStringLiteral("bUsePriceFromWS2"), QStringLiteral("1"));
    NoStockPrices stock;
    PriceSources prices(bases.connections(), bases.settings(), bases.prompter(), stock);
    SeasonalOutputs seasonal;
    const DishCost cost = dishPrice(dishOf({productLine(1, QStringLiteral("1"), 2)}), prices, seasonal, 1);
    EXPECT_EQ(cost.cost, 0.0);
    ASSERT_EQ(cost.unpriced().size(), 1);
    EXPECT_TRUE(cost.unpriced().first().contains(kNoStockText.toString()));
}

TEST_F(DishCostTest, PriceUnitFactorFallsBackToOneAndTellsWhenTheUnitIsNotFoundOnce)
{
    addUnit(2, 0);
    addProduct(1, 1.0, 2); // factor 0 counts as 1
    addProduct(2, 1.0, 9); // no such unit
    addProduct(3, 1.0, 9);
    addProduct(4, 1.0); // no unit: lDefEDI
    addUnit(6, 0.5);
    setData(QStringLiteral("lDefEDI"), QStringLiteral("6"));
    NoStockPrices stock;
    PriceSources prices(bases.connections(), bases.settings(), bases.prompter(), stock);
    EXPECT_EQ(prices.priceUnitFactor(1), 1.0);
    EXPECT_TRUE(bases.prompter().shown().empty());
    EXPECT_EQ(prices.priceUnitFactor(2), 1.0);
    EXPECT_EQ(prices.priceUnitFactor(3), 1.0);
    ASSERT_EQ(bases.prompter().shown().size(), 1u);
    EXPECT_TRUE(bases.prompter().saw(QStringLiteral("Система коэффициентов была изменена!")));
    EXPECT_TRUE(bases.prompter().saw(QStringLiteral("rsCount = 0")));
    EXPECT_EQ(prices.priceUnitFactor(4), 0.5);
}

class RationCostTest : public CostingBases
{
protected:
    void SetUp() override
    {
        CostingBases::SetUp();
        addUnit(1, 1);
        addProduct(1, 1.25, 1);
        addProduct(2, 0.37, 1);
        addProduct(3, 2.11, 1);
        breakfast = ration.ensureMeal(QStringLiteral("Завтрак"));
        ration.ensureMeal(QStringLiteral("Обед")); // planned, nothing in it yet
        supper = ration.ensureMeal(QStringLiteral("Ужин"));
        ration.appendDish(breakfast, QStringLiteral("Каша"), QStringLiteral("200"),
            dishOf({productLine(1, QStringLiteral("1"), 41), productLine(2, QStringLiteral("2"), 13.5)}));
        ration.appendDish(
            breakfast, QStringLiteral("Чай"), QStringLiteral("200"), dishOf({productLine(1, QStringLiteral("3"), 7)}));
        ration.appendDish(supper, QStringLiteral("Рагу"), QStringLiteral("250"),
            dishOf({productLine(1, QStringLiteral("2"), 120), productLine(2, QStringLiteral("3"), 33.3)}));
    }
    const QStringList meals {QStringLiteral("Завтрак"), QStringLiteral("Обед"), QStringLiteral("Ужин")};
    Ration ration;
    int breakfast = 0;
    int supper = 0;
};

TEST_F(RationCostTest, TheDayCostsTheSumOfItsDishesAndAnEmptyMealAddsNothing)
{
    NoStockPrices stock;
    PriceSources prices(bases.connections(), bases.settings(), bases.prompter(), stock);
    SeasonalOutputs seasonal;
    // By hand: 1.25 × 41 + 0.37 × 13.5 = 51.25 + 4.995 = 56.245 → 56.25;
    // 2.11 × 7 = 14.77; 0.37 × 120 + 2.11 × 33.3 = 44.4 + 70.263 = 114.663 → 114.66.
    const RationCost day = rationPrice(ration, meals, -1, true, prices, seasonal, 1);
    EXPECT_DOUBLE_EQ(day.total, 56.25 + 14.77 + 114.66);
    ASSERT_EQ(day.dishes.size(), 3u);
    EXPECT_DOUBLE_EQ(rationPrice(ration, meals, 1, true, prices, seasonal, 1).total, 56.25 + 14.77);
    EXPECT_EQ(rationPrice(ration, meals, 2, true, prices, seasonal, 1).total, 0.0);
    EXPECT_DOUBLE_EQ(rationPrice(ration, meals, 3, false, prices, seasonal, 1).total, 114.66);
    // A meal the list does not offer is not counted.
    EXPECT_DOUBLE_EQ(rationPrice(ration, {QStringLiteral("Ужин")}, -1, true, prices, seasonal, 1).total, 114.66);
    EXPECT_EQ(rationPriceLabel(day.total, QStringLiteral("0.0"), QStringLiteral("Весь день")),
        QStringLiteral("185,7 руб./чел. за 'Весь день'"));
}

TEST_F(RationCostTest, TheRequisitionAddsGrossMassesPerMealWithItsMultipliers)
{
    setData(QStringLiteral("KoefMenuSum"), QStringLiteral("2"));
    setData(QStringLiteral("KoefMenuItog"), QStringLiteral("десять")); // not a number: ignored
    const auto r = buildRequisition(ration, {}, bases.settings(), bases.prompter());
    ASSERT_TRUE(r);
    ASSERT_EQ(r->rows.size(), 3u);
    EXPECT_EQ(r->rows[1].code, QStringLiteral("2"));
    EXPECT_DOUBLE_EQ(r->rows[1].meals[0], 27.0);
    EXPECT_DOUBLE_EQ(r->rows[1].meals[2], 240.0);
    EXPECT_DOUBLE_EQ(r->rows[1].total, 133.5);
    EXPECT_TRUE(r->missing.isEmpty());
}

TEST_F(RationCostTest, TheRequisitionSaysWhatItLeavesOut)
{
    RequisitionLayout layout;
    layout.placesPerMeal = 1;
    layout.codes = QSet<QString> {QStringLiteral("1"), QStringLiteral("2")};
    const auto r = buildRequisition(ration, layout, bases.settings(), bases.prompter());
    ASSERT_TRUE(r);
    EXPECT_EQ(r->recipes[0], QStringList {QStringLiteral("Каша")});
    EXPECT_TRUE(bases.prompter().saw(QStringLiteral(
        "Программа позволяет использовать не больше 1 рецептур на прием №1\nОстальные рецептуры будут пропущены!")));
    EXPECT_EQ(r->missing, QStringList {QStringLiteral("3 Продукт 3")});
    EXPECT_TRUE(bases.prompter().saw(QStringLiteral("В ведомость не попали следующие продукты: 3 Продукт 3")));

    for (const QString &name : {QStringLiteral("Полдник"), QStringLiteral("Второй ужин")})
        ration.ensureMeal(name);
    bases.prompter().clear();
    EXPECT_FALSE(buildRequisition(ration, {}, bases.settings(), bases.prompter()));
    EXPECT_TRUE(bases.prompter().saw(kTooManyMealsText.toString()));
}

} // namespace
} // namespace kulvera::test
