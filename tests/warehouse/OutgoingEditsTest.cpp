#include "WarehouseFixture.h"

#include "common/ScriptedPrompter.h"
#include "warehouse/OutgoingDocuments.h"
#include "warehouse/OutgoingEdits.h"
#include "warehouse/OutgoingSelection.h"
#include "warehouse/StockCheck.h"

using namespace kulvera;
using kulvera::test::WarehouseFixture;

namespace {

using Answer = Prompter::Answer;

const QDate kJune1(2026, 6, 1);
const QDate kJune10(2026, 6, 10);
const QDate kJune11(2026, 6, 11);
const QDate kJune20(2026, 6, 20);

class Outgoing : public WarehouseFixture
{
protected:
    void receive(qint64 product, double quantity, double price, const QDate &date)
    {
        ASSERT_TRUE(invoices.receive(invoice(QString::number(++number_), date), {line(product, quantity, price)}));
    }
    static NewOutgoingLine take(qint64 product, double brutto, std::optional<qint64> unit = {})
    {
        NewOutgoingLine l;
        l.product = product;
        l.brutto = brutto;
        l.unit = unit;
        return l;
    }
    qint64 document(const QDate &date, const std::vector<NewOutgoingLine> &lines, const QString &note = {})
    {
        return documents.create({date, store, note}, lines).value();
    }
    // Product → gross mass of the document's lines, in line order.
    std::vector<std::pair<qint64, double>> masses(qint64 doc)
    {
        std::vector<std::pair<qint64, double>> out;
        const auto lines = documents.lines(doc);
        if (!lines)
            return out;
        for (const OutgoingLine &l : *lines)
            out.emplace_back(l.product, l.brutto);
        return out;
    }
    double netto(qint64 doc, qint64 product)
    {
        return scalar(QStringLiteral("SELECT SUM(\"Нетто\") FROM \"Расход_Товара\" WHERE \"Код_Накл\" = ? AND "
                                     "\"Код_Прод\" = ?"),
            {doc, product})
            .toDouble();
    }
    ScriptedPrompter &prompter() { return bases.prompter(); }

    OutgoingDocuments documents {base};
    OutgoingEdits edits {base};
    OutgoingSelection selection {base};
    int number_ = 0;
};

using Masses = std::vector<std::pair<qint64, double>>;

TEST_F(Outgoing, AGrossMassIsTypedInTheLineUnitAndOnlyUnpostedLinesChange)
{
    receive(1, 10, 30, kJune1);
    const qint64 doc = document(kJune10, {take(1, 2, qint64(2)), take(2, 1)});
    const auto lines = documents.lines(doc).value();
    // 2500 g is 2.5 kg in the base unit.
    ASSERT_TRUE(edits.setGrossMass(lines[0].key, 2500));
    EXPECT_EQ(masses(doc), (Masses {{1, 2.5}, {2, 1}}));
    EXPECT_EQ(
        edits.setGrossMass(lines[0].key + 100, 1).error(), QStringLiteral("Не удалось иджентифицировать продукт!"));
    EXPECT_FALSE(edits.setGrossMass(lines[1].key, -1));

    ASSERT_TRUE(edits.setNote({doc}, QStringLiteral("ужин")));
    EXPECT_EQ(documents.header(doc)->note, QStringLiteral("ужин"));

    ASSERT_TRUE(documents.remove(document(kJune10, {take(1, 1)})));
    const qint64 posted = document(kJune10, {take(1, 3)});
    ASSERT_TRUE(documents.post(posted));
    const qint64 postedLine = documents.lines(posted)->front().key;
    EXPECT_EQ(edits.setGrossMass(postedLine, 1).error(), QStringLiteral("Накладная уже проведена!"));
    EXPECT_EQ(edits.setNote({doc, posted}, QStringLiteral("x")).error(), QStringLiteral("Накладная уже проведена!"));
    EXPECT_EQ(documents.header(doc)->note, QStringLiteral("ужин"));
    EXPECT_EQ(masses(posted), (Masses {{1, 3}}));
    EXPECT_TRUE(documents.header(posted)->note.isEmpty());
}

TEST_F(Outgoing, AReplacementMergesIntoAnExistingTargetLineAndRetargetsElsewhere)
{
    product(4, QStringLiteral("Лук"), 1);
    // A: potatoes and carrots; B: potatoes twice, no carrots; C: no potatoes.
    const qint64 a = document(kJune10, {take(1, 2), take(2, 1)});
    const qint64 b = document(kJune10, {take(1, 4), take(4, 1), take(1, 0.5)});
    const qint64 c = document(kJune10, {take(4, 7)});
    const auto replaced = edits.replaceProduct({a, b, c}, 1, 2, 1.5);
    ASSERT_TRUE(replaced) << replaced.error().toStdString();
    EXPECT_EQ(*replaced, 3);
    EXPECT_EQ(masses(a), (Masses {{2, 4}}));
    EXPECT_DOUBLE_EQ(netto(a, 2), 4);
    // The first potato line becomes carrots; the second then merges into it.
    EXPECT_EQ(masses(b), (Masses {{2, 6.75}, {4, 1}}));
    EXPECT_DOUBLE_EQ(netto(b, 2), 6.75);
    EXPECT_EQ(masses(c), (Masses {{4, 7}}));
}

TEST_F(Outgoing, ARefusedReplacementChangesNoDocument)
{
    const qint64 a = document(kJune10, {take(1, 2), take(2, 1)});
    const qint64 b = document(kJune10, {take(1, 4)});
    EXPECT_EQ(edits.replaceProduct({a, b + 50}, 1, 2, 1).error(),
        QStringLiteral("Не удалось определить номер накладной. Замена не выполнена"));
    // Into itself the line would be added to itself and then deleted.
    EXPECT_FALSE(edits.replaceProduct({a}, 1, 1, 1));
    EXPECT_FALSE(edits.replaceProduct({a}, 1, 2, 0));
    EXPECT_FALSE(edits.replaceProduct({a}, 1, 77, 1));
    receive(1, 10, 30, kJune1);
    ASSERT_TRUE(documents.post(b));
    EXPECT_EQ(edits.replaceProduct({a, b}, 1, 2, 1).error(), QStringLiteral("Накладная уже проведена!"));
    EXPECT_EQ(masses(a), (Masses {{1, 2}, {2, 1}}));
    EXPECT_EQ(masses(b), (Masses {{1, 4}}));
}

TEST_F(Outgoing, OnlyDocumentsOfOneDateAreSelectedAndTheirProductsAreSummedWithTheStockAtThatDate)
{
    receive(1, 5, 30, kJune1);
    receive(1, 10, 30, kJune20);
    const qint64 a = document(kJune10, {take(1, 1.2345), take(2, 1)});
    const qint64 b = document(kJune10, {take(1, 2, qint64(2))});
    const qint64 later = document(kJune11, {take(1, 1)});
    EXPECT_EQ(selection.headers({a, later}).error(), QStringLiteral("Выбирать можно только накладные одной даты!"));
    EXPECT_EQ(selection.products({a, later}, store).error(), OutgoingSelection::kDifferentDates);

    const auto table = selection.products({a, b}, store).value();
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0].name, QStringLiteral("Картофель"));
    // 1.2345 + 2 rounded to three decimals by default; shown in the first line's unit.
    EXPECT_DOUBLE_EQ(table[0].brutto, 3.235);
    EXPECT_DOUBLE_EQ(table[0].shown, 3.235);
    EXPECT_EQ(table[0].lines.size(), 2u);
    EXPECT_DOUBLE_EQ(selection.products({b, a}, store)->front().shown, 3235);
    // Only the lot of the 1st counts on the 10th.
    EXPECT_DOUBLE_EQ(table[0].available, 5);
    EXPECT_EQ(table[0].availableText, QStringLiteral("5 кг"));
    EXPECT_FALSE(table[0].short_);
    EXPECT_EQ(table[1].name, QStringLiteral("Морковь"));
    EXPECT_TRUE(table[1].short_);
    EXPECT_TRUE(table[1].availableText.isEmpty());

    // A lot whose receipt left the quantity empty is named rather than counted.
    ASSERT_TRUE(base.exec(QStringLiteral("INSERT INTO \"Склад\" (\"Код_Прод\", \"Код_Склада\", \"Дата\", \"Брутто\", "
                                         "\"Ед_изм\", \"Проводка\") VALUES (2, ?, ?, NULL, 3, 1)"),
        {store, kJune1}));
    const auto carrots = selection.products({a}, store)->back();
    ASSERT_EQ(carrots.stockWarnings.size(), 1);
    EXPECT_TRUE(carrots.stockWarnings.front().startsWith(QStringLiteral("Для продукта с кодом: 2 имеет пустое")));
    EXPECT_TRUE(carrots.availableText.isEmpty());

    bases.settings().save(Section::Data, QStringLiteral("lRoundProdInNaklMinus"), QStringLiteral("1"));
    EXPECT_DOUBLE_EQ(selection.products({a, b}, store)->front().brutto, 3.2);
}

TEST_F(Outgoing, ASelectionIsPostedAllOrNothingFromTheChosenWarehouse)
{
    const qint64 other = Warehouses(base).add(QStringLiteral("Бар")).value();
    receive(1, 5, 30, kJune1);
    const qint64 a = document(kJune10, {take(1, 3)}, QStringLiteral("обед"));
    const qint64 b = document(kJune10, {take(1, 2)});

    EXPECT_EQ(selection.post({a, b}, other + 10).error(), QStringLiteral("Склад не идентифицирован!"));
    // Nothing of the product in the other warehouse.
    EXPECT_EQ(selection.post({a, b}, other).error(),
        QStringLiteral("Часть продуктов не хватает на складе!\nОсуществите замены (либо приход товара) и повторите "
                       "проводку"));
    prompter().expect(QStringLiteral("Провести накладную"), Answer::No);
    EXPECT_FALSE(selection.post({a, b}, store).value());
    EXPECT_FALSE(documents.header(a)->posted);

    prompter().expect(QStringLiteral("Провести накладную"), Answer::Yes);
    ASSERT_TRUE(selection.post({a, b}, store).value());
    EXPECT_TRUE(prompter().saw(QStringLiteral("Провести накладную для списания продуктов? \nСклад - Основной\nДата - "
                                              "10.06.2026\nПримечание - обед\nОтменить операцию невозможно.")));
    EXPECT_TRUE(prompter().saw(QStringLiteral("Выполнено!")));
    EXPECT_TRUE(documents.header(a)->posted);
    EXPECT_TRUE(documents.header(b)->posted);
    EXPECT_DOUBLE_EQ(lots.stock(1, store), 0);
    EXPECT_EQ(selection.post({a}, store).error(), QStringLiteral("Накладная уже проведена!"));
    EXPECT_EQ(selection.remove({a}).error(), QStringLiteral("Накладная уже проведена по складу, удалить невозможно!"));
    EXPECT_TRUE(prompter().unexpected().isEmpty());
    EXPECT_TRUE(checkStock(base)->empty());
}

TEST_F(Outgoing, WhenTheSecondDocumentCannotBeWrittenOffTheFirstStaysUnpostedToo)
{
    receive(1, 5, 30, kJune1);
    // The comparison at three decimals lets 5.0004 pass; the write-off itself is exact.
    const qint64 a = document(kJune10, {take(1, 3)});
    const qint64 b = document(kJune10, {take(1, 2.0004)});
    prompter().expect(QStringLiteral("Провести накладную"), Answer::Yes);
    const auto posted = selection.post({a, b}, store);
    ASSERT_FALSE(posted);
    EXPECT_TRUE(posted.error().contains(QStringLiteral("недостаточно на складе"))) << posted.error().toStdString();
    EXPECT_FALSE(documents.header(a)->posted);
    EXPECT_FALSE(documents.lines(a)->front().posted);
    EXPECT_DOUBLE_EQ(lots.stock(1, store), 5);
    EXPECT_FALSE(prompter().saw(QStringLiteral("Выполнено!")));
    EXPECT_TRUE(checkStock(base)->empty());
}

TEST_F(Outgoing, PricesAndDeletionOfASelectionAskFirst)
{
    receive(1, 5, 30, kJune1);
    const qint64 a = document(kJune10, {take(1, 2)});
    const qint64 b = document(kJune10, {take(1, 1)});
    prompter().expect(QStringLiteral("Обновить цены на продукты?"), Answer::Yes);
    ASSERT_TRUE(selection.updatePrices({a, b}).value());
    EXPECT_DOUBLE_EQ(documents.header(a)->sum, 60);
    EXPECT_DOUBLE_EQ(documents.header(b)->sum, 30);
    prompter().expect(QStringLiteral("Удалить накладную из базы?"), Answer::No);
    EXPECT_FALSE(selection.remove({a, b}).value());
    EXPECT_EQ(rows(QStringLiteral("Расход_Товара")), 2);
    prompter().expect(QStringLiteral("Удалить накладную из базы?"), Answer::Yes);
    ASSERT_TRUE(selection.remove({a, b}).value());
    EXPECT_EQ(rows(QStringLiteral("Расход_Товара")), 0);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM \"Накладные_Заголовки\" WHERE \"Документ\" = 2")).toInt(), 0);
    EXPECT_TRUE(prompter().unexpected().isEmpty());
}

} // namespace
