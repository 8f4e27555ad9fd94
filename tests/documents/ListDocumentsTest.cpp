#include "DocumentTestSupport.h"

#include "common/Clock.h"
#include "documents/DefaultTemplates.h"
#include "documents/ListDocuments.h"
#include "products/ProductBase.h"
#include "recipes/DishBase.h"
#include "shell/DishCollections.h"
#include "support/CliRunner.h"
#include "support/TempBases.h"
#include "support/TempSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace kulvera;
using namespace kulvera::test;

namespace {

ProductRow product(qint64 key, const QString &name, qint64 group, qint64 unit, double price)
{
    ProductRow r;
    r.setKey(key);
    r.prod.FullName = name;
    r.prod.ShortName = name;
    r.groupKey = group;
    r.priceUnit = unit;
    r.setPrice(price);
    r.setOut(100);
    return r;
}

QString lineText(const StatementLine &l)
{
    if (l.group)
        return QStringLiteral("# ") + l.name;
    return l.name + u'/' + l.unit + u'/' + QString::number(l.price);
}

TEST(ProductStatement, GroupsInOrderEachWithItsProductsAndNoProductLeftOut)
{
    const std::vector<UnitGroup> groups {
        {7, QStringLiteral("Овощи"), 0}, {3, QStringLiteral("Молочные"), 0}, {9, QStringLiteral("Пустая"), 0}};
    const std::vector<Unit> units {{1, QStringLiteral("кг"), {}, 1, 7, true}, {2, QStringLiteral("л"), {}, 1, 3, true}};
    const std::vector<ProductRow> products {product(10, QStringLiteral("Капуста"), 7, 1, 25.5),
        product(11, QStringLiteral("Кефир"), 3, 2, 80), product(12, QStringLiteral("Соль"), 42, 1, 12),
        product(13, QStringLiteral("Морковь"), 7, 5, 30)};
    QStringList got;
    for (const StatementLine &l : productStatementLines(groups, units, products))
        got << lineText(l);
    EXPECT_EQ(got,
        QStringList({QStringLiteral("# Овощи"), QStringLiteral("Капуста/кг/25.5"), QStringLiteral("Морковь//30"),
            QStringLiteral("# Молочные"), QStringLiteral("Кефир/л/80"), QStringLiteral("# Пустая"),
            QStringLiteral("# Без группы"), QStringLiteral("Соль/кг/12")}));
}

class ListDocumentTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        templates = dir.filePath(QStringLiteral("Шаблоны"));
        ASSERT_TRUE(createMissingTemplates(templates, settings.store()).ok());
        out = dir.filePath(QStringLiteral("out.xlsx"));
    }
    QTemporaryDir dir;
    TempSettings settings;
    QString templates;
    QString out;
    ScriptedPrompter prompter;
};

TEST_F(ListDocumentTest, StatementFillsItsTemplateUnderTheHeadingsAndReports)
{
    const std::vector<StatementLine> lines {{true, 7, QStringLiteral("Овощи"), {}, 0},
        {false, 10, QStringLiteral("Капуста"), QStringLiteral("кг"), 25.5},
        {false, 13, QStringLiteral("Морковь"), QStringLiteral("кг"), 30}};
    const auto made = produceProductStatement(lines, templates, settings.store(), out, prompter);
    ASSERT_TRUE(made.ok()) << made.error().toStdString();
    EXPECT_EQ(made->rows, 3);
    EXPECT_EQ(made->errors, 0);
    EXPECT_TRUE(
        prompter.statuses().contains(QStringLiteral("Ведомость продуктов экспортирована. Ошибок при экспорте - 0")));
    const Sheet s = readSheet(out);
    EXPECT_EQ(s.cell(QStringLiteral("B3")).toString(), QStringLiteral("Наименование")); // the template's heading stays
    EXPECT_EQ(s.cell(QStringLiteral("B4")).toString(), QStringLiteral("Овощи"));
    EXPECT_TRUE(s.bold(QStringLiteral("B4")));
    EXPECT_TRUE(s.cell(QStringLiteral("A4")).isUndefined());
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("A5")).toDouble(), 10);
    EXPECT_EQ(s.cell(QStringLiteral("B5")).toString(), QStringLiteral("Капуста"));
    EXPECT_EQ(s.cell(QStringLiteral("C5")).toString(), QStringLiteral("кг"));
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("D5")).toDouble(), 25.5);
    EXPECT_EQ(s.format(QStringLiteral("D5")), QStringLiteral("0.00"));
    EXPECT_TRUE(s.framed(QStringLiteral("D6")));
    EXPECT_TRUE(s.cell(QStringLiteral("B7")).isUndefined());
}

TEST_F(ListDocumentTest, StatementWithoutTemplateOrWithABrokenStartIsRefusedAndWritesNothing)
{
    settings.store().save(Section::Documents, QStringLiteral("Shablon_Excel_Ved_Prod"), QStringLiteral("нет.xlt"));
    const auto missing = produceProductStatement({}, templates, settings.store(), out, prompter);
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error(), QStringLiteral("Не найден шаблон ведомости продуктов!"));
    EXPECT_FALSE(QFileInfo::exists(out));

    // A user template whose start name points nowhere.
    XlsxWorkbook edited = productStatementTemplate();
    edited.defineName(QStringLiteral("Старт"), QStringLiteral("'Лист5'!$A$4"));
    ASSERT_TRUE(edited.save(QDir(templates).filePath(QStringLiteral("нет.xlsx"))).ok());
    const auto broken = produceProductStatement({}, templates, settings.store(), out, prompter);
    ASSERT_FALSE(broken.ok());
    EXPECT_TRUE(broken.error().contains(QStringLiteral("Старт"))) << broken.error().toStdString();
    EXPECT_FALSE(QFileInfo::exists(out));
}

TEST_F(ListDocumentTest, RegisterStartsWhereAMovedTemplateNamesItsStart)
{
    // The user moved the table: headings on row 6, "Старт" at B7.
    XlsxWorkbook moved = XlsxWorkbook::blank(QStringLiteral("Реестр"));
    moved.setText(6, 2, QStringLiteral("№"));
    moved.defineName(QStringLiteral("Старт"), QStringLiteral("'Реестр'!$B$7"));
    ASSERT_TRUE(moved.save(QDir(templates).filePath(QStringLiteral("d_reestr.xlsx"))).ok());
    const std::vector<RegisterLine> lines {
        {QStringLiteral("12"), QStringLiteral("Борщ"), QStringLiteral("250"), QStringLiteral("Сборник 1996")},
        {QStringLiteral("13а"), QStringLiteral("Котлеты"), QStringLiteral("75/150"), {}}};
    const auto made = produceRecipeRegister(lines, templates, settings.store(), out, prompter);
    ASSERT_TRUE(made.ok()) << made.error().toStdString();
    const Sheet s = readSheet(out);
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("B7")).toDouble(), 1);
    EXPECT_EQ(s.cell(QStringLiteral("C7")).toString(), QStringLiteral("12"));
    EXPECT_EQ(s.cell(QStringLiteral("D7")).toString(), QStringLiteral("Борщ"));
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("E7")).toDouble(), 250);
    EXPECT_EQ(s.cell(QStringLiteral("F7")).toString(), QStringLiteral("Сборник 1996"));
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("B8")).toDouble(), 2);
    EXPECT_EQ(s.cell(QStringLiteral("E8")).toString(), QStringLiteral("75/150"));
    EXPECT_TRUE(s.cell(QStringLiteral("A7")).isUndefined());
    EXPECT_TRUE(s.cell(QStringLiteral("B9")).isUndefined());
}

// kulvera-cli on a private installation with a product base, a warehouse
// base holding the groups and units, and a dish base.
struct DocumentsCli {
    TempBases bases;
    CliRunner runner {QDir(bases.root()).filePath(QStringLiteral("settings.ini"))};
    QString out = QDir(bases.root()).filePath(QStringLiteral("out.xlsx"));
    int run(const QStringList &args)
    {
        bases.connections().disconnectAll();
        bases.settings().sync();
        return runner.run(args);
    }
};

TEST(CliListDocuments, ProductsStatementThroughTheDefaultTemplate)
{
    DocumentsCli cli;
    ASSERT_NE(cli.bases.create(BaseId::Products), Connections::kFailed);
    const int warehouse = cli.bases.create(BaseId::Warehouse);
    ASSERT_NE(warehouse, Connections::kFailed);
    UnitBase units(cli.bases.connections(), cli.bases.settings(), cli.bases.prompter(), warehouse);
    const auto vegetables = units.addGroup();
    ASSERT_TRUE(vegetables.ok()) << vegetables.error().toStdString();
    const auto kg = units.addUnit(*vegetables, QStringLiteral("кг"), 1);
    ASSERT_TRUE(kg.ok());
    SystemClock clock;
    ProductBase products(cli.bases.connections(), cli.bases.settings(), cli.bases.prompter(), clock);
    ASSERT_TRUE(products.insertRows({product(1, QStringLiteral("Свекла"), *vegetables, *kg, 40),
        product(2, QStringLiteral("Лук"), *vegetables, *kg, 35.2)}));

    ASSERT_EQ(cli.run({QStringLiteral("products"), QStringLiteral("statement"), QStringLiteral("-o"), cli.out}), 0)
        << cli.runner.err.toStdString();
    EXPECT_TRUE(cli.runner.out.contains(QStringLiteral("Ведомость продуктов экспортирована. Ошибок при экспорте - 0")));
    const Sheet s = readSheet(cli.out);
    EXPECT_EQ(s.cell(QStringLiteral("B4")).toString(), QStringLiteral("Новая группа (1)"));
    // Products by full name, as the product list sorts them.
    EXPECT_EQ(s.cell(QStringLiteral("B5")).toString(), QStringLiteral("Лук"));
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("D5")).toDouble(), 35.2);
    EXPECT_EQ(s.cell(QStringLiteral("C6")).toString(), QStringLiteral("кг"));
    EXPECT_EQ(s.cell(QStringLiteral("B6")).toString(), QStringLiteral("Свекла"));
    EXPECT_TRUE(s.cell(QStringLiteral("B7")).isUndefined());

    // The other words of "products" still reach their command.
    ASSERT_EQ(cli.run({QStringLiteral("products"), QStringLiteral("list")}), 0) << cli.runner.err.toStdString();
    EXPECT_TRUE(cli.runner.out.contains(QStringLiteral("Свекла")));
    EXPECT_EQ(cli.run({QStringLiteral("products"), QStringLiteral("statement")}), 2);
    EXPECT_TRUE(cli.runner.err.contains(QStringLiteral("products statement -o OUT.xlsx")));
}

TEST(CliListDocuments, RecipesRegisterOfATable)
{
    DocumentsCli cli;
    constexpr int kDishes = static_cast<int>(BaseId::Dishes);
    ASSERT_NE(cli.bases.create(BaseId::Dishes), Connections::kFailed);
    const QString table = addCollection(cli.bases.connections(), cli.bases.settings(), QStringLiteral("Школа"))->table;
    const auto codec = installationCodec(cli.bases.connections(), kDishes, cli.bases.settings(), nullptr);
    DishBase base(cli.bases.connections(), kDishes, cli.bases.settings(), cli.bases.prompter(), codec.value());
    for (int i = 0; i < 3; ++i) {
        colBludo r;
        clsProds &p = addProduct(r, 0, 1, QStringLiteral("Крупа"), 50);
        p.sCode = QString::number(100 + i);
        p.NameND = QStringLiteral("Сборник рецептур");
        p.Out = QString::number(150 + 50 * i);
        const QString names[] = {QStringLiteral("Каша"), QStringLiteral("Блины"), QStringLiteral("Суп")};
        ASSERT_TRUE(base.save(r, table, names[i], {}));
    }

    ASSERT_EQ(cli.run({QStringLiteral("recipes"), QStringLiteral("register"), QStringLiteral("Школа"),
                  QStringLiteral("-o"), cli.out}),
        0)
        << cli.runner.err.toStdString();
    EXPECT_TRUE(cli.runner.out.contains(QStringLiteral("Реестр блюд экспортирован. Ошибок при экспорте - 0")));
    const Sheet s = readSheet(cli.out);
    EXPECT_EQ(s.cell(QStringLiteral("C4")).toString(), QStringLiteral("Блины"));
    EXPECT_EQ(s.cell(QStringLiteral("B4")).toString(), QStringLiteral("101"));
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("D4")).toDouble(), 200);
    EXPECT_EQ(s.cell(QStringLiteral("E4")).toString(), QStringLiteral("Сборник рецептур"));
    EXPECT_EQ(s.cell(QStringLiteral("C6")).toString(), QStringLiteral("Суп"));
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("A6")).toDouble(), 3);
    EXPECT_TRUE(s.cell(QStringLiteral("A7")).isUndefined()) << "three recipes, three lines";

    EXPECT_EQ(cli.run({QStringLiteral("recipes"), QStringLiteral("register"), QStringLiteral("Нет такой"),
                  QStringLiteral("-o"), cli.out}),
        1);
    EXPECT_TRUE(cli.runner.err.contains(QStringLiteral("No such recipe table: Нет такой")));
}

} // namespace
