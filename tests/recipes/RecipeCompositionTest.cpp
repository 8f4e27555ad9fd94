#include "common/NumberText.h"
#include "common/ScriptedPrompter.h"
#include "products/ProductFields.h"
#include "recipes/DishComposition.h"
#include "recipes/HeatTreatment.h"
#include "recipes/PositionKey.h"
#include "recipes/RecipeExpansion.h"

#include <gtest/gtest.h>

using namespace kulvera;

namespace {

struct Amounts {
    double bel = 0, gir = 0, md = 0, kr = 0, sv = 0, c = 0, voda = 0;
};

clsProds *addPro(
    colBludo &slot, int parent, int item, const QString &name, double netto, Amounts a, const QString &id = {})
{
    clsProds p;
    p.Kod = makeKey(kKeyProduct, parent, item).value();
    p.ID_Prod = QString::number(item);
    p.Id = id.isEmpty() ? p.ID_Prod : id;
    p.FullName = name;
    p.Brutto = netto * 1.25;
    p.Netto = netto;
    p.Bel = a.bel;
    p.Gir = a.gir;
    p.MD = a.md;
    p.Kr = a.kr;
    p.sv = a.sv;
    p.c = a.c;
    p.Voda = a.voda;
    return &slot.Add(clsBludo(p))->clsProds();
}

clsProds *addPfx(colBludo &slot, int parent, int item, const QString &name, const QString &lossType = {})
{
    clsProds p;
    p.Kod = makeKey(kKeySemiFinished, parent, item).value();
    p.Id = lossType;
    p.FullName = name;
    return &slot.Add(clsBludo(p))->clsProds();
}

// Semi-finished products of tests that are about something else keep every value.
const QString kKept = kNoLossType.toString();

LossType boiling()
{
    LossType t;
    t.name = QStringLiteral("варка");
    t.losses = {{QStringLiteral("SV"), 10}, {QStringLiteral("Bel"), 5}, {QStringLiteral("Gir"), 20},
        {QStringLiteral("MD"), 10}, {QStringLiteral("Kr"), 10}, {QStringLiteral("C"), 50},
        {QStringLiteral("Voda"), 30}};
    return t;
}

HeatTreatmentTables tablesWithBoiling()
{
    HeatTreatmentTables t;
    t.setCulinaryTypes({boiling()});
    return t;
}

} // namespace

TEST(DishEnergy, TheReferenceDishAndItsValuesPer100g)
{
    colBludo slot;
    addPro(slot, 0, 1, QStringLiteral("Основа"), 100, {10, 5, 2, 20});
    EXPECT_DOUBLE_EQ(dishBel(slot), 10);
    EXPECT_DOUBLE_EQ(dishNetto(slot), 100);
    EXPECT_EQ(roundTo(energyKcal(slot), 1), 174.6);
    EXPECT_EQ(roundTo(kcalToKj(energyKcal(slot)), 1), 731.0);

    ScriptedPrompter prompter;
    const HeatTreatmentTables tables;
    const DishValues v = computeDish(slot, QStringLiteral("Блюдо"), 100, tables, prompter);
    EXPECT_EQ(roundTo(v.kcal, 1), 174.6);
    EXPECT_EQ(formatFixed(v.kj, 1), u"731,0");
    ASSERT_TRUE(v.hasPer100);
    EXPECT_EQ(roundTo(v.kcalPer100, 1), 174.6);
    EXPECT_EQ(v.passes, 1); // nothing to resolve: one pass settles
    EXPECT_TRUE(prompter.shown().empty());

    // Twice the output: every value per 100 g halves.
    const DishValues half = computeDish(slot, QStringLiteral("Блюдо"), 200, tables, prompter);
    EXPECT_DOUBLE_EQ(half.per100.Bel, 5);
    EXPECT_DOUBLE_EQ(half.kcalPer100, half.kcal / 2);
}

TEST(DishEnergy, ZeroOutputIsRefusedAndNothingPer100gIsComputed)
{
    colBludo slot;
    addPro(slot, 0, 1, QStringLiteral("Основа"), 100, {10, 5, 2, 20});
    ScriptedPrompter prompter;
    const DishValues v = computeDish(slot, QStringLiteral("Блюдо"), 0, HeatTreatmentTables(), prompter);
    EXPECT_FALSE(v.hasPer100);
    EXPECT_DOUBLE_EQ(v.per100.Bel, 0);
    EXPECT_TRUE(prompter.saw(QStringLiteral("Выход изделия (блюда) равен 0. Подсчет не возможен.")));
    EXPECT_FALSE(per100g(5.0, 0.0).has_value());
    EXPECT_FALSE(dryMatterFraction(slot, 0, HeatTreatmentTables()).has_value());
}

TEST(HeatTreatment, BuiltInTypesKeepOrLoseTwoPercentOfTheirValues)
{
    const HeatTreatmentTables tables;
    ASSERT_GE(tables.culinaryTypes().size(), 2u);
    EXPECT_EQ(tables.culinaryTypes()[0].name, u"порционирование");
    EXPECT_EQ(tables.culinaryTypes()[1].name, u"без потерь");
    EXPECT_EQ(basicLossColumns().size(), 26);

    for (const char16_t *type : {u"без потерь", u"порционирование"}) {
        colBludo slot;
        addPfx(slot, 0, 1, QStringLiteral("Полуфабрикат"), QString::fromUtf16(type));
        clsProds *child = addPro(slot, 1, 2, QStringLiteral("Продукт"), 100, {10, 5, 2, 20, 40, 30, 60});
        child->Hol = 50; // outside the 26 values portioning covers
        child->Na = 100;
        ScriptedPrompter prompter;
        computeRecipeComposition(slot, QStringLiteral("Р"), tables, prompter);
        const clsProds &semi = slot.item(1)->clsProds();
        const double kept = QStringView(type) == u"без потерь" ? 1.0 : 0.98;
        EXPECT_DOUBLE_EQ(semi.Bel, 10 * kept);
        EXPECT_DOUBLE_EQ(semi.Gir, 5 * kept);
        EXPECT_DOUBLE_EQ(semi.Kr, 20 * kept);
        EXPECT_DOUBLE_EQ(semi.c, 30 * kept);
        EXPECT_DOUBLE_EQ(semi.Voda, 60 * kept);
        EXPECT_DOUBLE_EQ(semi.Na, 100 * kept);
        EXPECT_DOUBLE_EQ(semi.Hol, 50);
        EXPECT_TRUE(prompter.shown().empty());
    }
}

TEST(HeatTreatment, LossesAboveEverythingLeaveNothingAndGainsStand)
{
    LossType odd;
    odd.name = QStringLiteral("ошибка ввода");
    odd.losses = {{QStringLiteral("Bel"), 150}, {QStringLiteral("Voda"), -20}};
    clsProds p;
    p.Bel = 10;
    p.Voda = 50;
    p.Gir = 4;
    applyHeatTreatment(p, odd);
    EXPECT_DOUBLE_EQ(p.Bel, 0);
    EXPECT_DOUBLE_EQ(p.Voda, 60);
    EXPECT_DOUBLE_EQ(p.Gir, 4);
}

TEST(HeatTreatment, MissingTypeIsToldAndTheAveragesApply)
{
    HeatTreatmentTables tables;
    colBludo slot;
    addPfx(slot, 0, 1, QStringLiteral("Фарш"), QStringLiteral("копчение"));
    clsProds *meat = addPro(slot, 1, 2, QStringLiteral("Говядина"), 100, {20, 10, 0, 0, 0, 10});
    meat->BelR = 4;
    meat->GirR = 8;
    ScriptedPrompter prompter;
    // The type is looked up once per computation, not once per pass.
    computeRecipeComposition(slot, QStringLiteral("Р"), tables, prompter);
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].text, u"Не обнаружен тип потерь для полуфабриката: Фарш\nКлюч продукта: pfx00000001");
    const clsProds &semi = slot.item(1)->clsProds();
    EXPECT_DOUBLE_EQ(semi.Bel, 20 * 0.94); // Sred of row 7
    EXPECT_DOUBLE_EQ(semi.Gir, 10 * 0.88); // Sred of row 8
    EXPECT_DOUBLE_EQ(semi.BelR, 4 * 0.92); // Rast of row 7
    EXPECT_DOUBLE_EQ(semi.GirR, 8 * 0.75); // Rast of row 8
    EXPECT_DOUBLE_EQ(semi.c, 10 * 0.40);
    EXPECT_EQ(defaultLossRow(&clsProds::Voda), 31);
    EXPECT_EQ(defaultLossRow(&clsProds::валин), 44);
    EXPECT_EQ(defaultLossRow(&clsProds::масляная), 63);
    EXPECT_EQ(defaultLossRow(&clsProds::PH), 88);
    EXPECT_EQ(defaultLossRow(&clsProds::MGK), 89);
    EXPECT_EQ(defaultLossRow(&clsProds::Gir_SV), 0); // no losses apply
}

TEST(RecipeExpansion, OnlySemiFinishedPositionsStillSumTheirProducts)
{
    colBludo slot;
    addPfx(slot, 0, 1, QStringLiteral("Тесто"), kKept);
    addPro(slot, 1, 2, QStringLiteral("Мука"), 80, {8, 1, 1, 50});
    addPro(slot, 1, 3, QStringLiteral("Сахар"), 20, {0, 0, 20, 0});
    addPfx(slot, 0, 4, QStringLiteral("Начинка"), kKept);
    addPro(slot, 4, 5, QStringLiteral("Яблоко"), 50, {0.2, 0.2, 5, 0.4});
    EXPECT_DOUBLE_EQ(dishBel(slot), 8.2);
    EXPECT_DOUBLE_EQ(dishMD(slot), 26);
    EXPECT_DOUBLE_EQ(dishNetto(slot), 150);

    ScriptedPrompter prompter;
    const CompositionRun run = computeRecipeComposition(slot, QStringLiteral("Пирог"), HeatTreatmentTables(), prompter);
    EXPECT_TRUE(run.settled);
    EXPECT_DOUBLE_EQ(run.dish.Bel, 8.2);
    EXPECT_DOUBLE_EQ(run.dish.Kr, 50.4);
    EXPECT_DOUBLE_EQ(run.dish.Netto, 150);
}

TEST(RecipeExpansion, NestingSettlesWithinDepthPlusOnePasses)
{
    // Sauce (3) inside filling (2) inside dough (1): three levels.
    colBludo slot;
    addPro(slot, 0, 10, QStringLiteral("Соль"), 1, {0, 0, 0, 0, 1});
    addPfx(slot, 0, 1, QStringLiteral("Уровень 1"), kKept);
    addPro(slot, 1, 11, QStringLiteral("Мука"), 10, {1, 0, 0, 7});
    addPfx(slot, 1, 2, QStringLiteral("Уровень 2"), kKept);
    addPro(slot, 2, 12, QStringLiteral("Масло"), 10, {0, 8});
    addPfx(slot, 2, 3, QStringLiteral("Уровень 3"), kKept);
    addPro(slot, 3, 13, QStringLiteral("Сахар"), 10, {0, 0, 10});
    ScriptedPrompter prompter;
    const CompositionRun run = computeRecipeComposition(slot, QStringLiteral("Р"), HeatTreatmentTables(), prompter);
    EXPECT_TRUE(run.settled);
    EXPECT_LE(run.passes, 4);
    EXPECT_DOUBLE_EQ(slot.item(6)->clsProds().MD, 10);
    EXPECT_DOUBLE_EQ(slot.item(4)->clsProds().Gir, 8);
    EXPECT_DOUBLE_EQ(slot.item(4)->clsProds().MD, 10);
    EXPECT_DOUBLE_EQ(slot.item(2)->clsProds().Kr, 7);
    EXPECT_DOUBLE_EQ(run.dish.MD, 10);
    EXPECT_DOUBLE_EQ(run.dish.sv, 1);
    EXPECT_DOUBLE_EQ(run.dish.Gir, 8);
    EXPECT_TRUE(prompter.shown().empty());

    // Once settled, the stored values are right and one pass confirms them.
    const CompositionRun again = computeRecipeComposition(slot, QStringLiteral("Р"), HeatTreatmentTables(), prompter);
    EXPECT_EQ(again.passes, 1);
}

TEST(RecipeExpansion, SelfContainingRecipeAsksEveryHundredPasses)
{
    colBludo slot;
    addPfx(slot, 1, 1, QStringLiteral("Кольцо"), kKept); // its own parent
    addPro(slot, 1, 2, QStringLiteral("Мука"), 10, {1, 0, 0, 7});
    ScriptedPrompter prompter;
    prompter.expect(QStringLiteral("Продолжить?"), Prompter::Answer::Yes);
    prompter.expect(QStringLiteral("Продолжить?"), Prompter::Answer::No);
    const CompositionRun run
        = computeRecipeComposition(slot, QStringLiteral("Кольцо"), HeatTreatmentTables(), prompter);
    EXPECT_FALSE(run.settled);
    EXPECT_EQ(run.passes, 200);
    EXPECT_TRUE(prompter.scriptDone());
    EXPECT_TRUE(prompter.unexpected().isEmpty());
    ASSERT_EQ(prompter.shown().size(), 2u);
    EXPECT_EQ(prompter.shown()[0].title, u"Расчет химсостава");
    EXPECT_EQ(prompter.shown()[0].text,
        u"Наименование рецептуры: Кольцо\n\nВозможно, совершена ошибка при составлении рецептуры.\n\n"
        u"Осуществлено 100 проходов для расчета рецептуры.\nПродолжить?");
    // No keeps the last pass: 200 passes of 1 g of protein each.
    EXPECT_DOUBLE_EQ(slot.item(1)->clsProds().Bel, 200);
}

TEST(RecipeExpansion, MissingLinksAreReportedOnceAndLeftOut)
{
    colBludo slot;
    addPfx(slot, 0, 1, QStringLiteral("Бульон"), kKept);
    addPro(slot, 1, 2, QStringLiteral("Кости"), 100, {10});
    addPro(slot, 7, 3, QStringLiteral("Морковь"), 10, {1}); // no semi-finished 0007
    addPfx(slot, 8, 4, QStringLiteral("Соус")); // nested in nothing
    ScriptedPrompter prompter;
    const CompositionRun run = computeRecipeComposition(slot, QStringLiteral("Р"), HeatTreatmentTables(), prompter);
    EXPECT_TRUE(run.settled);
    ASSERT_EQ(prompter.shown().size(), 2u);
    EXPECT_EQ(prompter.shown()[0].text,
        u"Не нашли 'родительский' п/ф - 0007 к которому подчинен продукт: Морковь\nБлюдо_ХС\nSumm_Rec_New\nКод: 2");
    EXPECT_EQ(prompter.shown()[0].icon, Prompter::Icon::Critical);
    EXPECT_EQ(prompter.shown()[0].title, u"Kulvera");
    EXPECT_TRUE(prompter.shown()[1].text.startsWith(u"Не обнаружен полуфабрикат: Соус (pfx00080004)\nБлюдо_ХС"));
    EXPECT_DOUBLE_EQ(slot.item(1)->clsProds().Bel, 10);
    EXPECT_DOUBLE_EQ(run.dish.Bel, 10); // the orphans are not at the top of the recipe

    // The single pass reports the same links.
    ScriptedPrompter single;
    expandSemiFinished(slot, HeatTreatmentTables(), single);
    EXPECT_EQ(single.shown().size(), 2u);
}

TEST(RecipeExpansion, SinglePassFillsInnerProductsFirstInSlotOrder)
{
    colBludo slot;
    addPfx(slot, 1, 2, QStringLiteral("Внутренний"), kKept);
    addPro(slot, 2, 3, QStringLiteral("Сахар"), 10, {0, 0, 10});
    addPfx(slot, 0, 1, QStringLiteral("Внешний"), QStringLiteral("порционирование"));
    ScriptedPrompter prompter;
    expandSemiFinished(slot, HeatTreatmentTables(), prompter);
    EXPECT_DOUBLE_EQ(slot.item(1)->clsProds().MD, 10);
    EXPECT_DOUBLE_EQ(slot.item(3)->clsProds().MD, 9.8);
}

TEST(SummaryRecipe, OnePositionPerIdWithSummedMassesAndFields)
{
    RecipeSlots memory;
    colBludo &slot = *memory.slot(1);
    addPro(slot, 0, 1, QStringLiteral("Морковь"), 20, {1, 0, 5, 0, 0, 2, 17}, QStringLiteral("55"));
    addPfx(slot, 0, 2, QStringLiteral("Пассеровка"));
    clsProds *second
        = addPro(slot, 2, 3, QStringLiteral("Морковь"), 30, {1.5, 0, 7.5, 0, 0, 3, 25}, QStringLiteral("55"));
    second->ID_MB = 4;
    addPro(slot, 2, 4, QStringLiteral("Масло"), 5, {0, 5}, QStringLiteral("77"));
    slot.item(1)->clsProds().ID_MB = 3;

    ScriptedPrompter prompter;
    ASSERT_TRUE(buildSummaryRecipe(memory, 1, 2, prompter));
    const colBludo &summary = *memory.summary(2);
    ASSERT_EQ(summary.Count(), 2);
    const clsProds &carrot = summary.item(1)->clsProds();
    EXPECT_EQ(carrot.Id, u"55");
    EXPECT_EQ(carrot.FullName, u"Морковь");
    EXPECT_EQ(carrot.ID_MB, 3); // copied from the first, not summed
    EXPECT_DOUBLE_EQ(carrot.Netto, 50);
    EXPECT_DOUBLE_EQ(carrot.Brutto, 62.5);
    EXPECT_DOUBLE_EQ(carrot.Bel, 2.5);
    EXPECT_DOUBLE_EQ(carrot.c, 5);
    EXPECT_DOUBLE_EQ(carrot.Voda, 0); // not one of the summed fields
    EXPECT_EQ(summary.item(2)->clsProds().Id, u"77");
    EXPECT_EQ(summaryFields().size(), 28u);

    // A second build into the same slot replaces the first.
    ASSERT_TRUE(buildSummaryRecipe(memory, 1, 2, prompter));
    EXPECT_EQ(memory.summary(2)->Count(), 2);
    EXPECT_TRUE(prompter.shown().empty());
}

TEST(SummaryRecipe, NoRoomIsToldWithTheParametersAndBuildsNothing)
{
    RecipeSlots memory;
    addPro(*memory.slot(1), 0, 1, QStringLiteral("Морковь"), 20, {});
    ScriptedPrompter prompter;
    EXPECT_FALSE(buildSummaryRecipe(memory, 1, 0, prompter));
    EXPECT_EQ(prompter.shown().at(0).text,
        u"Нет места в массиве для формирования сводной рецептуре\nПередаваемые параметры:\nlngNumBludo: 1\n"
        u"lngNumSummBludo: 0");
    EXPECT_EQ(memory.summaryCount(), 0);
}

TEST(DishComposition, SoupOnABoiledStockMatchesAHandComputation)
{
    // Stock (boiled): beef 60 g, onion 20 g. Soup: the stock, potato 100 g.
    colBludo slot;
    addPfx(slot, 0, 1, QStringLiteral("Бульон мясной"), QStringLiteral("варка"));
    clsProds *beef = addPro(slot, 1, 2, QStringLiteral("Говядина"), 60, {11.16, 7.44, 0, 0, 20.4, 0, 39.6});
    beef->Fe = 1.62;
    clsProds *onion = addPro(slot, 1, 3, QStringLiteral("Лук репчатый"), 20, {0.28, 0.04, 1.8, 0.02, 2.8, 2, 17.2});
    onion->Fe = 0.16;
    addPro(slot, 0, 4, QStringLiteral("Картофель"), 100, {2, 0.4, 1.3, 15, 25, 20, 75});
    slot.item(4)->clsProds().ShortName = QStringLiteral("Картофель молодой");

    ScriptedPrompter prompter;
    const HeatTreatmentTables tables = tablesWithBoiling();
    const DishValues v = computeDish(slot, QStringLiteral("Суп картофельный"), 250, tables, prompter);
    EXPECT_TRUE(prompter.shown().empty());

    // Stock: (11.16 + 0.28) × 0.95 = 10.868; (7.44 + 0.04) × 0.80 = 5.984;
    // 1.8 × 0.90 = 1.62; 0.02 × 0.90 = 0.018; (20.4 + 2.8) × 0.90 = 20.88;
    // 2 × 0.50 = 1; (39.6 + 17.2) × 0.70 = 39.76; iron has no loss here: 1.78.
    const clsProds &stock = slot.item(1)->clsProds();
    EXPECT_NEAR(stock.Bel, 10.868, 1e-12);
    EXPECT_NEAR(stock.Gir, 5.984, 1e-12);
    EXPECT_NEAR(stock.MD, 1.62, 1e-12);
    EXPECT_NEAR(stock.Kr, 0.018, 1e-12);
    EXPECT_NEAR(stock.sv, 20.88, 1e-12);
    EXPECT_NEAR(stock.c, 1, 1e-12);
    EXPECT_NEAR(stock.Voda, 39.76, 1e-12);
    EXPECT_NEAR(stock.Fe, 1.78, 1e-12);

    // Soup = stock + potato.
    EXPECT_NEAR(v.composition.Bel, 12.868, 1e-12);
    EXPECT_NEAR(v.composition.Gir, 6.384, 1e-12);
    EXPECT_NEAR(v.composition.MD, 2.92, 1e-12);
    EXPECT_NEAR(v.composition.Kr, 15.018, 1e-12);
    EXPECT_NEAR(v.composition.sv, 45.88, 1e-12);
    EXPECT_NEAR(v.composition.c, 21, 1e-12);
    EXPECT_NEAR(v.composition.Voda, 114.76, 1e-12);
    EXPECT_NEAR(v.composition.Fe, 1.78, 1e-12);
    // Every other field is the sum of nothing: 0.
    for (const CompositionField &f : compositionFields()) {
        const double value = v.composition.*f.member;
        if (f.member != &clsProds::Bel && f.member != &clsProds::Gir && f.member != &clsProds::MD
            && f.member != &clsProds::Kr && f.member != &clsProds::sv && f.member != &clsProds::c
            && f.member != &clsProds::Voda && f.member != &clsProds::Fe) {
            EXPECT_EQ(value, 0) << QString::fromUtf16(f.column ? f.column : u"?").toStdString();
        }
    }
    EXPECT_DOUBLE_EQ(v.netto, 180);

    // Energy from the composition that carries the losses:
    // 4.0 × 12.868 + 9.0 × 6.384 + 3.8 × 2.92 + 4.1 × 15.018 = 181.5978.
    EXPECT_NEAR(v.kcal, 181.5978, 1e-9);
    EXPECT_DOUBLE_EQ(energyKcal(slot), v.kcal);
    EXPECT_LT(v.kcal, energyKcal(v.raw)); // the raw totals know nothing of the boiling
    EXPECT_NEAR(v.raw.Bel, 13.44, 1e-12);
    EXPECT_NEAR(v.per100.Bel, 12.868 * 100 / 250, 1e-12);
    EXPECT_NEAR(v.kcalPer100, 181.5978 * 100 / 250, 1e-9);
    // Dry matter: the stock's as boiled, the potato's less the average 10 %.
    EXPECT_NEAR(v.dryMatter, (20.88 + 25 * 0.9) / 250 * 100, 1e-12);
    EXPECT_EQ(v.text, u"говядина, лук репчатый, картофель молодой.");
    addPro(slot, 0, 5, QStringLiteral("ГОВЯДИНА"), 10, {});
    EXPECT_EQ(compositionText(slot), v.text); // named once
}

TEST(DishComposition, PlausibilityAboveOneHundredOnly)
{
    clsProds per100;
    per100.Bel = 100;
    per100.Gir = 100;
    per100.MD = 40;
    per100.Kr = 60;
    per100.sv = 300;
    EXPECT_TRUE(plausibilityProblems(per100).isEmpty());

    per100.Bel = 100.01;
    per100.Gir = 101;
    per100.Kr = 60.5;
    ScriptedPrompter prompter;
    EXPECT_EQ(checkPlausibility(per100, prompter), 3);
    EXPECT_EQ(prompter.shown()[0].text,
        u"В закладке продуктов имеется ошибка!\nРасчетное содержание белка превышает допустимое значение!");
    EXPECT_TRUE(prompter.saw(QStringLiteral("Расчетное содержание жира превышает допустимое значение!")));
    EXPECT_TRUE(prompter.saw(QStringLiteral("Расчетное содержание углеводов превышает допустимое значение!")));

    clsProds dry;
    dry.sv = 10;
    dry.Gir = 10;
    dry.MD = 10.5;
    EXPECT_EQ(plausibilityProblems(dry),
        QStringList {QStringLiteral("Расчетное содержание сахаров (ф/х) превышает допустимое значение!")});
}

TEST(DishComposition, ASemiFinishedProductWithoutLossTypeTakesTheAveragesAndDryMatterCountsEachProductOnce)
{
    // Potato at the top of the recipe, a sauce without a loss type holding
    // flour, and boiled dumplings holding more flour.
    colBludo slot;
    addPro(slot, 0, 1, QStringLiteral("Картофель"), 100, {2, 0.4, 0, 15, 20});
    addPfx(slot, 0, 2, QStringLiteral("Соус"));
    addPro(slot, 2, 3, QStringLiteral("Мука"), 20, {2, 0.2, 0, 14, 18});
    addPfx(slot, 0, 4, QStringLiteral("Клецки"), QStringLiteral("варка"));
    addPro(slot, 4, 5, QStringLiteral("Мука"), 10, {1, 0.1, 0, 7, 9});

    ScriptedPrompter prompter;
    const DishValues v = computeDish(slot, QStringLiteral("Картофель с соусом"), 200, tablesWithBoiling(), prompter);
    ASSERT_EQ(prompter.shown().size(), 1u) << prompter.transcript().toStdString();
    EXPECT_EQ(prompter.shown()[0].text, u"Не обнаружен тип потерь для полуфабриката: Соус\nКлюч продукта: pfx00000002");

    // The sauce loses the averages (Sred): dry matter 10 %, proteins 6 %,
    // fats 12 %, starch 9 %: 18 × 0.9 = 16.2, 2 × 0.94 = 1.88, 0.2 × 0.88 =
    // 0.176, 14 × 0.91 = 12.74.
    const clsProds &sauce = slot.item(2)->clsProds();
    EXPECT_NEAR(sauce.sv, 16.2, 1e-12);
    EXPECT_NEAR(sauce.Bel, 1.88, 1e-12);
    EXPECT_NEAR(sauce.Gir, 0.176, 1e-12);
    EXPECT_NEAR(sauce.Kr, 12.74, 1e-12);
    // Boiled (this test's type): 9 × 0.9 = 8.1 dry matter, 1 × 0.95 protein.
    EXPECT_NEAR(slot.item(4)->clsProds().sv, 8.1, 1e-12);

    // The dish carries both losses: proteins 2 + 1.88 + 0.95 = 4.83.
    EXPECT_NEAR(v.composition.Bel, 4.83, 1e-12);
    EXPECT_NEAR(v.composition.sv, 20 + 16.2 + 8.1, 1e-12);
    // Dry matter: each product reduced once, through its semi-finished
    // product or, at the top, by the average 10 %: (18 + 16.2 + 8.1) ÷ 200 ×
    // 100 = 21.15 %.
    EXPECT_NEAR(v.dryMatter, 21.15, 1e-12);
}
