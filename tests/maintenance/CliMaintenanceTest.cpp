#include "MaintenanceTestSupport.h"

#include "support/CliRunner.h"

#include <QDir>
#include <QFile>

using namespace kulvera;
using namespace kulvera::test;

namespace {

struct MaintenanceCli : MaintenanceFixture {
    CliRunner runner {QDir(t.root()).filePath(QStringLiteral("settings.ini"))};
    int run(QStringList args)
    {
        t.settings().sync();
        args.prepend(QStringLiteral("maintenance"));
        return runner.run(args);
    }
};

} // namespace

// --dry-run prints the recipes that would change and writes nothing; the
// run itself writes them; a product list that is not keys is refused.
TEST(CliMaintenance, DryRunPrintsAndTheRunWrites)
{
    MaintenanceCli cli;
    cli.setProduct(3, QStringLiteral("Жир"), 70.0);
    const QByteArray before = cli.fingerprint(kDishBase, cli.table);
    ASSERT_EQ(cli.run({QStringLiteral("sync-dishes"), QStringLiteral("--dry-run")}), 0) << cli.runner.err.toStdString();
    EXPECT_TRUE(cli.runner.out.contains(u"проверка без записи")) << cli.runner.out.toStdString();
    EXPECT_TRUE(cli.runner.out.contains(u"Столовая: Пюре - позиций: 1"));
    EXPECT_TRUE(cli.runner.out.contains(u"Столовая: Суп - позиций: 2"));
    EXPECT_FALSE(cli.runner.out.contains(u"Салат"));
    EXPECT_EQ(cli.fingerprint(kDishBase, cli.table), before);

    EXPECT_EQ(cli.run({QStringLiteral("sync-dishes"), QStringLiteral("--products"), QStringLiteral("масло")}), 2);
    EXPECT_EQ(cli.run({QStringLiteral("update-losses"), QStringLiteral("--compact")}), 2);
    EXPECT_EQ(cli.fingerprint(kDishBase, cli.table), before);

    ASSERT_EQ(cli.run({QStringLiteral("sync-dishes"), QStringLiteral("--products"), QStringLiteral("3")}), 0)
        << cli.runner.err.toStdString();
    EXPECT_TRUE(cli.runner.out.contains(u"Архивная копия базы"));
    EXPECT_NEAR(cli.position(QStringLiteral("Пюре"), QStringLiteral("pro00000002")).Gir, 70.0 * 5 / 100, 1e-9);

    for (const char *verb : {"sync-menus", "update-losses", "renumber-cards", "repair-names"})
        EXPECT_EQ(cli.run({QString::fromLatin1(verb), QStringLiteral("--dry-run")}), 0) << verb;
}

// The start-up switches run their work and report it; one that cannot be
// done says so, and the program still starts.
TEST(CliMaintenance, StartupSwitchesReportTheirRunAndTheStartGoesOn)
{
    TempCli cli;
    ASSERT_EQ(cli.run({QStringLiteral("db"), QStringLiteral("init")}), 0) << cli.err.toStdString();
    const QString log = cli.dir.filePath(QStringLiteral("session.log"));
    auto logged = [&log] {
        QFile file(log);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    ASSERT_EQ(cli.run({QStringLiteral("--yes"), QStringLiteral("startup-check"), QStringLiteral("/SYNCGLOBCOMP"),
                  QStringLiteral("/UPDATESTEPLOV"), QStringLiteral("/UpdNumInMenu"), QStringLiteral("/LOG:") + log}),
        0)
        << cli.out.toStdString() << cli.err.toStdString();
    const QString text = logged();
    EXPECT_TRUE(text.contains(u"Ключ /SYNCGLOBCOMP:")) << text.toStdString();
    EXPECT_TRUE(text.contains(u"Синхронизация базы продуктов с базой блюд: изменено рецептур"));
    EXPECT_TRUE(text.contains(u"База данных сжата."));
    EXPECT_TRUE(text.contains(u"Ключ /UPDATESTEPLOV:"));
    EXPECT_TRUE(text.contains(u"Ключ /UpdNumInMenu:"));
    EXPECT_FALSE(text.contains(u"пока недоступен"));
    EXPECT_TRUE(cli.out.contains(u"Ready."));
    EXPECT_EQ(QDir(cli.bases() + QStringLiteral("/rescopy")).entryList({QStringLiteral("bl_base_*.db")}).size(), 2);

    // A product list that is not keys: the run is refused, said so, and the start goes on.
    ASSERT_EQ(cli.run({QStringLiteral("--yes"), QStringLiteral("startup-check"), QStringLiteral("/SYNCGLOBMENU"),
                  QStringLiteral("IncPrInSync=масло"), QStringLiteral("/LOG:") + log}),
        0);
    EXPECT_TRUE(logged().contains(
        u"Ключ /SYNCGLOBMENU:\nСинхронизация: не выполнено. Неверные коды продуктов в IncPrInSync: масло"))
        << logged().toStdString();
    EXPECT_TRUE(cli.out.contains(u"Ready."));
}
