#include "WarehouseFixture.h"

#include "warehouse/OutgoingDocuments.h"
#include "warehouse/StockCheck.h"
#include "warehouse/StockMovements.h"
#include "warehouse/StockWriteOff.h"

#include <random>

using namespace kulvera;
using kulvera::test::WarehouseFixture;

namespace {

class WriteOff : public WarehouseFixture
{
protected:
    // One receipt of one line; returns its lot.
    qint64 receive(qint64 product, double quantity, double price, const QDate &date, qint64 into = 0)
    {
        NewInvoice i = invoice(QString::number(++number_), date);
        if (into)
            i.warehouse = into;
        const qint64 h = invoices.receive(i, {line(product, quantity, price)}).value();
        return invoices.lines(h)->front().lot;
    }
    QString trail(qint64 lot)
    {
        return scalar(
            QStringLiteral("SELECT \"Списание_Детали\" FROM \"Приход_Товара\" WHERE \"Код_на_Складе\" = ?"), {lot})
            .toString();
    }
    double held(qint64 lot) { return lots.find(lot) ? lots.find(lot)->brutto : -1; }

    StockWriteOff writeOff {base};
    OutgoingDocuments documents {base};
    int number_ = 0;
};

const QDate kJune1(2026, 6, 1);
const QDate kJune3(2026, 6, 3);
const QDate kJune10(2026, 6, 10);
const QDate kJune20(2026, 6, 20);

TEST_F(WriteOff, TheSumOfTwoLotsDeletesBothAndEachReceiptRecordsItsPart)
{
    const qint64 a = receive(1, 10, 30, kJune1);
    const qint64 b = receive(1, 5, 40, kJune3);
    ASSERT_TRUE(writeOff.prodMinus(1, 15, store, kJune10));
    EXPECT_FALSE(lots.find(a));
    EXPECT_FALSE(lots.find(b));
    EXPECT_EQ(scalar(QStringLiteral("SELECT \"Списание_Детали\" FROM \"Приход_Товара\" ORDER BY \"Код\"")).toString(),
        QStringLiteral("10.06.2026,10"));
    EXPECT_EQ(rows(QStringLiteral("Склад")), 0);
}

TEST_F(WriteOff, LessThanTheOldestLotLeavesTheRestThereAndTheTrailGrowsBySemicolons)
{
    const qint64 a = receive(1, 10, 30, kJune1);
    const qint64 b = receive(1, 5, 40, kJune3);
    const auto taken = writeOff.prodMinus(1, 2.5, store, kJune10);
    ASSERT_TRUE(taken);
    ASSERT_EQ(taken->size(), 1u);
    EXPECT_EQ(taken->front().lot, a);
    EXPECT_DOUBLE_EQ(held(a), 7.5);
    EXPECT_DOUBLE_EQ(held(b), 5);
    ASSERT_TRUE(writeOff.prodMinus(1, 1, store, kJune20));
    EXPECT_EQ(trail(a), QStringLiteral("10.06.2026,2,5;20.06.2026,1"));
    EXPECT_EQ(trail(b), QString());
}

TEST_F(WriteOff, LotsAfterTheDateAreNeverTakenAndAShortProductKeepsEveryLot)
{
    const qint64 early = receive(1, 5, 30, kJune1);
    const qint64 late = receive(1, 10, 40, kJune20);
    // Fifteen are in stock, but only five were there on the 10th.
    const auto refused = writeOff.prodMinus(1, 8, store, kJune10);
    ASSERT_FALSE(refused);
    EXPECT_TRUE(refused.error().contains(QStringLiteral("Продукта с кодом 1 недостаточно на складе!")))
        << refused.error().toStdString();
    EXPECT_TRUE(refused.error().contains(QStringLiteral("Не хватает: 3")));
    EXPECT_DOUBLE_EQ(held(early), 5);
    EXPECT_DOUBLE_EQ(held(late), 10);
    EXPECT_EQ(trail(early), QString());

    ASSERT_TRUE(writeOff.prodMinus(1, 5, store, kJune10));
    EXPECT_FALSE(lots.find(early));
    EXPECT_DOUBLE_EQ(held(late), 10);
}

TEST_F(WriteOff, AWarehouseLimitsTheLotsAndNoWarehouseTakesFromAll)
{
    const qint64 other = Warehouses(base).add(QStringLiteral("Второй")).value();
    const qint64 here = receive(2, 4, 10, kJune3);
    const qint64 there = receive(2, 4, 10, kJune1, other);
    ASSERT_FALSE(writeOff.prodMinus(2, 6, store, kJune10));
    ASSERT_TRUE(writeOff.prodMinus(2, 6, 0, kJune10));
    // The other warehouse's lot is older, so it goes first.
    EXPECT_FALSE(lots.find(there));
    EXPECT_DOUBLE_EQ(held(here), 2);
}

TEST_F(WriteOff, LotsThatAddUpToTheQuantityInDecimalsLeaveNoDustBehind)
{
    const qint64 a = receive(1, 0.1, 30, kJune1);
    const qint64 b = receive(1, 0.2, 30, kJune3);
    ASSERT_TRUE(writeOff.prodMinus(1, 0.3, store, kJune10));
    EXPECT_FALSE(lots.find(a));
    EXPECT_FALSE(lots.find(b)) << held(b);
}

TEST_F(WriteOff, APostingShortOfOneProductTakesNothingAndNamesEveryShortProduct)
{
    const qint64 potatoes = receive(1, 10, 30, kJune1);
    const qint64 carrots = receive(2, 1, 40, kJune1);
    const qint64 doc
        = documents.create({kJune10, store, {}}, {{1, 4, {}}, {2, 3, {}}, {3, 2, qint64(1)}, {2, 1.5, {}}}).value();
    const Status s = documents.post(doc);
    ASSERT_FALSE(s);
    // Carrots are asked for twice: the product is short by what both lines miss.
    EXPECT_TRUE(
        s.error().contains(QStringLiteral("Продукта с кодом 2 (Морковь) недостаточно на складе! Не хватает: 3,5")))
        << s.error().toStdString();
    EXPECT_TRUE(s.error().contains(QStringLiteral("Продукта с кодом 3 (Соль без единицы)")));
    EXPECT_FALSE(s.error().contains(QStringLiteral("Продукта с кодом 1")));
    EXPECT_DOUBLE_EQ(held(potatoes), 10);
    EXPECT_DOUBLE_EQ(held(carrots), 1);
    EXPECT_EQ(trail(potatoes), QString());
    EXPECT_FALSE(documents.header(doc)->posted);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM \"Расход_Товара\" WHERE \"Проводка\" <> 0")).toInt(), 0);
    EXPECT_TRUE(checkStock(base)->empty());
}

TEST_F(WriteOff, PostingPricesTheLinesAtTheDocumentDateThenTakesTheStockOnce)
{
    ASSERT_TRUE(Warehouses(base).setMarkup(store, QStringLiteral("5")));
    NewLine marked = line(1, 3, 100);
    marked.markupPercent = 10;
    invoices.receive(invoice(QStringLiteral("М-1"), kJune1), {marked}).value();
    receive(1, 10, 50, kJune3);
    const qint64 doc = documents.create({kJune10, store, QStringLiteral("обед")}, {{1, 2, {}}, {1, 2, {}}}).value();
    ASSERT_TRUE(documents.post(doc));
    const auto lines = documents.lines(doc).value();
    ASSERT_EQ(lines.size(), 2u);
    // The price of the oldest lot for both lines, though the second line is taken partly from the next lot.
    EXPECT_DOUBLE_EQ(lines[1].price, 115.5);
    EXPECT_DOUBLE_EQ(lines[1].value, 231);
    EXPECT_TRUE(lines[1].posted);
    EXPECT_DOUBLE_EQ(documents.header(doc)->sum, 462);
    EXPECT_TRUE(documents.header(doc)->posted);
    EXPECT_DOUBLE_EQ(lots.stock(1, store), 9);

    EXPECT_EQ(documents.post(doc).error(), QStringLiteral("Накладная уже проведена!"));
    EXPECT_EQ(documents.updatePrices(doc).error(), QStringLiteral("Накладная уже проведена!"));
    EXPECT_EQ(documents.remove(doc).error(), QStringLiteral("Накладная уже проведена по складу, удалить невозможно!"));
    EXPECT_DOUBLE_EQ(lots.stock(1, store), 9);
    EXPECT_TRUE(checkStock(base)->empty());
}

TEST_F(WriteOff, AnUnpostedDocumentIsDeletedWithItsLinesAndBadInputWritesNothing)
{
    const qint64 doc = documents.create({kJune10, store, {}}, {{1, 2, {}}, {2, 1, {}}}).value();
    ASSERT_TRUE(documents.remove(doc));
    EXPECT_EQ(rows(QStringLiteral("Расход_Товара")), 0);
    EXPECT_EQ(rows(QStringLiteral("Накладные_Заголовки")), 0);
    EXPECT_FALSE(documents.create({kJune10, store, {}}, {{1, 2, {}}, {1, -1, {}}}));
    EXPECT_FALSE(documents.create({kJune10, store, {}}, {{1, 2, {}}, {77, 1, {}}}));
    EXPECT_FALSE(documents.create({kJune10, store + 5, {}}, {{1, 2, {}}}));
    EXPECT_EQ(rows(QStringLiteral("Расход_Товара")), 0);
    EXPECT_EQ(rows(QStringLiteral("Накладные_Заголовки")), 0);
}

TEST_F(WriteOff, GrossMassesAboveTenRoundToTensWithHalvesToTheEvenTenButPostedLinesStay)
{
    receive(1, 100, 1, kJune1);
    const qint64 posted = documents.create({kJune10, store, {}}, {{1, 16, {}}}).value();
    ASSERT_TRUE(documents.post(posted));
    const qint64 doc
        = documents.create({kJune10, store, {}}, {{1, 5, {}}, {1, 16, {}}, {1, 15, {}}, {1, 25, {}}}).value();
    EXPECT_EQ(documents.roundGrossMasses().value(), 3);
    std::vector<double> masses;
    const auto lines = documents.lines(doc).value();
    for (const OutgoingLine &l : lines)
        masses.push_back(l.brutto);
    EXPECT_EQ(masses, (std::vector<double> {5, 20, 20, 20}));
    EXPECT_DOUBLE_EQ(documents.lines(posted)->front().brutto, 16);
    EXPECT_TRUE(checkStock(base)->empty());
}

// Receipts, write-offs, movements, acts and deletions in a seeded random
// order: the lots always hold what the posted lines say, no lot is left empty,
// and a refused posting leaves no trace.
TEST_F(WriteOff, TheStockInvariantHoldsAfterTenThousandRandomOperations)
{
    // Nothing here is about surviving a crash: commits need not reach the disk.
    if (!test::testOnServer()) {
        ASSERT_TRUE(base.exec(QStringLiteral("PRAGMA synchronous = OFF")));
    }
    const qint64 second = Warehouses(base).add(QStringLiteral("Второй")).value();
    const qint64 stores[] = {store, second};
    bases.prompter().setDefaultAnswer(Prompter::Answer::Yes);
    StockMovements movements(base);
    std::mt19937 random(20260615);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const auto amount = [&] { return (1 + pick(20000)) / 1000.0; };
    // Some lots of a warehouse received by the day (mostly), and a part or the whole of each.
    const QString lotsBy = QStringLiteral(" FROM \"Склад\" WHERE \"Код_Склада\" = ? AND \"Дата\" <= ?");
    SqlStatement count(base.database(), QStringLiteral("SELECT COUNT(*)") + lotsBy);
    SqlStatement nth(base.database(),
        QStringLiteral("SELECT \"Код\", \"Брутто\"") + lotsBy + QStringLiteral(" ORDER BY \"Код\" LIMIT 1 OFFSET ?"));
    const auto chooseLots = [&](qint64 w, const QDate &day) {
        std::vector<LotQuantity> rows;
        // One time in ten any lot, so some are refused for a later date.
        const QDateTime by(pick(10) == 0 ? day.addDays(30) : day, QTime(23, 59, 59));
        const int held = count.exec({w, by}) && count.next() ? count.value(0).toInt() : 0;
        count.finish();
        for (int n = 0; n < 1 + pick(3) && held > 0; ++n) {
            if (!nth.exec({w, by, pick(held)}) || !nth.next())
                break;
            const double brutto = nth.value(1).toDouble();
            rows.push_back({nth.value(0).toLongLong(), pick(3) == 0 ? brutto : brutto * (1 + pick(99)) / 100.0});
            nth.finish();
        }
        return rows;
    };
    std::vector<qint64> receipts;
    std::vector<qint64> drafts;
    int posted = 0;
    int refused = 0;
    int moved = 0;
    int acts = 0;
    for (int step = 0; step < 10000; ++step) {
        const QDate day = kJune1.addDays(pick(30));
        const int wi = pick(2);
        const qint64 w = stores[wi];
        const int what = pick(20);
        if (what < 7) {
            NewInvoice i = invoice(QString::number(step), day);
            i.warehouse = w;
            std::vector<NewLine> ls {line(1 + pick(2), amount(), 1 + pick(100))};
            if (pick(2))
                ls.push_back(line(1 + pick(2), amount(), 1 + pick(100)));
            receipts.push_back(invoices.receive(i, ls).value());
        } else if (what < 13) {
            std::vector<NewOutgoingLine> ls {{1 + pick(2), amount(), {}}};
            if (pick(2))
                ls.push_back({1 + pick(2), amount(), {}});
            const qint64 doc = documents.create({day, w, {}}, ls).value();
            const double before = lots.stock(1, w) + lots.stock(2, w);
            if (documents.post(doc)) {
                ++posted;
            } else {
                ++refused;
                ASSERT_DOUBLE_EQ(lots.stock(1, w) + lots.stock(2, w), before);
                drafts.push_back(doc);
            }
        } else if (what < 16) {
            // Lots dated after the day are refused whole, like any other refusal.
            const auto keys = movements.move({day, {}, w, stores[1 - wi], {}, chooseLots(w, day)});
            if (keys) {
                ++moved;
                // Now and then the movement's receipt is deleted like any invoice.
                if (pick(4) == 0)
                    receipts.push_back(keys->receipt);
            }
        } else if (what < 17) {
            acts += movements.writeOffAct({day, {}, w, {}, chooseLots(w, day)}) ? 1 : 0;
        } else if (what < 19 && !receipts.empty()) {
            const size_t at = static_cast<size_t>(pick(static_cast<int>(receipts.size())));
            ASSERT_TRUE(invoices.deleteInvoice(receipts[at]));
            receipts.erase(receipts.begin() + static_cast<std::ptrdiff_t>(at));
        } else if (!drafts.empty()) {
            ASSERT_TRUE(documents.remove(drafts.back()));
            drafts.pop_back();
        }
    }
    EXPECT_GT(posted, 1000);
    EXPECT_GT(refused, 300);
    EXPECT_GT(moved, 800);
    EXPECT_GT(acts, 300);
    const auto differences = checkStock(base).value();
    EXPECT_TRUE(differences.empty()) << differences.size() << " differ, first product " << differences[0].product
                                     << " in " << differences[0].warehouse << ": lots " << differences[0].lots
                                     << ", lines " << differences[0].lines;
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM \"Склад\" WHERE \"Брутто\" <= 0")).toInt(), 0);
}

TEST_F(WriteOff, AReceiptWhoseLotWasWrittenOffWhollyStaysWhenItsInvoiceIsDeleted)
{
    bases.prompter().setDefaultAnswer(Prompter::Answer::Yes);
    const qint64 h = invoices.receive(invoice(QStringLiteral("7"), kJune1), {line(1, 5, 30), line(2, 5, 30)}).value();
    ASSERT_TRUE(documents.post(documents.create({kJune10, store, {}}, {{1, 5, {}}}).value()));
    const auto outcome = invoices.deleteInvoice(h).value();
    EXPECT_EQ(outcome.deletedLines, 1);
    EXPECT_EQ(outcome.keptLines, 1);
    EXPECT_FALSE(outcome.headerDeleted);
    EXPECT_FALSE(invoices.deleteLine(invoices.lines(h)->front().key));
    EXPECT_TRUE(checkStock(base)->empty());
}

TEST_F(WriteOff, TheCheckReportsALotChangedBehindTheLinesBack)
{
    const qint64 lot = receive(1, 10, 30, kJune1);
    EXPECT_TRUE(checkStock(base)->empty());
    ASSERT_TRUE(base.exec(QStringLiteral("UPDATE \"Склад\" SET \"Брутто\" = 9 WHERE \"Код\" = ?"), {lot}));
    const auto differences = checkStock(base).value();
    ASSERT_EQ(differences.size(), 1u);
    EXPECT_EQ(differences[0].product, 1);
    EXPECT_EQ(differences[0].warehouse, store);
    EXPECT_DOUBLE_EQ(differences[0].lots, 9);
    EXPECT_DOUBLE_EQ(differences[0].lines, 10);
}

} // namespace
