#include "support/CliRunner.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kulvera;

using EvalCli = kulvera::test::TempCli;

TEST(CliEval, PrintsTheValueWithTheProgramsComma)
{
    EvalCli cli;
    EXPECT_EQ(cli.run({QStringLiteral("eval"), QStringLiteral("2^3^2 - 10\\4")}), 0);
    EXPECT_EQ(cli.out, u"62\n");
    EXPECT_EQ(
        cli.run({QStringLiteral("eval"), QStringLiteral("a/b"), QStringLiteral("a=1,5"), QStringLiteral("b=3")}), 0);
    EXPECT_EQ(cli.out, u"0,5\n");
    EXPECT_EQ(
        cli.run({QStringLiteral("eval"), QStringLiteral("m1-m"), QStringLiteral("m=1"), QStringLiteral("m1=10.5")}), 0);
    EXPECT_EQ(cli.out, u"9,5\n");
}

TEST(CliEval, FailuresGoToStderrWithTheirExitCode)
{
    EvalCli cli;
    EXPECT_EQ(cli.run({QStringLiteral("eval"), QStringLiteral("1/0")}), 1);
    EXPECT_TRUE(cli.out.isEmpty());
    EXPECT_TRUE(cli.err.contains(u"Деление на ноль"));
    EXPECT_EQ(cli.run({QStringLiteral("eval"), QStringLiteral("foo+1")}), 1);
    EXPECT_TRUE(cli.err.contains(u"Неизвестное имя 'foo'"));
    EXPECT_EQ(cli.run({QStringLiteral("eval")}), 2);
    EXPECT_EQ(cli.run({QStringLiteral("eval"), QStringLiteral("a"), QStringLiteral("a=x")}), 2);
    EXPECT_TRUE(cli.err.contains(u"NAME=VALUE"));
}
