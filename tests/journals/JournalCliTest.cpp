#include "documents/DocumentTestSupport.h"
#include "support/CliRunner.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace kulvera;
using test::TempCli;

namespace {

QStringList words(std::initializer_list<const char *> list)
{
    QStringList w;
    for (const char *s : list)
        w << QString::fromUtf8(s);
    return w;
}

struct JournalCli : ::testing::Test {
    TempCli cli;
    bool initialised = cli.run({QStringLiteral("db"), QStringLiteral("init")}) == 0;

    QJsonObject show(const char *kind, const char *month)
    {
        EXPECT_EQ(cli.run(words({"journal", kind, "show", month, "--json"})), 0) << cli.err.toStdString();
        return QJsonDocument::fromJson(cli.out.toUtf8()).object();
    }
};

} // namespace

TEST_F(JournalCli, HealthMarksAreSetCopiedShownAndPrinted)
{
    ASSERT_TRUE(initialised) << cli.err.toStdString();
    ASSERT_EQ(cli.run(words({"journal", "health", "add", "Петров", "--place", "Повар"})), 0) << cli.err.toStdString();
    ASSERT_EQ(cli.run(words({"journal", "health", "add", "Сидоров"})), 0);
    ASSERT_EQ(cli.run(words({"journal", "health", "set", "28.02.2028", "Петров", "б/л"})), 0) << cli.err.toStdString();
    ASSERT_EQ(cli.run(words({"journal", "health", "set", "28.02.2028", "Сидоров", "зд"})), 0);
    ASSERT_EQ(cli.run(words({"journal", "health", "copy", "29.02.2028"})), 0) << cli.err.toStdString();

    const QJsonObject february = show("health", "02.2028");
    EXPECT_EQ(february[QStringLiteral("days")].toInt(), 29);
    const QJsonArray rows = february[QStringLiteral("rows")].toArray();
    ASSERT_EQ(rows.size(), 2);
    const QJsonObject first = rows[0].toObject();
    EXPECT_EQ(first[QStringLiteral("work_n")].toString(), QStringLiteral("Петров"));
    EXPECT_EQ(first[QStringLiteral("Caption")].toString(), QStringLiteral("Повар"));
    EXPECT_EQ(first[QStringLiteral("days")][QStringLiteral("d_29")].toString(), QStringLiteral("б/л"));
    EXPECT_EQ(rows[1].toObject()[QStringLiteral("days")][QStringLiteral("d_29")].toString(), QStringLiteral("зд"));

    const QString path = cli.dir.filePath(QStringLiteral("health.xlsx"));
    ASSERT_EQ(cli.run(QStringList {QStringLiteral("journal"), QStringLiteral("health"), QStringLiteral("print"),
                  QStringLiteral("02.2028"), QStringLiteral("-o"), path}),
        0)
        << cli.err.toStdString();
    const test::Sheet sheet = test::readSheet(path);
    EXPECT_EQ(sheet.cell(QStringLiteral("A10")).toString(), QStringLiteral("Петров"));
    EXPECT_EQ(sheet.cell(QStringLiteral("AE10")).toString(), QStringLiteral("б/л"));
    EXPECT_EQ(sheet.cell(QStringLiteral("AE11")).toString(), QStringLiteral("зд"));
}

TEST_F(JournalCli, BadInputIsRefusedWithItsMessageAndWritesNothing)
{
    ASSERT_TRUE(initialised);
    ASSERT_EQ(cli.run(words({"journal", "temperature", "add", "Камера", "--place", "Кладовая"})), 0);
    ASSERT_EQ(cli.run(words({"journal", "temperature", "set", "10.03.2026", "Камера", "+4"})), 0);

    EXPECT_EQ(cli.run(words({"journal", "temperature", "show", "13.2026"})), 1);
    EXPECT_TRUE(cli.err.contains(QStringLiteral("Нет такого месяца: 13.2026")));
    EXPECT_EQ(cli.run(words({"journal", "temperature", "set", "31.02.2026", "Камера", "+5"})), 1);
    EXPECT_TRUE(cli.err.contains(QStringLiteral("Неверная дата")));
    EXPECT_EQ(cli.run(words({"journal", "temperature", "set", "11.03.2026", "Витрина", "+5"})), 1);
    EXPECT_TRUE(cli.err.contains(QStringLiteral("Не идентифицировано оборудование в таблице")));
    EXPECT_EQ(cli.run(words({"journal", "temperature", "copy", "01.03.2026"})), 1);
    EXPECT_TRUE(cli.err.contains(QStringLiteral("Первый день заполняется без копирования")));
    ASSERT_EQ(cli.run(words({"journal", "health", "add", "Петров"})), 0);
    EXPECT_EQ(cli.run(words({"journal", "health", "set", "10.03.2026", "Петров", "болен"})), 1);
    EXPECT_TRUE(cli.err.contains(QStringLiteral("Нет такой отметки")));
    EXPECT_EQ(cli.run(words({"journal", "health", "print", "03.2026"})), 2); // no -o

    const QJsonObject march = show("temperature", "03.2026");
    const QJsonArray rows = march[QStringLiteral("rows")].toArray();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].toObject()[QStringLiteral("days")].toObject().size(), 1); // the 10th alone
    EXPECT_TRUE(show("health", "03.2026")[QStringLiteral("rows")][0][QStringLiteral("days")].toObject().isEmpty());

    // Removing asks; without --yes the answer is No and the subject stays.
    EXPECT_EQ(cli.run(words({"journal", "temperature", "remove", "Камера"})), 1);
    EXPECT_EQ(show("temperature", "03.2026")[QStringLiteral("rows")].toArray().size(), 1);
    EXPECT_EQ(cli.run(words({"--yes", "journal", "temperature", "remove", "Камера"})), 0);
    EXPECT_TRUE(show("temperature", "03.2026")[QStringLiteral("rows")].toArray().isEmpty());
}
