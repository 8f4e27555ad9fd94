#include "documents/DocumentTestSupport.h"
#include "menus/MenuTestSupport.h"

#include "costing/DishCalcCard.h"
#include "costing/PriceSources.h"
#include "support/TempSettings.h"

#include <QDir>
#include <QFileInfo>

namespace kulvera::test {
namespace {

// The lunch ration with priced products (per gram) and a warehouse base.
struct CalcCardFixture : MenuFixture {
    NoStockPrices stock;
    SeasonalOutputs seasonal;
    Ration ration;
    QString templates = QDir(t.root()).filePath(QStringLiteral("Шаблоны"));

    CalcCardFixture()
    {
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
    }

    int count(const QString &sql, const QVariantList &values = {})
    {
        SqlStatement q(t.connections().database(BaseId::Warehouse), sql);
        EXPECT_TRUE(q.exec(values));
        return q.next() ? q.value(0).toInt() : -1;
    }

    Result<PrintedCalcCard> print(int dish, const QString &file, double markup = 0)
    {
        PriceSources prices(t.connections(), t.settings(), t.prompter(), stock);
        return printDishCalcCard(ration, dish, {templates, markup, 1}, QDir(t.root()).filePath(file), t.connections(),
            t.settings(), t.prompter(), prices, seasonal);
    }
};

TEST(DishCalcCard, TheDishIsCostedAsTheMenuCostsItAndKeptOnceInTheWarehouseBase)
{
    CalcCardFixture f;
    const int borscht = f.ration.dishAt(f.ration.mealIndex(QStringLiteral("Обед")), 1);
    ASSERT_EQ(f.ration.dishName(borscht), QStringLiteral("Борщ"));
    const auto made = f.print(borscht, QStringLiteral("борщ.xlsx"), 10);
    ASSERT_TRUE(made.ok()) << made.error().toStdString();
    EXPECT_TRUE(made->kept);
    // Products only: 120 g at 0,1 and 80 g at 0,05; the semi-finished position is not priced.
    const CalcCard &card = made->outcome.card;
    ASSERT_EQ(card.lines.size(), 2u);
    EXPECT_DOUBLE_EQ(card.lines[0].norm, 12000);
    EXPECT_DOUBLE_EQ(card.lines[0].price, 100);
    EXPECT_DOUBLE_EQ(card.lines[1].price, 50);
    EXPECT_DOUBLE_EQ(card.total, 1600);
    EXPECT_DOUBLE_EQ(card.sellingPrice, 17.6);
    EXPECT_EQ(made->dish.input.source, QStringLiteral("Сборник рецептур"));
    EXPECT_EQ(made->dish.input.date, f.day);

    const Sheet s = readSheet(made->outcome.path);
    EXPECT_EQ(s.cell(QStringLiteral("F4")).toString(), QStringLiteral("Борщ"));
    EXPECT_EQ(
        s.cell(QStringLiteral("B10")).toString(), QStringLiteral("Наценка (10%):")); // after two products and the total

    // Printed again the same day (another markup): still one card, with the new figures.
    ASSERT_TRUE(f.print(borscht, QStringLiteral("борщ2.xlsx"), 20).ok());
    EXPECT_EQ(f.count(QStringLiteral("SELECT COUNT(*) FROM \"КК_Заголовки\"")), 1);
    EXPECT_EQ(f.count(QStringLiteral("SELECT COUNT(*) FROM \"КК_Позиции\"")), 2);
    SqlStatement h(f.t.connections().database(BaseId::Warehouse),
        QStringLiteral("SELECT \"Имя_Карты\", \"Себ\", \"Стоимость\", \"Наценка_Проц\", \"Код_Склада\", \"Выход\" "
                       "FROM \"КК_Заголовки\""));
    ASSERT_TRUE(h.exec() && h.next());
    EXPECT_EQ(h.value(0).toString(), QStringLiteral("Борщ"));
    EXPECT_DOUBLE_EQ(h.value(1).toDouble(), 16);
    EXPECT_DOUBLE_EQ(h.value(2).toDouble(), 19.2);
    EXPECT_DOUBLE_EQ(h.value(3).toDouble(), 20);
    EXPECT_EQ(h.value(4).toLongLong(), 1);
    EXPECT_EQ(h.value(5).toString(), f.ration.dishOutput(borscht));
    SqlStatement p(f.t.connections().database(BaseId::Warehouse),
        QStringLiteral("SELECT \"Продукт_код\", \"Прод_ключ\", \"Брутто\", \"Нетто\", \"Цена\", \"Ед_Изм_Цена\" "
                       "FROM \"КК_Позиции\" ORDER BY \"Код\""));
    ASSERT_TRUE(p.exec() && p.next());
    EXPECT_EQ(p.value(0).toLongLong(), 11);
    EXPECT_TRUE(p.value(1).toString().startsWith(QStringLiteral("pro")));
    EXPECT_DOUBLE_EQ(p.value(2).toDouble(), 120);
    EXPECT_DOUBLE_EQ(p.value(3).toDouble(), 100);
    EXPECT_DOUBLE_EQ(p.value(4).toDouble(), 0.1);
    EXPECT_EQ(p.value(5).toLongLong(), 1);
}

TEST(DishCalcCard, WithoutTheWarehouseBaseTheWorkbookIsMadeAndTheUserToldItWasNotKept)
{
    CalcCardFixture f;
    f.t.connections().disconnect(static_cast<int>(BaseId::Warehouse));
    const auto made = f.print(1, QStringLiteral("карта.xlsx"));
    ASSERT_TRUE(made.ok()) << made.error().toStdString();
    EXPECT_FALSE(made->kept);
    EXPECT_TRUE(QFileInfo::exists(made->outcome.path));
    EXPECT_TRUE(f.t.prompter().saw(QStringLiteral("калькуляционная карта не сохранена")));
}

TEST(DishCalcCard, ExportOfAllCardsWritesOneWorkbookPerDishAndStopsAtAMissingTemplate)
{
    CalcCardFixture f;
    PriceSources prices(f.t.connections(), f.t.settings(), f.t.prompter(), f.stock);
    const QString folder = QDir(f.t.root()).filePath(QStringLiteral("карты"));
    const auto all = printAllCalcCards(
        f.ration, {f.templates, 0, 1}, folder, f.t.connections(), f.t.settings(), f.t.prompter(), prices, f.seasonal);
    ASSERT_TRUE(all.ok()) << all.error().toStdString();
    ASSERT_EQ(all->size(), f.ration.dishCount());
    // The stewed fruit is served twice: two files, two cards of one name and day kept as one.
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), f.ration.dishCount());
    EXPECT_EQ(f.count(QStringLiteral("SELECT COUNT(*) FROM \"КК_Заголовки\"")), 2);
    EXPECT_TRUE(f.t.prompter().statuses().contains(kExportAllCalcCardsText.toString()));

    f.t.settings().save(Section::Documents, QStringLiteral("sCalcTempl"), QStringLiteral("нет.xlsx"));
    const auto refused = printAllCalcCards(f.ration, {f.templates, 0, 1}, folder + QStringLiteral("2"),
        f.t.connections(), f.t.settings(), f.t.prompter(), prices, f.seasonal);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error(), kCalcCardMissingTemplate.toString());
    EXPECT_TRUE(QDir(folder + QStringLiteral("2")).entryList(QDir::Files).isEmpty());
}

TEST(DishCalcCard, TypedMarkupMustBeANumberOfZeroOrMore)
{
    EXPECT_EQ(parseMarkupPercent(QStringLiteral("12,5")), 12.5);
    EXPECT_EQ(parseMarkupPercent(QStringLiteral("0")), 0.0);
    EXPECT_FALSE(parseMarkupPercent(QStringLiteral("-5")));
    EXPECT_FALSE(parseMarkupPercent(QStringLiteral("много")));
    TempSettings settings;
    EXPECT_EQ(defaultMarkupPercent(settings.store()), 0.0);
    settings->save(Section::Calc, QStringLiteral("GlobalNac"), QStringLiteral("15"));
    EXPECT_EQ(defaultMarkupPercent(settings.store()), 15.0);
}

} // namespace
} // namespace kulvera::test
