#include "DocumentTestSupport.h"

#include "documents/CardPrinting.h"
#include "documents/DefaultTemplates.h"
#include "documents/DishSheets.h"
#include "recipes/HeatTreatment.h"
#include "support/TempSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace kulvera;
using namespace kulvera::test;

namespace {

class DishSheetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        templates = dir.filePath(QStringLiteral("Шаблоны"));
        ASSERT_TRUE(createMissingTemplates(templates, settings.store()).ok());
        out = dir.filePath(QStringLiteral("out.xlsx"));
    }

    // Two products and a semi-finished product of two more: net 10 + 20 + (30 + 40).
    static colBludo dish()
    {
        colBludo slot;
        addProduct(slot, 0, 1, QStringLiteral("Картофель"), 10, 2);
        addProduct(slot, 0, 2, QStringLiteral("Морковь"), 20, 1.3);
        addSemiFinished(slot, 3, QStringLiteral("Соус"));
        addProduct(slot, 3, 4, QStringLiteral("Мука"), 30, 10);
        addProduct(slot, 3, 5, QStringLiteral("Молоко"), 40, 2.8);
        return slot;
    }

    Result<CardOutcome> composition(colBludo &slot, const QString &output = QStringLiteral("90"))
    {
        return produceCompositionSheet(slot, QStringLiteral("Рагу"), output, out, losses, settings.store(), prompter,
            [this](const QString &l) { log << l; });
    }
    Result<CardOutcome> chemistry(colBludo &slot, const QString &output = QStringLiteral("90"))
    {
        return produceFullComposition(slot, QStringLiteral("Рагу"), output, templates, out, losses, settings.store(),
            prompter, [this](const QString &l) { log << l; });
    }

    QTemporaryDir dir;
    TempSettings settings;
    QString templates;
    QString out;
    HeatTreatmentTables losses;
    ScriptedPrompter prompter;
    QStringList log;
};

TEST_F(DishSheetTest, CompositionSheetHoldsNetMassesTotalsLossesAndOutput)
{
    colBludo slot = dish();
    const auto made = composition(slot);
    ASSERT_TRUE(made.ok()) << made.error().toStdString();
    EXPECT_EQ(made->errors, 0);
    EXPECT_TRUE(log.contains(QStringLiteral("Норматив экспортирован. Ошибок при экспорте - 0")));
    const Sheet s = readSheet(out);
    EXPECT_EQ(s.cell(QStringLiteral("F13")).toString(), QStringLiteral("нетто, г"));
    EXPECT_TRUE(s.cell(QStringLiteral("E13")).isUndefined());
    EXPECT_EQ(s.cell(QStringLiteral("C14")).toString(), QStringLiteral("Картофель"));
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("F14")).toDouble(), 10);
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("F15")).toDouble(), 20);
    // The semi-finished block: bold name line with its raw set, products, italic retention line.
    EXPECT_EQ(s.cell(QStringLiteral("C16")).toString(), QStringLiteral("Соус"));
    EXPECT_TRUE(s.bold(QStringLiteral("C16")));
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("F16")).toDouble(), 70);
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("F18")).toDouble(), 40);
    EXPECT_EQ(s.cell(QStringLiteral("C19")).toString(), QStringLiteral("Сохранность"));
    EXPECT_TRUE(s.italic(QStringLiteral("C19")));
    EXPECT_EQ(s.format(QStringLiteral("F14")), QStringLiteral("0.00"));
    // Every row of the position area is framed, used or not.
    EXPECT_TRUE(s.framed(QStringLiteral("F14")));
    EXPECT_TRUE(s.framed(QStringLiteral("F62")));
    EXPECT_TRUE(s.cell(QStringLiteral("F62")).isUndefined());
    EXPECT_EQ(s.cell(QStringLiteral("C63")).toString(), QStringLiteral("Итого"));
    EXPECT_EQ(s.cell(QStringLiteral("C64")).toString(), QStringLiteral("Потери безвозвратные"));
    EXPECT_EQ(s.cell(QStringLiteral("C65")).toString(), QStringLiteral("Выход"));
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("F63")).toDouble(), 100);
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("F64")).toDouble(), 10);
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("F65")).toDouble(), 90);
}

TEST_F(DishSheetTest, CompositionSheetShowsGrossBesideNetWhenAsked)
{
    settings.store().save(Section::Documents, QStringLiteral("ShowBrutto_To_Coc"), QStringLiteral("1"));
    colBludo slot = dish();
    ASSERT_TRUE(composition(slot).ok());
    const Sheet s = readSheet(out);
    EXPECT_EQ(s.cell(QStringLiteral("E13")).toString(), QStringLiteral("нетто, г"));
    EXPECT_EQ(s.cell(QStringLiteral("F13")).toString(), QStringLiteral("брутто, г"));
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("E14")).toDouble(), 10);
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("F14")).toDouble(), 12.5); // the support's gross is net × 1.25
    // Totals are sums of net masses, so they stand under the net masses.
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("E63")).toDouble(), 100);
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("E65")).toDouble(), 90);
    EXPECT_TRUE(s.cell(QStringLiteral("F63")).isUndefined());
}

TEST_F(DishSheetTest, CompositionSheetRefusesZeroOutputAndMoreThanItsRows)
{
    colBludo slot = dish();
    const auto zero = composition(slot, QStringLiteral("0"));
    ASSERT_FALSE(zero.ok());
    EXPECT_EQ(zero.error(), QStringLiteral("Выход изделия (блюда) равен 0. Подсчет не возможен."));
    EXPECT_FALSE(QFileInfo::exists(out));

    colBludo fits;
    fillProducts(fits, 49);
    ASSERT_TRUE(composition(fits, QStringLiteral("490")).ok());
    EXPECT_EQ(readSheet(out).cell(QStringLiteral("C62")).toString(), QStringLiteral("Продукт 49"));
    colBludo over;
    fillProducts(over, 50);
    const QByteArray before = fileBytes(out);
    const auto refused = composition(over, QStringLiteral("500"));
    ASSERT_FALSE(refused.ok());
    EXPECT_TRUE(refused.error().contains(QStringLiteral("В рецептуре: 50 компонентов")));
    EXPECT_EQ(fileBytes(out), before);
}

TEST_F(DishSheetTest, FullCompositionTableFillsEveryFieldInTheDishAndPer100g)
{
    // Products only: no heat-treatment losses between the positions and the dish.
    colBludo slot;
    addProduct(slot, 0, 1, QStringLiteral("Картофель"), 10, 2);
    addProduct(slot, 0, 2, QStringLiteral("Морковь"), 20, 1.3);
    addProduct(slot, 0, 3, QStringLiteral("Мука"), 30, 10);
    addProduct(slot, 0, 4, QStringLiteral("Молоко"), 40, 2.8);
    const auto made = chemistry(slot, QStringLiteral("200"));
    ASSERT_TRUE(made.ok()) << made.error().toStdString();
    EXPECT_EQ(made->errors, 0);
    EXPECT_TRUE(made->templateUsed.endsWith(QStringLiteral("full_hs.xlsx")));
    const Sheet s = readSheet(out);
    EXPECT_EQ(s.cell(QStringLiteral("A2")).toString(), QStringLiteral("Рагу, выход 200 г"));
    EXPECT_EQ(s.cell(QStringLiteral("A3")).toString(), QStringLiteral("Показатель")); // the template's own heading
    EXPECT_EQ(s.cell(QStringLiteral("A4")).toString(), QStringLiteral("Основные пищевые вещества"));
    EXPECT_TRUE(s.bold(QStringLiteral("A4")));
    // Find the protein line by its caption: 2 + 1.3 + 10 + 2.8 = 16.1 g in the dish, 8.05 per 100 g.
    int proteinRow = 0, energyRow = 0, rows = 0;
    for (int r = 4; r < 400; ++r) {
        const QString caption = s.cell(QStringLiteral("A%1").arg(r)).toString();
        if (caption.isEmpty())
            break;
        rows = r;
        if (caption == u"Белки, г")
            proteinRow = r;
        if (caption == u"Энергетическая ценность, ккал")
            energyRow = r;
    }
    ASSERT_GT(proteinRow, 0);
    EXPECT_NEAR(s.cell(QStringLiteral("B%1").arg(proteinRow)).toDouble(), 16.1, 1e-9);
    EXPECT_NEAR(s.cell(QStringLiteral("C%1").arg(proteinRow)).toDouble(), 8.05, 1e-9);
    EXPECT_EQ(s.format(QStringLiteral("C%1").arg(proteinRow)), QStringLiteral("0.0"));
    EXPECT_EQ(energyRow, rows) << "the energy value ends the table";
    EXPECT_GT(s.cell(QStringLiteral("C%1").arg(energyRow)).toDouble(), 0);
    EXPECT_GT(rows, 60) << "every composition field has its line";
}

TEST_F(DishSheetTest, FullCompositionTableWithoutItsTemplateIsRefused)
{
    ASSERT_TRUE(QFile::remove(QDir(templates).filePath(QStringLiteral("full_hs.xlsx"))));
    colBludo slot = dish();
    const auto refused = chemistry(slot);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error(),
        QStringLiteral("Не найден шаблон таблицы расчета хим. состава: full_hs.xlsx\n"
                       "Запустите программу автоматических обновлений или обратитесь"));
    EXPECT_FALSE(QFileInfo::exists(out));
}

TEST(CardPrinting, FileNamesHoldNoCharacterAFileSystemRefuses)
{
    EXPECT_EQ(
        documentFileName(QStringLiteral("Суп \"Харчо\" 1/2 порции")), QStringLiteral("Суп _Харчо_ 1_2 порции.xlsx"));
    EXPECT_EQ(documentFileName(QStringLiteral("..")), QStringLiteral("Документ.xlsx"));
    EXPECT_EQ(documentFileName(QStringLiteral("Каша...")), QStringLiteral("Каша.xlsx"));
    EXPECT_EQ(documentFileName(QString(300, u'ж')).size(), 120 + 5);
}

TEST_F(DishSheetTest, CardPrintedIntoAFolderUnderTheRecipesName)
{
    QDir(templates).removeRecursively(); // a fresh installation: the templates are made first
    colBludo slot = dish();
    const QString folder = dir.filePath(QStringLiteral("Документы"));
    const auto made = printCardIntoFolder(slot, QStringLiteral("Рагу: овощное"), QStringLiteral("90"), folder,
        templates, losses, nullptr, settings.store(), prompter);
    ASSERT_TRUE(made.ok()) << made.error().toStdString();
    EXPECT_EQ(made->path, QDir(folder).filePath(QStringLiteral("Рагу_ овощное.xlsx")));
    EXPECT_TRUE(made->templateUsed.endsWith(QStringLiteral("TTK.xlsx")));
    EXPECT_EQ(readSheet(made->path).cell(QStringLiteral("C6")).toString(), QStringLiteral("Рагу: овощное"));
}

} // namespace
