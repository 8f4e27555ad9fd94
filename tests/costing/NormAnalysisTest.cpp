#include "CostingFixture.h"

#include "costing/NormAnalysis.h"
#include "costing/NormBase.h"
#include "shell/SqlStatement.h"

namespace kulvera::test {
namespace {

TEST(Fulfilment, NinetyFiveAndOneHundredFiveAreInRangeJustBeyondIsHighlighted)
{
    EXPECT_FALSE(outOfRange(95.0));
    EXPECT_FALSE(outOfRange(105.0));
    EXPECT_TRUE(outOfRange(94.99));
    EXPECT_TRUE(outOfRange(105.01));
    // 0.95 × 3 of 3 is 95 % and 1.05 × 3 of 3 is 105 % as a person reads them,
    // though the doubles come out a hair below and above.
    EXPECT_FALSE(outOfRange(*fulfilment(0.95 * 3, 3.0)));
    EXPECT_FALSE(outOfRange(*fulfilment(1.05 * 3, 3.0)));
    EXPECT_FALSE(fulfilment(12, 0.0));
    EXPECT_FALSE(fulfilment(12, std::nullopt));
}

TEST(ProductCodes, CodesMatchTrimmedAndWithoutRegardToCase)
{
    EXPECT_TRUE(listsCode(QStringLiteral("a12, B7"), QStringLiteral(" A12 ")));
    EXPECT_TRUE(listsCode(QStringLiteral("a12, B7"), QStringLiteral("b7")));
    EXPECT_TRUE(listsCode(QStringLiteral(" x9 "), QStringLiteral("X9")));
    EXPECT_FALSE(listsCode(QStringLiteral("a12, B7"), QStringLiteral("a1")));
    EXPECT_FALSE(listsCode(QStringLiteral("a12,B7"), QStringLiteral("a12,B7")));
}

ProductSetNorm setRow(qint64 code, const QString &name, const QString &codes, const QVariant &norm)
{
    return {code, name, codes, norm};
}

TEST(ProductSet, StarredGroupsSumNetMassesOthersGrossAndUnlistedProductsAreReported)
{
    const std::vector<ProductSetNorm> norms {
        setRow(1, QStringLiteral("*Мясо"), QStringLiteral("10, m2"), 100.0),
        setRow(2, QStringLiteral("Мясо"), QStringLiteral("10, M2"), 150.0),
        setRow(3, QStringLiteral("Соль"), QStringLiteral("s"), 0.0),
    };
    ProductSetFact fact(norms);
    for (int day = 0; day < 2; ++day) {
        fact.addDish(
            dishOf({productLine(1, QStringLiteral(" 10"), 120, 90), productLine(2, QStringLiteral("m2 "), 30, 20),
                productLine(3, QStringLiteral("S"), 4), productLine(4, QStringLiteral("77"), 12.5)}));
        fact.endDay();
    }
    const std::vector<ProductSetRow> rows = fact.rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_TRUE(rows[0].net);
    EXPECT_DOUBLE_EQ(rows[0].fact, 220.0);
    EXPECT_DOUBLE_EQ(rows[0].average, 110.0);
    EXPECT_DOUBLE_EQ(*rows[0].deviation, 10.0);
    EXPECT_DOUBLE_EQ(*rows[0].percent, 110.0);
    EXPECT_FALSE(rows[1].net);
    EXPECT_DOUBLE_EQ(rows[1].fact, 300.0);
    EXPECT_DOUBLE_EQ(*rows[1].percent, 100.0);
    // A norm of 0: deviation, but no percent.
    EXPECT_DOUBLE_EQ(rows[2].average, 4.0);
    EXPECT_FALSE(rows[2].percent);
    EXPECT_EQ(fact.missingReport(2), QStringLiteral("Не найдены следующие коды продуктов [масса брутто]: 77 [25,00]"));
}

NormRecord normWith(std::vector<std::pair<QString, QVariant>> columns)
{
    NormRecord n;
    n.name = QStringLiteral("Тест");
    n.columns = std::move(columns);
    return n;
}

clsBludo composedLine(int n, double bel, double belG, double md, double kr, double kl)
{
    clsBludo b = productLine(n, QStringLiteral("1"), 100);
    clsProds &p = b.clsProds();
    p.Bel = bel;
    p.BelG = belG;
    p.MD = md;
    p.Kr = kr;
    p.Kl = kl;
    p.c = 30;
    return b;
}

TEST(NutrientStatement, RowsInOrderWithAveragesFulfilmentAndHighlight)
{
    NutrientFact fact;
    for (int day = 0; day < 4; ++day) {
        fact.addDish(dishOf({composedLine(1, 20, 10, 5, 40, 3), composedLine(2, 5, 0, 0, 0, 0)}));
        fact.endDay();
    }
    const NormRecord norm
        = normWith({{QStringLiteral("Белки"), 25.0}, {QStringLiteral("ЖБ"), 10.6}, {QStringLiteral("Моно"), 5.0},
            {QStringLiteral("Кр"), 45.0}, {QStringLiteral("C"), 0.0}, {QStringLiteral("ЭЦ"), 300.0}});
    const std::vector<NutrientRow> rows = nutrientStatement(norm, fact);
    ASSERT_EQ(rows.size(), 20u);
    EXPECT_EQ(rows[0].name, QStringLiteral("Белки, г"));
    EXPECT_EQ(rows[7].name, QStringLiteral("Пищевые волокна, г"));
    EXPECT_EQ(rows[19].name, QStringLiteral("Калорийность, ккал"));
    EXPECT_DOUBLE_EQ(rows[0].fact, 100.0);
    EXPECT_DOUBLE_EQ(rows[0].average, 25.0);
    EXPECT_DOUBLE_EQ(*rows[0].percent, 100.0);
    EXPECT_FALSE(rows[0].highlighted);
    EXPECT_TRUE(rows[1].highlighted); // 10 of 10.6: 94.3 %
    EXPECT_DOUBLE_EQ(*rows[4].norm, 50.0); // carbohydrates: mono- and disaccharides plus starch
    EXPECT_FALSE(rows[4].percent == std::nullopt);
    EXPECT_FALSE(rows[10].percent); // vitamin C: norm 0, nothing divided
    EXPECT_FALSE(rows[10].highlighted);
    EXPECT_FALSE(rows[13].norm); // Ca: no norm
    // 4 × 25 + 4.1 × 40 + 3.8 × 5 = 283 kcal a day.
    EXPECT_DOUBLE_EQ(rows[19].average, 283.0);
}

TEST(NutrientStatement, AssimilatedComputationReducesEachValueAndFibreCanCountIntoEnergy)
{
    NutrientOptions options;
    options.assimilated = true;
    options.coefficients.setPercent(QStringLiteral("bel"), 80);
    options.coefficients.setPercent(QStringLiteral("kr"), 50);
    options.fibreInEnergy = true;
    NutrientFact fact(options);
    fact.addDish(dishOf({composedLine(1, 20, 10, 0, 40, 3)}));
    fact.endDay();
    const std::vector<NutrientRow> rows = nutrientStatement(normWith({}), fact);
    EXPECT_DOUBLE_EQ(rows[0].fact, 16.0);
    EXPECT_DOUBLE_EQ(rows[6].fact, 20.0);
    // 4 × 16 + 4.1 × 20 + 2 × 3 (fibre)
    EXPECT_DOUBLE_EQ(rows[19].fact, 152.0);
}

using NormBaseTest = CostingBases;

TEST_F(NormBaseTest, LoadByNameTellsWhenTheTableIsEmptyOrTheNameIsMissing)
{
    const NormBase norms(bases.connections(), static_cast<int>(BaseId::Menu), bases.prompter());
    EXPECT_FALSE(norms.loadByName(QStringLiteral("Взрослые")));
    EXPECT_TRUE(bases.prompter().saw(QStringLiteral("Таблица физиологических норм не заполнена!")));
    NormRecord n = normWith({{QStringLiteral("Белки"), 75.0}});
    n.products.push_back(setRow(0, QStringLiteral("*Мясо"), QStringLiteral("1,2"), 120.0));
    ASSERT_TRUE(norms.insert(n));
    EXPECT_FALSE(norms.loadByName(QStringLiteral("Взрослые")));
    EXPECT_TRUE(bases.prompter().saw(QStringLiteral("Строка Взрослые не найдена в таблице Norm")));
    const auto loaded = norms.loadByName(QStringLiteral("Тест"));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->value(QStringLiteral("Белки")), 75.0);
    ASSERT_EQ(loaded->products.size(), 1u);
    EXPECT_EQ(loaded->products[0].codeProds.toString(), QStringLiteral("1,2"));
}

} // namespace
} // namespace kulvera::test
