#include "CostingFixture.h"
#include "documents/DocumentTestSupport.h"

#include "costing/CumulativeStatement.h"
#include "costing/DishCost.h"
#include "costing/PeriodStatement.h"
#include "costing/PriceSources.h"
#include "costing/SummaryMenu.h"
#include "menus/MenuBase.h"

#include <QDir>
#include <QFileInfo>

namespace kulvera::test {

using namespace Qt::StringLiterals;
namespace {

const QDate kMonday(2026, 3, 2);

class Statements : public CostingBases
{
protected:
    void SetUp() override
    {
        CostingBases::SetUp();
        addUnit(3, 0.001);
        addProduct(2, 100.0, 3); // 100 per unit of 1000 g: 0.1 per gram
        addProduct(10, 50.0, 3);
        templates = QDir(bases.root()).filePath(QStringLiteral("templates"));
    }

    // A dish as the menu stores it: the header (item 1) carries the output.
    static colBludo savedDish(const QString &output, std::initializer_list<clsBludo> lines)
    {
        colBludo dish = dishOf(lines);
        dish.item(1)->clsProds().Out = output;
        return dish;
    }

    // Soup (product 10: 100 g gross, 80 net; product 2: 50/40) and, when asked, tea (product 2: 20 g).
    void saveDay(const QDate &day, const QString &group, bool tea = false, const QString &soupOutput = u"250"_s)
    {
        Ration r({day, group});
        const int lunch = r.ensureMeal(QStringLiteral("Обед"));
        r.appendDish(lunch, QStringLiteral("Суп"), soupOutput,
            savedDish(soupOutput,
                {productLine(2, QStringLiteral("10"), 100, 80), productLine(3, QStringLiteral("2"), 50, 40)}));
        if (tea) {
            const int breakfast = r.ensureMeal(QStringLiteral("Завтрак"));
            r.appendDish(breakfast, QStringLiteral("Чай"), QStringLiteral("200"),
                savedDish(QStringLiteral("200"), {productLine(2, QStringLiteral("2"), 20)}));
        }
        ASSERT_TRUE(menu.save(r));
    }

    QString out(const QString &name) const { return QDir(bases.root()).filePath(name); }

    MenuBase menu {
        bases.connections(), static_cast<int>(BaseId::Menu), bases.settings(), bases.prompter(), StoredTextCodec(7)};
    NoStockPrices stock;
    PriceSources prices {bases.connections(), bases.settings(), bases.prompter(), stock};
    SeasonalOutputs seasonal;
    QString templates;
};

TEST_F(Statements, OneDayPeriodGivesOneDayRowAndATotalEqualToIt)
{
    saveDay(kMonday, QString());
    const Result<PeriodStatement> s = buildPeriodStatement(menu, kMonday, kMonday, QString(), false, bases.prompter());
    ASSERT_TRUE(s) << s.error().toStdString();
    ASSERT_EQ(s->days.size(), 1u);
    ASSERT_EQ(s->products.size(), 2u);
    EXPECT_TRUE(s->days[0].hasRation);
    EXPECT_EQ(s->days[0].masses, s->totals);

    const QString file = out(QStringLiteral("period.xlsx"));
    const Result<ListOutcome> made = printPeriodStatement(*s, templates, bases.settings(), file, bases.prompter());
    ASSERT_TRUE(made) << made.error().toStdString();
    EXPECT_EQ(made->errors, 0);
    EXPECT_TRUE(QFileInfo::exists(QDir(templates).filePath(QStringLiteral("sv.xlsx"))));
    EXPECT_TRUE(bases.prompter().statuses().contains(QStringLiteral("Формирование ведомости в Excel...")));
    EXPECT_TRUE(bases.prompter().statuses().contains(QStringLiteral("Ведомость сформирована. Ошибок при экспорте: 0")));

    const Sheet sheet = readSheet(file);
    EXPECT_EQ(sheet.cell(QStringLiteral("A4")).toString(), u"День/Продукт");
    EXPECT_EQ(sheet.cell(QStringLiteral("B4")).toString(), u"Продукт 2") << "numbers inside names go by value";
    EXPECT_EQ(sheet.cell(QStringLiteral("C4")).toString(), u"Продукт 10");
    EXPECT_EQ(sheet.cell(QStringLiteral("A5")).toString(), u"1 день.");
    EXPECT_DOUBLE_EQ(sheet.cell(QStringLiteral("B5")).toDouble(), 50.0);
    EXPECT_DOUBLE_EQ(sheet.cell(QStringLiteral("C5")).toDouble(), 100.0);
    EXPECT_EQ(sheet.format(QStringLiteral("B5")), u"0.00");
    EXPECT_EQ(sheet.cell(QStringLiteral("A6")).toString(), u"Итого");
    EXPECT_EQ(sheet.cell(QStringLiteral("B6")).toString(), u"=SUM(B5:B5)");
    EXPECT_EQ(sheet.cell(QStringLiteral("C6")).toString(), u"=SUM(C5:C5)");
    EXPECT_TRUE(sheet.cell(QStringLiteral("A7")).isUndefined());
}

TEST_F(Statements, PeriodKeepsDaysWithoutARationAndAddsNetMassesWhenAsked)
{
    saveDay(kMonday, QStringLiteral("Сад"), true);
    saveDay(kMonday.addDays(2), QStringLiteral("Сад"));
    saveDay(kMonday.addDays(1), QStringLiteral("Ясли")); // another variant: not counted
    const Result<PeriodStatement> s
        = buildPeriodStatement(menu, kMonday, kMonday.addDays(2), QStringLiteral("Сад"), true, bases.prompter());
    ASSERT_TRUE(s);
    ASSERT_EQ(s->days.size(), 3u);
    EXPECT_FALSE(s->days[1].hasRation);
    EXPECT_EQ(s->days[1].masses, (std::vector<double> {0.0, 0.0}));
    EXPECT_EQ(s->days[0].masses, (std::vector<double> {60.0, 80.0})) << "net: soup 40 + tea 20, soup 80";
    EXPECT_EQ(s->totals, (std::vector<double> {100.0, 160.0}));

    const QString file = out(QStringLiteral("period.xlsx"));
    ASSERT_TRUE(printPeriodStatement(*s, templates, bases.settings(), file, bases.prompter()));
    const Sheet sheet = readSheet(file);
    EXPECT_EQ(sheet.cell(QStringLiteral("A6")).toString(), u"2 день.");
    EXPECT_TRUE(sheet.cell(QStringLiteral("B6")).isUndefined()) << "a day without a ration is left empty";
    EXPECT_EQ(sheet.cell(QStringLiteral("A7")).toString(), u"3 день.");
    EXPECT_EQ(sheet.cell(QStringLiteral("C8")).toString(), u"=SUM(C5:C7)");
    EXPECT_TRUE(sheet.bold(QStringLiteral("C8")));
    EXPECT_TRUE(sheet.cell(QStringLiteral("A2")).toString().contains(u"нетто"));
}

TEST_F(Statements, PeriodEndingBeforeItStartsIsRefused)
{
    saveDay(kMonday, QString());
    const Result<PeriodStatement> s
        = buildPeriodStatement(menu, kMonday, kMonday.addDays(-1), QString(), false, bases.prompter());
    ASSERT_FALSE(s);
    EXPECT_EQ(s.error(), kEndBeforeStartText.toString());
    EXPECT_TRUE(bases.prompter().saw(kEndBeforeStartText.toString()));
}

TEST_F(Statements, ConfiguredPeriodTemplateMissingFromTheFolderIsRefused)
{
    saveDay(kMonday, QString());
    bases.settings().save(Section::Documents, QStringLiteral("sTemplVed"), QStringLiteral("ведомость.xlsx"));
    const Result<PeriodStatement> s = buildPeriodStatement(menu, kMonday, kMonday, QString(), false, bases.prompter());
    ASSERT_TRUE(s);
    const QString file = out(QStringLiteral("period.xlsx"));
    EXPECT_FALSE(printPeriodStatement(*s, templates, bases.settings(), file, bases.prompter()));
    EXPECT_TRUE(bases.prompter().saw(QStringLiteral("В списке шаблоном отсутствует: ведомость.xlsx")));
    EXPECT_TRUE(bases.prompter().saw(QStringLiteral("Обновите список шаблонов!")));
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_FALSE(QFileInfo::exists(QDir(templates).filePath(QStringLiteral("ведомость.xlsx"))));
}

TEST_F(Statements, CumulativeStatementGivesAPairPerDateTotalsAndThePriceUnit)
{
    saveDay(kMonday, QString(), true);
    saveDay(kMonday.addDays(3), QString());
    const Result<CumulativeStatement> s
        = buildCumulativeStatement(menu, {kMonday.addDays(3), kMonday, kMonday}, QString(), prices, bases.prompter());
    ASSERT_TRUE(s);
    ASSERT_EQ(s->dates, (std::vector<QDate> {kMonday, kMonday.addDays(3)})) << "dates in order, each once";
    EXPECT_EQ(s->captions(),
        (QStringList {u"Код"_s, u"Наименование продукта"_s, u"Ед.изм. коэф"_s, u"Ед.изм."_s, u"Брутто (02.03.2026)"_s,
            u"Нетто (02.03.2026)"_s, u"Брутто (05.03.2026)"_s, u"Нетто (05.03.2026)"_s, u"Итого брутто"_s,
            u"Итого нетто"_s}));
    ASSERT_EQ(s->rows.size(), 2u);
    const CumulativeRow &two = s->rows[0];
    EXPECT_EQ(two.code, u"2");
    EXPECT_DOUBLE_EQ(two.koef, 0.001);
    EXPECT_EQ(two.unit, u"ед3");
    EXPECT_EQ(two.gross, (std::vector<double> {70.0, 50.0}));
    EXPECT_EQ(two.net, (std::vector<double> {60.0, 40.0}));
    EXPECT_DOUBLE_EQ(two.totalGross, 120.0);
    EXPECT_DOUBLE_EQ(two.totalNet, 100.0);

    const QString file = out(QStringLiteral("svod.xlsx"));
    bases.settings().save(Section::Documents, QStringLiteral("FirstLineSvodMenu"), QStringLiteral("Школа № 5"));
    const Result<ListOutcome> made = printCumulativeStatement(*s, templates, bases.settings(), file, bases.prompter());
    ASSERT_TRUE(made) << made.error().toStdString();
    EXPECT_TRUE(QFileInfo::exists(QDir(templates).filePath(QStringLiteral("sv_svod.xlsx"))));
    const Sheet sheet = readSheet(file);
    EXPECT_EQ(sheet.cell(QStringLiteral("A1")).toString(), kCumulativeTitle.toString());
    EXPECT_EQ(sheet.cell(QStringLiteral("A2")).toString(), u"Школа № 5");
    EXPECT_EQ(sheet.cell(QStringLiteral("E5")).toString(), u"Брутто (02.03.2026)");
    EXPECT_EQ(sheet.cell(QStringLiteral("J5")).toString(), u"Итого нетто");
    EXPECT_EQ(sheet.cell(QStringLiteral("A6")).toString(), u"2");
    EXPECT_EQ(sheet.cell(QStringLiteral("D6")).toString(), u"ед3");
    EXPECT_DOUBLE_EQ(sheet.cell(QStringLiteral("E6")).toDouble(), 70.0);
    EXPECT_DOUBLE_EQ(sheet.cell(QStringLiteral("H6")).toDouble(), 40.0);
    EXPECT_DOUBLE_EQ(sheet.cell(QStringLiteral("I6")).toDouble(), 120.0);
    EXPECT_DOUBLE_EQ(sheet.cell(QStringLiteral("J7")).toDouble(), 160.0);

    EXPECT_FALSE(buildCumulativeStatement(menu, {}, QString(), prices, bases.prompter()));
    EXPECT_TRUE(bases.prompter().saw(kNoDatesText.toString()));
}

TEST_F(Statements, SummaryMenuRefusesOneVariantAndNoDatesBeforeWritingAnything)
{
    saveDay(kMonday, QStringLiteral("Сад"));
    const QString file = out(QStringLiteral("menu.xlsx"));
    EXPECT_FALSE(produceSummaryMenu(menu, {kMonday}, {QStringLiteral("Сад")}, {}, prices, seasonal, templates,
        bases.settings(), file, bases.prompter()));
    EXPECT_TRUE(bases.prompter().saw(kTwoVariantsText.toString()));
    EXPECT_FALSE(produceSummaryMenu(menu, {kMonday}, {QStringLiteral("Сад"), QStringLiteral("Сад")}, {}, prices,
        seasonal, templates, bases.settings(), file, bases.prompter()))
        << "the same variant twice is one variant";
    EXPECT_FALSE(produceSummaryMenu(menu, {}, {QStringLiteral("Сад"), QStringLiteral("Ясли")}, {}, prices, seasonal,
        templates, bases.settings(), file, bases.prompter()));
    EXPECT_TRUE(bases.prompter().saw(kNoDatesText.toString()));
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_FALSE(QFileInfo::exists(templates)) << "refused before the template is looked at";

    bases.settings().save(Section::Documents, QStringLiteral("sSvodMenu"), QString());
    EXPECT_FALSE(produceSummaryMenu(menu, {kMonday}, {QStringLiteral("Сад"), QStringLiteral("Ясли")}, {}, prices,
        seasonal, templates, bases.settings(), file, bases.prompter()));
    EXPECT_TRUE(bases.prompter().saw(QStringLiteral("Нет шаблона для сводных меню. ")));
    bases.settings().save(Section::Documents, QStringLiteral("sSvodMenu"), QStringLiteral("своё.xlsx"));
    EXPECT_FALSE(produceSummaryMenu(menu, {kMonday}, {QStringLiteral("Сад"), QStringLiteral("Ясли")}, {}, prices,
        seasonal, templates, bases.settings(), file, bases.prompter()));
    EXPECT_TRUE(bases.prompter().saw(QStringLiteral("Не установлен шаблон меню рационов: своё.xlsx")));
    EXPECT_TRUE(bases.prompter().saw(QStringLiteral("Установите шаблон и повторите попытку")));
    EXPECT_FALSE(QFileInfo::exists(file));
}

TEST_F(Statements, SummaryMenuPutsVariantsSideBySideWithASumFormulaRow)
{
    saveDay(kMonday, QStringLiteral("Сад"), true, QStringLiteral("250"));
    saveDay(kMonday, QStringLiteral("Ясли"), false, QStringLiteral("150/30"));
    bases.settings().save(Section::Documents, QStringLiteral("sSvodMenuAfter1"), QStringLiteral("Заведующая"));
    bases.settings().save(Section::User, QStringLiteral("Name_POP"), QStringLiteral("Детский сад № 1"));
    const QString file = out(QStringLiteral("menu.xlsx"));
    const Result<ListOutcome> made = produceSummaryMenu(menu, {kMonday},
        {QStringLiteral("Сад"), QStringLiteral("Ясли")}, {QStringLiteral("Завтрак"), QStringLiteral("Обед")}, prices,
        seasonal, templates, bases.settings(), file, bases.prompter());
    ASSERT_TRUE(made) << made.error().toStdString();
    EXPECT_EQ(made->rows, 2);
    const Sheet sheet = readSheet(file);
    EXPECT_EQ(sheet.cell(QStringLiteral("A2")).toString(), u"Детский сад № 1");
    EXPECT_EQ(sheet.cell(QStringLiteral("B3")).toString(), u"02.03.2026");
    EXPECT_EQ(sheet.cell(QStringLiteral("C5")).toString(), u"Сад");
    EXPECT_EQ(sheet.cell(QStringLiteral("E5")).toString(), u"Ясли");
    // Breakfast first, as the meal list orders it, though the ration saved lunch first.
    EXPECT_EQ(sheet.cell(QStringLiteral("B7")).toString(), u"Чай");
    EXPECT_DOUBLE_EQ(sheet.cell(QStringLiteral("A7")).toDouble(), 1.0);
    EXPECT_DOUBLE_EQ(sheet.cell(QStringLiteral("C7")).toDouble(), 200.0);
    EXPECT_DOUBLE_EQ(sheet.cell(QStringLiteral("D7")).toDouble(), 2.0) << "20 g × 100 × 0.001";
    EXPECT_TRUE(sheet.cell(QStringLiteral("E7")).isUndefined()) << "the nursery has no tea";
    EXPECT_TRUE(sheet.cell(QStringLiteral("F7")).isUndefined());
    EXPECT_EQ(sheet.cell(QStringLiteral("B8")).toString(), u"Суп");
    EXPECT_DOUBLE_EQ(sheet.cell(QStringLiteral("C8")).toDouble(), 250.0);
    EXPECT_EQ(sheet.cell(QStringLiteral("E8")).toString(), u"150/30");
    EXPECT_DOUBLE_EQ(sheet.cell(QStringLiteral("D8")).toDouble(), 10.0) << "100 g × 50 × 0.001 + 50 g × 0.1";
    EXPECT_DOUBLE_EQ(sheet.cell(QStringLiteral("F8")).toDouble(), 10.0);
    EXPECT_EQ(sheet.cell(QStringLiteral("B9")).toString(), u"ИТОГО");
    EXPECT_EQ(sheet.cell(QStringLiteral("D9")).toString(), u"=SUM(D7:D8)");
    EXPECT_EQ(sheet.cell(QStringLiteral("F9")).toString(), u"=SUM(F7:F8)");
    EXPECT_TRUE(sheet.bold(QStringLiteral("D9")));
    EXPECT_FALSE(sheet.italic(QStringLiteral("D9")));
    EXPECT_TRUE(sheet.framed(QStringLiteral("F8")));
    EXPECT_EQ(sheet.cell(QStringLiteral("B11")).toString(), u"Заведующая");
    EXPECT_FALSE(sheet.colHidden(6));
    EXPECT_TRUE(sheet.colHidden(7)) << "the third variant's columns are not used";
    EXPECT_TRUE(sheet.colHidden(22));
}

TEST_F(Statements, SummaryMenuSettingsDropTheTotalsRowAndBordersAndADateLineHeadsEachDay)
{
    saveDay(kMonday, QStringLiteral("Сад"));
    saveDay(kMonday, QStringLiteral("Ясли"));
    saveDay(kMonday.addDays(1), QStringLiteral("Ясли"));
    bases.settings().save(Section::Documents, QStringLiteral("bSkipItogStrSvodMenu"), QStringLiteral("True"));
    bases.settings().save(Section::Documents, QStringLiteral("bSkipSvodMenuTablLines"), QStringLiteral("1"));
    bases.settings().save(Section::Documents, QStringLiteral("sSvodMenuAfter1"), QStringLiteral("Первая"));
    bases.settings().save(Section::Documents, QStringLiteral("bSkipItogAfter1SvodMenu"), QStringLiteral("1"));
    bases.settings().save(Section::Documents, QStringLiteral("sSvodMenuAfter2"), QStringLiteral("Вторая"));
    const QString file = out(QStringLiteral("menu.xlsx"));
    ASSERT_TRUE(produceSummaryMenu(menu, {kMonday, kMonday.addDays(1)}, {QStringLiteral("Сад"), QStringLiteral("Ясли")},
        {}, prices, seasonal, templates, bases.settings(), file, bases.prompter()));
    const Sheet sheet = readSheet(file);
    EXPECT_EQ(sheet.cell(QStringLiteral("B3")).toString(), u"02.03.2026, 03.03.2026");
    EXPECT_EQ(sheet.cell(QStringLiteral("B7")).toString(), u"02.03.2026");
    EXPECT_EQ(sheet.cell(QStringLiteral("B8")).toString(), u"Суп");
    EXPECT_EQ(sheet.cell(QStringLiteral("B9")).toString(), u"03.03.2026");
    EXPECT_EQ(sheet.cell(QStringLiteral("B10")).toString(), u"Суп");
    EXPECT_DOUBLE_EQ(sheet.cell(QStringLiteral("A10")).toDouble(), 2.0);
    EXPECT_TRUE(sheet.cell(QStringLiteral("C10")).isUndefined()) << "the garden has no ration on Tuesday";
    EXPECT_FALSE(sheet.framed(QStringLiteral("B8")));
    EXPECT_EQ(sheet.cell(QStringLiteral("B12")).toString(), u"Вторая") << "no totals row, the first line skipped";
    for (const QJsonValue &v : sheet.json[QStringLiteral("cells")].toObject())
        EXPECT_NE(v.toString(), u"ИТОГО");
}

TEST_F(Statements, SummaryMenuRefusesATemplateWithoutItsCellsAndARationOfOverAThousandRecipes)
{
    saveDay(kMonday, QStringLiteral("Сад"));
    Ration big({kMonday, QStringLiteral("Ясли")});
    const int lunch = big.ensureMeal(QStringLiteral("Обед"));
    for (int i = 0; i <= kMaxRecipesInRation; ++i)
        big.appendDish(lunch, QStringLiteral("Блюдо %1").arg(i), QStringLiteral("100"), dishOf({}));
    ASSERT_TRUE(menu.save(big));
    const QString file = out(QStringLiteral("menu.xlsx"));
    EXPECT_FALSE(produceSummaryMenu(menu, {kMonday}, {QStringLiteral("Сад"), QStringLiteral("Ясли")}, {}, prices,
        seasonal, templates, bases.settings(), file, bases.prompter()));
    EXPECT_TRUE(bases.prompter().saw(kTooManyRecipesText.toString()));
    EXPECT_FALSE(QFileInfo::exists(file));

    // A user's template naming the table but not the second variant's price.
    XlsxWorkbook own = XlsxWorkbook::blank(QStringLiteral("Лист1"));
    for (const char16_t *name :
        {u"Табл_Номер", u"Табл_Имя", u"Даты_меню", u"Группа", u"Табл_Выход1", u"Табл_Цена1", u"Табл_Выход2"})
        own.defineName(QString::fromUtf16(name), QStringLiteral("'Лист1'!$A$9"));
    ASSERT_TRUE(QDir().mkpath(templates));
    ASSERT_TRUE(own.save(QDir(templates).filePath(QStringLiteral("свое.xlsx"))));
    bases.settings().save(Section::Documents, QStringLiteral("sSvodMenu"), QStringLiteral("свое.xlsx"));
    EXPECT_FALSE(produceSummaryMenu(menu, {kMonday.addDays(1)}, {QStringLiteral("Сад"), QStringLiteral("Ясли")}, {},
        prices, seasonal, templates, bases.settings(), file, bases.prompter()));
    EXPECT_TRUE(bases.prompter().saw(QStringLiteral("Не найдено поле Табл_Цена2 в шаблоне сводной ведомости.")));
    EXPECT_FALSE(QFileInfo::exists(file));
}

} // namespace
} // namespace kulvera::test
