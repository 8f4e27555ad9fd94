#include "support/CliRunner.h"

#include "recipes/HeatTreatment.h"
#include "recipes/Microbiology.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace kulvera;

namespace {

const QString kSoup = QStringLiteral("Суп картофельный на мясном бульоне");

// A fresh installation: every base deployed and the seed data loaded.
struct Installed : test::TempCli {
    Installed() { EXPECT_EQ(run({QStringLiteral("db"), QStringLiteral("init")}), 0) << err.toStdString(); }
};

} // namespace

TEST(CliCompose, TheDemoSoupComputesWithItsStockBoiled)
{
    Installed cli;
    ASSERT_EQ(cli.run({QStringLiteral("compute"), kSoup, QStringLiteral("--json")}), 0) << cli.err.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(cli.out.toUtf8()).object();
    ASSERT_FALSE(o.isEmpty()) << cli.out.toStdString();
    EXPECT_EQ(o.value(QStringLiteral("output")).toDouble(), 250);
    EXPECT_TRUE(o.value(QStringLiteral("settled")).toBool());
    const QJsonObject totals = o.value(QStringLiteral("totals")).toObject();
    const QJsonObject raw = o.value(QStringLiteral("rawTotals")).toObject();
    const double bel = totals.value(QStringLiteral("Белки")).toDouble();
    // The stock's beef is boiled: less protein in the dish than in its products.
    EXPECT_GT(bel, 0);
    EXPECT_LT(bel, raw.value(QStringLiteral("Белки")).toDouble());
    const double kcal = 4.0 * bel + 9.0 * totals.value(QStringLiteral("Жир")).toDouble()
        + 3.8 * totals.value(QStringLiteral("Моно")).toDouble() + 4.1 * totals.value(QStringLiteral("Кр")).toDouble();
    EXPECT_NEAR(o.value(QStringLiteral("kcal")).toDouble(), kcal, 0.051);
    EXPECT_NEAR(o.value(QStringLiteral("kj")).toDouble(), kcal * 4.1868, 0.051);
    EXPECT_NEAR(
        o.value(QStringLiteral("per100g")).toObject().value(QStringLiteral("Белки")).toDouble(), bel * 100 / 250, 1e-9);
    // Carrot and onion stand twice (in the stock and in the soup): one summary line each.
    EXPECT_EQ(o.value(QStringLiteral("summary")).toArray().size(), 5);

    // The same command under the recipes word.
    ASSERT_EQ(cli.run({QStringLiteral("recipes"), QStringLiteral("compute"), kSoup, QStringLiteral("--out"),
                  QStringLiteral("500")}),
        0)
        << cli.err.toStdString();
    EXPECT_TRUE(cli.out.startsWith(kSoup + QStringLiteral("\t500 г\n"))) << cli.out.toStdString();
    EXPECT_TRUE(cli.out.contains(QStringLiteral("Энергетическая ценность, кДж")));
    EXPECT_TRUE(cli.out.contains(QStringLiteral("Состав: говядина")));
}

TEST(CliCompose, EveryDemoRecipeComputesAndBadInputIsRefused)
{
    Installed cli;
    for (const char16_t *name : {u"Рис отварной", u"Курица в томатном соусе", u"Компот из яблок"}) {
        EXPECT_EQ(cli.run({QStringLiteral("compute"), QString::fromUtf16(name)}), 0)
            << QString::fromUtf16(name).toStdString() << cli.err.toStdString();
        EXPECT_TRUE(cli.err.isEmpty()) << cli.err.toStdString();
    }
    EXPECT_EQ(cli.run({QStringLiteral("compute")}), 2);
    EXPECT_EQ(cli.run({QStringLiteral("compute"), kSoup, QStringLiteral("--bogus")}), 2);
    EXPECT_EQ(cli.run({QStringLiteral("compute"), QStringLiteral("Нет такого блюда")}), 1);
    EXPECT_EQ(cli.run({QStringLiteral("compute"), kSoup, QStringLiteral("--out"), QStringLiteral("много")}), 2);
    EXPECT_EQ(cli.err, u"Неверный выход: много\n");
}

TEST(CliCompose, TheStartLoadsTheLossTablesAndTheIndicatorSets)
{
    Installed cli;
    ASSERT_EQ(cli.run({QStringLiteral("--yes"), QStringLiteral("startup-check")}), 0) << cli.out.toStdString();
    // The hooks fill the program's own tables from the seeded bases.
    ASSERT_NE(programLossTables().find(QStringLiteral("жарка")), nullptr);
    EXPECT_EQ(programLossTables().defaultRows().size(), 89u);
    EXPECT_TRUE(programMicrobiology().loaded());
    EXPECT_NE(programMicrobiology().find(1), nullptr);
}
