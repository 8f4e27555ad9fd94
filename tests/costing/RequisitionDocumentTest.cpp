#include "CostingFixture.h"
#include "documents/DocumentTestSupport.h"

#include "costing/RequisitionDocument.h"

#include <QDir>
#include <QFileInfo>

namespace kulvera::test {
namespace {

// Four products in the base (so the default template lists codes 1 to 4 in
// rows 12 to 15), and a day of two meals; code 77 is not in the base.
class RequisitionPrint : public CostingBases
{
protected:
    void SetUp() override
    {
        CostingBases::SetUp();
        for (qint64 code = 1; code <= 4; ++code)
            addProduct(code, 1.0, 1);
        ration.setKey({QDate(2026, 3, 2), QStringLiteral("Ясли")});
        const int breakfast = ration.ensureMeal(QStringLiteral("Завтрак"));
        const int lunch = ration.ensureMeal(QStringLiteral("Обед"));
        ration.appendDish(breakfast, QStringLiteral("Каша"), QStringLiteral("200"),
            dishOf({productLine(1, QStringLiteral("1"), 41), productLine(2, QStringLiteral("2"), 13.5)}));
        ration.appendDish(breakfast, QStringLiteral("Чай"), QStringLiteral("200"),
            dishOf({productLine(1, QStringLiteral("3"), 7), productLine(2, QStringLiteral("77"), 5)}));
        ration.appendDish(lunch, QStringLiteral("Рагу"), QStringLiteral("250"),
            dishOf({productLine(1, QStringLiteral("2"), 120), productLine(2, QStringLiteral("3"), 33.3)}));
    }

    Sheet print(const QString &file)
    {
        const QString out = QDir(bases.root()).filePath(file);
        const Result<ListOutcome> made
            = printRequisition(ration, bases.connections(), templates, bases.settings(), out, bases.prompter());
        EXPECT_TRUE(made) << (made ? std::string() : made.error().toStdString());
        return readSheet(out);
    }

    QString templates = QDir(bases.root()).filePath(QStringLiteral("templates"));
    QString templateFile = QDir(templates).filePath(QStringLiteral("0504202.xlsx"));
    Ration ration;
};

TEST_F(RequisitionPrint, TwoMealsGiveGrossMassesPerMealAndTotalsInTheirCells)
{
    const Sheet s = print(QStringLiteral("day.xlsx"));
    EXPECT_TRUE(QFileInfo::exists(templateFile)) << "the template is made where the setting names it";
    EXPECT_EQ(s.cell(QStringLiteral("A1")).toString(), kRequisitionTitle.toString());
    EXPECT_EQ(s.cell(QStringLiteral("B3")).toString(), u"02.03.2026");
    EXPECT_EQ(s.cell(QStringLiteral("B4")).toString(), u"Ясли");
    EXPECT_EQ(s.cell(QStringLiteral("C6")).toString(), u"Завтрак");
    EXPECT_EQ(s.cell(QStringLiteral("D6")).toString(), u"Обед");
    EXPECT_EQ(s.cell(QStringLiteral("G6")).toString(), u"Итого");
    EXPECT_EQ(s.cell(QStringLiteral("C7")).toString(), u"Каша");
    EXPECT_EQ(s.cell(QStringLiteral("C8")).toString(), u"Чай");
    EXPECT_EQ(s.cell(QStringLiteral("D7")).toString(), u"Рагу");

    // Rows 12-15 hold codes 1-4.
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("C12")).toDouble(), 41.0);
    EXPECT_TRUE(s.cell(QStringLiteral("D12")).isUndefined()) << "nothing of product 1 at lunch";
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("G12")).toDouble(), 41.0);
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("C13")).toDouble(), 13.5);
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("D13")).toDouble(), 120.0);
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("G13")).toDouble(), 133.5);
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("C14")).toDouble(), 7.0);
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("D14")).toDouble(), 33.3);
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("G14")).toDouble(), 40.3);
    EXPECT_EQ(s.format(QStringLiteral("G14")), u"0.0");
    EXPECT_FALSE(s.rowHidden(14));
    EXPECT_TRUE(s.rowHidden(15)) << "code 4 is not used on this day";

    // Code 77 is not in the template: reported, and no cell carries its 5 g.
    EXPECT_TRUE(bases.prompter().saw(QStringLiteral("В ведомость не попали следующие продукты: 77 Продукт 77")));
    for (const QJsonValue &v : s.json[QStringLiteral("cells")].toObject())
        EXPECT_FALSE(v.isDouble() && v.toDouble() == 5.0) << "code 77 must not be printed";
}

TEST_F(RequisitionPrint, ACodeRowAddedToTheTemplateAppearsInTheNextPrintout)
{
    print(QStringLiteral("first.xlsx"));
    ASSERT_TRUE(QFileInfo::exists(templateFile));
    // The technologist adds salt (code 77) below the listed products in her spreadsheet program.
    runTool({QStringLiteral("set-row"), templateFile, templateFile, QStringLiteral("18"), QStringLiteral("77"),
        QStringLiteral("Соль")});
    bases.prompter().clear();
    const Sheet s = print(QStringLiteral("second.xlsx"));
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("A18")).toDouble(), 77.0);
    EXPECT_EQ(s.cell(QStringLiteral("B18")).toString(), u"Соль") << "the template's own name stays";
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("C18")).toDouble(), 5.0);
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("G18")).toDouble(), 5.0);
    EXPECT_FALSE(s.rowHidden(18));
    EXPECT_FALSE(bases.prompter().saw(QStringLiteral("В ведомость не попали следующие продукты: 77 Продукт 77")));
}

TEST_F(RequisitionPrint, TheMultipliersScaleMealSumsAndTotalsAndTooManyMealsWriteNothing)
{
    setData(QStringLiteral("KoefMenuSum"), QStringLiteral("2"));
    setData(QStringLiteral("KoefMenuItog"), QStringLiteral("3"));
    const Sheet s = print(QStringLiteral("scaled.xlsx"));
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("C13")).toDouble(), 27.0);
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("D13")).toDouble(), 240.0);
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("G13")).toDouble(), 400.5);

    for (const QString &meal : {QStringLiteral("Полдник"), QStringLiteral("Ужин"), QStringLiteral("Второй ужин")})
        ration.appendDish(ration.ensureMeal(meal), QStringLiteral("Кефир"), QStringLiteral("200"),
            dishOf({productLine(1, QStringLiteral("1"), 1)}));
    const QString out = QDir(bases.root()).filePath(QStringLiteral("five.xlsx"));
    EXPECT_FALSE(printRequisition(ration, bases.connections(), templates, bases.settings(), out, bases.prompter()));
    EXPECT_TRUE(bases.prompter().saw(kTooManyMealsText.toString()));
    EXPECT_FALSE(QFileInfo::exists(out));
}

TEST_F(RequisitionPrint, RecipesBeyondTheTemplatesPlacesAreSkippedAfterTheNotice)
{
    const int breakfast = ration.mealIndex(QStringLiteral("Завтрак"));
    for (int i = 0; i < 4; ++i)
        ration.appendDish(breakfast, QStringLiteral("Хлеб %1").arg(i + 1), QStringLiteral("30"),
            dishOf({productLine(1, QStringLiteral("4"), 10)}));
    const Sheet s = print(QStringLiteral("places.xlsx"));
    EXPECT_TRUE(bases.prompter().saw(QStringLiteral(
        "Программа позволяет использовать не больше 5 рецептур на прием №1\nОстальные рецептуры будут пропущены!")));
    EXPECT_EQ(s.cell(QStringLiteral("C11")).toString(), u"Хлеб 3");
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("G15")).toDouble(), 30.0) << "the sixth recipe is not counted";
}

} // namespace
} // namespace kulvera::test
