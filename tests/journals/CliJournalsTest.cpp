#include "documents/DocumentTestSupport.h"
#include "support/CliRunner.h"

#include "DemoKitchen.h"
#include "common/TextDate.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace kulvera::test {
namespace {

struct JournalCli : TempCli {
    JournalCli() { EXPECT_EQ(run({QStringLiteral("db"), QStringLiteral("init")}), 0) << err.toStdString(); }
    int rejection(const QStringList &args)
    {
        return run(QStringList {QStringLiteral("journal"), QStringLiteral("rejection")} + args);
    }
    QJsonArray list(const QString &date)
    {
        EXPECT_EQ(rejection({QStringLiteral("list"), QStringLiteral("--date"), date, QStringLiteral("--json")}), 0)
            << err.toStdString();
        return QJsonDocument::fromJson(out.toUtf8()).array();
    }
};

TEST(CliJournals, RejectionRowsAreAddedListedAndPrintedAndBadInputWritesNothing)
{
    JournalCli cli;
    ASSERT_EQ(cli.rejection({QStringLiteral("add"), QStringLiteral("--date"), QStringLiteral("02.03.2026"),
                  QStringLiteral("Борщ"), QStringLiteral("--made"), QStringLiteral("11:30"), QStringLiteral("--notes"),
                  QStringLiteral("горячий")}),
        0)
        << cli.err.toStdString();
    EXPECT_EQ(cli.rejection({QStringLiteral("add"), QStringLiteral("--date"), QStringLiteral("30.02.2026"),
                  QStringLiteral("Компот")}),
        1);
    EXPECT_TRUE(cli.err.contains(u"Необходимо указать правильную дату!"));
    EXPECT_EQ(cli.rejection(
                  {QStringLiteral("add"), QStringLiteral("--date"), QStringLiteral("02.03.2026"), QString(256, u'щ')}),
        1);
    EXPECT_TRUE(cli.err.contains(u"Максимальная длина поля - 255 символов!"));

    const QJsonArray rows = cli.list(QStringLiteral("02.03.2026"));
    ASSERT_EQ(rows.size(), 1);
    const QJsonObject row = rows[0].toObject();
    EXPECT_EQ(row[QStringLiteral("dish_name")].toString(), u"Борщ");
    EXPECT_EQ(row[QStringLiteral("time_made")].toString(), u"11:30");
    EXPECT_EQ(row[QStringLiteral("notes")].toString(), u"горячий");
    EXPECT_EQ(row[QStringLiteral("result")].toString(), u"соответствует");

    const QString file = cli.dir.filePath(QStringLiteral("журнал.xlsx"));
    ASSERT_EQ(cli.rejection({QStringLiteral("print"), QStringLiteral("--date"), QStringLiteral("2026-03-02"),
                  QStringLiteral("-o"), file}),
        0)
        << cli.err.toStdString();
    const Sheet s = readSheet(file);
    EXPECT_EQ(s.cell(QStringLiteral("C7")).toString(), u"Борщ");
    EXPECT_EQ(s.cell(QStringLiteral("A7")).toString(), u"02.03.2026\n11:30");
    EXPECT_EQ(cli.rejection({QStringLiteral("print"), QStringLiteral("--date"), QStringLiteral("03.03.2026"),
                  QStringLiteral("-o"), file}),
        1)
        << "an empty journal is not printed";
}

TEST(CliJournals, IncomingJournalOfAPeriodAsJsonAndAsAWorkbook)
{
    JournalCli cli;
    ASSERT_EQ(cli.run({QStringLiteral("stock"), QStringLiteral("warehouses"), QStringLiteral("add"),
                  QStringLiteral("Кладовая")}),
        0)
        << cli.err.toStdString();
    ASSERT_EQ(cli.run({QStringLiteral("stock"), QStringLiteral("suppliers"), QStringLiteral("add"),
                  QStringLiteral("ООО Хлеб")}),
        0)
        << cli.err.toStdString();
    ASSERT_EQ(cli.run({QStringLiteral("stock"), QStringLiteral("receive"), QStringLiteral("--date"),
                  QStringLiteral("05.06.2026"), QStringLiteral("--supplier"), QStringLiteral("ООО Хлеб"),
                  QStringLiteral("--warehouse"), QStringLiteral("Кладовая"), QStringLiteral("--number"),
                  QStringLiteral("17"), QStringLiteral("1:2.5:40")}),
        0)
        << cli.err.toStdString();
    ASSERT_EQ(cli.run({QStringLiteral("journal"), QStringLiteral("incoming"), QStringLiteral("--from"),
                  QStringLiteral("01.06.2026"), QStringLiteral("--to"), QStringLiteral("05.06.2026"),
                  QStringLiteral("--json")}),
        0)
        << cli.err.toStdString();
    const QJsonArray rows = QJsonDocument::fromJson(cli.out.toUtf8()).array();
    ASSERT_EQ(rows.size(), 1) << cli.out.toStdString();
    EXPECT_EQ(rows[0].toObject()[QStringLiteral("Номер")].toString(), u"17");
    EXPECT_EQ(rows[0].toObject()[QStringLiteral("l1")].toString(), u"ООО Хлеб");

    const QString file = cli.dir.filePath(QStringLiteral("in.xlsx"));
    ASSERT_EQ(cli.run({QStringLiteral("journal"), QStringLiteral("incoming"), QStringLiteral("--from"),
                  QStringLiteral("06.06.2026"), QStringLiteral("--to"), QStringLiteral("30.06.2026"),
                  QStringLiteral("-o"), file}),
        0);
    EXPECT_TRUE(readSheet(file).cell(QStringLiteral("A6")).isUndefined()) << "nothing received in that period";
    EXPECT_EQ(cli.run({QStringLiteral("journal"), QStringLiteral("incoming"), QStringLiteral("--from"),
                  QStringLiteral("31.06.2026"), QStringLiteral("--to"), QStringLiteral("30.06.2026")}),
        1);
}

} // namespace
} // namespace kulvera::test

namespace kulvera::test {
namespace {

// The demo kitchen comes with the rejection journal of its first day's menus:
// one row per dish of each group, and saving the menu again adds nothing.
TEST(CliJournals, DemoKitchenHasTheRejectionJournalOfItsServedMenus)
{
    QTemporaryDir dir;
    const QString kitchen = dir.filePath(QStringLiteral("kitchen"));
    CliRunner own(dir.filePath(QStringLiteral("own.ini")));
    ASSERT_EQ(own.run({QStringLiteral("demo"), kitchen}), 0) << own.err.toStdString();
    CliRunner cli(QDir(kitchen).filePath(QStringLiteral("Kulvera.ini")));
    const QString first = formatTextDate(demoKitchenFirstDay(QDate::currentDate()));
    const QString group = QStringLiteral("Дети 7-11 лет");
    ASSERT_EQ(cli.run({QStringLiteral("journal"), QStringLiteral("rejection"), QStringLiteral("list"),
                  QStringLiteral("--date"), first, QStringLiteral("--group"), group, QStringLiteral("--json")}),
        0)
        << cli.err.toStdString();
    const QJsonArray rows = QJsonDocument::fromJson(cli.out.toUtf8()).array();
    EXPECT_GT(rows.size(), 3);
    QStringList dishes;
    for (const QJsonValue &r : rows)
        dishes << r.toObject()[QStringLiteral("dish_name")].toString();
    dishes.removeDuplicates();
    EXPECT_EQ(dishes.size(), rows.size());
    ASSERT_EQ(cli.run({QStringLiteral("journal"), QStringLiteral("rejection"), QStringLiteral("save-menu"),
                  QStringLiteral("--date"), first, QStringLiteral("--group"), group}),
        0)
        << cli.err.toStdString();
    EXPECT_EQ(cli.out.trimmed(), u"0");
}

} // namespace
} // namespace kulvera::test
