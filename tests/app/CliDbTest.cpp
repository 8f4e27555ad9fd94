#include "cli/CliCommand.h"
#include "shell/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kulvera;

namespace {

struct Cli {
    QTemporaryDir dir;
    QString settings = dir.filePath(QStringLiteral("s.ini"));
    QString out, err;
    Cli()
    {
        SettingsStore s(settings);
        s.save(Section::Data, QStringLiteral("Dir_book"), dir.filePath(QStringLiteral("KV_Bases")));
        s.sync();
    }
    QString bases() const { return dir.filePath(QStringLiteral("KV_Bases/DB")); }
    int run(QStringList args)
    {
        out.clear();
        err.clear();
        QTextStream o(&out), e(&err);
        return runCli(QStringList{QStringLiteral("--settings"), settings} + args, o, e);
    }
};

} // namespace

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
    cli.run({QStringLiteral("db"), QStringLiteral("query"), QStringLiteral("dishes"), QStringLiteral("SELECT COUNT(*) FROM \"Base_ID\"")});
    EXPECT_TRUE(cli.out.endsWith(u"\n1\n"));

    ASSERT_EQ(cli.run({QStringLiteral("db"), QStringLiteral("compact"), QStringLiteral("menu")}), 0) << cli.err.toStdString();
    EXPECT_TRUE(cli.out.contains(u"Menu.db"));
    EXPECT_EQ(cli.run({QStringLiteral("db"), QStringLiteral("compact"), QStringLiteral("nowhere")}), 2);
}
