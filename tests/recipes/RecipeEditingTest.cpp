#include "recipes/RecipeEditing.h"
#include "recipes/PositionKey.h"
#include "recipes/RecipeExport.h"

#include <gtest/gtest.h>

using namespace kulvera;

namespace {

// A product of the base: values per 100 g.
clsProds potato()
{
    clsProds p;
    p.Kod = 113;
    p.FullName = QStringLiteral("Картофель");
    p.Bel = 2;
    p.Gir = 0.4;
    p.Kr = 15;
    p.c = 20;
    p.Voda = 80;
    p.sv = 0; // the table has no dry matter
    return p;
}

MassEntry gross(double mass, std::optional<double> yield = 75)
{
    MassEntry e;
    e.mass = mass;
    e.isGross = true;
    e.yieldPercent = yield;
    return e;
}

QStringList keys(const colBludo &slot)
{
    QStringList out;
    for (const clsBludo &b : slot)
        out << b.clsProds().Kod.toString();
    return out;
}

const MassRounding kRounding(1, true);

} // namespace

TEST(RecipeEditing, AProductPositionHoldsItsAmountsInItsNetMass)
{
    const clsProds p = productPosition(potato(), 160, 120);
    EXPECT_DOUBLE_EQ(p.Bel, 2.4); // 2 × 120 ÷ 100
    EXPECT_DOUBLE_EQ(p.Kr, 18);
    EXPECT_DOUBLE_EQ(p.c, 24);
    EXPECT_DOUBLE_EQ(p.Voda, 96);
    EXPECT_DOUBLE_EQ(p.sv, 24); // (100 − 80) × 120 ÷ 100
    EXPECT_DOUBLE_EQ(p.Brutto, 160);
    EXPECT_DOUBLE_EQ(p.Netto, 120);
    EXPECT_EQ(p.ID_Prod, u"113");
    EXPECT_EQ(p.Id, u"113");
    EXPECT_EQ(p.Pref, u"г");
}

TEST(RecipeEditing, GrossOrNetEntryAndItsRefusals)
{
    colBludo slot;
    const clsProds product = potato();
    const auto first = addProductPosition(slot, 0, &product, gross(100), kRounding);
    ASSERT_TRUE(first);
    EXPECT_DOUBLE_EQ(slot.item(1)->clsProds().Netto, 75);
    EXPECT_DOUBLE_EQ(slot.item(1)->clsProds().Bel, 1.5);
    MassEntry net = gross(75);
    net.isGross = false;
    ASSERT_TRUE(addProductPosition(slot, 0, &product, net, kRounding));
    EXPECT_DOUBLE_EQ(slot.item(2)->clsProds().Brutto, 100);
    EXPECT_EQ(keys(slot), QStringList({QStringLiteral("pro00000001"), QStringLiteral("pro00000002")}));

    EXPECT_EQ(addProductPosition(slot, 0, nullptr, gross(10), kRounding).error(), u"Продукт не выбран!");
    EXPECT_EQ(addProductPosition(slot, 0, &product, gross(0), kRounding).error(),
        u"Необходимо указать массу нетто данного компонента рецептуры");
    MassEntry noYield = gross(50, 0.0);
    noYield.isGross = false;
    EXPECT_FALSE(addProductPosition(slot, 0, &product, noYield, kRounding));
    MassEntry allWaste = gross(50);
    allWaste.wastePercent = 100;
    allWaste.isGross = false;
    EXPECT_FALSE(addProductPosition(slot, 0, &product, allWaste, kRounding));
    // Under a product: only semi-finished products hold positions.
    EXPECT_FALSE(addProductPosition(slot, 1, &product, gross(10), kRounding));
    EXPECT_EQ(slot.Count(), 2);
}

TEST(RecipeEditing, TreeEditsKeepSubtreesTogether)
{
    colBludo slot;
    const clsProds product = potato();
    ASSERT_TRUE(addProductPosition(slot, 0, &product, gross(100), kRounding)); // 1
    ASSERT_TRUE(
        addSemiFinishedPosition(slot, 0, QStringLiteral("Пюре"), QStringLiteral("варка"), QStringLiteral("150")));
    ASSERT_TRUE(addProductPosition(slot, 2, &product, gross(200), kRounding)); // 3 in 2
    ASSERT_TRUE(addSemiFinishedPosition(slot, 2, QStringLiteral("Соус"), {}, QStringLiteral("20"))); // 4 in 2
    ASSERT_TRUE(addProductPosition(slot, 4, &product, gross(20), kRounding)); // 5 in 4
    EXPECT_EQ(keys(slot),
        QStringList({QStringLiteral("pro00000001"), QStringLiteral("pfx00000002"), QStringLiteral("pro00020003"),
            QStringLiteral("pfx00020004"), QStringLiteral("pro00040005")}));

    // Copy of "Пюре": new numbers throughout, right after the original.
    const auto copy = copyPosition(slot, 2);
    ASSERT_TRUE(copy);
    EXPECT_EQ(keys(slot),
        QStringList({QStringLiteral("pro00000001"), QStringLiteral("pfx00000002"), QStringLiteral("pro00020003"),
            QStringLiteral("pfx00020004"), QStringLiteral("pro00040005"), QStringLiteral("pfx00000006"),
            QStringLiteral("pro00060007"), QStringLiteral("pfx00060008"), QStringLiteral("pro00080009")}));
    EXPECT_EQ(slot.item(*copy)->clsProds().FullName, u"Пюре");

    // Up moves "Пюре" (with its four) before the first product.
    EXPECT_TRUE(movePosition(slot, 2, true));
    EXPECT_EQ(keys(slot).mid(0, 5),
        QStringList({QStringLiteral("pfx00000002"), QStringLiteral("pro00020003"), QStringLiteral("pfx00020004"),
            QStringLiteral("pro00040005"), QStringLiteral("pro00000001")}));
    EXPECT_FALSE(movePosition(slot, 1, true)); // already first
    EXPECT_FALSE(movePosition(slot, 4, false)); // the only child of "Соус"

    // Deleting a semi-finished product takes what it holds.
    EXPECT_EQ(removePosition(slot, 1), 4);
    EXPECT_EQ(keys(slot),
        QStringList({QStringLiteral("pro00000001"), QStringLiteral("pfx00000006"), QStringLiteral("pro00060007"),
            QStringLiteral("pfx00060008"), QStringLiteral("pro00080009")}));
}

TEST(RecipeEditing, MassChangesAndRecalculationScaleTheComposition)
{
    colBludo slot;
    const clsProds product = potato();
    ASSERT_TRUE(addProductPosition(slot, 0, &product, gross(100), kRounding));
    clsProds &p = slot.item(1)->clsProds();
    ASSERT_TRUE(setPositionMass(p, 150, false, kRounding)); // net 150: gross follows the ratio 0,75
    EXPECT_DOUBLE_EQ(p.Netto, 150);
    EXPECT_DOUBLE_EQ(p.Brutto, 200);
    EXPECT_DOUBLE_EQ(p.Bel, 3);
    EXPECT_FALSE(setPositionMass(p, 0, true, kRounding));
    EXPECT_DOUBLE_EQ(p.Bel, 3);

    ASSERT_TRUE(addSemiFinishedPosition(slot, 0, QStringLiteral("Соус"), {}, QStringLiteral("50")));
    ASSERT_TRUE(recalculateToOutput(slot, 200, 100, kRounding));
    EXPECT_DOUBLE_EQ(slot.item(1)->clsProds().Netto, 75);
    EXPECT_DOUBLE_EQ(slot.item(1)->clsProds().Bel, 1.5);
    EXPECT_EQ(slot.item(2)->clsProds().Out, u"25");
    EXPECT_FALSE(recalculateToOutput(slot, 0, 100, kRounding));
}

TEST(RecipeEditing, ASemiFinishedProductFromItsBaseHangsUnderANewNode)
{
    colBludo source;
    clsProds root;
    root.Kod = QStringLiteral("main");
    root.Id = QStringLiteral("жарка");
    root.Out = QStringLiteral("80");
    source.Add(clsBludo(root));
    clsProds a = productPosition(potato(), 100, 75);
    a.Kod = QStringLiteral("pro00000001");
    source.Add(clsBludo(a));
    clsProds inner;
    inner.Kod = QStringLiteral("pfx00000002");
    source.Add(clsBludo(inner));
    clsProds b = a;
    b.Kod = QStringLiteral("pro00020003");
    source.Add(clsBludo(b));

    colBludo slot;
    const clsProds product = potato();
    ASSERT_TRUE(addProductPosition(slot, 0, &product, gross(100), kRounding));
    const auto node = insertSemiFinished(slot, 0, source, QStringLiteral("Картофель жареный"));
    ASSERT_TRUE(node);
    EXPECT_EQ(keys(slot),
        QStringList({QStringLiteral("pro00000001"), QStringLiteral("pfx00000002"), QStringLiteral("pro00020003"),
            QStringLiteral("pfx00020004"), QStringLiteral("pro00040005")}));
    const clsProds &n = slot.item(*node)->clsProds();
    EXPECT_EQ(n.FullName, u"Картофель жареный");
    EXPECT_EQ(n.Id, u"жарка");
    EXPECT_EQ(n.Out, u"80");
}

TEST(RecipeEditing, ASemiFinishedProductGoesToItsBaseAsARootAndWhatItHolds)
{
    colBludo slot;
    const clsProds product = potato();
    ASSERT_TRUE(addProductPosition(slot, 0, &product, gross(100), kRounding)); // 1
    ASSERT_TRUE(addSemiFinishedPosition(slot, 0, QStringLiteral("Пюре"), QStringLiteral("варка"), {})); // 2
    ASSERT_TRUE(addProductPosition(slot, 2, &product, gross(200), kRounding)); // 3 in 2
    ASSERT_TRUE(addSemiFinishedPosition(slot, 2, QStringLiteral("Соус"), {}, QStringLiteral("20"))); // 4 in 2
    ASSERT_TRUE(addProductPosition(slot, 4, &product, gross(20), kRounding)); // 5 in 4
    ASSERT_TRUE(addProductPosition(slot, 0, &product, gross(40), kRounding)); // 6
    slot.item(2)->clsProds().Out = QStringLiteral("150");

    const auto stored = semiFinishedForBase(slot, 2);
    ASSERT_TRUE(stored) << stored.error().toStdString();
    // Only "Пюре" and what it holds, its own positions now at the top.
    EXPECT_EQ(keys(*stored),
        QStringList({QStringLiteral("main"), QStringLiteral("pro00000001"), QStringLiteral("pfx00000002"),
            QStringLiteral("pro00020003")}));
    const clsProds &root = stored->item(1)->clsProds();
    EXPECT_EQ(root.FullName, u"Пюре");
    EXPECT_EQ(root.Id, u"варка");
    EXPECT_EQ(root.Out, u"150");
    EXPECT_DOUBLE_EQ(stored->item(2)->clsProds().Brutto, 200);
    EXPECT_DOUBLE_EQ(stored->item(4)->clsProds().Brutto, 20);

    // Taken from the base again, it is the same product under a new node.
    colBludo other;
    const auto node = insertSemiFinished(other, 0, *stored, QStringLiteral("Пюре"));
    ASSERT_TRUE(node);
    EXPECT_EQ(keys(other),
        QStringList({QStringLiteral("pfx00000001"), QStringLiteral("pro00010002"), QStringLiteral("pfx00010003"),
            QStringLiteral("pro00030004")}));
    EXPECT_EQ(other.item(1)->clsProds().Id, u"варка");
    EXPECT_DOUBLE_EQ(other.item(4)->clsProds().Brutto, 20);

    // A product, nothing selected, and an empty semi-finished product are refused.
    EXPECT_FALSE(semiFinishedForBase(slot, 1));
    EXPECT_FALSE(semiFinishedForBase(slot, 0));
    EXPECT_FALSE(semiFinishedForBase(slot, 99));
    ASSERT_TRUE(addSemiFinishedPosition(slot, 0, QStringLiteral("Пусто"), {}, QStringLiteral("10")));
    EXPECT_FALSE(semiFinishedForBase(slot, slot.Count()));
}

TEST(RecipeExport, FileNamesAreSafeAndDistinct)
{
    EXPECT_EQ(safeFileStem(QStringLiteral("Суп: \"домашний\" 1/2")), u"Суп_ _домашний_ 1_2");
    EXPECT_EQ(safeFileStem(QStringLiteral("  ...  ")), u"рецептура");
    EXPECT_EQ(safeFileStem(QStringLiteral("Чай.")), u"Чай");
    EXPECT_EQ(safeFileStem(QStringLiteral("lpt1")), u"_lpt1");
    EXPECT_EQ(safeFileStem(QString(300, u'Щ')).size(), 120);
    FileNamePicker picker;
    EXPECT_EQ(picker.pick(QStringLiteral("Суп/1")), u"Суп_1.nd2");
    EXPECT_EQ(picker.pick(QStringLiteral("Суп:1")), u"Суп_1 (2).nd2");
    EXPECT_EQ(picker.pick(QStringLiteral("СУП_1")), u"СУП_1 (3).nd2");
    EXPECT_EQ(picker.pick(QStringLiteral("Борщ")), u"Борщ.nd2");
}
