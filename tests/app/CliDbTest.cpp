#include "shell/DbMaintenance.h"
#include "shell/SettingsStore.h"
#include "support/CliRunner.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kulvera;

using Cli = kulvera::test::TempCli;

TEST(CliDb, InitCheckQueryAndCompact)
{
    Cli cli;
    EXPECT_EQ(cli.run({QStringLiteral("db"), QStringLiteral("check")}), 1); // nothing deployed yet
    EXPECT_TRUE(cli.out.contains(u"NOT CONNECTED"));

    ASSERT_EQ(cli.run({QStringLiteral("db"), QStringLiteral("init")}), 0) << cli.err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(cli.bases() + QStringLiteral("/bl_base.db")));
    EXPECT_TRUE(QFileInfo::exists(cli.bases() + QStringLiteral("/Menu.db")));

    ASSERT_EQ(cli.run({QStringLiteral("db"), QStringLiteral("check")}), 0) << cli.out.toStdString();
    EXPECT_TRUE(cli.out.contains(u"Все базы данных подключены!"));

    ASSERT_EQ(cli.run({QStringLiteral("db"), QStringLiteral("query"), QStringLiteral("dishes"),
                  QStringLiteral("SELECT \"BD_Name\", \"BD_Table\" FROM \"Base_ID\"")}),
        0);
    EXPECT_EQ(cli.out, u"BD_Name\tBD_Table\nОсновная\tdt001\n");

    // Read-only: a change is refused and nothing is written.
    EXPECT_EQ(cli.run({QStringLiteral("db"), QStringLiteral("query"), QStringLiteral("dishes"),
                  QStringLiteral("DELETE FROM \"Base_ID\"")}),
        1);
    cli.run({QStringLiteral("db"), QStringLiteral("query"), QStringLiteral("dishes"),
        QStringLiteral("SELECT COUNT(*) FROM \"Base_ID\"")});
    EXPECT_TRUE(cli.out.endsWith(u"\n1\n"));

    ASSERT_EQ(cli.run({QStringLiteral("db"), QStringLiteral("compact"), QStringLiteral("menu")}), 0)
        << cli.err.toStdString();
    EXPECT_TRUE(cli.out.contains(u"Menu.db"));
    EXPECT_EQ(cli.run({QStringLiteral("db"), QStringLiteral("compact"), QStringLiteral("nowhere")}), 2);
}

TEST(CliStartup, RunsTheStartSequenceOnAFreshFolder)
{
    Cli cli;
    const QString dir = cli.dir.filePath(QStringLiteral("bases"));
    // A configured folder that is missing ends the start.
    ASSERT_EQ(cli.run({QStringLiteral("--yes"), QStringLiteral("startup-check"), QStringLiteral("DIR:") + dir}), 1);
    EXPECT_TRUE(cli.out.contains(u"Start ended"));
    QDir().mkpath(dir + QStringLiteral("/DB"));
    ASSERT_EQ(cli.run({QStringLiteral("db"), QStringLiteral("init"), dir + QStringLiteral("/DB")}), 0);
    // --yes: in-process the locale is the test's, not the one kulvera-cli pins in its main.
    ASSERT_EQ(cli.run({QStringLiteral("--yes"), QStringLiteral("startup-check"), QStringLiteral("/DIR:") + dir}), 0)
        << cli.out.toStdString();
    EXPECT_TRUE(cli.out.contains(u"Connect"));
    EXPECT_TRUE(cli.out.contains(u"Программа загружена и готова к работе"));
    EXPECT_TRUE(cli.out.contains(dir + QStringLiteral("/DB/Menu.db")));
    // The working copies of the run are gone with it.
    EXPECT_FALSE(QFileInfo::exists(sessionTempFolder(QStandardPaths::writableLocation(QStandardPaths::TempLocation))));
}

TEST(CliStartup, ProductReplacementRunsAtStartAndEnds)
{
    Cli cli;
    ASSERT_EQ(cli.run({QStringLiteral("db"), QStringLiteral("init")}), 0);
    ASSERT_EQ(cli.run({QStringLiteral("--yes"), QStringLiteral("startup-check"), QStringLiteral("/RP1,2")}), 1);
    EXPECT_TRUE(cli.out.contains(u"Start ended"));
    EXPECT_FALSE(cli.out.contains(u"Connected bases"));
    // The dish base was copied into the archive folder before the change.
    const QStringList copies
        = QDir(cli.bases() + QStringLiteral("/rescopy")).entryList({QStringLiteral("bl_base_*_1.db")});
    EXPECT_EQ(copies.size(), 1) << cli.out.toStdString() << cli.err.toStdString();
}
