#include "DocumentTestSupport.h"

#include "documents/CardDocument.h"
#include "documents/DefaultTemplates.h"
#include "recipes/HeatTreatment.h"
#include "support/TempSettings.h"

#include <QDir>
#include <QTemporaryDir>

using namespace kulvera;
using namespace kulvera::test;

namespace {

class CardTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        templates = dir.filePath(QStringLiteral("Шаблоны"));
        ASSERT_TRUE(createMissingTemplates(templates, settings.store()).ok());
        request.templatesFolder = templates;
        request.outputPath = dir.filePath(QStringLiteral("card.xlsx"));
    }

    Result<CardOutcome> produce(colBludo &slot, const QString &output = QStringLiteral("100"))
    {
        return produceCard(slot, QStringLiteral("Тестовое блюдо"), output, request, losses, nullptr, settings.store(),
            prompter, [this](const QString &l) { log << l; });
    }

    QTemporaryDir dir;
    TempSettings settings;
    QString templates;
    CardRequest request;
    HeatTreatmentTables losses;
    ScriptedPrompter prompter;
    QStringList log;
};

TEST_F(CardTest, FiftyTwoPositionsFillTheTableAndFiftyThreeAreRefused)
{
    colBludo full;
    fillProducts(full, 52);
    const auto made = produce(full, QStringLiteral("520"));
    ASSERT_TRUE(made.ok()) << made.error().toStdString();
    EXPECT_EQ(made->errors, 0);
    EXPECT_TRUE(log.contains(QStringLiteral("Норматив экспортирован. Ошибок при экспорте - 0")));
    const Sheet s = readSheet(request.outputPath);
    EXPECT_EQ(s.cell(QStringLiteral("C14")).toString(), QStringLiteral("Продукт 1"));
    EXPECT_EQ(s.cell(QStringLiteral("C65")).toString(), QStringLiteral("Продукт 52"));
    EXPECT_EQ(s.cell(QStringLiteral("A65")).toDouble(), 52);
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("D65")).toDouble(), 12.5);
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("E65")).toDouble(), 10);
    // 10 g for 10, 20, 30 portions in kilograms.
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("F65")).toDouble(), 0.1);
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("H65")).toDouble(), 0.3);
    EXPECT_EQ(s.format(QStringLiteral("E65")), QStringLiteral("0.00"));
    EXPECT_TRUE(s.framed(QStringLiteral("C65")));
    for (int row = 14; row <= 65; ++row)
        EXPECT_FALSE(s.rowHidden(row)) << row;
    EXPECT_EQ(s.cell(QStringLiteral("C66")).toString(), QStringLiteral("Выход готового блюда"));
    EXPECT_TRUE(s.bold(QStringLiteral("C66")));
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("E66")).toDouble(), 520);
    EXPECT_EQ(s.cell(QStringLiteral("F12")).toString(), QStringLiteral("Расход сырья нетто, кг на"));
    EXPECT_EQ(s.cell(QStringLiteral("F13")).toString(), QStringLiteral("10 порций"));

    colBludo over;
    fillProducts(over, 53);
    const QByteArray before = fileBytes(request.outputPath);
    const auto refused = produce(over, QStringLiteral("530"));
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error(),
        QStringLiteral(
            "Необходимо расширить возможности шаблонов\nВ рецептуре: 53 компонентов. Это больше допустимого"));
    EXPECT_EQ(fileBytes(request.outputPath), before) << "a refused card must not touch the file";
}

TEST_F(CardTest, SemiFinishedBlocksTextsAndHiddenRows)
{
    colBludo slot;
    addSemiFinished(slot, 1, QStringLiteral("Бульон"));
    addProduct(slot, 1, 2, QStringLiteral("Говядина"), 40);
    addProduct(slot, 1, 3, QStringLiteral("Морковь"), 10);
    addProduct(slot, 0, 4, QStringLiteral("Картофель"), 80);
    clsProds &header = slot.item(1)->clsProds();
    header.sCode = QStringLiteral("17");
    CardTexts texts;
    texts[0] = QStringLiteral("Картофель нарезают кубиками и варят в бульоне до готовности, затем солят и подают "
                              "горячим.\nПодают в глубокой тарелке.");
    texts[2] = QStringLiteral("Кубики картофеля в прозрачном бульоне");
    header.Oform = joinCardTexts(texts);
    ASSERT_TRUE(produce(slot, QStringLiteral("250")).ok());
    const Sheet s = readSheet(request.outputPath);
    EXPECT_EQ(s.cell(QStringLiteral("G4")).toString(), QStringLiteral("17"));
    EXPECT_EQ(s.cell(QStringLiteral("C14")).toString(), QStringLiteral("Бульон"));
    EXPECT_TRUE(s.bold(QStringLiteral("C14")));
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("E14")).toDouble(), 50); // the raw set
    EXPECT_EQ(s.cell(QStringLiteral("C17")).toString(), QStringLiteral("Сохранность"));
    EXPECT_TRUE(s.italic(QStringLiteral("C17")));
    EXPECT_FALSE(s.bold(QStringLiteral("C15")));
    EXPECT_EQ(s.cell(QStringLiteral("C18")).toString(), QStringLiteral("Картофель"));
    EXPECT_FALSE(s.rowHidden(18));
    EXPECT_TRUE(s.rowHidden(19));
    EXPECT_TRUE(s.rowHidden(65));
    // Technology: one row per paragraph, 70 characters per line, 20 points per line.
    EXPECT_TRUE(s.cell(QStringLiteral("A68")).toString().contains(u'\n'));
    EXPECT_DOUBLE_EQ(s.height(68), 40);
    EXPECT_DOUBLE_EQ(s.height(69), 20);
    EXPECT_TRUE(s.rowHidden(70));
    EXPECT_TRUE(s.rowHidden(77));
    EXPECT_EQ(s.cell(QStringLiteral("C83")).toString(), QStringLiteral("Кубики картофеля в прозрачном бульоне"));
    EXPECT_EQ(s.cell(QStringLiteral("A9")).toString(), QStringLiteral("Перечень сырья: говядина, морковь, картофель."));
    // Culinary cards hide the composition columns beyond the recalculation.
    EXPECT_TRUE(s.colHidden(9));
    EXPECT_TRUE(s.colHidden(10));
    EXPECT_FALSE(s.colHidden(8));
}

TEST_F(CardTest, MovedCellsAreFilledAfterTheSettingsChange)
{
    const QString edited = dir.filePath(QStringLiteral("moved.xlsx"));
    runTool({QStringLiteral("move-cells"), QDir(templates).filePath(QStringLiteral("TTK.xlsx")), edited});
    settings->save(Section::DocumentsTTK, QStringLiteral("Name_Norm_Cell"), QStringLiteral("B3"));
    settings->save(Section::DocumentsTTK, QStringLiteral("Netto_Col"), QStringLiteral("11"));
    settings->save(Section::DocumentsTTK, QStringLiteral("Start_Row"), QStringLiteral("20"));
    settings->save(Section::DocumentsTTK, QStringLiteral("End_Row"), QStringLiteral("40"));
    request.templateFile = edited;
    colBludo slot;
    fillProducts(slot, 3);
    ASSERT_TRUE(produce(slot).ok());
    const Sheet s = readSheet(request.outputPath);
    EXPECT_EQ(s.cell(QStringLiteral("B3")).toString(), QStringLiteral("Тестовое блюдо"));
    EXPECT_FALSE(s.cell(QStringLiteral("C6")).isString());
    EXPECT_EQ(s.cell(QStringLiteral("A3")).toString(), QStringLiteral("Блюдо:"));
    EXPECT_EQ(s.cell(QStringLiteral("C20")).toString(), QStringLiteral("Продукт 1"));
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("K22")).toDouble(), 10);
    EXPECT_EQ(s.cell(QStringLiteral("K19")).toString(), QStringLiteral("Нетто, г"));
    EXPECT_TRUE(s.rowHidden(23));
    EXPECT_TRUE(s.rowHidden(40));
    EXPECT_FALSE(s.rowHidden(41));
    EXPECT_EQ(s.cell(QStringLiteral("C41")).toString(), QStringLiteral("Выход готового блюда"));

    // The table of 21 rows refuses 22 positions.
    colBludo big;
    fillProducts(big, 22);
    EXPECT_FALSE(produce(big).ok());
}

TEST_F(CardTest, ProteinAbove100GramsStillGivesTheCardWithItsMessage)
{
    colBludo slot;
    addProduct(slot, 0, 1, QStringLiteral("Белковый концентрат"), 100, 150);
    const auto made = produce(slot);
    ASSERT_TRUE(made.ok()) << made.error().toStdString();
    EXPECT_TRUE(QFile::exists(request.outputPath));
    EXPECT_TRUE(prompter.texts().join(u'\n').contains(QStringLiteral("белка превышает")))
        << prompter.texts().join(u'|').toStdString();
    const Sheet s = readSheet(request.outputPath);
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("B114")).toDouble(), 150);
}

TEST_F(CardTest, OutputZeroIsRefused)
{
    colBludo slot;
    fillProducts(slot, 2);
    const auto refused = produce(slot, QStringLiteral("0"));
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error(), QStringLiteral("Выход изделия (блюда) равен 0. Подсчет не возможен."));
    EXPECT_FALSE(QFile::exists(request.outputPath));
}

TEST_F(CardTest, NamedCellTemplateFillsByNameAndHidesByCardType)
{
    request.templateFile = QDir(templates).filePath(QStringLiteral("TTK_ST.xlsx"));
    request.options.cardType = 3;
    colBludo slot;
    fillProducts(slot, 2);
    const auto made = produce(slot, QStringLiteral("200"));
    ASSERT_TRUE(made.ok()) << made.error().toStdString();
    EXPECT_TRUE(made->named);
    const Sheet s = readSheet(request.outputPath);
    EXPECT_EQ(s.name(QStringLiteral("Шаблон_Версия")), QStringLiteral("'ТТК'!$T$1"));
    EXPECT_EQ(s.name(QStringLiteral("Рец_Сырье")), QStringLiteral("'ТТК'!$B$14:$B$65"));
    EXPECT_EQ(s.cell(QStringLiteral("B6")).toString(), QStringLiteral("Тестовое блюдо"));
    EXPECT_EQ(s.cell(QStringLiteral("B15")).toString(), QStringLiteral("Продукт 2"));
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("D15")).toDouble(), 10);
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("I15")).toDouble(), 1); // proteins of the position
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("D66")).toDouble(), 200);
    EXPECT_TRUE(s.rowHidden(16));
    EXPECT_TRUE(s.rowHidden(65));
    EXPECT_TRUE(s.rowHidden(74)) << "Скрыть_ТК on a technological card";
    EXPECT_FALSE(s.rowHidden(72));
    EXPECT_TRUE(s.colHidden(14)) << "the full composition is hidden unless asked for";
}

TEST_F(CardTest, NoTemplateBuildsTheGeneratedCard)
{
    QDir(templates).removeRecursively();
    colBludo slot;
    addSemiFinished(slot, 1, QStringLiteral("Соус"));
    addProduct(slot, 1, 2, QStringLiteral("Томаты"), 50);
    ASSERT_TRUE(produce(slot).ok());
    EXPECT_TRUE(log.contains(QStringLiteral("Шаблона нет, строим по старой форме")));
    const QJsonObject cells = readSheet(request.outputPath).json[QStringLiteral("cells")].toObject();
    QStringList texts;
    for (const QJsonValue &v : cells)
        texts << v.toString();
    for (const char16_t *expected : {u"Утверждаю", u"Рецептура", u"Сырьевой набор", u"Сохранность", u"Выход",
             u"Выход готового блюда", u"Технология приготовления", u"Физико-химические показатели",
             u"Массовая доля сахара в пересчете на сухое вещество", u"Энергетическая ценность, ккал",
             u"Ответственный исполнитель"})
        EXPECT_TRUE(texts.contains(QString::fromUtf16(expected))) << QString::fromUtf16(expected).toStdString();
}

} // namespace
