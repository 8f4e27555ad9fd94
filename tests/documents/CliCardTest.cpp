#include "DocumentTestSupport.h"

#include "recipes/DishBase.h"
#include "shell/DishCollections.h"
#include "support/CliRunner.h"
#include "support/TempBases.h"

#include <QDir>
#include <QFileInfo>

using namespace kulvera;
using namespace kulvera::test;

namespace {

// A dish base with the recipes "Рагу" (4 products, output 90) and
// "Большое" (53 products).
struct CardCli {
    TempBases bases;
    CliRunner runner {QDir(bases.root()).filePath(QStringLiteral("settings.ini"))};
    QString out = QDir(bases.root()).filePath(QStringLiteral("card.xlsx"));

    void SetUpBases()
    {
        constexpr int kDishes = static_cast<int>(BaseId::Dishes);
        ASSERT_NE(bases.create(BaseId::Dishes), Connections::kFailed);
        const QString table = addCollection(bases.connections(), bases.settings(), QStringLiteral("Школа"))->table;
        const auto codec = installationCodec(bases.connections(), kDishes, bases.settings(), nullptr);
        DishBase base(bases.connections(), kDishes, bases.settings(), bases.prompter(), codec.value());
        colBludo ragout;
        fillProducts(ragout, 4);
        ragout.item(1)->clsProds().sCode = QStringLiteral("17");
        for (clsBludo &b : ragout)
            b.clsProds().Out = QStringLiteral("90");
        ASSERT_TRUE(base.save(ragout, table, QStringLiteral("Рагу"), {}));
        colBludo big;
        fillProducts(big, 53);
        for (clsBludo &b : big)
            b.clsProds().Out = QStringLiteral("530");
        ASSERT_TRUE(base.save(big, table, QStringLiteral("Большое"), {}));
        bases.connections().disconnectAll();
        bases.settings().sync();
    }
    int run(const QStringList &args)
    {
        return runner.run(args + QStringList {QStringLiteral("--table"), QStringLiteral("Школа")});
    }
};

TEST(CliCard, PrintsTheCardOfARecipeThroughTheDefaultTemplate)
{
    CardCli cli;
    cli.SetUpBases();
    ASSERT_EQ(cli.run({QStringLiteral("card"), QStringLiteral("Рагу"), QStringLiteral("-o"), cli.out}), 0)
        << cli.runner.err.toStdString();
    EXPECT_TRUE(cli.runner.out.contains(QStringLiteral("Норматив экспортирован. Ошибок при экспорте - 0")));
    EXPECT_TRUE(cli.runner.out.trimmed().endsWith(cli.out));
    const Sheet s = readSheet(cli.out);
    EXPECT_EQ(s.cell(QStringLiteral("C6")).toString(), QStringLiteral("Рагу"));
    EXPECT_EQ(s.cell(QStringLiteral("C17")).toString(), QStringLiteral("Продукт 4"));
    EXPECT_TRUE(s.rowHidden(18));
    // The templates were made in the installation's templates folder on the way.
    EXPECT_TRUE(QFileInfo::exists(QDir(cli.bases.root()).filePath(QStringLiteral("KV_Bases/Шаблоны/TTK.xlsx"))))
        << cli.runner.out.toStdString();

    // The same recipe for another output, as the generated card.
    ASSERT_EQ(cli.run({QStringLiteral("card"), QStringLiteral("Рагу"), QStringLiteral("--generated"),
                  QStringLiteral("--out"), QStringLiteral("180"), QStringLiteral("-o"), cli.out}),
        0)
        << cli.runner.err.toStdString();
    const QJsonObject generated = readSheet(cli.out).json[QStringLiteral("cells")].toObject();
    QStringList texts;
    for (const QJsonValue &v : generated)
        texts << v.toString();
    EXPECT_TRUE(texts.contains(QStringLiteral("Рецептура")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Выход готового блюда")));

    ASSERT_EQ(cli.run({QStringLiteral("card"), QStringLiteral("Рагу"), QStringLiteral("--composition"),
                  QStringLiteral("-o"), cli.out}),
        0)
        << cli.runner.err.toStdString();
    EXPECT_DOUBLE_EQ(readSheet(cli.out).cell(QStringLiteral("F65")).toDouble(), 90);
    ASSERT_EQ(cli.run({QStringLiteral("card"), QStringLiteral("Рагу"), QStringLiteral("--chemistry"),
                  QStringLiteral("-o"), cli.out}),
        0)
        << cli.runner.err.toStdString();
    EXPECT_EQ(readSheet(cli.out).cell(QStringLiteral("A4")).toString(), QStringLiteral("Основные пищевые вещества"));
}

TEST(CliCard, RefusalsLeaveTheOutputAlone)
{
    CardCli cli;
    cli.SetUpBases();
    const QString in = cli.out;
    ASSERT_EQ(cli.run({QStringLiteral("card"), QStringLiteral("Рагу"), QStringLiteral("-o"), in}), 0);
    const QByteArray before = fileBytes(in);

    EXPECT_EQ(cli.run({QStringLiteral("card"), QStringLiteral("Большое"), QStringLiteral("-o"), in}), 1);
    EXPECT_TRUE(cli.runner.err.contains(QStringLiteral("В рецептуре: 53 компонентов. Это больше допустимого")))
        << cli.runner.err.toStdString();
    EXPECT_EQ(cli.run({QStringLiteral("card"), QStringLiteral("Рагу"), QStringLiteral("--out"), QStringLiteral("0"),
                  QStringLiteral("-o"), in}),
        1);
    EXPECT_TRUE(cli.runner.err.contains(QStringLiteral("Выход изделия (блюда) равен 0. Подсчет не возможен.")))
        << cli.runner.err.toStdString();
    EXPECT_EQ(cli.run({QStringLiteral("card"), QStringLiteral("Нет такого"), QStringLiteral("-o"), in}), 1);
    EXPECT_EQ(cli.run({QStringLiteral("card"), QStringLiteral("Рагу"), QStringLiteral("--template"),
                  QStringLiteral("/nowhere/TTK.xlsx"), QStringLiteral("-o"), in}),
        1);
    EXPECT_TRUE(cli.runner.err.contains(QStringLiteral("Шаблон не найден: /nowhere/TTK.xlsx")));
    // The card's own file as its template.
    EXPECT_EQ(cli.run({QStringLiteral("card"), QStringLiteral("Рагу"), QStringLiteral("--template"), in,
                  QStringLiteral("-o"), in}),
        1);
    EXPECT_TRUE(cli.runner.err.contains(QStringLiteral("Документ нельзя записать поверх шаблона")));
    EXPECT_EQ(fileBytes(in), before);

    // Wrong usage: nothing is opened.
    EXPECT_EQ(cli.run({QStringLiteral("card"), QStringLiteral("Рагу")}), 2);
    EXPECT_EQ(cli.run({QStringLiteral("card"), QStringLiteral("Рагу"), QStringLiteral("--type"), QStringLiteral("5"),
                  QStringLiteral("-o"), in}),
        2);
    EXPECT_EQ(cli.run({QStringLiteral("card"), QStringLiteral("Рагу"), QStringLiteral("--composition"),
                  QStringLiteral("--chemistry"), QStringLiteral("-o"), in}),
        2);
    EXPECT_EQ(fileBytes(in), before);
}

} // namespace
