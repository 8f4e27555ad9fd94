#include "WarehouseFixture.h"

#include "shell/SqlDialect.h"
#include "warehouse/OutgoingDocuments.h"
#include "warehouse/StockCheck.h"
#include "warehouse/StockMovements.h"
#include "warehouse/StockQueries.h"

using namespace kulvera;
using kulvera::test::WarehouseFixture;

namespace {

const QDate kJune1(2026, 6, 1);
const QDate kJune3(2026, 6, 3);
const QDate kJune10(2026, 6, 10);

class Movements : public WarehouseFixture
{
protected:
    Movements()
    {
        second = Warehouses(base).add(QStringLiteral("Бар")).value();
        otherSupplier = Counterparties(base).add(QStringLiteral("ИП Молоко")).value();
    }
    // One receipt of one line into a warehouse; returns its lot.
    qint64 receive(qint64 product, double quantity, const QDate &date, qint64 into, qint64 unit = 1, qint64 from = 0)
    {
        NewInvoice i = invoice(QString::number(++number_), date);
        i.warehouse = into;
        if (from)
            i.supplier = from;
        NewLine l = line(product, quantity, 10);
        l.unit = unit;
        return invoices.lines(invoices.receive(i, {l}).value())->front().lot;
    }
    double held(qint64 lot) { return lots.find(lot) ? lots.find(lot)->brutto : -1; }
    QVariantList row(const QString &sql, const QVariantList &values, int columns)
    {
        SqlStatement s(base.database(), sql);
        QVariantList out;
        if (s.exec(values) && s.next()) {
            for (int c = 0; c < columns; ++c)
                out << s.value(c);
        }
        return out;
    }
    int count(const QString &table) { return rows(table); }

    StockMovements movements {base};
    qint64 second = 0;
    qint64 otherSupplier = 0;
    int number_ = 0;
};

TEST_F(Movements, AMovementMergesIntoTheTargetsFirstLotWhichKeepsItsDateSupplierAndUnit)
{
    const qint64 source = receive(1, 10, kJune1, store);
    // The bar's first potato lot: another supplier, another date, entered in boxes.
    const qint64 barFirst = receive(1, 2, kJune3, second, 3, otherSupplier);
    const qint64 barSecond = receive(1, 1, kJune3, second);
    const auto keys
        = movements.move({kJune10, QStringLiteral("П-1"), store, second, QStringLiteral("в бар"), {{source, 4}}});
    ASSERT_TRUE(keys) << keys.error().toStdString();
    EXPECT_DOUBLE_EQ(held(source), 6);
    const Lot merged = lots.find(barFirst).value();
    EXPECT_DOUBLE_EQ(merged.brutto, 20 + 4); // 2 boxes of 10 kg, plus 4 kg
    EXPECT_EQ(merged.date, kJune3);
    EXPECT_EQ(merged.supplier, otherSupplier);
    EXPECT_EQ(merged.unit, 3);
    EXPECT_DOUBLE_EQ(held(barSecond), 1);

    // Two posted headers without a supplier: the receipt in the bar, the issue in the store.
    const QString header
        = QStringLiteral("SELECT \"Документ\", \"Поставщик\", \"Код_Склада\", \"Проводка\", \"Номер\", "
                         "\"Примечание\", \"Дата\" FROM \"Накладные_Заголовки\" WHERE \"Код\" = ?");
    const QVariantList receipt = row(header, {keys->receipt}, 7);
    EXPECT_EQ(receipt.mid(0, 5), (QVariantList {1, -1, second, 1, QStringLiteral("П-1")}));
    const QVariantList issue = row(header, {keys->issue}, 7);
    EXPECT_EQ(issue.mid(0, 6),
        (QVariantList {2, -1, store, 1, QStringLiteral("П-1"), QStringLiteral("[внут.перемещ.] в бар")}));
    EXPECT_EQ(storedDate(issue[6]), kJune10);

    const QVariantList in
        = row(QStringLiteral("SELECT \"Код_Склада\", \"Код_на_Складе\", \"Брутто\", \"Нетто\", \"Цена\", "
                             "\"Код_опер\", \"Проводка\", \"Код_Поставщика\", \"Номер_Накл\" FROM "
                             "\"Приход_Товара\" WHERE \"Код_Накл\" = ?"),
            {keys->receipt}, 9);
    EXPECT_EQ(in, (QVariantList {second, barFirst, 4.0, 4.0, 0.0, 1, 1, supplier, QStringLiteral("П-1")}));
    const QVariantList out
        = row(QStringLiteral("SELECT \"Код_Склада\", \"Код_на_Складе\", \"Брутто\", \"Нетто\", \"Цена\", "
                             "\"Код_опер\", \"Проводка\", \"Код_Поставщика\" FROM \"Расход_Товара\" "
                             "WHERE \"Код_Накл\" = ?"),
            {keys->issue}, 8);
    EXPECT_EQ(out, (QVariantList {store, source, 4.0, 4.0, 0.0, 1, 1, supplier}));

    // Each warehouse's balance follows the movement, and the lots agree with the lines.
    StockQueries queries(base);
    EXPECT_DOUBLE_EQ(queries.balanceAtDate(1, store, QStringLiteral("10.06.2026")), 6);
    EXPECT_DOUBLE_EQ(queries.balanceAtDate(1, second, QStringLiteral("10.06.2026")), 25);
    EXPECT_DOUBLE_EQ(queries.balanceAtDate(1, second, QStringLiteral("09.06.2026")), 21);
    EXPECT_TRUE(checkStock(base)->empty());
}

TEST_F(Movements, AWholeLotMovedDeletesTheSourceAndMakesATargetLotOwnedByTheMovementsReceipt)
{
    const qint64 source = receive(2, 5000, kJune1, store, 2); // 5 kg entered in grams
    bases.settings().save(Section::Calc, QStringLiteral("sStTextMovInt"), QStringLiteral("[перемещение] "));
    const auto keys = movements.move({kJune10, {}, store, second, {}, {{source, 5}}});
    ASSERT_TRUE(keys) << keys.error().toStdString();
    EXPECT_FALSE(lots.find(source));
    const auto bar = lots.list({second, std::nullopt}).value();
    ASSERT_EQ(bar.size(), 1u);
    const Lot &made = bar.front().lot;
    EXPECT_DOUBLE_EQ(made.brutto, 5);
    EXPECT_EQ(made.date, kJune10);
    EXPECT_EQ(made.supplier, supplier);
    EXPECT_EQ(made.unit, 2);
    EXPECT_EQ(made.header, keys->receipt);
    const qint64 line
        = scalar(QStringLiteral("SELECT \"Код\" FROM \"Приход_Товара\" WHERE \"Код_Накл\" = ?"), {keys->receipt})
              .toLongLong();
    EXPECT_EQ(made.incomingLine, line);
    EXPECT_EQ(
        scalar(QStringLiteral("SELECT \"Примечание\" FROM \"Накладные_Заголовки\" WHERE \"Код\" = ?"), {keys->issue})
            .toString(),
        QStringLiteral("[перемещение] "));
    // The source receipt records what left its lot, so deleting its invoice keeps the line.
    EXPECT_EQ(scalar(QStringLiteral("SELECT \"Списание_Детали\" FROM \"Приход_Товара\" WHERE \"Код_на_Складе\" = ?"),
                  {source})
                  .toString(),
        QStringLiteral("10.06.2026,5"));
    bases.prompter().setDefaultAnswer(Prompter::Answer::Yes);
    const qint64 sourceInvoice
        = scalar(QStringLiteral("SELECT MIN(\"Код\") FROM \"Накладные_Заголовки\"")).toLongLong();
    EXPECT_EQ(invoices.deleteInvoice(sourceInvoice)->keptLines, 1);
    EXPECT_TRUE(checkStock(base)->empty());
}

TEST_F(Movements, RefusedMovementsWriteNothing)
{
    const qint64 a = receive(1, 10, kJune1, store);
    const qint64 late = receive(2, 10, QDate(2026, 6, 12), store);
    const qint64 elsewhere = receive(1, 3, kJune1, second);
    const QList<std::pair<Movement, QString>> cases = {
        {{kJune10, {}, store, store, {}, {{a, 1}}}, QStringLiteral("Нельзя перемещать продукты внутри одного склада")},
        {{kJune10, {}, store, second, {}, {}}, QStringLiteral("Нет данных для сохранения!")},
        {{kJune10, {}, store, second, {}, {{a, 10.5}}},
            QStringLiteral("Масса не может быть больше имеющегося количества!")},
        // One lot named twice gives no more than it holds.
        {{kJune10, {}, store, second, {}, {{a, 6}, {a, 6}}},
            QStringLiteral("Масса не может быть больше имеющегося количества!")},
        {{kJune10, {}, store, second, {}, {{a, 1}, {elsewhere, 1}}}, QStringLiteral("Партия не найдена на складе")},
        {{kJune10, {}, store, second, {}, {{a, 1}, {late, 1}}}, QStringLiteral("позже даты документа")},
        {{kJune10, {}, store, second, {}, {{a, 0}}}, QStringLiteral("больше нуля")},
        {{kJune10, {}, store, second + 7, {}, {{a, 1}}}, QStringLiteral("Склад не идентифицирован!")},
    };
    for (const auto &[movement, message] : cases) {
        const auto refused = movements.move(movement);
        ASSERT_FALSE(refused);
        EXPECT_TRUE(refused.error().contains(message)) << refused.error().toStdString();
    }
    EXPECT_DOUBLE_EQ(held(a), 10);
    EXPECT_EQ(count(QStringLiteral("Накладные_Заголовки")), 3);
    EXPECT_EQ(count(QStringLiteral("Приход_Товара")), 3);
    EXPECT_EQ(count(QStringLiteral("Расход_Товара")), 0);
    EXPECT_EQ(count(QStringLiteral("Склад")), 3);
}

TEST_F(Movements, AnActWritesOffChosenLotsAtPriceZeroInTheLotsWarehouse)
{
    const qint64 a = receive(1, 10, kJune1, store);
    const qint64 b = receive(2, 4, kJune3, store);
    receive(1, 1, kJune1, second);
    const auto act = movements.writeOffAct({kJune10, QStringLiteral("А-1"), store, {}, {{a, 2.5}, {b, 4}}});
    ASSERT_TRUE(act) << act.error().toStdString();
    EXPECT_DOUBLE_EQ(held(a), 7.5);
    EXPECT_FALSE(lots.find(b));
    OutgoingDocuments documents(base);
    const auto header = documents.header(*act).value();
    EXPECT_EQ(header.kind, 3);
    EXPECT_TRUE(header.posted);
    EXPECT_EQ(header.number, QStringLiteral("А-1"));
    EXPECT_EQ(header.note, QStringLiteral("[акт списания]"));
    EXPECT_EQ(
        scalar(QStringLiteral("SELECT \"Поставщик\" FROM \"Накладные_Заголовки\" WHERE \"Код\" = ?"), {*act}), -1);
    const auto lines = documents.lines(*act).value();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].warehouse, store);
    EXPECT_DOUBLE_EQ(lines[0].brutto, 2.5);
    EXPECT_DOUBLE_EQ(lines[0].netto, 2.5);
    EXPECT_DOUBLE_EQ(lines[0].price, 0);
    EXPECT_TRUE(lines[1].posted);
    EXPECT_EQ(
        scalar(QStringLiteral("SELECT \"Код_на_Складе\" FROM \"Расход_Товара\" WHERE \"Код\" = ?"), {lines[1].key}), b);
    EXPECT_EQ(documents.remove(*act).error(), QStringLiteral("Накладная уже проведена по складу, удалить невозможно!"));
    EXPECT_TRUE(checkStock(base)->empty());

    const auto typed = movements.writeOffAct({kJune10, {}, store, QStringLiteral("порча"), {{a, 7.5}}});
    ASSERT_TRUE(typed);
    EXPECT_EQ(documents.header(*typed)->note, QStringLiteral("порча"));
    EXPECT_FALSE(lots.find(a));
    EXPECT_FALSE(movements.writeOffAct({kJune10, {}, store, {}, {}}));
    EXPECT_TRUE(checkStock(base)->empty());
}

TEST_F(Movements, OldestFirstChoosesLotsUpToTheDateAndNamesEveryShortProduct)
{
    const qint64 old = receive(1, 3, kJune1, store);
    const qint64 next = receive(1, 5, kJune3, store);
    receive(1, 50, QDate(2026, 6, 20), store);
    receive(2, 1, kJune1, store);
    const auto rows = movements.oldestFirst({{1, 4}, {1, 1}}, store, kJune10).value();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].lot, old);
    EXPECT_DOUBLE_EQ(rows[0].quantity, 3);
    EXPECT_EQ(rows[1].lot, next);
    EXPECT_DOUBLE_EQ(rows[1].quantity, 2);
    const auto refused = movements.oldestFirst({{1, 9}, {2, 1.5}}, store, kJune10);
    ASSERT_FALSE(refused);
    EXPECT_TRUE(refused.error().contains(QStringLiteral("Продукта с кодом 1 недостаточно на складе! Не хватает: 1")));
    EXPECT_TRUE(refused.error().contains(QStringLiteral("Продукта с кодом 2 недостаточно на складе! Не хватает: 0,5")));
}

// Given by product, a movement or act takes the lots the same choice picks, inside its posting;
// a short product refuses it whole, and lots chosen by hand do not mix with products.
TEST_F(Movements, PostingsByProductTakeTheOldestLotsOrNothing)
{
    const qint64 old = receive(1, 3, kJune1, store);
    const qint64 next = receive(1, 5, kJune3, store);
    receive(1, 50, QDate(2026, 6, 20), store);
    const auto moved = movements.move({kJune10, {}, store, second, {}, {}, {{1, 4}}});
    ASSERT_TRUE(moved) << moved.error().toStdString();
    EXPECT_FALSE(lots.find(old));
    EXPECT_DOUBLE_EQ(held(next), 4);
    const int headers = rows(QStringLiteral("Накладные_Заголовки"));
    const auto short_ = movements.writeOffAct({kJune10, {}, store, {}, {}, {{1, 3}, {2, 1}}});
    ASSERT_FALSE(short_);
    EXPECT_TRUE(short_.error().contains(QStringLiteral("Продукта с кодом 2 недостаточно на складе! Не хватает: 1")))
        << short_.error().toStdString();
    EXPECT_FALSE(movements.writeOffAct({kJune10, {}, store, {}, {{next, 1}}, {{1, 1}}}));
    EXPECT_EQ(rows(QStringLiteral("Накладные_Заголовки")), headers);
    EXPECT_DOUBLE_EQ(held(next), 4);
    const auto act = movements.writeOffAct({kJune10, {}, store, {}, {}, {{1, 4}}});
    ASSERT_TRUE(act) << act.error().toStdString();
    EXPECT_FALSE(lots.find(next));
    EXPECT_TRUE(checkStock(base)->empty());
}

} // namespace
