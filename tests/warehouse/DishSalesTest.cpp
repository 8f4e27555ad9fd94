#include "documents/DocumentTestSupport.h"
#include "warehouse/DishDocumentsFixture.h"

#include "warehouse/DishSaleDocument.h"
#include "warehouse/DishSales.h"
#include "warehouse/OutgoingDocuments.h"
#include "warehouse/StockCheck.h"

#include <QTemporaryDir>

using namespace kulvera;
using kulvera::test::DishDocumentsFixture;

namespace {

using Answer = Prompter::Answer;

class DishSalesTest : public DishDocumentsFixture
{
protected:
    DishSalesTest() { buyer = Counterparties(base).add(QStringLiteral("Школа № 5")).value(); }

    qint64 newInvoice(const QString &number)
    {
        bases.prompter().expect(QStringLiteral("Добавить новую накладную?"), Answer::Yes);
        const auto key = sales.add(number, QDate(2026, 6, 12), buyer);
        EXPECT_TRUE(key) << key.error().toStdString();
        return key ? *key : 0;
    }
    DishSaleLine dish(double portions, double price, const QString &name = kPuree.toString())
    {
        return {0, 0, name, 200, portions, price};
    }
    // Every lot as text, to tell that nothing moved.
    QStringList lotsNow()
    {
        SqlStatement s(base.database(),
            QStringLiteral("SELECT \"Код\", \"Код_Прод\", \"Брутто\", \"Дата\" FROM \"Склад\" ORDER BY \"Код\""));
        QStringList out;
        if (s.exec()) {
            while (s.next())
                out << s.value(0).toString() + u' ' + s.value(1).toString() + u' ' + s.value(2).toString();
        }
        return out;
    }

    DishSales sales {base};
    qint64 buyer = 0;
};

TEST_F(DishSalesTest, AnInvoiceSumsPriceTimesPortionsAndNeverTouchesStock)
{
    ASSERT_TRUE(invoices.receive(invoice(QStringLiteral("1")), {line(1, 2, 40), line(2, 1, 50)}));
    const QStringList before = lotsNow();
    const qint64 key = newInvoice(QStringLiteral("П-1"));
    ASSERT_NE(key, 0);

    const auto first = sales.addLine(key, *dishes, table, dish(12, 45.5));
    ASSERT_TRUE(first) << first.error().toStdString();
    const auto second = sales.addLine(key, *dishes, table, dish(3, 20));
    ASSERT_TRUE(second);
    EXPECT_DOUBLE_EQ(sales.header(key)->sum, 12 * 45.5 + 3 * 20);

    DishSaleLine changed = sales.lines(key)->front();
    EXPECT_EQ(changed.dish, kPuree.toString());
    EXPECT_DOUBLE_EQ(changed.output, 200);
    changed.portions = 10;
    ASSERT_TRUE(sales.updateLine(changed));
    EXPECT_DOUBLE_EQ(sales.header(key)->sum, 10 * 45.5 + 3 * 20);
    ASSERT_TRUE(sales.removeLine(*second));
    EXPECT_DOUBLE_EQ(sales.header(key)->sum, 455);

    // A posted kind 2 document of the buyer, without a warehouse or product lines.
    EXPECT_EQ(
        scalar(QStringLiteral("SELECT \"Документ\" FROM \"Накладные_Заголовки\" WHERE \"Код\" = ?"), {key}).toInt(), 2);
    EXPECT_EQ(scalar(QStringLiteral("SELECT \"Поставщик\" FROM \"Накладные_Заголовки\" WHERE \"Код\" = ?"), {key})
                  .toLongLong(),
        buyer);
    EXPECT_EQ(
        scalar(QStringLiteral("SELECT \"Проводка\" FROM \"Накладные_Заголовки\" WHERE \"Код\" = ?"), {key}).toInt(), 1);
    EXPECT_EQ(sales.header(key)->buyerName, QStringLiteral("Школа № 5"));
    EXPECT_EQ(rows(QStringLiteral("Расход_Товара")), 0);
    EXPECT_EQ(lotsNow(), before);
    const auto differences = checkStock(base);
    ASSERT_TRUE(differences);
    EXPECT_TRUE(differences->empty());

    // Write-offs are not sales.
    ASSERT_TRUE(OutgoingDocuments(base).create({QDate(2026, 6, 12), store, {}}, {{1, 0.5, {}}}));
    const auto listed = sales.list();
    ASSERT_TRUE(listed);
    ASSERT_EQ(listed->size(), 1u);
    EXPECT_EQ(listed->front().key, key);
}

TEST_F(DishSalesTest, DuplicateNumbersAskAndBadLinesChangeNothing)
{
    const qint64 key = newInvoice(QStringLiteral("П-7"));
    ASSERT_TRUE(sales.addLine(key, *dishes, table, dish(2, 30)));
    auto &prompter = bases.prompter();
    prompter.expect(QStringLiteral("Добавить новую накладную?"), Answer::Yes);
    prompter.expect(QStringLiteral("Накладная с таким номером уже существует! Продолжить?"), Answer::No);
    EXPECT_FALSE(sales.add(QStringLiteral("П-7"), QDate(2026, 6, 13), buyer));
    EXPECT_TRUE(prompter.scriptDone());
    EXPECT_EQ(sales.list()->size(), 1u);

    EXPECT_EQ(sales.addLine(key, *dishes, table, dish(1, 10, QStringLiteral("Нет такого"))).error(),
        QStringLiteral("Рецептура не найдена!"));
    EXPECT_FALSE(sales.addLine(key, *dishes, table, dish(-1, 10)));
    DishSaleLine negative = sales.lines(key)->front();
    negative.price = -5;
    EXPECT_FALSE(sales.updateLine(negative));
    EXPECT_EQ(sales.lines(key)->size(), 1u);
    EXPECT_DOUBLE_EQ(sales.header(key)->sum, 60);

    // The header gone under the form's feet.
    const DishSaleLine orphan = sales.lines(key)->front();
    ASSERT_TRUE(base.exec(QStringLiteral("DELETE FROM \"Накладные_Заголовки\" WHERE \"Код\" = ?"), {key}));
    EXPECT_EQ(sales.updateLine(orphan).error(), QStringLiteral("Не удалось найти накладную в списке!"));
    EXPECT_EQ(
        sales.addLine(key, *dishes, table, dish(1, 1)).error(), QStringLiteral("Не удалось найти накладную в списке!"));
    EXPECT_EQ(sales.setDate(key, QDate(2026, 6, 1)).error(), QStringLiteral("Не удалось найти накладную в списке!"));
}

} // namespace

namespace {

TEST_F(DishSalesTest, AnInvoiceIsPrintedWithItsDishesAndASumFormula)
{
    bases.settings().save(Section::User, QStringLiteral("Name_POP"), QStringLiteral("Столовая № 1"));
    const qint64 key = newInvoice(QStringLiteral("П-7"));
    ASSERT_TRUE(sales.addLine(key, *dishes, table, dish(12, 45.5)));
    ASSERT_TRUE(sales.addLine(key, *dishes, table, dish(3, 20)));
    QTemporaryDir dir;
    const auto printed = printDishSale(*sales.header(key), *sales.lines(key), dir.filePath(QStringLiteral("Шаблоны")),
        bases.settings(), dir.filePath(QStringLiteral("n.xlsx")), bases.prompter());
    ASSERT_TRUE(printed) << printed.error().toStdString();
    EXPECT_TRUE(printed->templateUsed.endsWith(QStringLiteral("nakl_di.xlsx")));
    const test::Sheet sheet = test::readSheet(printed->path);
    EXPECT_EQ(sheet.cell(QStringLiteral("A2")).toString(), QStringLiteral("Столовая № 1"));
    EXPECT_EQ(sheet.cell(QStringLiteral("A3")).toString(), QStringLiteral("Накладная № П-7 от 12.06.2026"));
    EXPECT_EQ(sheet.cell(QStringLiteral("A4")).toString(), QStringLiteral("Покупатель: Школа № 5"));
    EXPECT_EQ(sheet.cell(QStringLiteral("B6")).toString(), kPuree.toString());
    EXPECT_DOUBLE_EQ(sheet.cell(QStringLiteral("C6")).toDouble(), 12);
    EXPECT_DOUBLE_EQ(sheet.cell(QStringLiteral("F6")).toDouble(), 546);
    EXPECT_DOUBLE_EQ(sheet.cell(QStringLiteral("F7")).toDouble(), 60);
    EXPECT_EQ(sheet.cell(QStringLiteral("B8")).toString(), QStringLiteral("Итого"));
    EXPECT_EQ(sheet.cell(QStringLiteral("F8")).toString(), QStringLiteral("=SUM(F6:F7)"));
    EXPECT_EQ(sheet.format(QStringLiteral("F8")), QStringLiteral("0.00"));
}

} // namespace
