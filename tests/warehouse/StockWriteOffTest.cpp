#include "WarehouseFixture.h"

#include "warehouse/OutgoingDocuments.h"
#include "warehouse/StockCheck.h"
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

// Receipts, write-offs and deletions in a seeded random order: the lots always
// hold what the posted lines say, and a refused posting leaves no trace.
TEST_F(WriteOff, TheStockInvariantHoldsAfterThousandsOfRandomOperations)
{
    const qint64 second = Warehouses(base).add(QStringLiteral("Второй")).value();
    const qint64 stores[] = {store, second};
    bases.prompter().setDefaultAnswer(Prompter::Answer::Yes);
    std::mt19937 random(20260615);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const auto amount = [&] { return (1 + pick(20000)) / 1000.0; };
    std::vector<qint64> receipts;
    std::vector<qint64> drafts;
    int posted = 0;
    int refused = 0;
    for (int step = 0; step < 2000; ++step) {
        const QDate day = kJune1.addDays(pick(30));
        const qint64 w = stores[pick(2)];
        const int what = pick(10);
        if (what < 4) {
            NewInvoice i = invoice(QString::number(step), day);
            i.warehouse = w;
            std::vector<NewLine> ls {line(1 + pick(2), amount(), 1 + pick(100))};
            if (pick(2))
                ls.push_back(line(1 + pick(2), amount(), 1 + pick(100)));
            receipts.push_back(invoices.receive(i, ls).value());
        } else if (what < 8) {
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
        } else if (what == 8 && !receipts.empty()) {
            const size_t at = static_cast<size_t>(pick(static_cast<int>(receipts.size())));
            ASSERT_TRUE(invoices.deleteInvoice(receipts[at]));
            receipts.erase(receipts.begin() + static_cast<std::ptrdiff_t>(at));
        } else if (!drafts.empty()) {
            ASSERT_TRUE(documents.remove(drafts.back()));
            drafts.pop_back();
        }
    }
    EXPECT_GT(posted, 300);
    EXPECT_GT(refused, 100);
    const auto differences = checkStock(base).value();
    EXPECT_TRUE(differences.empty()) << differences.size() << " differ, first product " << differences[0].product;
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
