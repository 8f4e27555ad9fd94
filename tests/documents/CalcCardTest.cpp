#include "DocumentTestSupport.h"
#include "support/TempSettings.h"

#include "common/SettingsAccess.h"
#include "documents/CalcCard.h"
#include "documents/DefaultTemplates.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kulvera;
using namespace kulvera::test;

namespace {

CalcCardInput oneProduct(double gross, double cost, double markup = 0)
{
    CalcCardInput in;
    in.dishName = QStringLiteral("Каша манная");
    in.source = QStringLiteral("Сборник 2011, №182");
    in.number = QStringLiteral("182");
    in.date = QDate(2026, 12, 7);
    in.output = QStringLiteral("200");
    in.markupPercent = markup;
    in.positions.push_back({QStringLiteral("Крупа манная"), gross, cost});
    return in;
}

} // namespace

TEST(CalcCardFigures, NormPriceAndSumOfAPositionFollowTheCoefficients)
{
    CalcCardRules rules;
    const CalcCard card = computeCalcCard(oneProduct(150, 15), rules);
    ASSERT_EQ(card.lines.size(), 1u);
    EXPECT_DOUBLE_EQ(card.lines[0].norm, 15000);
    EXPECT_DOUBLE_EQ(card.lines[0].price, 100);
    EXPECT_DOUBLE_EQ(card.lines[0].sum, 1500);
    EXPECT_DOUBLE_EQ(card.total, 1500);
    // No markup: the selling price is the cost of one dish.
    EXPECT_DOUBLE_EQ(card.markup, 0);
    EXPECT_DOUBLE_EQ(card.sellingPrice, 15);
    EXPECT_FALSE(card.vatPrice);

    // The norm coefficient divides the norm, the price coefficient multiplies the price; sums stay.
    rules.normFactor = 1000;
    rules.priceFactor = 0.1;
    const CalcCard scaled = computeCalcCard(oneProduct(150, 15), rules);
    EXPECT_DOUBLE_EQ(scaled.lines[0].norm, 15);
    EXPECT_DOUBLE_EQ(scaled.lines[0].price, 10);
    EXPECT_DOUBLE_EQ(scaled.lines[0].sum, 1500);

    // A position of no gross mass has no price per kilogram rather than an infinite one.
    const CalcCard empty = computeCalcCard(oneProduct(0, 0), CalcCardRules {});
    EXPECT_DOUBLE_EQ(empty.lines[0].price, 0);
}

TEST(CalcCardFigures, MarkupAndVatOnTheSellingPrice)
{
    CalcCardRules rules;
    rules.vatPercent = 18;
    const CalcCard plain = computeCalcCard(oneProduct(100, 100), rules);
    EXPECT_DOUBLE_EQ(plain.sellingPrice, 100);
    ASSERT_TRUE(plain.vatPrice);
    EXPECT_DOUBLE_EQ(*plain.vatPrice, 118);

    const CalcCard marked = computeCalcCard(oneProduct(150, 15, 25), CalcCardRules {});
    EXPECT_DOUBLE_EQ(marked.markup, 375); // on 100 dishes
    EXPECT_DOUBLE_EQ(marked.sellingPrice, 18.75);
    EXPECT_EQ(markupLineText(QStringLiteral("Наценка"), 12.5), QStringLiteral("Наценка (12,5%):"));
    EXPECT_EQ(markupPercentText(25), QStringLiteral("25"));
    EXPECT_EQ(markupPercentText(10.456), QStringLiteral("10,46"));
}

TEST(CalcCardRulesFromSettings, VatOnlyWhenSwitchedOnAndBadCoefficientsCountOne)
{
    TempSettings settings;
    EXPECT_FALSE(CalcCardRules::fromSettings(settings.store(), 2).vatPercent);
    settings->save(Section::Calc, QStringLiteral("bNDS"), QStringLiteral("1"));
    settings->save(Section::Calc, QStringLiteral("dKoefNorm"), QStringLiteral("0"));
    settings->save(Section::Calc, QStringLiteral("dKoefPrice"), QStringLiteral("abc"));
    const CalcCardRules r = CalcCardRules::fromSettings(settings.store(), 2);
    ASSERT_TRUE(r.vatPercent);
    EXPECT_DOUBLE_EQ(*r.vatPercent, 18);
    EXPECT_DOUBLE_EQ(r.normFactor, 1);
    EXPECT_DOUBLE_EQ(r.priceFactor, 1);
    EXPECT_EQ(parseColumn(u"J"), 10);
    EXPECT_EQ(parseColumn(u"12"), 12);
    EXPECT_FALSE(parseColumn(u"0"));
    EXPECT_FALSE(parseColumn(u"J1"));
}

class CalcCardDocument : public ::testing::Test
{
protected:
    void SetUp() override
    {
        templates = dir.filePath(QStringLiteral("Шаблоны"));
        out = dir.filePath(QStringLiteral("card.xlsx"));
        settings->save(Section::User, QStringLiteral("Name_Org"), QStringLiteral("ООО Школьное питание"));
        settings->save(Section::User, QStringLiteral("Name_Pop"), QStringLiteral("Столовая №5"));
    }
    Result<CalcCardOutcome> produce(const CalcCardInput &in)
    {
        const CalcCardRules rules = CalcCardRules::fromSettings(settings.store(), 2);
        return produceCalcCard(in, rules, templates, settings.store(), out, prompter);
    }

    QTemporaryDir dir;
    TempSettings settings;
    QString templates;
    QString out;
    ScriptedPrompter prompter;
};

TEST_F(CalcCardDocument, OurTemplateIsMadeAndTheCardReadsBackWithoutAMarkupLine)
{
    const auto made = produce(oneProduct(150, 15));
    ASSERT_TRUE(made.ok()) << made.error().toStdString();
    EXPECT_EQ(made->errors, 0);
    EXPECT_TRUE(QFileInfo::exists(QDir(templates).filePath(QStringLiteral("calc.xlsx"))));
    EXPECT_EQ(prompter.statuses(),
        QStringList({QStringLiteral("Экспорт калькуляционной карты..."), QStringLiteral("Загрузка шаблона"),
            QStringLiteral("Вставка листа..."), QStringLiteral("Просмотр калькуляционной карт. ОК")}));

    const Sheet s = readSheet(out);
    EXPECT_EQ(s.cell(QStringLiteral("A3")).toString(), QStringLiteral("КАЛЬКУЛЯЦИОННАЯ КАРТОЧКА № 182"));
    EXPECT_EQ(s.cell(QStringLiteral("D1")).toString(), QStringLiteral("ООО Школьное питание"));
    EXPECT_EQ(s.cell(QStringLiteral("D2")).toString(), QStringLiteral("Столовая №5"));
    EXPECT_EQ(s.cell(QStringLiteral("F4")).toString(), QStringLiteral("Каша манная"));
    EXPECT_EQ(s.cell(QStringLiteral("C5")).toString(), QStringLiteral("07"));
    EXPECT_EQ(s.cell(QStringLiteral("E5")).toString(), QStringLiteral("декабря"));
    EXPECT_EQ(s.cell(QStringLiteral("H5")).toString(), QStringLiteral("2026 г."));
    EXPECT_EQ(s.cell(QStringLiteral("L5")).toString(), QStringLiteral("07.12.2026"));
    EXPECT_EQ(s.cell(QStringLiteral("L3")).toString(), QStringLiteral("182"));
    EXPECT_EQ(s.cell(QStringLiteral("M4")).toString(), QStringLiteral("Сборник 2011, №182"));
    EXPECT_EQ(s.cell(QStringLiteral("J1")).toString(), QStringLiteral("УТВЕРЖДАЮ: Директор"));
    // The product row.
    EXPECT_EQ(s.cell(QStringLiteral("A7")).toDouble(), 1);
    EXPECT_EQ(s.cell(QStringLiteral("B7")).toString(), QStringLiteral("Крупа манная"));
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("I7")).toDouble(), 15000);
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("J7")).toDouble(), 100);
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("L7")).toDouble(), 1500);
    EXPECT_EQ(s.format(QStringLiteral("J7")), QStringLiteral("0.00"));
    EXPECT_TRUE(s.framed(QStringLiteral("B7")));
    // Totals: no markup line, the selling price right after the total, then the output.
    EXPECT_EQ(s.cell(QStringLiteral("B8")).toString(), QStringLiteral("Общая стоимость сырьевого набора на 100 блюд"));
    EXPECT_TRUE(s.bold(QStringLiteral("B8")));
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("L8")).toDouble(), 1500);
    EXPECT_EQ(s.cell(QStringLiteral("B9")).toString(), QStringLiteral("Продажная цена одного блюда"));
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("L9")).toDouble(), 15);
    EXPECT_EQ(s.cell(QStringLiteral("B10")).toString(), QStringLiteral("Выход в готовом виде"));
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("L10")).toDouble(), 200);
    for (const QJsonValue &v : s.json[QStringLiteral("cells")].toObject())
        EXPECT_FALSE(v.toString().startsWith(QStringLiteral("Наценка")));
    // Signatures in bold italic.
    EXPECT_EQ(s.cell(QStringLiteral("B12")).toString(), QStringLiteral("Зав. производством"));
    EXPECT_EQ(s.cell(QStringLiteral("B14")).toString(), QStringLiteral("Экономист по ценам"));
    EXPECT_TRUE(s.bold(QStringLiteral("B14")) && s.italic(QStringLiteral("B14")));
}

TEST_F(CalcCardDocument, MarkupAndVatLinesAndMovedCellsFromTheSettings)
{
    settings->save(Section::Calc, QStringLiteral("bNDS"), QStringLiteral("1"));
    settings->save(Section::Calc, QStringLiteral("lFSTr"), QStringLiteral("10"));
    settings->save(Section::Calc, QStringLiteral("lSumm"), QStringLiteral("13"));
    settings->save(Section::Calc, QStringLiteral("sNameCard"), QStringLiteral("b2"));
    const auto made = produce(oneProduct(150, 15, 12.5));
    ASSERT_TRUE(made.ok()) << made.error().toStdString();
    const Sheet s = readSheet(out);
    EXPECT_EQ(s.cell(QStringLiteral("B2")).toString(), QStringLiteral("Каша манная"));
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("M10")).toDouble(), 1500);
    EXPECT_EQ(s.cell(QStringLiteral("B12")).toString(), QStringLiteral("Наценка (12,5%):"));
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("M12")).toDouble(), 187.5);
    EXPECT_EQ(s.cell(QStringLiteral("B13")).toString(), QStringLiteral("Продажная цена одного блюда"));
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("M13")).toDouble(), 16.88);
    // The VAT line reads the selling price's key with its own default.
    EXPECT_EQ(s.cell(QStringLiteral("B14")).toString(), QStringLiteral("Цена с НДС"));
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("M14")).toDouble(), 19.92);
}

TEST_F(CalcCardDocument, AMissingTemplateOtherThanOursIsRefusedAndNothingIsWritten)
{
    for (const QString &name : {QStringLiteral("моя_калькуляция.xlsx"), QString()}) {
        settings->save(Section::Documents, QStringLiteral("sCalcTempl"), name);
        const auto made = produce(oneProduct(150, 15));
        ASSERT_FALSE(made.ok());
        EXPECT_EQ(made.error(), kCalcCardMissingTemplate.toString());
        EXPECT_FALSE(QFileInfo::exists(out));
        EXPECT_FALSE(QDir(templates).exists() && !QDir(templates).isEmpty());
    }
}

TEST(CalcCardTemplate, MadeWithTheOtherMissingTemplates)
{
    QTemporaryDir dir;
    TempSettings settings;
    const auto written = createMissingTemplates(dir.path(), settings.store());
    ASSERT_TRUE(written.ok());
    EXPECT_TRUE(written->contains(dir.filePath(QStringLiteral("calc.xlsx"))));
    const Sheet s = readSheet(dir.filePath(QStringLiteral("calc.xlsx")));
    EXPECT_EQ(s.cell(QStringLiteral("I6")).toString(), QStringLiteral("Норма на 100 блюд, г"));
}
