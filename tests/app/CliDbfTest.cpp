#include "support/CliRunner.h"

#include "common/ScriptedPrompter.h"
#include "interchange/DbfExport.h"
#include "interchange/clsDBF.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kulvera;

namespace {

using Cli = kulvera::test::TempCli;

TEST(CliDbf, DumpShowsHeaderFieldsAndRecordsAsUtf8)
{
    Cli cli;
    ScriptedPrompter prompter;
    FixedClock clock(QDate(2024, 5, 17));
    const QString file = cli.dir.filePath(QStringLiteral("prods.dbf"));
    const std::vector<QVariantList> rows = {
        {1, QStringLiteral("Мука"), QStringLiteral("Мука пшеничная высшего сорта"), QStringLiteral("ГОСТ 26574"), 3,
            45.5, 1, 100, 14, 10.3, 1.1, 0.2, 68.7, 3.5, 0.5, 334},
        {2, QStringLiteral("Сахар"), QVariant(), QVariant(), QVariant(), 80, 1, 100, 0.1, 0, 0, 99.8, 0, 0, 0, 399},
    };
    ASSERT_TRUE(exportDbfRows(file, productsDbfTable(), rows, prompter, &clock).ok())
        << prompter.transcript().toStdString();

    EXPECT_EQ(cli.run({QStringLiteral("dbf"), QStringLiteral("dump"), file}), 0) << cli.err.toStdString();
    EXPECT_TRUE(cli.out.contains(u"Type: 3 (FoxBASE+/dBASE III+, no memo)"));
    EXPECT_TRUE(cli.out.contains(u"Code page mark: 101, text in 866"));
    EXPECT_TRUE(cli.out.contains(u"Last update: 17.05.2024"));
    EXPECT_TRUE(cli.out.contains(u"Records: 2"));
    EXPECT_TRUE(cli.out.contains(u"  4 КОД_ГРУППЫ N 10 0 dao=4"));
    EXPECT_TRUE(cli.out.contains(u"#0 КОД=1 | ИМЯ=Мука | ИМЯ2=Мука пшеничная высшего сорта"));
    EXPECT_TRUE(cli.out.contains(u"ЦЕНА=45,5"));
    EXPECT_TRUE(cli.out.contains(u"#1 КОД=2 | ИМЯ=Сахар | ИМЯ2= | ГОСТ= | КОД_ГРУППЫ= | ЦЕНА=80"));

    // Field names are stored in code page 866.
    QFile raw(file);
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    EXPECT_EQ(raw.read(35).right(3), QByteArray("\x8A\x8E\x84"));
}

TEST(CliDbf, ExportOfRecipesWritesMemoAndReplacesOnlyWhenAllowed)
{
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    const QString file = dir.filePath(QStringLiteral("dishes.dbf"));
    const std::vector<QVariantList> rows = {
        {7, QStringLiteral("Каша гречневая"), 1, QStringLiteral("200/10"), QStringLiteral("pro00000001"), 12,
            QStringLiteral("Крупа гречневая"), 52.5, 52.5, QStringLiteral("Крупу перебирают, промывают, варят.")},
        {7, QStringLiteral("Каша гречневая"), 1, QStringLiteral("200/10"), QStringLiteral("pro00000002"), 31,
            QStringLiteral("Масло сливочное"), 10, 10, QVariant()},
    };
    ASSERT_TRUE(exportDbfRows(file, recipesDbfTable(), rows, prompter).ok()) << prompter.transcript().toStdString();
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("dishes.dbt"))));

    clsDBF db(prompter);
    ASSERT_TRUE(db.OpenFile(file).ok());
    EXPECT_EQ(db.RecordCount(), 2);
    ASSERT_TRUE(db.MoveFirst().ok());
    EXPECT_EQ(db.GetFieldValue(QStringLiteral("ТЕХНОЛОГИЯ"))->toString(), u"Крупу перебирают, промывают, варят.");
    EXPECT_EQ(db.GetFieldValue(QStringLiteral("ВЫХОД"))->toString(), u"200/10");
    ASSERT_TRUE(db.CloseFile().ok());

    // A row of the wrong width fails, and the earlier file stays as it was.
    const QByteArray before = [&] {
        QFile f(file);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    prompter.expect(QStringLiteral("Удалить его?"), Prompter::Answer::Yes);
    EXPECT_FALSE(exportDbfRows(file, recipesDbfTable(), {{1, 2}}, prompter).ok());
    EXPECT_TRUE(prompter.saw(QStringLiteral("Строка 1: ожидается значений 10, получено 2.")));
    QFile after(file);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2); // no temporary left behind

    // Without agreement an existing file is kept.
    EXPECT_FALSE(exportDbfRows(file, recipesDbfTable(), rows, prompter).ok());
    EXPECT_EQ(prompter.unexpected().size(), 1);
}

TEST(CliDbf, ExportsTheSeededProductBaseAndRecipeTables)
{
    Cli cli;
    const QString file = cli.dir.filePath(QStringLiteral("prods.dbf"));
    ASSERT_EQ(cli.run({QStringLiteral("db"), QStringLiteral("init")}), 0);
    ASSERT_EQ(cli.run({QStringLiteral("dbf"), QStringLiteral("export-products"), file}), 0) << cli.err.toStdString();
    EXPECT_TRUE(cli.out.contains(u"products exported"));
    ASSERT_EQ(cli.run({QStringLiteral("dbf"), QStringLiteral("dump"), file}), 0);
    EXPECT_TRUE(cli.out.contains(u"Морковь"));
    EXPECT_TRUE(cli.out.contains(u"ИМЯ2"));

    const QString dishes = cli.dir.filePath(QStringLiteral("dishes.dbf"));
    ASSERT_EQ(cli.run({QStringLiteral("dbf"), QStringLiteral("export-recipes"), QStringLiteral("dt001"), dishes}), 0)
        << cli.err.toStdString();
    EXPECT_TRUE(QFile::exists(dishes));
    EXPECT_EQ(cli.run({QStringLiteral("dbf"), QStringLiteral("export-recipes"), QStringLiteral("no_such"), dishes}), 1);
}

TEST(CliDbf, ExportsWithoutBasesAndDumpRefusesBadFiles)
{
    Cli cli;
    const QString file = cli.dir.filePath(QStringLiteral("x.dbf"));
    EXPECT_EQ(cli.run({QStringLiteral("dbf"), QStringLiteral("export-products"), file}), 1);
    EXPECT_TRUE(cli.err.contains(u"Не удалось подключиться к базе продуктов"));
    EXPECT_EQ(cli.run({QStringLiteral("dbf"), QStringLiteral("export-recipes"), QStringLiteral("dt020"), file}), 1);
    EXPECT_TRUE(cli.err.contains(u"Не удалось подключиться к базе блюд"));
    EXPECT_FALSE(QFile::exists(file));

    EXPECT_EQ(cli.run({QStringLiteral("dbf"), QStringLiteral("dump"), file}), 1);
    QFile bad(file);
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("garbage that is not a table");
    bad.close();
    EXPECT_EQ(cli.run({QStringLiteral("dbf"), QStringLiteral("dump"), file}), 1);
    EXPECT_EQ(cli.run({QStringLiteral("dbf"), QStringLiteral("dump")}), 2);
    EXPECT_EQ(
        cli.run({QStringLiteral("dbf"), QStringLiteral("dump"), file, QStringLiteral("--cp"), QStringLiteral("437")}),
        2);
    EXPECT_EQ(cli.run({QStringLiteral("dbf")}), 2);
}

} // namespace
