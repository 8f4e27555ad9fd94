#include "documents/DocumentTestSupport.h"
#include "menus/MenuTestSupport.h"

#include "support/CliRunner.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace kulvera::test {
namespace {

// A saved day (borscht and stewed fruit for lunch, half a stewed fruit for
// breakfast), driven through `kulvera-cli menus statement`.
struct StatementCli : MenuFixture {
    CliRunner runner {QDir(t.root()).filePath(QStringLiteral("settings.ini"))};

    StatementCli() { EXPECT_TRUE(base.save(lunch(QString()))); }

    int run(QStringList args)
    {
        t.settings().sync();
        return runner.run(QStringList {QStringLiteral("menus"), QStringLiteral("statement")} + args);
    }
};

TEST(CliStatement, OneDayGivesOneDayRowWhoseMassesAreTheTotals)
{
    StatementCli cli;
    ASSERT_EQ(cli.run({QStringLiteral("--from"), QStringLiteral("02.03.2026"), QStringLiteral("--to"),
                  QStringLiteral("2026-03-02"), QStringLiteral("--json")}),
        0)
        << cli.runner.err.toStdString();
    const QJsonObject root = QJsonDocument::fromJson(cli.runner.out.toUtf8()).object();
    QStringList codes;
    for (const QJsonValue &p : root.value(QStringLiteral("products")).toArray())
        codes << p.toObject().value(QStringLiteral("code")).toString();
    EXPECT_EQ(
        codes, (QStringList {QStringLiteral("11"), QStringLiteral("12"), QStringLiteral("21"), QStringLiteral("22")}));
    const QJsonArray days = root.value(QStringLiteral("days")).toArray();
    ASSERT_EQ(days.size(), 1);
    EXPECT_EQ(days[0].toObject().value(QStringLiteral("day")).toString(), u"1 день.");
    // Gross: borscht 120 and 80 (inside its semi-finished product), stewed fruit 40 + 20 and half of it.
    const QJsonArray expected {120.0, 80.0, 60.0, 30.0};
    EXPECT_EQ(days[0].toObject().value(QStringLiteral("masses")).toArray(), expected);
    EXPECT_EQ(root.value(QStringLiteral("totals")).toArray(), expected);

    ASSERT_EQ(cli.run({QStringLiteral("--from"), QStringLiteral("02.03.2026"), QStringLiteral("--to"),
                  QStringLiteral("02.03.2026"), QStringLiteral("--net")}),
        0);
    EXPECT_TRUE(cli.runner.out.contains(QStringLiteral("Итого\t100,00\t60,00\t52,50\t30,00")))
        << cli.runner.out.toStdString();
}

TEST(CliStatement, EndBeforeStartIsRefusedAndAWorkbookCarriesTheSumFormula)
{
    StatementCli cli;
    EXPECT_EQ(cli.run({QStringLiteral("--from"), QStringLiteral("03.03.2026"), QStringLiteral("--to"),
                  QStringLiteral("02.03.2026")}),
        1);
    EXPECT_TRUE(cli.runner.out.isEmpty()) << "the prompter says why, on the console";
    EXPECT_EQ(cli.run({QStringLiteral("--from"), QStringLiteral("02.03.2026")}), 2);

    const QString file = QDir(cli.t.root()).filePath(QStringLiteral("ведомость.xlsx"));
    ASSERT_EQ(cli.run({QStringLiteral("--from"), QStringLiteral("01.03.2026"), QStringLiteral("--to"),
                  QStringLiteral("02.03.2026"), QStringLiteral("-o"), file}),
        0)
        << cli.runner.err.toStdString();
    const Sheet sheet = readSheet(file);
    EXPECT_EQ(sheet.cell(QStringLiteral("A5")).toString(), u"1 день.");
    EXPECT_TRUE(sheet.cell(QStringLiteral("B5")).isUndefined()) << "no ration on the first";
    EXPECT_DOUBLE_EQ(sheet.cell(QStringLiteral("B6")).toDouble(), 120.0);
    EXPECT_EQ(sheet.cell(QStringLiteral("A7")).toString(), u"Итого");
    EXPECT_EQ(sheet.cell(QStringLiteral("E7")).toString(), u"=SUM(E5:E6)");
}

} // namespace
} // namespace kulvera::test
