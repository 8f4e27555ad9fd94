#include "warehouse/DishDocumentsFixture.h"

#include "shell/SessionLog.h"
#include "shell/SqlDialect.h"
#include "warehouse/DishWriteOff.h"
#include "warehouse/OutgoingDocuments.h"
#include "warehouse/StockCheck.h"

#include <QFile>

using namespace kulvera;
using kulvera::test::DishDocumentsFixture;

namespace {

using Answer = Prompter::Answer;

class DishWriteOffTest : public DishDocumentsFixture
{
protected:
    NewOutgoing document(const QString &note = {}) { return {QDate(2026, 6, 12), store, note}; }
    std::vector<DishPortions> puree(const QString &output, double portions)
    {
        return {{table, kPuree.toString(), output, portions}};
    }
    QVariant lineValue(const QString &column, qint64 productKey)
    {
        return scalar(
            QStringLiteral("SELECT \"") + column + QStringLiteral("\" FROM \"Расход_Товара\" WHERE \"Код_Прод\" = ?"),
            {productKey});
    }
    DishWriteOff writeOff {base, *dishes};
};

TEST_F(DishWriteOffTest, ExpandsTheDishForItsOutputAndPortionsIntoOneUnpostedGramLinePerProduct)
{
    base.setUser(7);
    const auto header = writeOff.start(document(QStringLiteral("обед 12 июня")));
    ASSERT_TRUE(header) << header.error().toStdString();
    // Half the stored output for ten portions: potatoes (150 + 30) / 2 × 10 = 900 g, net 725 g;
    // the carrots of the semi-finished product 250 g, net 200 g. Kept in kilograms, shown in grams.
    ASSERT_TRUE(writeOff.save(*header, puree(QStringLiteral("100"), 10)));
    EXPECT_EQ(rows(QStringLiteral("Расход_Товара")), 2);
    EXPECT_DOUBLE_EQ(lineValue(QStringLiteral("Брутто"), 1).toDouble(), 0.9);
    EXPECT_DOUBLE_EQ(lineValue(QStringLiteral("Нетто"), 1).toDouble(), 0.725);
    EXPECT_DOUBLE_EQ(lineValue(QStringLiteral("Брутто"), 2).toDouble(), 0.25);
    EXPECT_DOUBLE_EQ(lineValue(QStringLiteral("Нетто"), 2).toDouble(), 0.2);
    for (qint64 p : {1, 2}) {
        EXPECT_EQ(lineValue(QStringLiteral("Название_рецептуры"), p).toString(), kPuree.toString());
        EXPECT_DOUBLE_EQ(lineValue(QStringLiteral("Выход"), p).toDouble(), 100);
        EXPECT_DOUBLE_EQ(lineValue(QStringLiteral("Количество_Пор"), p).toDouble(), 10);
        EXPECT_EQ(lineValue(QStringLiteral("Код_Накл"), p).toLongLong(), *header);
        EXPECT_EQ(lineValue(QStringLiteral("Код_Склада"), p).toLongLong(), store);
        EXPECT_EQ(lineValue(QStringLiteral("Ед_изм"), p).toInt(), 2);
        EXPECT_EQ(lineValue(QStringLiteral("Код_опер"), p).toInt(), 0);
        EXPECT_EQ(lineValue(QStringLiteral("Проводка"), p).toInt(), 0);
        EXPECT_EQ(lineValue(QStringLiteral("Код_Польз"), p).toInt(), 7);
        EXPECT_EQ(storedDate(lineValue(QStringLiteral("Дата"), p)), QDate(2026, 6, 12));
    }
    const auto lines = OutgoingDocuments(base).lines(*header);
    ASSERT_TRUE(lines);
    EXPECT_DOUBLE_EQ(lines->front().quantity(), 900); // grams, as the recipe says

    const auto h = OutgoingDocuments(base).header(*header);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->kind, 2);
    EXPECT_FALSE(h->posted);
    EXPECT_EQ(h->note, QStringLiteral("обед 12 июня"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT \"Поставщик\" FROM \"Накладные_Заголовки\"")).toLongLong(), store);
    EXPECT_EQ(scalar(QStringLiteral("SELECT \"Пользователь\" FROM \"Накладные_Заголовки\"")).toInt(), 7);
    EXPECT_EQ(
        storedDateTime(scalar(QStringLiteral("SELECT \"Дата_Операции\" FROM \"Накладные_Заголовки\""))), clock.now());
    EXPECT_TRUE(bases.prompter().saw(QStringLiteral(
        "Документ подготовлен для списания.\nЗайдите: Учет - Расход - Накладные для проведения списания")));

    // Without a note the column stays empty.
    const auto plain = writeOff.start(document());
    ASSERT_TRUE(plain);
    EXPECT_TRUE(scalar(QStringLiteral("SELECT \"Примечание\" FROM \"Накладные_Заголовки\" WHERE \"Код\" = ?"), {*plain})
                    .isNull());
}

TEST_F(DishWriteOffTest, SavingAgainReplacesTheLinesAndTheDeletionIsLogged)
{
    SessionLog log;
    log.start(true, QStringLiteral("session.log"), bases.root(), clock.now());
    base.setSessionLog(&log);
    const auto header = writeOff.start(document());
    ASSERT_TRUE(header);
    ASSERT_TRUE(writeOff.save(*header, puree({}, 4)));
    // The stored output when none is given: 180 g × 4 of potatoes.
    EXPECT_DOUBLE_EQ(lineValue(QStringLiteral("Брутто"), 1).toDouble(), 0.72);
    EXPECT_DOUBLE_EQ(lineValue(QStringLiteral("Выход"), 1).toDouble(), 200);
    ASSERT_TRUE(writeOff.save(*header, puree(QStringLiteral("200"), 2)));
    EXPECT_EQ(rows(QStringLiteral("Расход_Товара")), 2);
    EXPECT_DOUBLE_EQ(lineValue(QStringLiteral("Брутто"), 1).toDouble(), 0.36);
    QFile file(log.path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(file.readAll()).contains(u"Удаление строки :: fMinus - cSave_Click - "));
}

TEST_F(DishWriteOffTest, BadDishesChangeNothing)
{
    const auto header = writeOff.start(document());
    ASSERT_TRUE(header);
    ASSERT_TRUE(writeOff.save(*header, puree(QStringLiteral("200"), 1)));
    const double before = lineValue(QStringLiteral("Брутто"), 1).toDouble();

    std::vector<DishPortions> unknown = puree(QStringLiteral("200"), 3);
    unknown.push_back({table, QStringLiteral("Нет такого блюда"), QStringLiteral("200"), 1});
    const Status missing = writeOff.save(*header, unknown);
    ASSERT_FALSE(missing);
    EXPECT_TRUE(missing.error().contains(u"Рецептура не найдена!")) << missing.error().toStdString();
    EXPECT_FALSE(writeOff.save(*header, puree(QStringLiteral("200"), -1)));
    // Nobody ate it: nothing to write off.
    EXPECT_EQ(
        writeOff.save(*header, puree(QStringLiteral("200"), 0)).error(), QStringLiteral("Нет данных для сохранения!"));
    EXPECT_EQ(rows(QStringLiteral("Расход_Товара")), 2);
    EXPECT_DOUBLE_EQ(lineValue(QStringLiteral("Брутто"), 1).toDouble(), before);

    // Without unit 2 a gram cannot be told in kilograms.
    ASSERT_TRUE(base.exec(QStringLiteral("DELETE FROM \"dt105\" WHERE \"ID\" = 2")));
    EXPECT_EQ(writeOff.save(*header, puree(QStringLiteral("200"), 3)).error(),
        QStringLiteral("Нет ед. измерения для продукта!"));
    EXPECT_DOUBLE_EQ(lineValue(QStringLiteral("Брутто"), 1).toDouble(), before);
}

TEST_F(DishWriteOffTest, PostingTakesTheDishesFromTheKilogramLots)
{
    ASSERT_TRUE(invoices.receive(invoice(QStringLiteral("1")), {line(1, 2, 40), line(2, 1, 50)}));
    const auto header = writeOff.start(document());
    ASSERT_TRUE(header);
    ASSERT_TRUE(writeOff.save(*header, puree(QStringLiteral("100"), 10)));
    OutgoingDocuments documents(base);
    ASSERT_TRUE(documents.post(*header));
    EXPECT_DOUBLE_EQ(
        scalar(QStringLiteral("SELECT SUM(\"Брутто\") FROM \"Склад\" WHERE \"Код_Прод\" = 1")).toDouble(), 1.1);
    EXPECT_DOUBLE_EQ(
        scalar(QStringLiteral("SELECT SUM(\"Брутто\") FROM \"Склад\" WHERE \"Код_Прод\" = 2")).toDouble(), 0.75);
    const auto differences = checkStock(base);
    ASSERT_TRUE(differences);
    EXPECT_TRUE(differences->empty());
    // A posted document keeps its lines.
    EXPECT_EQ(
        writeOff.save(*header, puree(QStringLiteral("100"), 1)).error(), QStringLiteral("Накладная уже проведена!"));
}

TEST_F(DishWriteOffTest, AHeaderThatCannotBeWrittenIsOfferedAgainUntilTheUserGivesUp)
{
    // A failure of the write itself, not of the input.
    ASSERT_TRUE(base.exec(test::refusingTrigger(QStringLiteral("refuse"), QStringLiteral("INSERT"),
        QStringLiteral("\"Накладные_Заголовки\""), QStringLiteral("disk full"))));
    auto &prompter = bases.prompter();
    prompter.expect(QStringLiteral("Ошибка сохранения заголовка в базе!\nПовторно сохранить?"), Answer::Yes);
    prompter.expect(QStringLiteral("Повторно сохранить?"), Answer::No);
    EXPECT_FALSE(writeOff.start(document()));
    EXPECT_TRUE(prompter.scriptDone());
    EXPECT_TRUE(prompter.unexpected().isEmpty());
    EXPECT_EQ(rows(QStringLiteral("Накладные_Заголовки")), 0);
    // An unknown warehouse is bad input: no second attempt is offered.
    EXPECT_EQ(
        writeOff.start({QDate(2026, 6, 12), store + 100, {}}).error(), QStringLiteral("Склад не идентифицирован!"));
    EXPECT_TRUE(prompter.unexpected().isEmpty());

    ASSERT_TRUE(base.exec(test::droppingTrigger(QStringLiteral("refuse"), QStringLiteral("\"Накладные_Заголовки\""))));
    prompter.clear();
    EXPECT_TRUE(writeOff.start(document()));
    EXPECT_TRUE(prompter.shown().empty());
}

} // namespace
