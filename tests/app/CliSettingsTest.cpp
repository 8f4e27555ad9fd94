#include "support/CliRunner.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kulvera;

using Cli = kulvera::test::TempCli;

TEST(CliSettings, GetSetDeleteBySectionNameOrCode)
{
    Cli cli;
    EXPECT_EQ(cli.run({QStringLiteral("settings"), QStringLiteral("get"), QStringLiteral("Bl"),
                  QStringLiteral("NameBlBase")}),
        0);
    EXPECT_EQ(cli.out, u"bl_base.db\n");
    EXPECT_EQ(cli.run({QStringLiteral("settings"), QStringLiteral("set"), QStringLiteral("3"),
                  QStringLiteral("NameBlBase"), QStringLiteral("school.db")}),
        0);
    EXPECT_EQ(cli.run({QStringLiteral("settings"), QStringLiteral("get"), QStringLiteral("bl"),
                  QStringLiteral("NameBlBase")}),
        0);
    EXPECT_EQ(cli.out, u"school.db\n");
    EXPECT_EQ(cli.run({QStringLiteral("settings"), QStringLiteral("delete"), QStringLiteral("Bl"),
                  QStringLiteral("NameBlBase")}),
        0);
    EXPECT_EQ(cli.run({QStringLiteral("settings"), QStringLiteral("get"), QStringLiteral("Bl"),
                  QStringLiteral("NameBlBase")}),
        0);
    EXPECT_EQ(cli.out, u"bl_base.db\n");
}

TEST(CliSettings, WrongUsageSaysHowAndChangesNothing)
{
    Cli cli;
    EXPECT_EQ(cli.run({QStringLiteral("settings"), QStringLiteral("set"), QStringLiteral("Nowhere"),
                  QStringLiteral("k"), QStringLiteral("v")}),
        2);
    EXPECT_TRUE(cli.err.contains(u"Unknown section"));
    EXPECT_EQ(cli.run({QStringLiteral("settings"), QStringLiteral("get")}), 2);
    EXPECT_EQ(cli.run({QStringLiteral("frobnicate")}), 2);
    EXPECT_EQ(cli.run({QStringLiteral("help")}), 0);
    EXPECT_TRUE(cli.out.contains(u"settings get|set|delete"));
}
