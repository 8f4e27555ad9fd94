#include "common/Clock.h"
#include "common/ScriptedPrompter.h"
#include "products/ProductBase.h"
#include "products/ProductSeed.h"
#include "recipes/AssimilationCoefficients.h"
#include "recipes/DemoRecipes.h"
#include "recipes/DishBase.h"
#include "recipes/DishComposition.h"
#include "recipes/HeatTreatment.h"
#include "recipes/Masses.h"
#include "recipes/Microbiology.h"
#include "recipes/RecipeEditing.h"
#include "recipes/RecipeExpansion.h"
#include "shell/DataFiles.h"
#include "shell/DishCollections.h"
#include "support/TempBases.h"

#include <gtest/gtest.h>

using namespace kulvera;
using kulvera::test::TempBases;

namespace {

Status seedLosses(TempBases &t)
{
    return seedLossBases(t.connections(), t.settings(), dataFile(QStringLiteral("heat_treatment_defaults.csv")),
        dataFile(QStringLiteral("heat_treatment_types.csv")));
}

QStringList names(const std::vector<LossType> &types)
{
    QStringList n;
    for (const LossType &t : types)
        n << t.name;
    return n;
}

} // namespace

TEST(LossBases, SeededTablesLoadHeadedByTheBuiltInTypes)
{
    TempBases t;
    // The culinary table under a name of the installation's own.
    t.settings().save(Section::Losses, QStringLiteral("Name_Kul_Table"), QStringLiteral("Кулинария"));
    ASSERT_NE(t.create(BaseId::Losses), Connections::kFailed);
    ASSERT_NE(t.create(BaseId::LossesOutput), Connections::kFailed);
    ASSERT_TRUE(seedLosses(t));
    ASSERT_TRUE(seedLosses(t)); // tables with rows are left alone

    HeatTreatmentTables tables;
    ASSERT_TRUE(tables.load(t.connections(), t.settings()));
    ASSERT_EQ(tables.defaultRows().size(), 89u);
    EXPECT_EQ(tables.defaultRows()[6].anim, 5); // row 7: proteins
    EXPECT_EQ(tables.defaultRows()[6].rast, 8);
    EXPECT_EQ(tables.defaultRows()[24].sred, 60); // row 25: vitamin C
    EXPECT_EQ(names(tables.culinaryTypes()),
        (QStringList {QStringLiteral("порционирование"), QStringLiteral("без потерь"), QStringLiteral("варка"),
            QStringLiteral("жарка"), QStringLiteral("тушение"), QStringLiteral("запекание")}));
    EXPECT_EQ(names(tables.confectioneryTypes()).last(), u"выпекание");

    const LossType *boiling = tables.find(QStringLiteral(" ВАРКА "));
    ASSERT_NE(boiling, nullptr);
    EXPECT_EQ(boiling->mass, 10);
    EXPECT_EQ(boiling->losses.value(QStringLiteral("Bel")), 6);
    EXPECT_EQ(boiling->retention().percentOf(&clsProds::c), 50);
    EXPECT_EQ(tables.find(QStringLiteral("выпекание"), true)->name, u"выпекание");
    EXPECT_EQ(tables.find(QStringLiteral("нет такого")), nullptr);

    // Rows read from the base reach the averages: animal protein (row 32).
    EXPECT_EQ(tables.averageRetention().percentOf(&clsProds::BelG), 94);
}

TEST(LossBases, MissingBasesKeepTheBuiltInsAndAFailedReadChangesNothing)
{
    TempBases t;
    HeatTreatmentTables tables;
    ASSERT_TRUE(tables.load(t.connections(), t.settings()));
    EXPECT_EQ(tables.defaultRows().size(), 26u);
    EXPECT_EQ(tables.culinaryTypes().size(), 2u);

    ASSERT_NE(t.create(BaseId::Losses), Connections::kFailed);
    ASSERT_NE(t.create(BaseId::LossesOutput), Connections::kFailed);
    ASSERT_TRUE(seedLosses(t));
    ASSERT_TRUE(execSql(t.connections().database(BaseId::LossesOutput), QStringLiteral("DROP TABLE \"Kond\"")));
    EXPECT_FALSE(tables.load(t.connections(), t.settings()));
    EXPECT_EQ(tables.defaultRows().size(), 26u);
    EXPECT_EQ(tables.culinaryTypes().size(), 2u);
}

TEST(Microbiology, SeededSetsGiveTheCardLines)
{
    TempBases t;
    ASSERT_NE(t.create(BaseId::Microbiology), Connections::kFailed);
    ASSERT_TRUE(seedMicrobiology(t.connections(), t.settings(), dataFile(QStringLiteral("microbiology.csv"))));
    MicrobiologyBase mb;
    ASSERT_TRUE(mb.load(t.connections(), t.settings(), t.prompter()));
    EXPECT_TRUE(t.prompter().statuses().contains(QStringLiteral("Загрузка СанПиН...")));
    EXPECT_EQ(mb.count(), 5);
    EXPECT_EQ(mb.count(true), 2);

    const auto lines = mb.cardLines(1, false, t.prompter());
    ASSERT_TRUE(lines);
    EXPECT_EQ(lines->value(0), u"КМАФАнМ, КОЕ/г, не более……………………………………………1х10³");
    EXPECT_EQ(lines->value(1), u"Масса продукта (г), в которой не допускаются:");
    EXPECT_EQ(lines->value(2), u"Бактерии группы кишечных палочек , колиформы (E.coli)…1,0");
    EXPECT_EQ(lines->last(), u"Патогенные микроорганизмы , в том числе сальмонеллы………………25");
    const auto cake = mb.cardLines(2, true, t.prompter());
    ASSERT_TRUE(cake);
    EXPECT_EQ(cake->last(), u"Плесени, КОЕ/г не более……………………………………………………50");
    EXPECT_TRUE(t.prompter().shown().empty());

    EXPECT_FALSE(mb.cardLines(99, false, t.prompter()));
    EXPECT_TRUE(t.prompter().saw(
        QStringLiteral("Ошибка формирования микробиологических показателей. Блюдо не обнаружено в базе")));

    IndicatorSet set;
    set[2] = QStringLiteral("0,1");
    set[3] = QStringLiteral("1,0");
    EXPECT_EQ(indicatorLines(set).value(1), u"Бактерии группы кишечных палочек , колиформы (E.coli)…0,1 (1,0)");
    EXPECT_EQ(powerText(QStringLiteral("5х10^-12 и 10^2")), u"5х10⁻¹² и 10²");
}

TEST(Microbiology, ABaseWithoutL13AndL14IsRefused)
{
    TempBases t;
    ASSERT_NE(t.create(BaseId::Microbiology), Connections::kFailed);
    const QSqlDatabase db = t.connections().database(BaseId::Microbiology);
    ASSERT_TRUE(execSql(db, QStringLiteral("DROP TABLE \"t2\"")));
    ASSERT_TRUE(
        execSql(db, QStringLiteral("CREATE TABLE \"t2\" (\"ID\" INTEGER PRIMARY KEY, \"l1\" TEXT, \"l12\" TEXT)")));
    MicrobiologyBase mb;
    EXPECT_FALSE(mb.load(t.connections(), t.settings(), t.prompter()));
    EXPECT_FALSE(mb.loaded());
    EXPECT_EQ(t.prompter().shown().at(0).text, incompatibleMicrobiologyText());
    EXPECT_EQ(t.prompter().shown().at(0).noticeKey, u"sMessMBOff");
}

TEST(Assimilation, CoefficientsOfTheNormsReduceTheirFields)
{
    TempBases t;
    ASSERT_NE(t.create(BaseId::Menu), Connections::kFailed);
    ASSERT_TRUE(execSql(t.connections().database(BaseId::Menu),
        QStringLiteral(
            "INSERT INTO \"Koef\" (\"КодНормативов\", \"bel\", \"gir\", \"fe\", \"РЭ\") VALUES (3, 85, 95, 10, 50)")));
    const auto k = AssimilationCoefficients::load(t.connections(), 3);
    ASSERT_TRUE(k);
    clsProds v;
    v.Bel = 20;
    v.Gir = 10;
    v.Fe = 4;
    v.RE = 300;
    v.c = 60;
    k->apply(v);
    EXPECT_DOUBLE_EQ(v.Bel, 17);
    EXPECT_DOUBLE_EQ(v.Gir, 9.5);
    EXPECT_DOUBLE_EQ(v.Fe, 0.4);
    EXPECT_DOUBLE_EQ(v.RE, 150);
    EXPECT_DOUBLE_EQ(v.c, 60); // the column's default: 100 %
    EXPECT_DOUBLE_EQ(k->assimilated(QStringLiteral("BEL"), 10), 8.5);
    EXPECT_DOUBLE_EQ(AssimilationCoefficients::load(t.connections(), 4)->percent(QStringLiteral("bel")), 100);
}

TEST(DemoRecipes, SeededOnceAndTheSoupsStockIsBoiled)
{
    TempBases t;
    ASSERT_NE(t.create(BaseId::Products), Connections::kFailed);
    ASSERT_NE(t.create(BaseId::Warehouse), Connections::kFailed);
    ASSERT_NE(t.create(BaseId::Dishes), Connections::kFailed);
    ASSERT_NE(t.create(BaseId::Losses), Connections::kFailed);
    ASSERT_NE(t.create(BaseId::LossesOutput), Connections::kFailed);
    ASSERT_TRUE(seedProductBase(t.connections(), t.settings(), dataFile(QStringLiteral("products.csv"))));
    ASSERT_TRUE(seedLosses(t));
    const QString csv = dataFile(QStringLiteral("demo_recipes.csv"));
    // Nothing to seed from a file that is not there.
    ASSERT_TRUE(seedDemoRecipes(t.connections(), t.settings(), t.path(QStringLiteral("none.csv"))));
    ASSERT_TRUE(seedDemoRecipes(t.connections(), t.settings(), csv));
    ASSERT_TRUE(seedDemoRecipes(t.connections(), t.settings(), csv));

    const QString table = listCollections(t.connections(), t.settings()).value(0).table;
    constexpr int kDishes = static_cast<int>(BaseId::Dishes);
    const auto codec = installationCodec(t.connections(), kDishes, t.settings(), nullptr);
    DishBase base(t.connections(), kDishes, t.settings(), t.prompter(), codec.value());
    EXPECT_EQ(base.recipeNames(table).value().size(), 4);

    RecipeSlots memory;
    const QString soup = QStringLiteral("Суп картофельный на мясном бульоне");
    const auto loaded = base.load(memory, 1, table, soup, {});
    ASSERT_TRUE(loaded) << loaded.error().toStdString();
    HeatTreatmentTables losses;
    ASSERT_TRUE(losses.load(t.connections(), t.settings()));
    colBludo &slot = *memory.slot(1);
    // The stock's products as loaded, before any computation.
    double stockBel = 0;
    for (int i = 2; i <= 4; ++i)
        stockBel += slot.item(i)->clsProds().Bel;
    ASSERT_GT(stockBel, 0);
    const DishValues v = computeDish(slot, soup, outputValue(loaded->output), losses, t.prompter());
    EXPECT_TRUE(t.prompter().shown().empty()) << t.prompter().transcript().toStdString();
    EXPECT_NEAR(slot.item(1)->clsProds().Bel, stockBel * 0.94, 1e-9); // "варка": proteins lose 6 %
    EXPECT_NEAR(v.raw.Bel - v.composition.Bel, stockBel * 0.06, 1e-9);
    EXPECT_GT(v.dryMatter, 0);
}

TEST(DemoRecipes, PositionsFollowTheEditorsRuleForDryMatter)
{
    TempBases t;
    ASSERT_NE(t.create(BaseId::Products), Connections::kFailed);
    ASSERT_NE(t.create(BaseId::Dishes), Connections::kFailed);
    ASSERT_TRUE(seedProductBase(t.connections(), t.settings(), dataFile(QStringLiteral("products.csv"))));
    // One product without water (oil, sugar): all of it is dry matter.
    const SystemClock clock;
    ProductBase products(t.connections(), t.settings(), t.prompter(), clock);
    std::optional<ProductRow> dry = products.findQuiet(180);
    ASSERT_TRUE(dry);
    ProductRow changed = *dry;
    changed.prod.Voda = 0;
    ASSERT_TRUE(products.saveChanges(*dry, changed));
    dry = products.findQuiet(180);
    ASSERT_EQ(dry->prod.Voda, 0);
    const std::optional<ProductRow> wet = products.findQuiet(125);
    ASSERT_TRUE(wet);
    ASSERT_GT(wet->prod.Voda, 0);

    const QString csv = t.path(QStringLiteral("demo.csv"));
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("Recipe;Output;Kind;Parent;Item;Product;Name;Brutto;Netto;LossType\n"
                              "Проба;100;pro;0;1;180;;45;40;\n"
                              "Проба;;pro;0;2;125;;12;10;\n")
                   .toUtf8());
    file.close();
    ASSERT_TRUE(seedDemoRecipes(t.connections(), t.settings(), csv));

    constexpr int kDishes = static_cast<int>(BaseId::Dishes);
    DishBase base(t.connections(), kDishes, t.settings(), t.prompter(),
        installationCodec(t.connections(), kDishes, t.settings(), nullptr).value());
    RecipeSlots memory;
    ASSERT_TRUE(base.load(
        memory, 1, listCollections(t.connections(), t.settings()).value(0).table, QStringLiteral("Проба"), {}));
    const colBludo &slot = *memory.slot(1);
    ASSERT_EQ(slot.Count(), 2);
    for (int i = 1; i <= 2; ++i) {
        const clsProds &p = slot.item(i)->clsProds();
        const clsProds expected = productPosition(i == 1 ? dry->prod : wet->prod, p.Brutto, p.Netto);
        EXPECT_NEAR(p.sv, expected.sv, 1e-9) << i;
        EXPECT_NEAR(p.Bel, expected.Bel, 1e-9) << i;
    }
    EXPECT_NEAR(slot.item(1)->clsProds().sv, 40, 1e-9);
}
