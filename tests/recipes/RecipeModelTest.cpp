#include "common/CodePage.h"
#include "common/ScriptedPrompter.h"
#include "recipes/CompositionString.h"
#include "recipes/Masses.h"
#include "recipes/PositionKey.h"
#include "recipes/StoredText.h"
#include "recipes/clsBludo.h"

#include <gtest/gtest.h>

using namespace kulvera;

TEST(PositionKey, NumbersAreFourDigitsAndLongerOnesAreRefused)
{
    EXPECT_EQ(keyNumber(1).value(), u"0001");
    EXPECT_EQ(keyNumber(9999).value(), u"9999");
    const Result<QString> tooLong = keyNumber(10000);
    ASSERT_FALSE(tooLong);
    EXPECT_EQ(tooLong.error(), u"Длина больше 4");
    EXPECT_FALSE(keyNumber(-1));
    EXPECT_EQ(makeKey(kKeyProduct, 3, 12).value(), u"pro00030012");
    EXPECT_FALSE(makeKey(kKeyProduct, 12345, 1));
}

TEST(PositionKey, ItemAndParentNumbersAndPrefixes)
{
    EXPECT_EQ(itemNumber(QStringLiteral("pro00030012")), u"0012");
    EXPECT_EQ(parentNumber(QStringLiteral("pro00030012")), u"0003");
    EXPECT_FALSE(isTopLevel(QStringLiteral("pro00030012")));
    // A top position carries no parent, or zeros.
    EXPECT_EQ(parentNumber(QStringLiteral("pro0012")), u"");
    EXPECT_TRUE(isTopLevel(QStringLiteral("pro0012")));
    EXPECT_TRUE(isTopLevel(QStringLiteral("pfx00000004")));
    EXPECT_EQ(itemNumber(QStringLiteral("pro")), u"");

    const QString keys[] = {QStringLiteral("pro0001"), QStringLiteral("pfx0001"), QStringLiteral("bld0001"),
        QStringLiteral("prd0001"), QStringLiteral("pri0001"), QStringLiteral("rat0001"), QStringLiteral("lst0001")};
    bool (*tests[])(const QString &)
        = {isProductKey, isSemiFinishedKey, isDishKey, isProductNodeKey, isRationKey, isRatKey, isListKey};
    for (int k = 0; k < 7; ++k)
        for (int t = 0; t < 7; ++t)
            EXPECT_EQ(tests[t](keys[k]), k == t) << keys[k].toStdString() << " test " << t;
    EXPECT_FALSE(isProductKey(QStringLiteral("PRO0001")));
    EXPECT_FALSE(isProductKey(QStringLiteral("pr")));
}

TEST(StoredText, EveryCp1251CharacterRoundTripsUnderEveryKeyShape)
{
    QString all;
    for (int b = 1; b < 256; ++b) {
        unsigned char back = 0;
        const QChar ch = decodeByte(static_cast<unsigned char>(b), CodePage::Cp1251);
        if (encodeChar(ch, CodePage::Cp1251, &back) && back == b)
            all += ch;
    }
    ASSERT_GE(all.size(), 250);
    for (int key : {0, 7, 123, 999}) {
        const StoredTextCodec codec(key);
        const QString stored = codec.encode(all);
        EXPECT_EQ(stored.size(), all.size() * 4);
        EXPECT_EQ(codec.decode(stored), all) << key;
    }
    const StoredTextCodec codec(123);
    // "А" is 192 in cp1251: 192 + 123 = 315.
    EXPECT_EQ(codec.encode(u"А1"), u"03150172");
    EXPECT_EQ(codec.encode(u""), u"");
}

TEST(StoredText, AnotherKeyReadsGarbageAndAShortGroupIsReported)
{
    const QString stored = StoredTextCodec(456).encode(u"Борщ со сметаной");
    const QString wrong = StoredTextCodec(455).decode(stored);
    EXPECT_NE(wrong, u"Борщ со сметаной");
    EXPECT_EQ(wrong.size(), 16);

    ScriptedPrompter prompter;
    const StoredTextCodec codec(456, &prompter);
    EXPECT_EQ(codec.decode(QString(stored + QStringLiteral("04"))), u"Борщ со сметаной");
    EXPECT_TRUE(prompter.saw(QStringLiteral("Ошибочная длина строки")));
    EXPECT_TRUE(prompter.saw(QStringLiteral("Длина строки - %1").arg(stored.size() + 2)));
}

TEST(StoredText, KeyComesFromTheLastThreeDigitsOfTheInstallationNumber)
{
    EXPECT_EQ(StoredTextCodec::keyFromInstallationNumber(QStringLiteral("4711234")), 234);
    EXPECT_EQ(StoredTextCodec::keyFromInstallationNumber(QStringLiteral("42")), 42);
    EXPECT_EQ(StoredTextCodec::keyFromInstallationNumber(QStringLiteral("1000")), 0);
}

TEST(Masses, OutputTextsAddTheirNumericParts)
{
    EXPECT_DOUBLE_EQ(outputValue(u"150/50"), 200);
    EXPECT_DOUBLE_EQ(outputValue(u"150\\50"), 200);
    EXPECT_DOUBLE_EQ(outputValue(u"150/50.0"), 200);
    EXPECT_DOUBLE_EQ(outputValue(u"150/50,5"), 200.5);
    EXPECT_DOUBLE_EQ(outputValue(u"150/"), 150);
    EXPECT_DOUBLE_EQ(outputValue(u"150/соус"), 150);
    EXPECT_DOUBLE_EQ(outputValue(u""), 0);
    EXPECT_DOUBLE_EQ(outputValue(u"без выхода"), 0);
}

TEST(Masses, GrossAndNetFollowFromTheWaste)
{
    auto masses = [](double m, bool gross, double p, std::optional<double> y = {}, double koef = 1) {
        return positionMasses({m, gross, p, y, koef});
    };
    EXPECT_DOUBLE_EQ(masses(100, true, 25)->netto, 75);
    EXPECT_DOUBLE_EQ(masses(100, true, 25)->brutto, 100);
    EXPECT_DOUBLE_EQ(masses(75, false, 25)->brutto, 100);
    // No waste given: the product's yield.
    EXPECT_DOUBLE_EQ(masses(100, true, 0, 80)->netto, 80);
    EXPECT_DOUBLE_EQ(masses(80, false, 0, 80)->brutto, 100);
    EXPECT_DOUBLE_EQ(masses(100, true, 0)->netto, 0);
    EXPECT_DOUBLE_EQ(masses(100, true, 0, 0)->brutto, 100);
    // The unit coefficient divides both.
    const auto kg = masses(100, true, 25, {}, 1000);
    EXPECT_DOUBLE_EQ(kg->brutto, 0.1);
    EXPECT_DOUBLE_EQ(kg->netto, 0.075);
}

TEST(Masses, EntriesThatLeaveNothingToComputeAreRefused)
{
    EXPECT_EQ(positionMasses({0, true, 25, {}, 1}).error(), noMassText());
    EXPECT_FALSE(positionMasses({-5, true, 25, {}, 1}));
    EXPECT_FALSE(positionMasses({100, false, 100, {}, 1}));
    EXPECT_FALSE(positionMasses({100, true, 120, {}, 1}));
    EXPECT_FALSE(positionMasses({100, false, 0, 0.0, 1}));
    EXPECT_FALSE(positionMasses({100, false, 0, std::nullopt, 1}));
    EXPECT_FALSE(positionMasses({100, true, 25, {}, 0}));
}

TEST(Masses, ScaleFactorAndScaledOutputTexts)
{
    EXPECT_DOUBLE_EQ(scaleFactor(100, 200), 0.5);
    EXPECT_DOUBLE_EQ(scaleFactor(0, 200), 1);
    EXPECT_DOUBLE_EQ(scaleFactor(100, 0), 1);
    EXPECT_EQ(scaledOutputText(QStringLiteral("150/50"), 1), u"150/50");
    EXPECT_EQ(scaledOutputText(QStringLiteral("150/50"), 0.5), u"100");
    EXPECT_EQ(scaledOutputText(QStringLiteral("75"), 0.5), u"37,5");
    EXPECT_EQ(scaledOutputText(QString(), 0.5), u"0");
}

TEST(Masses, RoundingFollowsItsSettings)
{
    const MassRounding one(1, true, QStringLiteral("17, 42"));
    EXPECT_DOUBLE_EQ(one.round(12.25, QStringLiteral("5")), 12.3);
    EXPECT_DOUBLE_EQ(one.round(12.24, QStringLiteral("5")), 12.2);
    EXPECT_DOUBLE_EQ(one.round(-12.25, QStringLiteral("5")), -12.3);
    EXPECT_DOUBLE_EQ(one.round(12.25, QStringLiteral("42")), 12.25);
    EXPECT_DOUBLE_EQ(one.round(12.25, QStringLiteral("4")), 12.3); // "42" does not exclude "4"
    EXPECT_DOUBLE_EQ(MassRounding(0, true).round(12.5, QStringLiteral("5")), 13);
    EXPECT_DOUBLE_EQ(MassRounding(1, false).round(12.25, QStringLiteral("5")), 12.25);
    EXPECT_FALSE(MassRounding(1, true, QString()).isExcluded(QString()));
}

TEST(CompositionString, ShortAndFullStrings)
{
    clsProds p;
    p.sv = 1.5;
    p.BelG = 2;
    p.Gir_SV = 3;
    p.Org = 4;
    p.цистин = 5;
    p.арахидоновая = 6;
    p.PH = 7;
    const QString shortText = compositionString(p, false);
    EXPECT_EQ(shortText.count(QStringLiteral("<Str>")), 23);
    EXPECT_TRUE(shortText.startsWith(QStringLiteral("1,5<Str>0<Str>2<Str>")));
    const QString full = compositionString(p, true);
    EXPECT_EQ(full.count(QStringLiteral("<Str>")), 97);

    clsProds fromShort;
    fromShort.Org = 99; // untouched by a short string
    EXPECT_EQ(readCompositionString(shortText, fromShort), 24);
    EXPECT_DOUBLE_EQ(fromShort.sv, 1.5);
    EXPECT_DOUBLE_EQ(fromShort.Gir_SV, 3);
    EXPECT_DOUBLE_EQ(fromShort.Org, 99);
    EXPECT_DOUBLE_EQ(fromShort.PH, 0);

    clsProds fromFull;
    EXPECT_EQ(readCompositionString(full, fromFull, 2), 98);
    EXPECT_DOUBLE_EQ(fromFull.sv, 3);
    EXPECT_DOUBLE_EQ(fromFull.Org, 8);
    EXPECT_DOUBLE_EQ(fromFull.цистин, 10);
    EXPECT_DOUBLE_EQ(fromFull.арахидоновая, 12);
    EXPECT_DOUBLE_EQ(fromFull.PH, 14);
    EXPECT_EQ(compositionMemberAt(70), &clsProds::цистин);
    EXPECT_EQ(compositionMemberAt(71), &clsProds::масляная);
    EXPECT_EQ(compositionMemberAt(20), nullptr);
}

TEST(CompositionString, RepeatedFieldsLetTheLaterIndexWinAndPointsReadAsCommas)
{
    QStringList fields(52);
    fields[2] = QStringLiteral("1.5"); // BelG
    fields[40] = QStringLiteral("2,5"); // BelG again
    fields[10] = QStringLiteral("3"); // AO
    fields[51] = QString(); // AO again, but not given
    clsProds p;
    readCompositionString(fields.join(QStringLiteral("<Str>")), p);
    EXPECT_DOUBLE_EQ(p.BelG, 2.5);
    EXPECT_DOUBLE_EQ(p.AO, 3);
    EXPECT_EQ(readCompositionString(QString(), p), 0);
}

TEST(RecipeSlots, SlotsGrowOnDemandKeepingTheirContents)
{
    RecipeSlots memory;
    EXPECT_EQ(memory.slot(0), nullptr);
    colBludo *first = memory.slot(1);
    first->Add()->clsProds().FullName = QStringLiteral("Мука");
    EXPECT_EQ(memory.slot(5)->Count(), 0);
    EXPECT_EQ(memory.slotCount(), 5);
    EXPECT_EQ(memory.slot(1), first);
    EXPECT_EQ(memory.slot(1)->item(1)->clsProds().FullName, u"Мука");
    EXPECT_EQ(memory.summary(2)->Count(), 0);
    EXPECT_EQ(memory.summaryCount(), 2);
}

TEST(RecipeSlots, CollectionsAreOneBasedAndKeyed)
{
    colBludo dish;
    clsBludo *a = dish.Add(clsBludo(), QStringLiteral("pro0001"));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(dish.Add(clsBludo(), QStringLiteral("PRO0001")), nullptr);
    dish.Add();
    EXPECT_EQ(dish.Count(), 2);
    EXPECT_EQ(dish.item(1), a);
    EXPECT_EQ(dish.item(QStringLiteral("pro0001")), a);
    EXPECT_EQ(dish.item(0), nullptr);
    EXPECT_EQ(dish.item(3), nullptr);
    EXPECT_TRUE(dish.Remove(1));
    EXPECT_EQ(dish.Count(), 1);
    EXPECT_EQ(dish.item(QStringLiteral("pro0001")), nullptr);

    colRation meal;
    EXPECT_EQ(meal.colBludo().Count(), 0);
    clsBludo soup;
    soup.clsProds().Id = QStringLiteral("3");
    clsRation *entry = meal.Add(soup, QStringLiteral("Борщ"));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(meal.Add(soup, QStringLiteral("борщ")), nullptr);
    meal.Add(soup);
    EXPECT_EQ(meal.Count(), 2);
    EXPECT_EQ(meal.item(QStringLiteral("Борщ")), entry);
    EXPECT_EQ(entry->clsBludo().clsProds().Id, u"3");
    // The entry holds its own copy of the dish.
    soup.clsProds().Id = QStringLiteral("4");
    EXPECT_EQ(meal.item(1)->clsBludo().clsProds().Id, u"3");

    colBaseBlud list;
    list.setHarBase({QStringLiteral("bl_base"), QStringLiteral("dt001"), {}, {}});
    list.Add({QStringLiteral("Борщ"), QStringLiteral("250")});
    EXPECT_EQ(list.item(1)->Out, u"250");
    EXPECT_EQ(list.HarBase().Table, u"dt001");
}
