#include "MenuTestSupport.h"

#include "support/CliRunner.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace kulvera;
using namespace kulvera::test;

namespace {

struct MenusCli : MenuFixture {
    CliRunner runner {QDir(t.root()).filePath(QStringLiteral("settings.ini"))};
    int run(QStringList args, bool yes = false)
    {
        t.settings().sync();
        args.prepend(QStringLiteral("menus"));
        if (yes)
            args.prepend(QStringLiteral("--yes"));
        return runner.run(args);
    }
};

const QString kDate = QStringLiteral("02.03.2026");

} // namespace

TEST(CliMenus, AddsDishesShowsAndListsRations)
{
    MenusCli cli;
    ASSERT_EQ(cli.run({QStringLiteral("add-dish"), kDate, QStringLiteral("Обед"), QStringLiteral("Борщ"),
                  QStringLiteral("--group"), QStringLiteral("Ясли \"А\""), QStringLiteral("--output"),
                  QStringLiteral("500")}),
        0)
        << cli.runner.err.toStdString();
    ASSERT_EQ(cli.run({QStringLiteral("add-dish"), kDate, QStringLiteral("Полдник"), QStringLiteral("Компот"),
                  QStringLiteral("--group"), QStringLiteral("Ясли \"А\"")}),
        0);
    ASSERT_EQ(cli.run({QStringLiteral("add-dish"), QStringLiteral("2026-01-10"), QStringLiteral("Обед"),
                  QStringLiteral("Компот")}),
        0);
    EXPECT_EQ(cli.run({QStringLiteral("add-dish"), kDate, QStringLiteral("Обед"), QStringLiteral("Нет такого")}), 1);

    ASSERT_EQ(cli.run({QStringLiteral("show"), kDate, QStringLiteral("--group"), QStringLiteral("Ясли \"А\""),
                  QStringLiteral("--json")}),
        0);
    const QJsonObject ration = QJsonDocument::fromJson(cli.runner.out.toUtf8()).object();
    EXPECT_EQ(ration[QStringLiteral("group")].toString(), u"Ясли \"А\"");
    const QJsonArray meals = ration[QStringLiteral("meals")].toArray();
    ASSERT_EQ(meals.size(), 2);
    const QJsonObject soup = meals[0].toObject()[QStringLiteral("dishes")].toArray()[0].toObject();
    EXPECT_EQ(soup[QStringLiteral("name")].toString(), u"Борщ");
    EXPECT_EQ(soup[QStringLiteral("output")].toString(), u"500");
    EXPECT_DOUBLE_EQ(
        soup[QStringLiteral("positions")].toArray()[0].toObject()[QStringLiteral("netto")].toDouble(), 200);
    EXPECT_DOUBLE_EQ(soup[QStringLiteral("mass")].toDouble(), 500);

    ASSERT_EQ(cli.run({QStringLiteral("list"), QStringLiteral("--json")}), 0);
    const QJsonArray list = QJsonDocument::fromJson(cli.runner.out.toUtf8()).array();
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list[0].toObject()[QStringLiteral("date")].toString(), u"10.01.2026");
    EXPECT_EQ(list[1].toObject()[QStringLiteral("group")].toString(), u"Ясли \"А\"");
    ASSERT_EQ(cli.run({QStringLiteral("list")}), 0);
    EXPECT_EQ(cli.runner.out, u"10.01.2026\t(без имени)\n02.03.2026\tЯсли \"А\"\n");

    ASSERT_EQ(cli.run({QStringLiteral("show"), QStringLiteral("10.01.2026")}), 0);
    EXPECT_TRUE(cli.runner.out.startsWith(QStringLiteral("10.01.2026\t(без имени)\n")));
    EXPECT_TRUE(cli.runner.out.contains(QStringLiteral("  Компот\t200,0\t")));
    EXPECT_EQ(cli.run({QStringLiteral("show"), QStringLiteral("11.01.2026")}), 1);
    EXPECT_EQ(cli.run({QStringLiteral("show"), QStringLiteral("32.13.2026")}), 2);
    EXPECT_EQ(cli.run({QStringLiteral("lock"), kDate, QStringLiteral("--group"), QStringLiteral("А"),
                  QStringLiteral("--all")}),
        2);
}

TEST(CliMenus, LockedDayRefusesEditingCommands)
{
    MenusCli cli;
    ASSERT_EQ(cli.run({QStringLiteral("add-dish"), kDate, QStringLiteral("Обед"), QStringLiteral("Борщ"),
                  QStringLiteral("--group"), QStringLiteral("Ясли")}),
        0);
    const int rows = cli.rows();
    ASSERT_EQ(cli.run({QStringLiteral("lock"), kDate, QStringLiteral("--group"), QStringLiteral("Ясли")}), 0);
    EXPECT_TRUE(cli.locks.isLocked(cli.day, QStringLiteral("Ясли")));

    EXPECT_EQ(cli.run({QStringLiteral("add-dish"), kDate, QStringLiteral("Обед"), QStringLiteral("Компот"),
                  QStringLiteral("--group"), QStringLiteral("Ясли")}),
        1);
    EXPECT_TRUE(cli.runner.err.contains(QStringLiteral("Меню заблокировано от изменений!")));
    EXPECT_EQ(cli.run({QStringLiteral("remove"), kDate, QStringLiteral("--group"), QStringLiteral("Ясли")}, true), 1);
    EXPECT_EQ(cli.rows(), rows);

    // Other groups of the day are free until every group is locked.
    EXPECT_EQ(cli.run({QStringLiteral("add-dish"), kDate, QStringLiteral("Обед"), QStringLiteral("Компот")}), 0);
    ASSERT_EQ(cli.run({QStringLiteral("lock"), kDate, QStringLiteral("--all")}), 0);
    EXPECT_EQ(cli.run({QStringLiteral("add-dish"), kDate, QStringLiteral("Обед"), QStringLiteral("Компот")}), 1);
    const int locked = cli.rows();

    ASSERT_EQ(cli.run({QStringLiteral("unlock"), kDate, QStringLiteral("--all")}), 0);
    EXPECT_FALSE(cli.locks.isLocked(cli.day, QStringLiteral("Ясли")));
    // Without --yes the question is answered No: nothing is removed.
    EXPECT_EQ(cli.run({QStringLiteral("remove"), kDate, QStringLiteral("--group"), QStringLiteral("Ясли")}), 1);
    EXPECT_EQ(cli.rows(), locked);
    EXPECT_EQ(cli.run({QStringLiteral("remove"), kDate, QStringLiteral("--group"), QStringLiteral("Ясли")}, true), 0);
    EXPECT_EQ(cli.rows(), locked - rows);
}

TEST(CliMenus, ArchivesTheMenuBase)
{
    MenusCli cli;
    ASSERT_EQ(cli.run({QStringLiteral("add-dish"), kDate, QStringLiteral("Обед"), QStringLiteral("Борщ")}), 0);
    EXPECT_EQ(cli.run({QStringLiteral("archive")}), 1);
    EXPECT_GT(cli.rows(), 0);
    ASSERT_EQ(cli.run({QStringLiteral("archive")}, true), 0) << cli.runner.err.toStdString();
    EXPECT_TRUE(cli.runner.out.contains(QStringLiteral("arc_")));
    EXPECT_EQ(cli.rows(), 0);
}
