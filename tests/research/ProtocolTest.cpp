#include "research/Laboratory.h"

#include "common/ScriptedPrompter.h"
#include "research/DishReference.h"
#include "research/ProtocolGrid.h"

#include <gtest/gtest.h>

using namespace kulvera;
using kulvera::test::Laboratory;

namespace {

Protocol pilaf(const Laboratory &lab, const QList<int> &methods)
{
    Protocol p;
    p.dish = QStringLiteral("Плов из курицы");
    p.date = QDate(2026, 12, 4);
    addMethods(p, lab.catalog, methods);
    lab.measure(p);
    Laboratory::dishOf(p);
    return p;
}

const ProtocolGridRow &methodLine(const std::vector<ProtocolGridRow> &grid, int methodId)
{
    for (const ProtocolGridRow &r : grid) {
        if (r.methodId == methodId && r.paramId == 0)
            return r;
    }
    static const ProtocolGridRow none;
    ADD_FAILURE() << "no line of method " << methodId;
    return none;
}

} // namespace

TEST(Protocol, AMissingExperimentValueStopsItsMethodAloneWithTheParametersMessage)
{
    Laboratory lab;
    Protocol p = pilaf(lab, {Laboratory::Dry, Laboratory::Fat});
    p.values[lab.m1].second.clear();

    ScriptedPrompter prompter;
    const MethodCalculation c = p.compute(prompter);
    ASSERT_EQ(c.results.size(), 2u);
    const QString message = QStringLiteral("Не указано значение второго опыта для показателя 'Масса бюксы с навеской'");
    EXPECT_FALSE(c.results[0].computed);
    EXPECT_EQ(c.results[0].problem, message);
    // The fat is computed all the same, and only the one problem is told.
    ASSERT_TRUE(c.results[1].computed);
    EXPECT_DOUBLE_EQ(c.results[1].average, 6.9);
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.texts().first(), message);

    const std::vector<ProtocolGridRow> grid = protocolGrid(p, c);
    EXPECT_EQ(methodLine(grid, Laboratory::Dry).problem, message);
    EXPECT_TRUE(methodLine(grid, Laboratory::Dry).cells[AverageColumn].isEmpty());
    // The parameter lines still show what was typed, so it can be completed.
    EXPECT_EQ(grid[2].cells[ParameterColumn], QStringLiteral("Масса бюксы с навеской (m1)"));
    EXPECT_EQ(grid[2].cells[FirstColumn], QStringLiteral("23"));
    EXPECT_TRUE(grid[2].cells[SecondColumn].isEmpty());
    EXPECT_EQ(methodLine(grid, Laboratory::Fat).cells[AverageColumn], QStringLiteral("6,900"));

    // Both missing: nothing computed, and the closing message follows.
    p.values[lab.a].first.clear();
    ScriptedPrompter again;
    EXPECT_FALSE(p.compute(again).anyComputed());
    EXPECT_TRUE(again.transcript().endsWith(QStringLiteral("Нет расчетных значений!")));
    // No method chosen at all.
    ScriptedPrompter none;
    EXPECT_FALSE(Protocol().compute(none).anyComputed());
    EXPECT_EQ(none.transcript(), QStringLiteral("Не указаны показатели исследований продукции!"));
}

TEST(Protocol, TheGridComparesWithTheDishAndGivesTheDeviationInPercent)
{
    Laboratory lab;
    const Protocol p = pilaf(lab, {Laboratory::Dry, Laboratory::Fat});
    const std::vector<ProtocolGridRow> grid = protocolGrid(p, p.calculate());
    ASSERT_EQ(grid.size(), 7u); // two methods and their five parameters

    const ProtocolGridRow &dry = methodLine(grid, Laboratory::Dry);
    EXPECT_EQ(dry.cells[FirstColumn], QStringLiteral("32,000"));
    EXPECT_EQ(dry.cells[SecondColumn], QStringLiteral("33,000"));
    EXPECT_EQ(dry.cells[AverageColumn], QStringLiteral("32,500"));
    EXPECT_EQ(dry.cells[DifferenceColumn], QStringLiteral("1,000"));
    EXPECT_EQ(dry.cells[DishColumn], QStringLiteral("30,000"));
    // |32.5 − 30| ÷ 30 × 100
    EXPECT_EQ(dry.cells[DeviationColumn], QStringLiteral("8,333%"));
    EXPECT_EQ(dry.cells[NdColumn], QStringLiteral("ГОСТ Р 54607.2"));

    const ProtocolGridRow &fat = methodLine(grid, Laboratory::Fat);
    EXPECT_EQ(fat.cells[LowestColumn], QStringLiteral("6,800"));
    EXPECT_EQ(fat.cells[HighestColumn], QStringLiteral("7,000"));
    EXPECT_EQ(fat.cells[CompareMinColumn], QStringLiteral("5,400"));
    EXPECT_EQ(fat.cells[CompareMaxColumn], QStringLiteral("6,600"));
    // Below the dish's value the deviation is still a positive share.
    Protocol lean = p;
    lean.references[QStringLiteral("Жиры")] = 7.5;
    EXPECT_EQ(methodLine(protocolGrid(lean, lean.calculate()), Laboratory::Fat).cells[DeviationColumn],
        QStringLiteral("8,000%"));
    // Without the dish's value there is nothing to deviate from.
    Protocol unknown = p;
    unknown.references.clear();
    const std::vector<ProtocolGridRow> unknownGrid = protocolGrid(unknown, unknown.calculate());
    const ProtocolGridRow &alone = methodLine(unknownGrid, Laboratory::Dry);
    EXPECT_TRUE(alone.computed);
    EXPECT_TRUE(alone.cells[DeviationColumn].isEmpty());
    EXPECT_TRUE(alone.cells[DishColumn].isEmpty());
}

TEST(Protocol, ChoosingAMethodBringsTheInternalMethodsItsFormulaUsesOnce)
{
    Laboratory lab;
    Protocol p;
    EXPECT_EQ(addMethods(p, lab.catalog, {Laboratory::Ratio, Laboratory::Fat, 99}), 2);
    ASSERT_EQ(p.methodIds(), (QList<int> {Laboratory::Ratio, Laboratory::Fat}));
    EXPECT_EQ(p.methods.params.size(), 3u);
    lab.measure(p);
    p.values.insert(lab.x, {QStringLiteral("34"), QStringLiteral("35")});
    const MethodCalculation c = p.calculate();
    ASSERT_TRUE(c.results[0].computed);
    EXPECT_DOUBLE_EQ(c.results[0].first, 6.8 / 34 * 100);

    // A designation shared by methods takes the values once for all of them.
    EXPECT_EQ(setValuesByDesignation(p, QStringLiteral("m"), {QStringLiteral("4"), QStringLiteral("4")}), 1);
    EXPECT_EQ(setValuesByDesignation(p, QStringLiteral("zz"), {}), 0);

    removeMethod(p, Laboratory::Fat);
    EXPECT_EQ(p.methodIds(), QList<int> {Laboratory::Ratio});
    EXPECT_FALSE(p.values.contains(lab.a));
    EXPECT_TRUE(p.values.contains(lab.x));
    // Without its internal method the ratio is reported, not guessed.
    EXPECT_FALSE(p.calculate().results[0].computed);
}

TEST(DishReference, MethodsMeetTheDishPer100gByTheNamesLaboratoriesUse)
{
    DishValues dish;
    dish.hasPer100 = true;
    dish.per100.Gir = 6.5;
    dish.per100.Bel = 8.1;
    dish.per100.MD = 1.0;
    dish.per100.Kr = 17.0;
    dish.per100.Voda = 60.0;
    dish.per100.sv = 40.0;
    dish.dryMatter = 34.9; // the card's fraction, with the top-level losses
    dish.kcalPer100 = 160.0;
    EXPECT_EQ(dishComponent(dish, u"Жиры"), 6.5);
    EXPECT_EQ(dishComponent(dish, u" массовая доля жира "), std::nullopt); // "жира" is no field name
    EXPECT_EQ(dishComponent(dish, u"Массовая доля Жир"), 6.5);
    EXPECT_EQ(dishComponent(dish, u"белки"), 8.1);
    EXPECT_EQ(dishComponent(dish, u"Влага"), 60.0);
    EXPECT_EQ(dishComponent(dish, u"Сухие вещества"), 34.9);
    EXPECT_EQ(dishComponent(dish, u"Углеводы"), 18.0);
    EXPECT_EQ(dishComponent(dish, u"Энергетическая ценность"), 160.0);
    EXPECT_EQ(dishComponent(dish, u"Жесткость"), std::nullopt);
    EXPECT_EQ(dishComponent(dish, u""), std::nullopt);

    // An output of 0 has no values per 100 g to compare with.
    dish.hasPer100 = false;
    EXPECT_EQ(dishComponent(dish, u"Жиры"), std::nullopt);

    // The protocol takes each comparison once and keeps what it already has.
    dish.hasPer100 = true;
    Laboratory lab;
    Protocol p;
    addMethods(p, lab.catalog, {Laboratory::Dry, Laboratory::Fat});
    p.references.insert(QStringLiteral("Жиры"), 7.0);
    takeDishValues(p, dish);
    EXPECT_EQ(p.references.value(QStringLiteral("Жиры")), 7.0);
    EXPECT_EQ(p.references.value(QStringLiteral("Сухие вещества")), 34.9);
    EXPECT_EQ(p.references.size(), 2);
}
