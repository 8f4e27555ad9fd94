#include "support/CliRunner.h"
#include "support/TestServer.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace kulvera;

namespace {

// The per-table lines of a copy's report ("  table<TAB>rows<TAB>sha256 ...").
QStringList tableLines(const QString &out)
{
    QStringList lines = out.split(u'\n').filter(QRegularExpression(QStringLiteral("^  ")));
    lines.sort();
    return lines;
}

} // namespace

TEST(CliDbServer, InitOnTheServerThenCopyToFilesAndBackKeepsEveryTable)
{
    if (!test::testCluster()) {
        if (qEnvironmentVariableIsSet("CI"))
            FAIL() << "KULVERA_PG_TEST is not set";
        GTEST_SKIP() << "no PostgreSQL test cluster (KULVERA_PG_TEST)";
    }
    test::TempCli cli;
    test::TestServerDatabase first;
    const QString conninfo = connInfoText(first.settings());
    ASSERT_EQ(cli.run({QStringLiteral("db"), QStringLiteral("init"), QStringLiteral("--engine"),
                  QStringLiteral("postgres"), conninfo}),
        0)
        << cli.err.toStdString();
    EXPECT_TRUE(cli.out.contains(u"created postgres:" + first.settings().database + u"/prod"));
    EXPECT_TRUE(cli.out.contains(u"seed data loaded"));
    // A second init finds every schema there and makes none.
    ASSERT_EQ(cli.run({QStringLiteral("db"), QStringLiteral("init"), QStringLiteral("--engine"),
                  QStringLiteral("postgres"), conninfo}),
        0)
        << cli.err.toStdString();
    EXPECT_TRUE(cli.out.contains(u"0 bases created"));

    const QString folder = cli.dir.filePath(QStringLiteral("copy"));
    ASSERT_EQ(cli.run({QStringLiteral("db"), QStringLiteral("copy"), QStringLiteral("--from"),
                  QStringLiteral("postgres:") + conninfo, QStringLiteral("--to"), QStringLiteral("sqlite:") + folder}),
        0)
        << cli.err.toStdString();
    const QStringList toFiles = tableLines(cli.out);
    EXPECT_TRUE(cli.out.contains(u"products: "));
    ASSERT_FALSE(toFiles.isEmpty());
    // The seeded product table arrived with its rows.
    const QStringList products = toFiles.filter(QRegularExpression(QStringLiteral("^  dt010\\t")));
    ASSERT_EQ(products.size(), 1);
    EXPECT_FALSE(products.first().contains(u"\t0 rows"));

    // Into a server that holds the bases already: refused base by base, nothing changed.
    EXPECT_NE(cli.run({QStringLiteral("db"), QStringLiteral("copy"), QStringLiteral("--from"),
                  QStringLiteral("sqlite:") + folder, QStringLiteral("--to"), QStringLiteral("postgres:") + conninfo}),
        0);
    EXPECT_TRUE(cli.err.contains(u"База уже есть"));

    test::TestServerDatabase second;
    ASSERT_EQ(cli.run({QStringLiteral("db"), QStringLiteral("copy"), QStringLiteral("--from"),
                  QStringLiteral("sqlite:") + folder, QStringLiteral("--to"),
                  QStringLiteral("postgres:") + connInfoText(second.settings())}),
        0)
        << cli.err.toStdString();
    // The same tables with the same counts and checksums on the way back.
    EXPECT_EQ(tableLines(cli.out), toFiles);

    // With the server chosen in the settings, a query reads the base's schema and may not write.
    {
        SettingsStore settings(cli.settingsFile());
        saveServerSettings(settings, second.settings());
        settings.sync();
    }
    ASSERT_EQ(cli.run({QStringLiteral("db"), QStringLiteral("query"), QStringLiteral("products"),
                  QStringLiteral("SELECT count(*) AS n FROM dt010")}),
        0)
        << cli.err.toStdString();
    EXPECT_EQ(cli.out.split(u'\n').value(1), products.first().section(u'\t', 1, 1).section(u' ', 0, 0));
    EXPECT_NE(cli.run({QStringLiteral("db"), QStringLiteral("query"), QStringLiteral("products"),
                  QStringLiteral("DELETE FROM dt010")}),
        0);
    EXPECT_EQ(cli.run({QStringLiteral("db"), QStringLiteral("copy"), QStringLiteral("--from"),
                  QStringLiteral("mysql:x"), QStringLiteral("--to"), QStringLiteral("sqlite:") + folder}),
        kExitUsage);
}
