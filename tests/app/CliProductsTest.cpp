#include "cli/CliCommand.h"
#include "products/ProductFile.h"
#include "shell/SettingsStore.h"

#include <QDir>
#include <QFile>
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
    int run(QStringList args)
    {
        out.clear();
        err.clear();
        QTextStream o(&out), e(&err);
        return runCli(QStringList {QStringLiteral("--settings"), settings} + args, o, e);
    }
};

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(CliProducts, ImportListShowExportAndRefusals)
{
    Cli cli;
    ASSERT_EQ(cli.run({QStringLiteral("db"), QStringLiteral("init")}), 0) << cli.err.toStdString();

    ProductRow row;
    row.prod.FullName = QStringLiteral("Капуста кольраби опытная");
    row.prod.ShortName = QStringLiteral("Кольраби опытная");
    row.setOut(80);
    row.losses[0] = 80;
    row.variants[0] = QStringLiteral("Очистка");
    row.prod.Voda = 90.4;
    row.prod.c = 45;
    const QString in = cli.dir.filePath(QStringLiteral("in.prod"));
    {
        QFile f(in);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(encodeProductFile(row, QStringLiteral("1")));
    }
    ASSERT_EQ(cli.run({QStringLiteral("products"), QStringLiteral("import-prod"), in}), 0) << cli.err.toStdString();
    EXPECT_TRUE(cli.out.startsWith(u"added "));
    // A second import of the same name asks; the CLI answers No unless --yes.
    EXPECT_EQ(cli.run({QStringLiteral("products"), QStringLiteral("import-prod"), in}), 1);
    ASSERT_EQ(cli.run({QStringLiteral("--yes"), QStringLiteral("products"), QStringLiteral("import-prod"), in}), 0);

    // The seeded base holds other products; ours take the next keys.
    ASSERT_EQ(cli.run({QStringLiteral("products"), QStringLiteral("list"), QStringLiteral("--search"),
                  QStringLiteral("КОЛЬРАБИ ОПЫТНАЯ")}),
        0);
    const QStringList lines = cli.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    const QString key = lines[0].section(u'\t', 0, 0);
    EXPECT_EQ(lines[0].section(u'\t', 1), u"Капуста кольраби опытная\tКольраби опытная\t80");
    EXPECT_EQ(lines[1].section(u'\t', 0, 0).toInt(), key.toInt() + 1);
    ASSERT_EQ(cli.run({QStringLiteral("products"), QStringLiteral("list"), QStringLiteral("--search"),
                  QStringLiteral("несуществующий продукт")}),
        0);
    EXPECT_TRUE(cli.out.isEmpty());

    ASSERT_EQ(cli.run({QStringLiteral("products"), QStringLiteral("show"), key}), 0);
    EXPECT_TRUE(cli.out.contains(u"Вода\t90,4\tг\n"));
    EXPECT_TRUE(cli.out.contains(u"Вариант 1\tОчистка\t80\n"));

    const QString out = cli.dir.filePath(QStringLiteral("out.prod"));
    ASSERT_EQ(cli.run({QStringLiteral("products"), QStringLiteral("export-prod"), key, out}), 0)
        << cli.err.toStdString();
    EXPECT_EQ(readAll(out), encodeProductFile(row, key));

    EXPECT_EQ(cli.run({QStringLiteral("products"), QStringLiteral("show"), QStringLiteral("99999")}), 1);
    EXPECT_TRUE(cli.err.contains(u"Продукт с кодом - 99999 не найден в базе!"));
    EXPECT_EQ(cli.run({QStringLiteral("products"), QStringLiteral("show"), QStringLiteral("abc")}), 2);
    {
        QFile f(in);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("KVB_PROD garbage");
    }
    EXPECT_EQ(cli.run({QStringLiteral("products"), QStringLiteral("import-prod"), in}), 1);
    EXPECT_TRUE(cli.err.contains(u"KVB_PROD"));
    EXPECT_EQ(cli.run({QStringLiteral("products"), QStringLiteral("sync")}), 1); // no delivered copy
    EXPECT_EQ(cli.run({QStringLiteral("products")}), 2);
}
