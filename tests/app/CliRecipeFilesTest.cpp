#include "support/CliRunner.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace kulvera;

namespace {

const QString kSoup = QStringLiteral("Суп картофельный на мясном бульоне");

struct Installed : test::TempCli {
    Installed() { EXPECT_EQ(run({QStringLiteral("db"), QStringLiteral("init")}), 0) << err.toStdString(); }

    QJsonObject computed(const QString &name)
    {
        EXPECT_EQ(run({QStringLiteral("recipes"), QStringLiteral("compute"), name, QStringLiteral("--json")}), 0)
            << err.toStdString();
        return QJsonDocument::fromJson(out.toUtf8()).object();
    }
};

} // namespace

// The demo soup (a stock boiled inside it) out to a file and back in under
// another name computes exactly as the original.
TEST(CliRecipeFiles, ExportedRecipeImportsBackWithTheSameComposition)
{
    Installed cli;
    const QString file = cli.dir.filePath(QStringLiteral("суп.nd2"));
    ASSERT_EQ(cli.run({QStringLiteral("recipes"), QStringLiteral("export-nd2"), kSoup, file}), 0)
        << cli.err.toStdString();
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.startsWith("[main]\r\n"));
    EXPECT_TRUE(bytes.contains("\r\nS=1697\r\n"));

    ASSERT_EQ(cli.run({QStringLiteral("recipes"), QStringLiteral("import-nd2"), file, QStringLiteral("--name"),
                  QStringLiteral("Суп из файла")}),
        0)
        << cli.err.toStdString();
    EXPECT_TRUE(cli.out.contains(u"Суп из файла"));

    const QJsonObject original = cli.computed(kSoup);
    const QJsonObject imported = cli.computed(QStringLiteral("Суп из файла"));
    ASSERT_FALSE(original.isEmpty());
    for (const char *key : {"output", "netto", "kcal", "kj", "totals", "per100g", "summary"})
        EXPECT_EQ(original.value(QLatin1String(key)), imported.value(QLatin1String(key))) << key;

    // The same name again: the dish base asks, and without --yes keeps its recipe.
    EXPECT_EQ(cli.run({QStringLiteral("recipes"), QStringLiteral("import-nd2"), file}), 1);
    EXPECT_EQ(cli.run({QStringLiteral("--yes"), QStringLiteral("recipes"), QStringLiteral("import-nd2"), file}), 0)
        << cli.err.toStdString();
}

TEST(CliRecipeFiles, ExportAllWritesOneDistinctFilePerRecipe)
{
    Installed cli;
    // Two names that clash once made safe for the file system, and a device name.
    const QString source = cli.dir.filePath(QStringLiteral("суп.nd2"));
    ASSERT_EQ(cli.run({QStringLiteral("recipes"), QStringLiteral("export-nd2"), kSoup, source}), 0);
    for (const char *name : {"Суп: вариант", "Суп? вариант", "con"}) {
        ASSERT_EQ(cli.run({QStringLiteral("recipes"), QStringLiteral("import-nd2"), source, QStringLiteral("--name"),
                      QString::fromUtf8(name)}),
            0)
            << cli.err.toStdString();
    }
    ASSERT_EQ(cli.run({QStringLiteral("recipes"), QStringLiteral("list")}), 0);
    const int recipes = static_cast<int>(cli.out.split(u'\n', Qt::SkipEmptyParts).size());

    const QString folder = cli.dir.filePath(QStringLiteral("все"));
    ASSERT_EQ(cli.run({QStringLiteral("recipes"), QStringLiteral("export-all"), QStringLiteral("Основная"), folder}), 0)
        << cli.err.toStdString();
    const QStringList files = QDir(folder).entryList({QStringLiteral("*.nd2")}, QDir::Files);
    EXPECT_EQ(files.size(), recipes);
    EXPECT_TRUE(files.contains(QStringLiteral("Суп_ вариант.nd2")));
    EXPECT_TRUE(files.contains(QStringLiteral("Суп_ вариант (2).nd2")));
    EXPECT_TRUE(files.contains(QStringLiteral("_con.nd2")));

    // Every file reads back.
    for (const QString &file : files) {
        EXPECT_EQ(cli.run({QStringLiteral("--yes"), QStringLiteral("recipes"), QStringLiteral("import-nd2"),
                      QDir(folder).filePath(file)}),
            0)
            << file.toStdString() << cli.err.toStdString();
    }
}

TEST(CliRecipeFiles, BadFilesAndWordsAreRefused)
{
    Installed cli;
    const QString bad = cli.dir.filePath(QStringLiteral("bad.nd2"));
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[main]\r\ntype=nd1\r\nversion=2\r\ncount=1\r\n");
    f.close();
    EXPECT_EQ(cli.run({QStringLiteral("recipes"), QStringLiteral("import-nd2"), bad}), 1);
    EXPECT_TRUE(cli.err.contains(u"Ошибка типа (значение type)"));
    EXPECT_EQ(cli.run({QStringLiteral("recipes"), QStringLiteral("import-nd2")}), 2);
    EXPECT_EQ(cli.run({QStringLiteral("recipes"), QStringLiteral("export-nd2"), kSoup}), 2);
    EXPECT_EQ(cli.run({QStringLiteral("recipes"), QStringLiteral("export-nd2"), kSoup, bad, QStringLiteral("--x"),
                  QStringLiteral("1")}),
        2);
    EXPECT_EQ(cli.run({QStringLiteral("recipes"), QStringLiteral("export-nd2"), QStringLiteral("Нет такого"),
                  cli.dir.filePath(QStringLiteral("n.nd2"))}),
        1);
    EXPECT_FALSE(QFile::exists(cli.dir.filePath(QStringLiteral("n.nd2"))));
}
