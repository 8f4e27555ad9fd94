#include "WarehouseFixture.h"

#include "warehouse/DocumentNumbers.h"

using namespace kulvera;
using kulvera::test::WarehouseFixture;

namespace {

using Answer = Prompter::Answer;

class Invoices : public WarehouseFixture
{
};

TEST_F(Invoices, ALineAndItsLotPointAtEachOtherAndTheHeaderSumsTheLines)
{
    const qint64 h = invoices.addHeader(invoice(QStringLiteral("15"))).value();
    NewLine carrots = line(2, 2.5, 40);
    carrots.markupPercent = 10;
    const qint64 a = invoices.addLine(h, line(1, 10, 30.5)).value();
    const qint64 b = invoices.addLine(h, carrots).value();

    const auto first = invoices.line(a).value();
    const auto lot = lots.find(first.lot).value();
    EXPECT_EQ(lot.incomingLine, a);
    EXPECT_EQ(lot.header, h);
    EXPECT_EQ(lot.supplier, supplier);
    EXPECT_EQ(lot.warehouse, store);
    EXPECT_EQ(lot.date, QDate(2026, 6, 10));
    EXPECT_DOUBLE_EQ(lot.brutto, 10);
    EXPECT_TRUE(lot.posted);
    EXPECT_EQ(first.productName, QStringLiteral("Картофель"));
    EXPECT_EQ(first.headerNumber, QStringLiteral("15"));
    // The VAT rate of a new line is the setting's default, 18 %.
    EXPECT_DOUBLE_EQ(first.values.vatPercent, 18);
    const auto second = invoices.line(b).value();
    EXPECT_DOUBLE_EQ(second.values.markupAmount, 10);
    EXPECT_DOUBLE_EQ(second.values.value, 110);
    EXPECT_DOUBLE_EQ(invoices.header(h)->sum, 305 + 110);
    EXPECT_EQ(invoices.headers(InvoicePeriod::all())->size(), 1u);
}

TEST_F(Invoices, ZeroQuantityAndPriceGiveZeroValuesAndAnEmptyLotThatStockIgnores)
{
    const qint64 h = invoices.addHeader(invoice(QStringLiteral("1"))).value();
    const auto l = invoices.line(invoices.addLine(h, line(1, 0, 0)).value()).value();
    EXPECT_EQ(l.values.vatAmount, 0);
    EXPECT_EQ(l.values.markupAmount, 0);
    EXPECT_EQ(l.values.value, 0);
    ASSERT_TRUE(lots.find(l.lot));
    EXPECT_EQ(lots.find(l.lot)->brutto, 0);
    EXPECT_EQ(lots.stock(1, store), 0);
    // The start-up cleanup keeps the untouched empty lot of its line, so the
    // quantity can still be typed; a lot emptied by write-offs goes.
    const qint64 other = invoices.addLine(h, line(2, 3, 5)).value();
    ASSERT_TRUE(lots.take(invoices.line(other)->lot, 1));
    ASSERT_TRUE(base.exec(
        QStringLiteral("UPDATE \"Склад\" SET \"Брутто\" = 0 WHERE \"Код\" = ?"), {invoices.line(other)->lot}));
    EXPECT_EQ(lots.deleteEmptyLots().value(), 1);
    ASSERT_TRUE(invoices.editLine(l.key, LineField::Quantity, 4.0));
    EXPECT_DOUBLE_EQ(lots.stock(1, store), 4);
}

TEST_F(Invoices, QuantitiesAreStoredInTheBaseUnitAndShownInTheUnitOfEntry)
{
    const qint64 h = invoices.addHeader(invoice(QStringLiteral("2"))).value();
    NewLine grams = line(1, 2500, 0.05);
    grams.unit = 2;
    const auto l = invoices.line(invoices.addLine(h, grams).value()).value();
    EXPECT_DOUBLE_EQ(l.brutto, 2.5);
    EXPECT_DOUBLE_EQ(l.quantity(), 2500);
    EXPECT_EQ(l.unitPref, QStringLiteral("г"));
    EXPECT_DOUBLE_EQ(l.values.value, 125);
    // A unit change keeps the quantity shown: 2500 boxes are 25000 kg.
    ASSERT_TRUE(invoices.setLineUnit(l.key, 3));
    EXPECT_DOUBLE_EQ(invoices.line(l.key)->brutto, 25000);
    EXPECT_DOUBLE_EQ(lots.find(l.lot)->brutto, 25000);
    EXPECT_EQ(lots.find(l.lot)->unit, 3);
}

TEST_F(Invoices, AQuantityEditIsRefusedAfterAPartialWriteOffWhileAPriceEditIsAllowed)
{
    const qint64 h = invoices.addHeader(invoice(QStringLiteral("3"))).value();
    const auto l = invoices.line(invoices.addLine(h, line(1, 10, 20)).value()).value();
    ASSERT_TRUE(invoices.editLine(l.key, LineField::Quantity, 12.0)); // untouched: allowed
    EXPECT_DOUBLE_EQ(lots.find(l.lot)->brutto, 12);
    ASSERT_TRUE(lots.take(l.lot, 2));

    const Status quantity = invoices.editLine(l.key, LineField::Quantity, 15.0);
    EXPECT_EQ(quantity.error(), QStringLiteral("Для данного продукта уже вносились изменения!"));
    EXPECT_DOUBLE_EQ(invoices.line(l.key)->brutto, 12);
    EXPECT_DOUBLE_EQ(lots.find(l.lot)->brutto, 10);
    EXPECT_EQ(invoices.setLineWarehouse(l.key, store).error(), QStringLiteral("Для продукта уже произошли изменения"));
    EXPECT_EQ(invoices.setLineUnit(l.key, 2).error(), QStringLiteral("Для продукта вносились изменения!"));

    ASSERT_TRUE(invoices.editLine(l.key, LineField::Price, QStringLiteral("25,5")));
    EXPECT_DOUBLE_EQ(invoices.line(l.key)->values.value, 306);
    EXPECT_DOUBLE_EQ(lots.find(l.lot)->brutto, 10); // the lot is not touched
    EXPECT_DOUBLE_EQ(invoices.header(h)->sum, 306);
}

TEST_F(Invoices, TypedValuesDeriveThePriceAndBadNumbersChangeNothing)
{
    const qint64 h = invoices.addHeader(invoice(QStringLiteral("4"))).value();
    NewLine l0 = line(1, 4, 10);
    l0.markupPercent = 25;
    const qint64 key = invoices.addLine(h, l0).value();
    ASSERT_TRUE(invoices.editLine(key, LineField::Value, 100.0));
    EXPECT_DOUBLE_EQ(invoices.line(key)->values.price, 20); // 100 × 100 / (125 × 4)
    EXPECT_DOUBLE_EQ(invoices.line(key)->values.value, 100);
    ASSERT_TRUE(invoices.editLine(key, LineField::MarkupAmount, 40.0));
    EXPECT_DOUBLE_EQ(invoices.line(key)->values.markupPercent, 50);
    EXPECT_DOUBLE_EQ(invoices.header(h)->sum, 120);

    const auto before = invoices.line(key).value();
    EXPECT_FALSE(invoices.editLine(key, LineField::Price, QStringLiteral("дорого")));
    EXPECT_FALSE(invoices.editLine(key, LineField::Quantity, -1.0));
    EXPECT_FALSE(invoices.editLine(key, LineField::Price, -0.01));
    const auto after = invoices.line(key).value();
    EXPECT_EQ(after.values.price, before.values.price);
    EXPECT_EQ(after.brutto, before.brutto);
}

TEST_F(Invoices, NewLinesRefuseUnknownProductsMissingUnitsAndNegativeNumbers)
{
    const qint64 h = invoices.addHeader(invoice(QStringLiteral("5"))).value();
    EXPECT_TRUE(
        invoices.addLine(h, line(404, 1, 1)).error().startsWith(QStringLiteral("Не идентифицирован продукт\n")));
    EXPECT_EQ(invoices.addLine(h, line(3, 1, 1)).error(), QStringLiteral("Нет ед. измерения для продукта!"));
    EXPECT_FALSE(invoices.addLine(h, line(1, -1, 1)));
    EXPECT_FALSE(invoices.addLine(h, line(1, 1, -1)));
    NewLine nowhere = line(1, 1, 1);
    nowhere.warehouse = 77;
    EXPECT_FALSE(invoices.addLine(h, nowhere));
    EXPECT_EQ(rows(QStringLiteral("Приход_Товара")), 0);
    EXPECT_EQ(rows(QStringLiteral("Склад")), 0);

    // A whole invoice with one bad line writes nothing, not even its header.
    EXPECT_FALSE(invoices.receive(invoice(QStringLiteral("6")), {line(1, 1, 1), line(404, 1, 1)}));
    EXPECT_EQ(rows(QStringLiteral("Накладные_Заголовки")), 1);
    EXPECT_FALSE(invoices.receive(invoice(QStringLiteral("7"), QDate()), {line(1, 1, 1)}));
    EXPECT_EQ(rows(QStringLiteral("Накладные_Заголовки")), 1);
}

TEST_F(Invoices, AFailureBetweenALineAndItsLotLeavesNeither)
{
    const qint64 h = invoices.addHeader(invoice(QStringLiteral("8"))).value();
    ASSERT_TRUE(invoices.addLine(h, line(1, 1, 10)));
    // The base itself refuses the lot, after the line was written.
    ASSERT_TRUE(base.exec(test::refusingTrigger(QStringLiteral("refuse_lot"), QStringLiteral("INSERT"),
        QStringLiteral("\"Склад\""), QStringLiteral("injected"))));
    const auto failed = invoices.addLine(h, line(2, 5, 10));
    EXPECT_FALSE(failed);
    EXPECT_EQ(rows(QStringLiteral("Приход_Товара")), 1);
    EXPECT_EQ(rows(QStringLiteral("Склад")), 1);
    EXPECT_DOUBLE_EQ(invoices.header(h)->sum, 10);
    const auto whole = invoices.receive(invoice(QStringLiteral("9")), {line(1, 1, 1)});
    EXPECT_FALSE(whole);
    EXPECT_EQ(rows(QStringLiteral("Накладные_Заголовки")), 1);

    // And when the lot is in but the line cannot be pointed at it.
    ASSERT_TRUE(base.exec(test::droppingTrigger(QStringLiteral("refuse_lot"), QStringLiteral("\"Склад\""))));
    ASSERT_TRUE(
        base.exec(test::refusingTrigger(QStringLiteral("refuse_link"), QStringLiteral("UPDATE OF \"Код_на_Складе\""),
            QStringLiteral("\"Приход_Товара\""), QStringLiteral("injected"))));
    EXPECT_FALSE(invoices.addLine(h, line(2, 5, 10)));
    EXPECT_EQ(rows(QStringLiteral("Приход_Товара")), 1);
    EXPECT_EQ(rows(QStringLiteral("Склад")), 1);
}

TEST_F(Invoices, ChangingTheDateRedatesTheLotsAndSoTheOrderOfConsumption)
{
    const qint64 early = invoices.receive(invoice(QStringLiteral("10"), QDate(2026, 6, 1)), {line(1, 5, 10)}).value();
    const qint64 late = invoices.receive(invoice(QStringLiteral("11"), QDate(2026, 6, 5)), {line(1, 5, 12)}).value();
    auto oldest = [&] { return lots.list({store, 1}).value().front().lot.header; };
    EXPECT_EQ(oldest(), early);

    ASSERT_TRUE(invoices.setDate(early, QDate(2026, 6, 9)));
    EXPECT_EQ(oldest(), late);
    const auto line0 = invoices.lines(early)->front();
    EXPECT_EQ(line0.date, QDate(2026, 6, 9));
    EXPECT_EQ(lots.find(line0.lot)->date, QDate(2026, 6, 9));
    EXPECT_TRUE(bases.prompter().statuses().contains(QStringLiteral("Установлена дата накладной: 09.06.2026")));
    EXPECT_EQ(invoices.header(early)->operationTime, clock.now());

    // The supplier and the number reach the lines and lots too.
    const qint64 other = Counterparties(base).add(QStringLiteral("ИП Петров")).value();
    ASSERT_TRUE(invoices.setSupplier(early, other));
    ASSERT_TRUE(invoices.setNumber(early, QStringLiteral("10а")));
    EXPECT_EQ(invoices.lines(early)->front().supplier, other);
    EXPECT_EQ(invoices.lines(early)->front().headerNumber, QStringLiteral("10а"));
    EXPECT_EQ(lots.find(line0.lot)->supplier, other);
    EXPECT_EQ(invoices.header(early)->supplierName, QStringLiteral("ИП Петров"));
}

TEST_F(Invoices, DeletingAPartlyConsumedInvoiceKeepsTheHeaderWithTheConsumedLines)
{
    bases.prompter().setDefaultAnswer(Answer::Yes);
    const qint64 h
        = invoices.receive(invoice(QStringLiteral("12")), {line(1, 5, 10), line(2, 3, 10), line(1, 2, 10)}).value();
    const auto all = invoices.lines(h).value();
    ASSERT_TRUE(lots.take(all[1].lot, 1));

    const auto outcome = invoices.deleteInvoice(h).value();
    EXPECT_EQ(outcome.deletedLines, 2);
    EXPECT_EQ(outcome.keptLines, 1);
    EXPECT_FALSE(outcome.headerDeleted);
    const auto left = invoices.lines(h).value();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left.front().key, all[1].key);
    EXPECT_EQ(rows(QStringLiteral("Склад")), 1);
    EXPECT_DOUBLE_EQ(invoices.header(h)->sum, 30);

    // Nothing consumed: every line, every lot and the header go.
    const qint64 clean = invoices.receive(invoice(QStringLiteral("13")), {line(1, 5, 10), line(2, 3, 10)}).value();
    EXPECT_TRUE(invoices.deleteInvoice(clean)->headerDeleted);
    EXPECT_FALSE(invoices.header(clean));
    EXPECT_EQ(rows(QStringLiteral("Склад")), 1);
}

TEST_F(Invoices, DeletingALineAsksAndGuardsItsLot)
{
    auto &prompter = bases.prompter();
    const qint64 h = invoices.receive(invoice(QStringLiteral("14")), {line(1, 5, 10), line(2, 3, 10)}).value();
    const auto all = invoices.lines(h).value();

    prompter.expect(QStringLiteral("Удалить 'Картофель' из накладной?"), Answer::No);
    EXPECT_TRUE(invoices.deleteLine(all[0].key).error().isEmpty());
    EXPECT_EQ(invoices.lines(h)->size(), 2u);

    prompter.expect(QStringLiteral("Удалить 'Картофель' из накладной?"), Answer::Yes);
    ASSERT_TRUE(invoices.deleteLine(all[0].key));
    EXPECT_FALSE(lots.find(all[0].lot));
    EXPECT_DOUBLE_EQ(invoices.header(h)->sum, 30);

    // A lot written off to the end is gone: the line goes only when the user says so.
    ASSERT_TRUE(lots.take(all[1].lot, 3));
    EXPECT_FALSE(lots.find(all[1].lot));
    prompter.expect(QStringLiteral("из накладной?"), Answer::Yes);
    prompter.expect(QStringLiteral("Информация о продукте отсутствует на складе."), Answer::Yes);
    ASSERT_TRUE(invoices.deleteLine(all[1].key));
    EXPECT_TRUE(invoices.lines(h)->empty());
    EXPECT_TRUE(prompter.unexpected().isEmpty());
}

TEST_F(Invoices, TheDuplicateNumberQuestionComesOnlyWithinTheSameKindAndYear)
{
    auto &prompter = bases.prompter();
    ASSERT_TRUE(invoices.addHeader(invoice(QStringLiteral("77"), QDate(2025, 12, 30))));
    // Last year's number is free again.
    ASSERT_TRUE(invoices.addHeader(invoice(QStringLiteral("77"), QDate(2026, 1, 2))));
    EXPECT_TRUE(prompter.shown().empty());
    // Another kind of document with this year's number does not count.
    ASSERT_TRUE(base.exec(QStringLiteral("INSERT INTO \"Накладные_Заголовки\" (\"Номер\", \"Дата\", \"Документ\") "
                                         "VALUES ('88', '2026-03-01 00:00:00', 2)")));
    EXPECT_FALSE(documentNumberUsedThisYear(base, DocumentKind::Incoming, QStringLiteral("88")));
    ASSERT_TRUE(invoices.addHeader(invoice(QStringLiteral("88"))));
    EXPECT_TRUE(prompter.shown().empty());

    // The year is today's, not the document's: a back-dated duplicate still asks.
    prompter.expect(QStringLiteral("Накладная с таким номером уже существует! Продолжить?"), Answer::No);
    EXPECT_FALSE(invoices.addHeader(invoice(QStringLiteral("77"), QDate(2024, 5, 5))));
    prompter.expect(QStringLiteral("Накладная с таким номером уже существует! Продолжить?"), Answer::Yes);
    EXPECT_TRUE(invoices.addHeader(invoice(QStringLiteral("77"))));
    EXPECT_EQ(rows(QStringLiteral("Накладные_Заголовки")), 5);
    EXPECT_TRUE(prompter.unexpected().isEmpty());
}

TEST_F(Invoices, ThePeriodFilterCoversWholeDaysAndRefusesABackwardPeriod)
{
    ASSERT_TRUE(invoices.addHeader(invoice(QStringLiteral("a"), QDate(2026, 6, 15))));
    ASSERT_TRUE(invoices.addHeader(invoice(QStringLiteral("b"), QDate(2026, 6, 9))));
    ASSERT_TRUE(invoices.addHeader(invoice(QStringLiteral("c"), QDate(2026, 5, 1))));
    // A header without a supplier (an internal movement) is listed too.
    ASSERT_TRUE(invoices.addHeader({QStringLiteral("d"), QDate(2026, 6, 15), -1, store, {}}));
    const QDate today = clock.today();
    EXPECT_EQ(invoices.headers(InvoicePeriod::today(today))->size(), 2u);
    EXPECT_EQ(invoices.headers(InvoicePeriod::week(today))->size(), 3u);
    EXPECT_EQ(invoices.headers(InvoicePeriod::all())->size(), 4u);
    EXPECT_EQ(invoices.headers(InvoicePeriod::today(today))->back().supplierName, QString());
    EXPECT_EQ(InvoicePeriod::week(today).caption, QStringLiteral("за неделю (с 09.06.2026 по 15.06.2026)"));
    EXPECT_EQ(InvoicePeriod::today(today).caption, QStringLiteral("за сегодня (15.06.2026)"));
    EXPECT_EQ(invoices.headers(InvoicePeriod::chosen(QDate(2026, 5, 1), QDate(2026, 5, 1)).value())->size(), 1u);
    EXPECT_EQ(InvoicePeriod::chosen(QDate(2026, 6, 2), QDate(2026, 6, 1)).error(),
        QStringLiteral("Конечная дата меньше начальной!"));
}

TEST_F(Invoices, QualityFieldsAreWrittenToTheLine)
{
    const qint64 h = invoices.receive(invoice(QStringLiteral("20")), {line(1, 1, 1)}).value();
    const qint64 key = invoices.lines(h)->front().key;
    ASSERT_TRUE(invoices.setQuality(key, QualityField::SafetyDocument, QStringLiteral("Декларация №5")));
    ASSERT_TRUE(invoices.setQuality(key, QualityField::Organoleptic, QStringLiteral("Удовл.")));
    ASSERT_TRUE(invoices.setQuality(key, QualityField::Temperature, QStringLiteral("+4")));
    ASSERT_TRUE(invoices.setQuality(key, QualityField::ShelfLife, QStringLiteral("10 сут.")));
    const auto l = invoices.line(key).value();
    EXPECT_EQ(l.safetyDocument, QStringLiteral("Декларация №5"));
    EXPECT_EQ(l.organoleptic, QStringLiteral("Удовл."));
    EXPECT_EQ(l.temperature, QStringLiteral("+4"));
    EXPECT_EQ(l.shelfLife, QStringLiteral("10 сут."));
    EXPECT_EQ(invoices.setQuality(9999, QualityField::Temperature, {}).error(),
        QStringLiteral("Ошибка идентификации продукта!"));
}

} // namespace

TEST_F(Invoices, ABatchIsReceivedWholeOrNotAtAll)
{
    auto &prompter = bases.prompter();
    // The third invoice names a product the base does not have: the first two go back too.
    const auto refused = invoices.receiveAll({{invoice(QStringLiteral("30")), {line(1, 5, 10)}},
        {invoice(QStringLiteral("31")), {line(2, 3, 10), line(1, 1, 1)}},
        {invoice(QStringLiteral("32")), {line(404, 1, 1)}}});
    ASSERT_FALSE(refused);
    EXPECT_TRUE(refused.error().startsWith(QStringLiteral("Накладная 32: ")));
    EXPECT_EQ(rows(QStringLiteral("Накладные_Заголовки")), 0);
    EXPECT_EQ(rows(QStringLiteral("Приход_Товара")), 0);
    EXPECT_EQ(rows(QStringLiteral("Склад")), 0);

    // A number repeated inside the batch is a duplicate like any other; declining keeps nothing.
    prompter.expect(QStringLiteral("Накладная с таким номером уже существует! Продолжить?"), Answer::No);
    EXPECT_FALSE(invoices.receiveAll(
        {{invoice(QStringLiteral("33")), {line(1, 5, 10)}}, {invoice(QStringLiteral("33")), {line(2, 1, 1)}}}));
    EXPECT_EQ(rows(QStringLiteral("Склад")), 0);

    const auto keys = invoices.receiveAll(
        {{invoice(QStringLiteral("34")), {line(1, 5, 10)}}, {invoice(QStringLiteral("35")), {line(2, 3, 10)}}});
    ASSERT_TRUE(keys);
    ASSERT_EQ(keys->size(), 2u);
    EXPECT_DOUBLE_EQ(invoices.header(keys->at(1))->sum, 30);
    EXPECT_EQ(rows(QStringLiteral("Склад")), 2);
    EXPECT_TRUE(prompter.unexpected().isEmpty());
}
