#include "support/CliRunner.h"

#include <QDate>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

using namespace kulvera;
using kulvera::test::TempCli;

namespace {

QString S(const char *text)
{
    return QString::fromUtf8(text);
}

class CliTurnover : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(cli.run({S("db"), S("init")}), 0) << cli.err.toStdString();
        ASSERT_EQ(cli.run({S("stock"), S("warehouses"), S("add"), S("Кухня")}), 0) << cli.err.toStdString();
        ASSERT_EQ(cli.run({S("stock"), S("suppliers"), S("add"), S("ООО Зерно")}), 0) << cli.err.toStdString();
        receive(S("1"), S("01.06.2026"), S("1:10:40"));
        receive(S("2"), S("03.06.2026"), S("1:5:40"));
        receive(S("3"), S("20.06.2026"), S("1:2:40"));
        ASSERT_EQ(cli.run({S("stock"), S("writeoff"), S("--warehouse"), S("Кухня"), S("--date"), S("10.06.2026"),
                      S("1:4"), S("--post")}),
            0)
            << cli.err.toStdString();
    }
    void receive(const QString &number, const QString &date, const QString &line)
    {
        ASSERT_EQ(cli.run({S("stock"), S("receive"), S("--warehouse"), S("Кухня"), S("--supplier"), S("ООО Зерно"),
                      S("--number"), number, S("--date"), date, line}),
            0)
            << cli.err.toStdString();
    }
    TempCli cli;
};

TEST_F(CliTurnover, TheReportGivesOpeningAndClosingBalancesThatAddUp)
{
    ASSERT_EQ(cli.run({S("stock"), S("turnover"), S("--from"), S("03.06.2026"), S("--to"), S("15.06.2026"),
                  S("--warehouse"), S("Кухня"), S("--json")}),
        0)
        << cli.err.toStdString();
    const QJsonArray rows = QJsonDocument::fromJson(cli.out.toUtf8()).array();
    ASSERT_EQ(rows.size(), 1);
    const QJsonObject r = rows[0].toObject();
    EXPECT_EQ(r[S("num_pp")].toInt(), 1);
    EXPECT_EQ(r[S("product")].toInteger(), 1);
    EXPECT_DOUBLE_EQ(r[S("St")].toDouble(), 10); // the receipt of the first day is incoming, not opening
    EXPECT_DOUBLE_EQ(r[S("Inc")].toDouble(), 5);
    EXPECT_DOUBLE_EQ(r[S("Out")].toDouble(), 4);
    EXPECT_DOUBLE_EQ(r[S("Fi")].toDouble(), 11);
    EXPECT_DOUBLE_EQ(r[S("WS")].toDouble(), 13);
    EXPECT_DOUBLE_EQ(r[S("St")].toDouble() + r[S("Inc")].toDouble() - r[S("Out")].toDouble(), r[S("Fi")].toDouble());

    ASSERT_EQ(cli.run({S("stock"), S("turnover"), S("--from"), S("2026-06-03"), S("--to"), S("15.06.2026")}), 0);
    EXPECT_TRUE(cli.out.startsWith(S("Номер п/п\tКод продукта\tСырье\tЕд. изм.\tОстаток на 03.06.2026\t")))
        << cli.out.toStdString();
    EXPECT_TRUE(cli.out.contains(S("\t10,000\t5,000\t4,000\t11,000\t13,000\n"))) << cli.out.toStdString();
}

TEST_F(CliTurnover, BadArgumentsAreRefused)
{
    EXPECT_EQ(cli.run({S("stock"), S("turnover"), S("--from"), S("03.06.2026")}), 2);
    EXPECT_EQ(cli.run({S("stock"), S("turnover"), S("--from"), S("03.06.2026"), S("--to"), S("x")}), 1);
    EXPECT_EQ(cli.run({S("stock"), S("turnover"), S("--from"), S("15.06.2026"), S("--to"), S("03.06.2026")}), 1);
    EXPECT_EQ(cli.run({S("stock"), S("turnover"), S("--from"), S("03.06.2026"), S("--to"), S("15.06.2026"),
                  S("--warehouse"), S("Нет такого")}),
        1);
    EXPECT_TRUE(cli.err.contains(S("Склад не найден")));
    // In-process there is no graphics: the picture is refused, not written without its text.
    EXPECT_EQ(cli.run({S("stock"), S("turnover"), S("--from"), S("03.06.2026"), S("--to"), S("15.06.2026"), S("--png"),
                  cli.dir.filePath(S("c.png"))}),
        1);
    EXPECT_FALSE(QFile::exists(cli.dir.filePath(S("c.png"))));
}

TEST_F(CliTurnover, TheProgramDrawsTheWeeklyChartHeadless)
{
    const QString png = cli.dir.filePath(S("chart.png"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(S("QT_QPA_PLATFORM"));
    environment.remove(S("DISPLAY"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(S(KULVERA_CLI_PATH),
        {S("--settings"), cli.settingsFile(), S("stock"), S("turnover"), S("--from"), S("01.06.2026"), S("--to"),
            S("30.06.2026"), S("--png"), png, S("--product"), S("1")});
    ASSERT_TRUE(process.waitForFinished(120000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    const QImage picture(png);
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), QSize(800, 480));
}

} // namespace
