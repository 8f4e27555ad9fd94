#include "documents/DocumentTestSupport.h"
#include "menus/MenuTestSupport.h"

#include "common/NumberText.h"
#include "costing/NormAnalysis.h"
#include "costing/NormBase.h"
#include "costing/RationScan.h"
#include "menus/RationTotals.h"
#include "support/CliRunner.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace kulvera::test {
namespace {

// A saved ration (borscht and stewed fruit for lunch, half a stewed fruit for
// breakfast), priced products and one norm, driven through kulvera-cli.
struct CostingCli : MenuFixture {
    CliRunner runner {QDir(t.root()).filePath(QStringLiteral("settings.ini"))};

    CostingCli()
    {
        t.settings().save(Section::Data, QStringLiteral("sMenuStr"), QStringLiteral("Завтрак<Str>Обед<Str>Ужин<Str>"));
        EXPECT_NE(t.create(BaseId::Products), Connections::kFailed);
        EXPECT_NE(t.create(BaseId::Warehouse), Connections::kFailed);
        EXPECT_TRUE(execSql(t.connections().database(BaseId::Warehouse),
            QStringLiteral("INSERT INTO \"dt105\" (\"ID\", \"Name\", \"Koef\", \"SGroup\") VALUES (1, 'г', 1, 1)")));
        const std::pair<int, double> prices[] = {{11, 0.1}, {12, 0.05}, {21, 0.2}, {22, 0.3}};
        for (const auto &[code, price] : prices) {
            EXPECT_TRUE(execSql(t.connections().database(BaseId::Products),
                QStringLiteral("INSERT INTO \"dt010\" (\"Код\", \"Имя\", \"Цена\", \"ЕдИ_Ц\") VALUES (?, ?, ?, 1)"),
                {code, QStringLiteral("П%1").arg(code), price}));
        }
        ration = lunch(QString());
        EXPECT_TRUE(base.save(ration));
        NormRecord norm;
        norm.name = QStringLiteral("Взрослые");
        norm.columns = {{QStringLiteral("Белки"), 20.0}};
        norm.products.push_back({0, QStringLiteral("Фрукты"), QStringLiteral("21, 22"), 50.0});
        EXPECT_TRUE(NormBase(t.connections(), kMenu, t.prompter()).insert(norm));
    }

    int run(QStringList args)
    {
        t.settings().sync();
        return runner.run(args);
    }

    QJsonObject json() const { return QJsonDocument::fromJson(runner.out.toUtf8()).object(); }

    Ration ration;
};

TEST(CliCosting, CostOfTheDayIsTheSumOfItsDishesAndOneMealCanBeAsked)
{
    CostingCli cli;
    ASSERT_EQ(cli.run({QStringLiteral("menus"), QStringLiteral("cost"), QStringLiteral("02.03.2026"),
                  QStringLiteral("--json")}),
        0)
        << cli.runner.err.toStdString();
    const QJsonObject day = cli.json();
    // By hand: borscht 120 × 0.1 + 80 × 0.05 = 16; stewed fruit 40 × 0.2 + 20 × 0.3 = 14,
    // and the half portion for breakfast 7.
    const QJsonArray dishes = day.value(QStringLiteral("dishes")).toArray();
    ASSERT_EQ(dishes.size(), 3);
    double sum = 0;
    for (const QJsonValue &d : dishes)
        sum += d.toObject().value(QStringLiteral("cost")).toDouble();
    EXPECT_DOUBLE_EQ(sum, 37.0);
    EXPECT_DOUBLE_EQ(day.value(QStringLiteral("total")).toDouble(), 37.0);

    ASSERT_EQ(cli.run({QStringLiteral("menus"), QStringLiteral("cost"), QStringLiteral("02.03.2026"),
                  QStringLiteral("--meal"), QStringLiteral("Обед")}),
        0);
    EXPECT_TRUE(cli.runner.out.contains(QStringLiteral("30,00 руб./чел. за 'Обед'"))) << cli.runner.out.toStdString();
    EXPECT_EQ(cli.run({QStringLiteral("menus"), QStringLiteral("cost"), QStringLiteral("03.03.2026")}), 1);
}

TEST(CliCosting, WithPricesFromStockTheOldestLotPricesALineAndAProductWithoutStockIsShownUnpriced)
{
    CostingCli cli;
    cli.t.settings().save(Section::Data, QStringLiteral("bUsePriceFromWS2"), QStringLiteral("1"));
    const QSqlDatabase store = cli.t.connections().database(BaseId::Warehouse);
    // Warehouse 1, which costing asks, holds two lots of product 11: the older one
    // costs 0.5 a gram with a markup of 10 %.
    ASSERT_TRUE(execSql(store,
        QStringLiteral("INSERT INTO \"Склады\" (\"Код\", \"Склад_Название\", \"Доп_Нац\") VALUES (1, 'Кухня', 0)")));
    ASSERT_TRUE(execSql(store,
        QStringLiteral(
            "INSERT INTO \"Склад\" (\"Код\", \"Код_Прод\", \"Код_Склада\", \"Дата\", \"Брутто\", \"Ед_изм\", "
            "\"Проводка\") VALUES (1, 11, 1, '2026-02-01 00:00:00', 500, 1, 1), "
            "(2, 11, 1, '2026-02-10 00:00:00', 500, 1, 1)")));
    ASSERT_TRUE(execSql(store,
        QStringLiteral("INSERT INTO \"Приход_Товара\" (\"Код_Прод\", \"Код_Склада\", \"Код_на_Складе\", \"Брутто\", "
                       "\"Цена\", \"Наценка\", \"Проводка\") VALUES (11, 1, 1, 500, 0.5, 10, 1), "
                       "(11, 1, 2, 500, 9, 0, 1)")));
    ASSERT_EQ(cli.run({QStringLiteral("menus"), QStringLiteral("cost"), QStringLiteral("02.03.2026"),
                  QStringLiteral("--meal"), QStringLiteral("Обед"), QStringLiteral("--json")}),
        0)
        << cli.runner.err.toStdString();
    const QJsonArray dishes = cli.json().value(QStringLiteral("dishes")).toArray();
    bool seen = false;
    for (const QJsonValue &d : dishes) {
        for (const QJsonValue &l : d.toObject().value(QStringLiteral("lines")).toArray()) {
            const QJsonObject line = l.toObject();
            if (line.value(QStringLiteral("product")).toString() == u"11") {
                seen = true;
                EXPECT_DOUBLE_EQ(line.value(QStringLiteral("price")).toDouble(), 0.55);
                EXPECT_DOUBLE_EQ(line.value(QStringLiteral("cost")).toDouble(), 66);
            } else {
                EXPECT_EQ(line.value(QStringLiteral("unpriced")).toString(), QStringLiteral("Нет остатков на складе"));
            }
        }
    }
    EXPECT_TRUE(seen);
}

TEST(CliCosting, AnalyseGivesBothStatementsAndRefusesAChartWithoutGraphics)
{
    CostingCli cli;
    ASSERT_EQ(cli.run({QStringLiteral("menus"), QStringLiteral("analyse"), QStringLiteral("--from"),
                  QStringLiteral("01.03.2026"), QStringLiteral("--to"), QStringLiteral("31.03.2026"),
                  QStringLiteral("--norm"), QStringLiteral("Взрослые"), QStringLiteral("--json")}),
        0)
        << cli.runner.err.toStdString();
    const QJsonObject a = cli.json();
    EXPECT_EQ(a.value(QStringLiteral("days")).toInt(), 1);
    const QJsonObject proteins = a.value(QStringLiteral("nutrients")).toArray().at(0).toObject();
    // Values come rounded to lRoundHS_A_HS decimals (1 by default).
    EXPECT_DOUBLE_EQ(proteins.value(QStringLiteral("fact")).toDouble(), roundTo(rationTotals(cli.ration).proteins, 1));
    const QJsonObject fruit = a.value(QStringLiteral("products")).toArray().at(0).toObject();
    EXPECT_DOUBLE_EQ(fruit.value(QStringLiteral("fact")).toDouble(), 90.0); // 60 + 30 gross
    EXPECT_DOUBLE_EQ(fruit.value(QStringLiteral("percent")).toDouble(), 180.0);
    EXPECT_TRUE(a.value(QStringLiteral("missing"))
                    .toString()
                    .startsWith(QStringLiteral("Не найдены следующие коды продуктов [масса брутто]: 11 [120,00]")));

    EXPECT_EQ(cli.run({QStringLiteral("menus"), QStringLiteral("analyse"), QStringLiteral("--from"),
                  QStringLiteral("01.03.2026"), QStringLiteral("--to"), QStringLiteral("31.03.2026"),
                  QStringLiteral("--norm"), QStringLiteral("Нет такой")}),
        1);
    EXPECT_EQ(cli.run({QStringLiteral("menus"), QStringLiteral("analyse"), QStringLiteral("--from"),
                  QStringLiteral("01.03.2026"), QStringLiteral("--to"), QStringLiteral("31.03.2026"),
                  QStringLiteral("--norm"), QStringLiteral("Взрослые"), QStringLiteral("--png"),
                  QStringLiteral("chart.png")}),
        1);
    // In-process there is no QGuiApplication: the chart is refused, not drawn without text.
    EXPECT_TRUE(cli.runner.err.contains(QStringLiteral("без графической подсистемы")));
}

TEST(CliCosting, ScanningTheRowsGivesWhatLoadingEachRationGives)
{
    CostingCli cli;
    Ration grouped = cli.lunch(QStringLiteral("Ясли"), QDate(2026, 3, 3));
    ASSERT_TRUE(cli.base.save(grouped));
    ASSERT_TRUE(cli.base.save(cli.lunch(QString(), QDate(2026, 3, 4))));
    const std::vector<ProductSetNorm> set {{1, QStringLiteral("*Фрукты"), QStringLiteral("21"), 10.0},
        {2, QStringLiteral("Овощи"), QStringLiteral("11, 12"), 10.0}};
    NutrientOptions options;
    options.fibreInEnergy = true;
    const std::vector<QDate> days {QDate(2026, 3, 2), QDate(2026, 3, 3), QDate(2026, 3, 4), QDate(2026, 3, 5)};
    NutrientFact scannedNutrients(options);
    ProductSetFact scannedProducts(set);
    const auto scanned = scanRations(cli.base, days, QString(), scannedNutrients, scannedProducts);
    ASSERT_TRUE(scanned);
    EXPECT_EQ(*scanned, 2); // the grouped ration and the empty day are not counted
    NutrientFact loadedNutrients(options);
    ProductSetFact loadedProducts(set);
    for (const QDate &day : {QDate(2026, 3, 2), QDate(2026, 3, 4)}) {
        loadedNutrients.addRation(*cli.base.load({day, QString()}));
        loadedNutrients.endDay();
        loadedProducts.addRation(*cli.base.load({day, QString()}));
        loadedProducts.endDay();
    }
    const auto a = nutrientStatement(NormRecord(), scannedNutrients);
    const auto b = nutrientStatement(NormRecord(), loadedNutrients);
    for (std::size_t i = 0; i < a.size(); ++i)
        EXPECT_NEAR(a[i].fact, b[i].fact, 1e-9) << a[i].name.toStdString();
    EXPECT_GT(a[0].fact, 0.0);
    const auto x = scannedProducts.rows();
    const auto y = loadedProducts.rows();
    for (std::size_t i = 0; i < x.size(); ++i)
        EXPECT_DOUBLE_EQ(x[i].fact, y[i].fact);
    EXPECT_EQ(scannedProducts.missingReport(2), loadedProducts.missingReport(2));

    NutrientFact groupNutrients;
    ProductSetFact groupProducts(set);
    EXPECT_EQ(*scanRations(cli.base, days, QStringLiteral("Ясли"), groupNutrients, groupProducts), 1);
}

TEST(CliCosting, RequisitionAddsGrossMassesPerMeal)
{
    CostingCli cli;
    ASSERT_EQ(cli.run({QStringLiteral("menus"), QStringLiteral("requisition"), QStringLiteral("02.03.2026"),
                  QStringLiteral("--json")}),
        0)
        << cli.runner.err.toStdString();
    const QJsonObject r = cli.json();
    EXPECT_EQ(r.value(QStringLiteral("meals")).toArray().size(), 2);
    for (const QJsonValue &v : r.value(QStringLiteral("products")).toArray()) {
        const QJsonObject row = v.toObject();
        if (row.value(QStringLiteral("code")).toString() == u"21") {
            EXPECT_DOUBLE_EQ(row.value(QStringLiteral("total")).toDouble(), 60.0);
        }
    }
}

TEST(CliCosting, RequisitionGoesIntoAWorkbookWithOutputOption)
{
    CostingCli cli;
    const QString out = QDir(cli.t.root()).filePath(QStringLiteral("требование.xlsx"));
    ASSERT_EQ(cli.run({QStringLiteral("menus"), QStringLiteral("requisition"), QStringLiteral("02.03.2026"),
                  QStringLiteral("-o"), out}),
        0)
        << cli.runner.err.toStdString();
    EXPECT_TRUE(cli.runner.out.contains(out));
    const Sheet s = readSheet(out);
    // The default template lists the base's products by code: 11, 12, 21, 22 from row 12.
    EXPECT_EQ(s.cell(QStringLiteral("A14")).toString(), u"21");
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("G14")).toDouble(), 60.0);
    EXPECT_EQ(cli.run({QStringLiteral("menus"), QStringLiteral("requisition"), QStringLiteral("02.03.2026"),
                  QStringLiteral("-o")}),
        2)
        << "-o without a file is a usage error";
}

TEST(CliCosting, NormsGoOutToAFileAndComeBackAsANewNorm)
{
    CostingCli cli;
    const QString file = QDir(cli.t.root()).filePath(QStringLiteral("adults.fz"));
    ASSERT_EQ(cli.run({QStringLiteral("norms"), QStringLiteral("export"), QStringLiteral("Взрослые"), file}), 0)
        << cli.runner.err.toStdString();
    ASSERT_EQ(cli.run({QStringLiteral("norms"), QStringLiteral("import"), file}), 0) << cli.runner.err.toStdString();
    ASSERT_EQ(cli.run({QStringLiteral("norms"), QStringLiteral("list")}), 0);
    EXPECT_EQ(cli.runner.out, QStringLiteral("1\tВзрослые\t1\n2\tВзрослые\t1\n"));
    // Without --yes an existing file stays.
    EXPECT_EQ(cli.run({QStringLiteral("norms"), QStringLiteral("export"), QStringLiteral("Взрослые"), file}), 1);
}

} // namespace
} // namespace kulvera::test
