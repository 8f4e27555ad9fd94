#include "support/CliRunner.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace kulvera;
using kulvera::test::TempCli;

namespace {

QString S(const char *text)
{
    return QString::fromUtf8(text);
}

class CliStock : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(cli.run({S("db"), S("init")}), 0) << cli.err.toStdString();
        ASSERT_EQ(cli.run({S("stock"), S("warehouses"), S("add"), S("Кухня"), S("--markup"), S("15")}), 0)
            << cli.err.toStdString();
        ASSERT_EQ(cli.run({S("stock"), S("suppliers"), S("add"), S("ООО Зерно")}), 0) << cli.err.toStdString();
    }
    QStringList receive(const QString &number, const QString &date, const QStringList &lines)
    {
        return QStringList {S("stock"), S("receive"), S("--warehouse"), S("Кухня"), S("--supplier"), S("ООО Зерно"),
                   S("--number"), number, S("--date"), date}
        + lines;
    }
    QJsonArray json(const QStringList &args)
    {
        EXPECT_EQ(cli.run(args + QStringList {S("--json")}), 0) << cli.err.toStdString();
        return QJsonDocument::fromJson(cli.out.toUtf8()).array();
    }
    TempCli cli;
};

TEST_F(CliStock, ReceiveListAndDeleteAnInvoice)
{
    ASSERT_EQ(cli.run({S("stock"), S("warehouses")}), 0);
    EXPECT_EQ(cli.out, S("1\tКухня\t15\n"));
    ASSERT_EQ(cli.run({S("stock"), S("suppliers")}), 0);
    EXPECT_EQ(cli.out, S("1\tООО Зерно\n"));

    // Product 1 by key and product 2 by its full name; VAT 10 %.
    ASSERT_EQ(cli.run(receive(
                  S("101"), S("03.06.2026"), {S("--vat"), S("10"), S("1:12,5:40"), S("Сорго (джовар), зерно:2:55.5")})),
        0)
        << cli.err.toStdString();
    EXPECT_EQ(cli.out, S("1\n"));

    const QJsonArray invoices
        = json({S("stock"), S("invoices"), S("--from"), S("01.06.2026"), S("--to"), S("30.06.2026")});
    ASSERT_EQ(invoices.size(), 1);
    EXPECT_EQ(invoices[0][S("number")].toString(), S("101"));
    EXPECT_EQ(invoices[0][S("supplier")].toString(), S("ООО Зерно"));
    EXPECT_EQ(invoices[0][S("date")].toString(), S("03.06.2026"));
    EXPECT_DOUBLE_EQ(invoices[0][S("sum")].toDouble(), 611);
    EXPECT_TRUE(json({S("stock"), S("invoices"), S("--from"), S("2026-07-01"), S("--to"), S("2026-07-31")}).isEmpty());

    const QJsonArray lots = json({S("stock"), S("lots"), S("--product"), S("1")});
    ASSERT_EQ(lots.size(), 1);
    EXPECT_EQ(lots[0][S("productName")].toString(), S("Крупа ячневая (ячмень)"));
    EXPECT_EQ(lots[0][S("warehouseName")].toString(), S("Кухня"));
    EXPECT_DOUBLE_EQ(lots[0][S("brutto")].toDouble(), 12.5);
    EXPECT_EQ(json({S("stock"), S("lots"), S("--warehouse"), S("1")}).size(), 2);

    ASSERT_EQ(cli.run({S("stock"), S("invoices")}), 0);
    EXPECT_TRUE(cli.out.contains(S("1\t101\tООО Зерно\t03.06.2026\t611,00\t")));

    // Deleting asks: without --yes nothing goes.
    EXPECT_EQ(cli.run({S("stock"), S("delete-invoice"), S("1")}), 1);
    EXPECT_EQ(json({S("stock"), S("lots")}).size(), 2);
    ASSERT_EQ(cli.run({S("--yes"), S("stock"), S("delete-invoice"), S("1")}), 0) << cli.err.toStdString();
    EXPECT_TRUE(cli.out.contains(S("Накладная удалена.")));
    EXPECT_TRUE(json({S("stock"), S("lots")}).isEmpty());
    EXPECT_TRUE(json({S("stock"), S("invoices")}).isEmpty());
}

TEST_F(CliStock, BadInputIsRefusedAndWritesNothing)
{
    const QList<std::pair<QStringList, QString>> cases = {
        {receive(S("1"), S("03.06.2026"), {S("1:много:40")}), S("числами")},
        {receive(S("1"), S("03.06.2026"), {S("1:-2:40")}), S("Количество не может быть отрицательным")},
        {receive(S("1"), S("03.06.2026"), {S("1:2:-40")}), S("Цена не может быть отрицательной")},
        {receive(S("1"), S("03.06.2026"), {S("1:2:40"), S("999999:1:1")}), S("Продукт не найден: 999999")},
        {receive(S("1"), S("31.02.2026"), {S("1:2:40")}), S("Неверная дата")},
        {receive(S("1"), S("03.06.2026"), {S("1:2")}), S("ПРОДУКТ:КОЛ-ВО:ЦЕНА")},
        {{S("stock"), S("receive"), S("--warehouse"), S("Склад 9"), S("--supplier"), S("1"), S("--number"), S("1"),
             S("--date"), S("03.06.2026"), S("1:1:1")},
            S("Склад не найден")},
        {receive(S("1"), S("03.06.2026"), {S("--vat"), S("много"), S("1:2:40")}), S("Ставка НДС")},
        {{S("stock"), S("warehouses"), S("add"), S("Бар"), S("--markup"), S("x")}, S("Наценка должна быть числом")},
        {{S("stock"), S("invoices"), S("--from"), S("02.06.2026"), S("--to"), S("01.06.2026")},
            S("Конечная дата меньше начальной!")},
    };
    for (const auto &[args, message] : cases) {
        EXPECT_EQ(cli.run(args), 1) << args.join(u' ').toStdString();
        EXPECT_TRUE(cli.err.contains(message)) << cli.err.toStdString();
    }
    EXPECT_TRUE(json({S("stock"), S("invoices")}).isEmpty());
    EXPECT_TRUE(json({S("stock"), S("lots")}).isEmpty());
    ASSERT_EQ(cli.run({S("stock"), S("warehouses")}), 0);
    EXPECT_EQ(cli.out, S("1\tКухня\t15\n"));
    EXPECT_EQ(cli.run({S("stock"), S("receive"), S("1:1:1")}), 2);
}

TEST_F(CliStock, ADuplicateNumberThisYearIsKeptOnlyWhenAnswered)
{
    const QString today = QDate::currentDate().toString(S("dd.MM.yyyy"));
    ASSERT_EQ(cli.run(receive(S("7"), today, {S("1:1:1")})), 0) << cli.err.toStdString();
    EXPECT_EQ(cli.run(receive(S("7"), today, {S("1:1:1")})), 1);
    EXPECT_EQ(json({S("stock"), S("invoices")}).size(), 1);
    ASSERT_EQ(cli.run(QStringList {S("--yes")} + receive(S("7"), today, {S("1:1:1")})), 0);
    EXPECT_EQ(json({S("stock"), S("invoices")}).size(), 2);
}

TEST_F(CliStock, WriteOffsPostWholeOrNotAtAllAndTheStockStillAddsUp)
{
    ASSERT_EQ(cli.run(receive(S("101"), S("01.06.2026"), {S("1:10:40"), S("2:3:20")})), 0) << cli.err.toStdString();
    ASSERT_EQ(cli.run(receive(S("102"), S("20.06.2026"), {S("1:5:60")})), 0) << cli.err.toStdString();
    const QStringList price = {S("stock"), S("price"), S("1"), S("--source"), S("stock"), S("--warehouse"), S("Кухня")};
    // 40 a kilogram with the warehouse's 15 %.
    ASSERT_EQ(cli.run(price + QStringList {S("--date"), S("10.06.2026")}), 0) << cli.err.toStdString();
    EXPECT_EQ(cli.out, S("46\n"));

    // Twelve of the first product were there only from the 20th: nothing goes.
    const QStringList writeoff
        = {S("stock"), S("writeoff"), S("--warehouse"), S("Кухня"), S("--date"), S("10.06.2026")};
    EXPECT_EQ(cli.run(writeoff + QStringList {S("1:12"), S("2:4"), S("--post")}), 1);
    EXPECT_EQ(cli.out, S("3\n"));
    EXPECT_TRUE(
        cli.err.contains(S("Продукта с кодом 1 (Крупа ячневая (ячмень)) недостаточно на складе! Не хватает: 2")))
        << cli.err.toStdString();
    EXPECT_TRUE(
        cli.err.contains(S("Продукта с кодом 2 (Сорго (джовар), зерно) недостаточно на складе! Не хватает: 1")));
    EXPECT_EQ(json({S("stock"), S("lots")}).size(), 3);
    ASSERT_EQ(cli.run({S("stock"), S("balance"), S("1")}), 0);
    EXPECT_EQ(cli.out, S("15\n"));

    ASSERT_EQ(cli.run(writeoff + QStringList {S("1:8"), S("2:1")}), 0) << cli.err.toStdString();
    EXPECT_EQ(cli.out, S("4\n"));
    ASSERT_EQ(cli.run({S("stock"), S("post"), S("4")}), 0) << cli.err.toStdString();
    EXPECT_EQ(cli.out, S("Выполнено!\n"));
    EXPECT_EQ(cli.run({S("stock"), S("post"), S("4")}), 1);
    EXPECT_TRUE(cli.err.contains(S("Накладная уже проведена!")));
    // A receipt is not an outgoing document.
    EXPECT_EQ(cli.run({S("stock"), S("post"), S("1")}), 1);

    const QJsonArray lots = json({S("stock"), S("lots"), S("--product"), S("1")});
    ASSERT_EQ(lots.size(), 2);
    EXPECT_DOUBLE_EQ(lots[0][S("brutto")].toDouble(), 2);
    EXPECT_EQ(lots[1][S("date")].toString(), S("20.06.2026"));
    ASSERT_EQ(
        cli.run({S("stock"), S("balance"), S("1"), S("--warehouse"), S("Кухня"), S("--date"), S("10.06.2026")}), 0);
    EXPECT_EQ(cli.out, S("2\n"));
    ASSERT_EQ(cli.run({S("stock"), S("balance"), S("1"), S("--date"), S("2026-06-30")}), 0);
    EXPECT_EQ(cli.out, S("7\n"));
    ASSERT_EQ(cli.run({S("stock"), S("check")}), 0) << cli.out.toStdString();
    EXPECT_EQ(cli.out, S("Расхождений нет.\n"));
    ASSERT_EQ(cli.run(price), 0);
    EXPECT_EQ(cli.out, S("46\n"));
    ASSERT_EQ(cli.run({S("stock"), S("price"), S("2"), S("--source"), S("list")}), 0);
    EXPECT_EQ(cli.out, S("0\n"));

    EXPECT_EQ(cli.run({S("stock"), S("price"), S("1"), S("--source"), S("склад")}), 2);
    EXPECT_EQ(cli.run({S("stock"), S("writeoff"), S("--date"), S("10.06.2026"), S("1:1")}), 2);
    EXPECT_EQ(cli.run(writeoff + QStringList {S("1:много")}), 1);
    EXPECT_EQ(cli.run({S("stock"), S("balance"), S("1"), S("--date"), S("31.02.2026")}), 1);
}

TEST_F(CliStock, AMovementTakesTheSourcesOldestLotsUpToTheDateAndAnActWritesOff)
{
    ASSERT_EQ(cli.run({S("stock"), S("warehouses"), S("add"), S("Бар")}), 0) << cli.err.toStdString();
    ASSERT_EQ(cli.run(receive(S("101"), S("01.06.2026"), {S("1:10:40")})), 0) << cli.err.toStdString();
    ASSERT_EQ(cli.run(receive(S("102"), S("03.06.2026"), {S("1:5:60")})), 0) << cli.err.toStdString();
    ASSERT_EQ(cli.run(receive(S("103"), S("20.06.2026"), {S("1:50:60")})), 0) << cli.err.toStdString();
    const QStringList move
        = {S("stock"), S("move"), S("--from"), S("Кухня"), S("--to"), S("2"), S("--date"), S("10.06.2026")};

    // Only fifteen were there on the 10th: nothing moves.
    EXPECT_EQ(cli.run(move + QStringList {S("1:16")}), 1);
    EXPECT_TRUE(cli.err.contains(S("Продукта с кодом 1 недостаточно на складе! Не хватает: 1")))
        << cli.err.toStdString();
    EXPECT_EQ(cli.run({S("stock"), S("move"), S("--from"), S("Кухня"), S("--to"), S("Кухня"), S("--date"),
                  S("10.06.2026"), S("1:1")}),
        1);
    EXPECT_TRUE(cli.err.contains(S("Нельзя перемещать продукты внутри одного склада")));
    EXPECT_EQ(cli.run(move + QStringList {S("1:-1")}), 1);
    EXPECT_EQ(cli.run({S("stock"), S("move"), S("--from"), S("Кухня"), S("--date"), S("10.06.2026"), S("1:1")}), 2);
    EXPECT_TRUE(json({S("stock"), S("lots"), S("--warehouse"), S("Бар")}).isEmpty());

    // The whole first lot and two of the second.
    ASSERT_EQ(cli.run(move + QStringList {S("1:12")}), 0) << cli.err.toStdString();
    EXPECT_EQ(cli.out, S("4\t5\nПродукты перемещены.\n"));
    const QJsonArray kitchen = json({S("stock"), S("lots"), S("--warehouse"), S("Кухня")});
    ASSERT_EQ(kitchen.size(), 2);
    EXPECT_DOUBLE_EQ(kitchen[0][S("brutto")].toDouble(), 3);
    EXPECT_EQ(kitchen[0][S("date")].toString(), S("03.06.2026"));
    // One lot in the bar: the second row merged into the lot the first one made.
    const QJsonArray bar = json({S("stock"), S("lots"), S("--warehouse"), S("Бар")});
    ASSERT_EQ(bar.size(), 1);
    EXPECT_DOUBLE_EQ(bar[0][S("brutto")].toDouble(), 12);
    EXPECT_EQ(bar[0][S("date")].toString(), S("10.06.2026"));
    EXPECT_EQ(bar[0][S("supplier")].toString(), S("ООО Зерно"));
    ASSERT_EQ(cli.run({S("stock"), S("balance"), S("1"), S("--warehouse"), S("Бар")}), 0);
    EXPECT_EQ(cli.out, S("12\n"));
    ASSERT_EQ(
        cli.run({S("stock"), S("balance"), S("1"), S("--warehouse"), S("Кухня"), S("--date"), S("10.06.2026")}), 0);
    EXPECT_EQ(cli.out, S("3\n"));

    ASSERT_EQ(cli.run({S("stock"), S("act"), S("--warehouse"), S("Бар"), S("--date"), S("11.06.2026"), S("--note"),
                  S("порча"), S("1:2,5")}),
        0)
        << cli.err.toStdString();
    EXPECT_EQ(cli.out,
        S("6\nАкт на списание подготовлен. Продукты списаны со склада. Для просмотра акт зайдите: Учет - Расход "
          "продуктов - Накладные\n"));
    ASSERT_EQ(cli.run({S("stock"), S("balance"), S("1"), S("--warehouse"), S("Бар")}), 0);
    EXPECT_EQ(cli.out, S("9,5\n"));
    EXPECT_EQ(cli.run({S("stock"), S("post"), S("6")}), 1);
    EXPECT_TRUE(cli.err.contains(S("Накладная уже проведена!")));
    ASSERT_EQ(cli.run({S("stock"), S("check")}), 0) << cli.out.toStdString();
}

} // namespace
