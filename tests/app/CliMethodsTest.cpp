#include "support/CliRunner.h"

#include "support/TempBases.h"
#include "util/MethodStore.h"

#include <gtest/gtest.h>

using namespace kulvera;
using kulvera::test::TempBases;

namespace {

struct MethodsCli {
    TempBases bases;
    test::CliRunner runner {QDir(bases.root()).filePath(QStringLiteral("settings.ini"))};
    QString &out = runner.out;
    QString &err = runner.err;
    int run(const QStringList &args)
    {
        bases.settings().sync();
        return runner.run(args);
    }
};

} // namespace

TEST(CliMethods, ListsMethodsWithTheirParametersHiddenOnlyOnRequest)
{
    MethodsCli cli;
    ASSERT_NE(cli.bases.create(BaseId::Methods), Connections::kFailed);
    MethodStore store(cli.bases.connections().database(BaseId::Methods));
    const int dry = *store.addMethod(QStringLiteral("Сухие вещества"));
    store.setMethodField(dry, MethodField::Formula, QStringLiteral("m1/m*100"));
    store.setMethodField(dry, MethodField::Unit, QStringLiteral("%"));
    const int p = *store.addParam(dry, QStringLiteral("навеска"));
    store.setParamField(p, ParamField::Designation, QStringLiteral("m"));
    store.setParamField(p, ParamField::Unit, QStringLiteral("г"));
    const int old = *store.addMethod(QString());
    store.setMethodField(old, MethodField::Hidden, true);

    EXPECT_EQ(cli.run({QStringLiteral("methods"), QStringLiteral("list")}), 0) << cli.err.toStdString();
    EXPECT_EQ(cli.out, QStringLiteral("%1\tСухие вещества\tm1/m*100\t%\n    m\tнавеска [г]\n").arg(dry));
    EXPECT_EQ(cli.run({QStringLiteral("methods"), QStringLiteral("list"), QStringLiteral("--all")}), 0);
    EXPECT_TRUE(cli.out.endsWith(QStringLiteral("%1\t[название не задано] (скрыт)\t\n").arg(old)));

    EXPECT_EQ(cli.run({QStringLiteral("methods"), QStringLiteral("show")}), 2);
    EXPECT_TRUE(cli.err.contains(u"methods list"));
}

TEST(CliMethods, AMissingBaseIsAFailure)
{
    MethodsCli cli;
    EXPECT_EQ(cli.run({QStringLiteral("methods"), QStringLiteral("list")}), 1);
    EXPECT_TRUE(cli.err.contains(u"Cannot open the methods base"));
}
