#include "WarehouseFixture.h"

#include "documents/DocumentTestSupport.h"
#include "shell/SettingsStore.h"
#include "warehouse/OutgoingDocuments.h"
#include "warehouse/ProductBook.h"
#include "warehouse/StockCheck.h"
#include "warehouse/StockList.h"
#include "warehouse/StockReconciliation.h"
#include "warehouse/StockTurnover.h"
#include "warehouse/TurnoverDocuments.h"

#include <QTemporaryDir>

using namespace kulvera;
using kulvera::test::WarehouseFixture;

namespace {

class StockReports : public WarehouseFixture
{
protected:
    // A receipt of one line; returns its lot.
    qint64 receive(qint64 product, double quantity, double price, const QDate &date, double markup = 0,
        std::optional<qint64> unit = {})
    {
        NewLine l = line(product, quantity, price);
        l.markupPercent = markup;
        l.unit = unit;
        const qint64 h = invoices.receive(invoice(QString::number(++number_), date), {l}).value();
        return invoices.lines(h)->front().lot;
    }
    void writeOff(qint64 product, double quantity, const QDate &date)
    {
        OutgoingDocuments documents(base);
        const auto key = documents.create({date, store, {}}, {{product, quantity, {}}});
        ASSERT_TRUE(key) << key.error().toStdString();
        ASSERT_TRUE(documents.post(*key));
    }
    void expectStockAddsUp()
    {
        const auto differences = checkStock(base);
        ASSERT_TRUE(differences);
        EXPECT_TRUE(differences->empty()) << differences->size() << " differences";
    }
    // A movement line as the movement documents write it: Код_опер = 1.
    void movementLine(const QString &table, qint64 product, double quantity, const QDate &date)
    {
        ASSERT_TRUE(base.exec(QStringLiteral("INSERT INTO \"") + table
                + QStringLiteral("\" (\"Код_Прод\", \"Код_Склада\", \"Брутто\", \"Дата\", \"Код_опер\", \"Проводка\") "
                                 "VALUES (?, ?, ?, ?, 1, 1)"),
            {product, store, quantity, date}));
    }
    const TurnoverRow &rowOf(const std::vector<TurnoverRow> &rows, qint64 product)
    {
        const auto it
            = std::find_if(rows.begin(), rows.end(), [&](const TurnoverRow &r) { return r.product == product; });
        EXPECT_NE(it, rows.end());
        return *it;
    }

    int number_ = 0;
};

TEST_F(StockReports, AReconciliationReceivesSurplusesWritesOffShortagesAndTheStockStillAddsUp)
{
    const qint64 potatoes = receive(1, 10, 20, QDate(2026, 6, 1), 10);
    // 3000 g of carrots at 0.05 a gram: the lot holds 3 kg.
    const qint64 carrots = receive(2, 3000, 0.05, QDate(2026, 6, 2), 0, 2);
    const int headersBefore = rows(QStringLiteral("Накладные_Заголовки"));

    const auto done = StockReconciliation(base).reconcile(store, {{potatoes, 12}, {carrots, 2500}});
    ASSERT_TRUE(done) << done.error().toStdString();
    EXPECT_EQ(done->surpluses, 1);
    EXPECT_EQ(done->shortages, 1);
    EXPECT_EQ(rows(QStringLiteral("Накладные_Заголовки")), headersBefore + 2);
    for (const qint64 h : {done->incomingHeader, done->outgoingHeader}) {
        EXPECT_EQ(scalar(QStringLiteral("SELECT \"Номер\" FROM \"Накладные_Заголовки\" WHERE \"Код\" = ?"), {h}),
            QStringLiteral("б/н"));
        EXPECT_EQ(scalar(QStringLiteral("SELECT \"Примечание\" FROM \"Накладные_Заголовки\" WHERE \"Код\" = ?"), {h}),
            QStringLiteral("Акт сверки"));
        EXPECT_EQ(scalar(QStringLiteral("SELECT \"Проводка\" FROM \"Накладные_Заголовки\" WHERE \"Код\" = ?"), {h}), 1);
    }
    EXPECT_EQ(scalar(QStringLiteral("SELECT \"Документ\" FROM \"Накладные_Заголовки\" WHERE \"Код\" = ?"),
                  {done->incomingHeader}),
        1);
    EXPECT_EQ(scalar(QStringLiteral("SELECT \"Документ\" FROM \"Накладные_Заголовки\" WHERE \"Код\" = ?"),
                  {done->outgoingHeader}),
        2);

    // The surplus: a new lot of 2 kg today, received at the lot's price and markup.
    const qint64 newLot
        = scalar(QStringLiteral("SELECT \"Код_на_Складе\" FROM \"Приход_Товара\" WHERE \"Код_Накл\" = ?"),
            {done->incomingHeader})
              .toLongLong();
    const auto lot = lots.find(newLot);
    ASSERT_TRUE(lot);
    EXPECT_DOUBLE_EQ(lot->brutto, 2);
    EXPECT_EQ(lot->date, clock.now().date());
    EXPECT_EQ(lot->supplier, supplier);
    EXPECT_EQ(lot->unit, 1);
    EXPECT_TRUE(lot->posted);
    EXPECT_DOUBLE_EQ(scalar(QStringLiteral("SELECT \"Наценка\" FROM \"Приход_Товара\" WHERE \"Код_Накл\" = ?"),
                         {done->incomingHeader})
                         .toDouble(),
        10);
    EXPECT_DOUBLE_EQ(done->incomingSum, 44); // 2 × 20 + 10 %
    EXPECT_DOUBLE_EQ(scalar(QStringLiteral("SELECT \"Сумма\" FROM \"Накладные_Заголовки\" WHERE \"Код\" = ?"),
                         {done->incomingHeader})
                         .toDouble(),
        44);

    // The shortage: taken from that very lot, recorded in the base unit.
    EXPECT_DOUBLE_EQ(lots.find(carrots)->brutto, 2.5);
    SqlStatement out(base.database(),
        QStringLiteral("SELECT \"Название_рецептуры\", \"Выход\", \"Количество_Пор\", \"Брутто\", \"Код_на_Складе\", "
                       "\"Код_Поставщика\", \"Цена\", \"Проводка\" FROM \"Расход_Товара\" WHERE \"Код_Накл\" = ?"));
    ASSERT_TRUE(out.exec({done->outgoingHeader}) && out.next());
    EXPECT_EQ(out.value(0).toString(), QStringLiteral("акт сверки от 15.06.2026"));
    EXPECT_EQ(out.value(1).toDouble(), -1);
    EXPECT_EQ(out.value(2).toDouble(), 1);
    EXPECT_DOUBLE_EQ(out.value(3).toDouble(), 0.5);
    EXPECT_EQ(out.value(4).toLongLong(), carrots);
    EXPECT_EQ(out.value(5).toLongLong(), 0);
    EXPECT_DOUBLE_EQ(out.value(6).toDouble(), 0.05);
    EXPECT_EQ(out.value(7).toInt(), 1);
    EXPECT_DOUBLE_EQ(done->outgoingSum, 25); // 500 g × 0.05
    expectStockAddsUp();
}

TEST_F(StockReports, ALotCountedAtZeroIsGoneAndTheSettingsNameTheDocuments)
{
    bases.settings().save(Section::Data, QStringLiteral("sDefNaklNameByCompare"), QStringLiteral("С-1"));
    bases.settings().save(Section::Data, QStringLiteral("sDefNaklPrimByCompare"), QStringLiteral("Инвентаризация"));
    const qint64 lot = receive(1, 4, 10, QDate(2026, 6, 1));
    const qint64 kept = receive(2, 1, 10, QDate(2026, 6, 1));
    const auto done = StockReconciliation(base).reconcile(store, {{lot, 0}, {kept, 1}});
    ASSERT_TRUE(done) << done.error().toStdString();
    EXPECT_FALSE(lots.find(lot));
    EXPECT_EQ(done->shortages, 1);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM \"Накладные_Заголовки\" WHERE \"Номер\" = 'С-1' AND "
                                    "\"Примечание\" = 'Инвентаризация'")),
        2);
    EXPECT_DOUBLE_EQ(lots.find(kept)->brutto, 1);
    expectStockAddsUp();

    // The receipt of the lot counted away is history now: deleting its invoice keeps that line.
    bases.prompter().setDefaultAnswer(Prompter::Answer::Yes);
    const qint64 header
        = scalar(QStringLiteral("SELECT \"Код_Накл\" FROM \"Приход_Товара\" WHERE \"Код_на_Складе\" = ?"), {lot})
              .toLongLong();
    ASSERT_TRUE(invoices.deleteInvoice(header));
    EXPECT_EQ(
        scalar(QStringLiteral("SELECT COUNT(*) FROM \"Приход_Товара\" WHERE \"Код_Накл\" = ?"), {header}).toInt(), 1);
    expectStockAddsUp();
}

TEST_F(StockReports, ABadCountChangesNothing)
{
    const qint64 lot = receive(1, 4, 10, QDate(2026, 6, 1));
    const qint64 other = Warehouses(base).add(QStringLiteral("Второй")).value();
    NewInvoice elsewhere = invoice(QStringLiteral("77"));
    elsewhere.warehouse = other;
    const qint64 h = invoices.receive(elsewhere, {line(2, 5, 1)}).value();
    const qint64 otherLot = invoices.lines(h)->front().lot;
    const int headers = rows(QStringLiteral("Накладные_Заголовки"));
    StockReconciliation reconciliation(base);
    // The good count first: it must not be written when a later one is refused.
    EXPECT_FALSE(reconciliation.reconcile(store, {{lot, 6}, {lot + 1000, 1}}));
    EXPECT_FALSE(reconciliation.reconcile(store, {{lot, 6}, {otherLot, 1}}));
    EXPECT_FALSE(reconciliation.reconcile(store, {{lot, -1}}));
    EXPECT_FALSE(reconciliation.reconcile(store, {{lot, std::nan("")}}));
    // Nothing differs: no empty documents.
    EXPECT_FALSE(reconciliation.reconcile(store, {{lot, 4}}));
    EXPECT_EQ(rows(QStringLiteral("Накладные_Заголовки")), headers);
    EXPECT_EQ(rows(QStringLiteral("Склад")), 2);
    EXPECT_DOUBLE_EQ(lots.find(lot)->brutto, 4);
}

TEST_F(StockReports, TheStockListShowsEveryLotWithItsReceiptAndPlaceAndTotalsItsValue)
{
    Warehouses warehouses(base);
    const qint64 shelf = warehouses.addPlace(store, QStringLiteral("Стеллаж 1")).value();
    const qint64 other = warehouses.add(QStringLiteral("Второй")).value();
    const qint64 foreignShelf = warehouses.addPlace(other, QStringLiteral("Чужой")).value();
    const qint64 a = receive(1, 10, 20, QDate(2026, 6, 3), 10);
    receive(1, 2, 30, QDate(2026, 6, 1));
    receive(2, 5, 3, QDate(2026, 6, 2), 0, 3); // 5 boxes: 50 kg
    StockList list(base);
    EXPECT_TRUE(list.setPlace(a, shelf));
    EXPECT_FALSE(list.setPlace(a, foreignShelf));
    EXPECT_FALSE(list.setPlace(a + 1000, shelf));

    const auto rows = list.lots(store);
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->size(), 3u);
    // By name, then oldest first.
    EXPECT_EQ((*rows)[0].date, QDate(2026, 6, 1));
    const StockListLot &first = (*rows)[1];
    EXPECT_EQ(first.lot, a);
    EXPECT_EQ(first.placeName, QStringLiteral("Стеллаж 1"));
    EXPECT_EQ(first.supplierName, QStringLiteral("ООО Овощи"));
    EXPECT_DOUBLE_EQ(first.priceWithMarkup(), 22);
    EXPECT_EQ((*rows)[2].unitPref, QStringLiteral("ящ"));
    EXPECT_DOUBLE_EQ((*rows)[2].quantity(), 5);
    // 10 × 22 + 2 × 30 + 5 boxes × 3
    EXPECT_DOUBLE_EQ(stockValue(*rows), 295);
    EXPECT_EQ(stockListHeading(QStringLiteral("Основной"), stockValue(*rows)),
        QStringLiteral("Остатки продуктов 'Основной', итого: 295,00 руб."));
    EXPECT_TRUE(list.setPlace(a, 0));
    EXPECT_TRUE(list.lots(store)->at(1).placeName.isEmpty());

    const auto totals = list.totals(store);
    ASSERT_TRUE(totals);
    ASSERT_EQ(totals->size(), 2u);
    EXPECT_DOUBLE_EQ((*totals)[0].brutto, 12);
    EXPECT_DOUBLE_EQ((*totals)[1].brutto, 50);
}

TEST_F(StockReports, TurnoverBalancesAreTakenBeforeTheFirstDayAndAtTheEndOfTheLast)
{
    receive(1, 10, 20, QDate(2026, 6, 1)); // before the period
    receive(1, 5, 20, QDate(2026, 6, 3)); // on its first day: receipt, not opening balance
    writeOff(1, 4, QDate(2026, 6, 7)); // on its last day
    receive(1, 7, 20, QDate(2026, 6, 8)); // the day after
    receive(2, 1, 5, QDate(2026, 6, 5));
    const TurnoverFilter period {QDate(2026, 6, 3), QDate(2026, 6, 7), store, true};
    const auto rows = stockTurnover(base, period);
    ASSERT_TRUE(rows) << rows.error().toStdString();
    ASSERT_EQ(rows->size(), 2u);
    const TurnoverRow &p = (*rows)[0];
    EXPECT_EQ(p.number, 1);
    EXPECT_EQ(p.name, QStringLiteral("Картофель"));
    EXPECT_EQ(p.unit, QStringLiteral("кг"));
    EXPECT_DOUBLE_EQ(p.start, 10);
    EXPECT_DOUBLE_EQ(p.incoming, 5);
    EXPECT_DOUBLE_EQ(p.outgoing, 4);
    EXPECT_DOUBLE_EQ(p.finish, 11);
    EXPECT_DOUBLE_EQ(p.current, 18);
    for (const TurnoverRow &r : *rows)
        EXPECT_NEAR(r.start + r.incoming - r.outgoing, r.finish, 1e-9) << r.name.toStdString();
    EXPECT_EQ((*rows)[1].number, 2);
    EXPECT_DOUBLE_EQ((*rows)[1].start, 0);
    EXPECT_DOUBLE_EQ((*rows)[1].incoming, 1);

    // Consecutive periods chain: one's closing balance is the next one's opening.
    const auto next = stockTurnover(base, {QDate(2026, 6, 8), QDate(2026, 6, 30), store, true});
    EXPECT_DOUBLE_EQ(rowOf(*next, 1).start, p.finish);
    EXPECT_DOUBLE_EQ(rowOf(*next, 1).finish, 18);

    EXPECT_FALSE(stockTurnover(base, {QDate(2026, 6, 7), QDate(2026, 6, 3), store, true}));
    EXPECT_FALSE(stockTurnover(base, {QDate(), QDate(2026, 6, 3), store, true}));
}

TEST_F(StockReports, TurnoverWithoutMovementsLeavesOutTheirLinesAndProducts)
{
    receive(1, 10, 20, QDate(2026, 6, 1));
    movementLine(QStringLiteral("Приход_Товара"), 1, 3, QDate(2026, 6, 4));
    movementLine(QStringLiteral("Расход_Товара"), 1, 2, QDate(2026, 6, 5));
    movementLine(QStringLiteral("Приход_Товара"), 2, 1, QDate(2026, 6, 4)); // carrots only moved in
    const TurnoverFilter with {QDate(2026, 6, 1), QDate(2026, 6, 30), store, true};
    TurnoverFilter without = with;
    without.movements = false;
    const auto all = stockTurnover(base, with);
    const auto external = stockTurnover(base, without);
    ASSERT_TRUE(all && external);
    EXPECT_EQ(all->size(), 2u);
    ASSERT_EQ(external->size(), 1u);
    EXPECT_DOUBLE_EQ(rowOf(*all, 1).incoming, 13);
    EXPECT_DOUBLE_EQ(rowOf(*all, 1).outgoing, 2);
    EXPECT_DOUBLE_EQ(rowOf(*external, 1).incoming, 10);
    EXPECT_DOUBLE_EQ(rowOf(*external, 1).outgoing, 0);
    // The balances stay the warehouse's real ones.
    EXPECT_DOUBLE_EQ(rowOf(*external, 1).finish, 11);
    EXPECT_NEAR(rowOf(*all, 1).start + rowOf(*all, 1).incoming - rowOf(*all, 1).outgoing, rowOf(*all, 1).finish, 1e-9);
}

TEST_F(StockReports, WeeklyTurnoverCountsOnlyTheDaysOfThePeriod)
{
    receive(1, 10, 20, QDate(2026, 5, 30)); // Saturday before
    receive(1, 5, 20, QDate(2026, 6, 2)); // Tuesday of week 1
    writeOff(1, 4, QDate(2026, 6, 9)); // week 2
    receive(1, 1, 20, QDate(2026, 6, 12)); // Friday of week 2, after the period's end
    const auto weeks = weeklyTurnover(base, {1}, {QDate(2026, 6, 2), QDate(2026, 6, 10), store, true});
    ASSERT_TRUE(weeks);
    ASSERT_EQ(weeks->size(), 2u);
    EXPECT_EQ((*weeks)[0].monday, QDate(2026, 6, 1));
    EXPECT_DOUBLE_EQ((*weeks)[0].incoming, 5);
    EXPECT_DOUBLE_EQ((*weeks)[0].balance, 15);
    EXPECT_DOUBLE_EQ((*weeks)[1].incoming, 0);
    EXPECT_DOUBLE_EQ((*weeks)[1].outgoing, 4);
    EXPECT_DOUBLE_EQ((*weeks)[1].balance, 11);
    // A group sums its products.
    receive(2, 2, 1, QDate(2026, 6, 3));
    EXPECT_DOUBLE_EQ(
        weeklyTurnover(base, {1, 2}, {QDate(2026, 6, 2), QDate(2026, 6, 10), store, true})->at(0).incoming, 7);
}

TEST_F(StockReports, TheProductBookListsReceiptsInFullAndSumsOutgoingByDefault)
{
    receive(1, 10, 20, QDate(2026, 6, 1));
    receive(1, 5, 20, QDate(2026, 6, 3));
    receive(1, 2, 20, QDate(2026, 6, 4));
    writeOff(1, 4, QDate(2026, 6, 5));
    writeOff(1, 1, QDate(2026, 6, 6));
    ProductBookFilter filter;
    filter.products = {1};
    filter.warehouse = store;
    filter.from = QDate(2026, 6, 2);
    filter.to = QDate(2026, 6, 30);
    readBookListing(bases.settings(), filter);
    auto book = productBook(base, filter);
    ASSERT_TRUE(book) << book.error().toStdString();
    ASSERT_EQ(book->size(), 1u);
    const ProductBookSection &s = book->front();
    EXPECT_DOUBLE_EQ(s.opening, 10);
    ASSERT_EQ(s.receipts.size(), 2u);
    EXPECT_EQ(s.receipts[0].date, QDate(2026, 6, 3));
    EXPECT_EQ(s.receipts[0].number, QStringLiteral("2"));
    EXPECT_DOUBLE_EQ(s.receipts[1].quantity, 2);
    ASSERT_EQ(s.outgoing.size(), 1u);
    EXPECT_FALSE(s.outgoing[0].date.isValid());
    EXPECT_DOUBLE_EQ(s.outgoing[0].quantity, 5);
    EXPECT_DOUBLE_EQ(s.closing, 12);

    bases.settings().save(Section::Data, QStringLiteral("bFullIncomPB"), QStringLiteral("0"));
    bases.settings().save(Section::Data, QStringLiteral("bFullExpPB"), QStringLiteral("1"));
    readBookListing(bases.settings(), filter);
    book = productBook(base, filter);
    ASSERT_EQ(book->front().receipts.size(), 1u);
    EXPECT_DOUBLE_EQ(book->front().receipts[0].quantity, 7);
    ASSERT_EQ(book->front().outgoing.size(), 2u);
    EXPECT_EQ(book->front().outgoing[1].date, QDate(2026, 6, 6));
    filter.products = {999};
    EXPECT_FALSE(productBook(base, filter));
}

TEST_F(StockReports, TheTurnoverReportAndTheProductBookPrintThroughTheirTemplates)
{
    bases.settings().save(Section::Documents, QStringLiteral("FirstLineOtchProd"), QStringLiteral("ООО Столовая"));
    bases.settings().save(Section::Documents, QStringLiteral("SecondLineOtchProd"), QStringLiteral("Кладовая"));
    bases.settings().save(Section::Documents, QStringLiteral("SecondLineProdsBook"), QStringLiteral("Продукты"));
    receive(1, 10, 20, QDate(2026, 6, 1));
    receive(1, 2.5, 20, QDate(2026, 6, 3));
    const TurnoverFilter period {QDate(2026, 6, 2), QDate(2026, 6, 30), store, true};
    const auto rows = stockTurnover(base, period).value();
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("Шаблоны"));
    const TurnoverHeading heading {QStringLiteral("Основной"), period.from, period.to, true};
    const auto printed = printTurnover(
        rows, heading, folder, bases.settings(), dir.filePath(QStringLiteral("o.xlsx")), bases.prompter());
    ASSERT_TRUE(printed) << printed.error().toStdString();
    EXPECT_TRUE(printed->templateUsed.endsWith(QStringLiteral("in_out_p.xlsx")));
    const test::Sheet sheet = test::readSheet(printed->path);
    EXPECT_EQ(sheet.cell(QStringLiteral("A1")).toString(), QStringLiteral("Приход/расход продуктов"));
    EXPECT_EQ(sheet.cell(QStringLiteral("A2")).toString(), QStringLiteral("ООО Столовая"));
    EXPECT_EQ(sheet.cell(QStringLiteral("A3")).toString(), QStringLiteral("Кладовая"));
    EXPECT_EQ(sheet.cell(QStringLiteral("E5")).toString(), QStringLiteral("Остаток на 02.06.2026"));
    EXPECT_EQ(sheet.cell(QStringLiteral("C6")).toString(), QStringLiteral("Картофель"));
    EXPECT_DOUBLE_EQ(sheet.cell(QStringLiteral("E6")).toDouble(), 10);
    EXPECT_DOUBLE_EQ(sheet.cell(QStringLiteral("F6")).toDouble(), 2.5);
    EXPECT_DOUBLE_EQ(sheet.cell(QStringLiteral("H6")).toDouble(), 12.5);
    EXPECT_EQ(sheet.format(QStringLiteral("H6")), QStringLiteral("0.000"));
    EXPECT_EQ(sheet.name(QStringLiteral("Старт")), QStringLiteral("'Отчет'!$A$6"));

    ProductBookFilter filter;
    filter.warehouse = store;
    filter.from = period.from;
    filter.to = period.to;
    const auto book = productBook(base, filter).value();
    const auto bookPrinted = printProductBook(
        book, heading, folder, bases.settings(), dir.filePath(QStringLiteral("b.xlsx")), bases.prompter());
    ASSERT_TRUE(bookPrinted) << bookPrinted.error().toStdString();
    const test::Sheet bookSheet = test::readSheet(bookPrinted->path);
    EXPECT_EQ(bookSheet.cell(QStringLiteral("A1")).toString(), QStringLiteral("Книга учета продуктов"));
    EXPECT_EQ(bookSheet.cell(QStringLiteral("A2")).toString(), QStringLiteral("Продукты с 02.06.2026 по 30.06.2026"));
    EXPECT_EQ(bookSheet.cell(QStringLiteral("A6")).toString(), QStringLiteral("Картофель"));
    EXPECT_DOUBLE_EQ(bookSheet.cell(QStringLiteral("D6")).toDouble(), 10);
    EXPECT_EQ(bookSheet.cell(QStringLiteral("B7")).toString(), QStringLiteral("03.06.2026"));
    EXPECT_DOUBLE_EQ(bookSheet.cell(QStringLiteral("E7")).toDouble(), 2.5);
    EXPECT_DOUBLE_EQ(bookSheet.cell(QStringLiteral("D9")).toDouble(), 12.5);
}

} // namespace
