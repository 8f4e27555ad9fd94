#include "MenuFileTestSupport.h"
#include "MenuTestSupport.h"

#include "menus/RationFile.h"
#include "support/CliRunner.h"

#include <QFileInfo>

using namespace kulvera;
using namespace kulvera::test;

namespace {

struct Installation : MenuFixture {
    CliRunner runner {QDir(t.root()).filePath(QStringLiteral("settings.ini"))};
    int run(QStringList args, bool yes = false)
    {
        t.settings().sync();
        args.prepend(QStringLiteral("menus"));
        if (yes)
            args.prepend(QStringLiteral("--yes"));
        return runner.run(args);
    }
    QString file(const QString &name) const { return QDir(t.root()).filePath(name); }
    QStringList rations()
    {
        EXPECT_EQ(run({QStringLiteral("list")}), 0);
        return runner.out.split(u'\n', Qt::SkipEmptyParts);
    }
};

const QString kSalad = QStringLiteral("Салат 'Весна'");

} // namespace

TEST(CliMenuFiles, TwoDatesTypedWithACommaAndABlankBothExport)
{
    Installation from;
    ASSERT_TRUE(from.base.save(from.lunch(QString())));
    ASSERT_TRUE(from.base.save(from.lunch(QStringLiteral("Ясли"), from.day.addDays(1))));
    ASSERT_TRUE(from.base.save(from.lunch(QString(), from.day.addDays(2))));
    const QString path = from.file(QStringLiteral("two.menu"));
    ASSERT_EQ(from.run({QStringLiteral("export"), QStringLiteral("02.03.2026, 03.03.2026"), path}), 0)
        << from.runner.err.toStdString();

    Installation to;
    ASSERT_EQ(to.run({QStringLiteral("import"), path}), 0) << to.runner.err.toStdString();
    EXPECT_EQ(
        to.rations(), (QStringList {QStringLiteral("02.03.2026\t(без имени)"), QStringLiteral("03.03.2026\tЯсли")}));

    // A part that is not a date stops the export and is named.
    EXPECT_EQ(from.run({QStringLiteral("export"), QStringLiteral("02.03.2026,32.03.2026"),
                  from.file(QStringLiteral("x.menu"))}),
        1);
    EXPECT_TRUE(from.runner.err.contains(QStringLiteral("Не удалось распознать дату - '32.03.2026'")));
    EXPECT_FALSE(QFileInfo::exists(from.file(QStringLiteral("x.menu"))));
    EXPECT_EQ(
        from.run({QStringLiteral("export"), QStringLiteral("10.10.2030"), from.file(QStringLiteral("x.menu"))}), 1);
}

TEST(CliMenuFiles, SqlTransferBetweenTwoInstallationsAndAHostileFileChangesNothing)
{
    Installation from;
    SaveOptions silent;
    silent.silent = true;
    ASSERT_TRUE(from.dishBase.save(compote(), from.table, kSalad, silent));
    ASSERT_EQ(from.run({QStringLiteral("add-dish"), QStringLiteral("02.03.2026"), QStringLiteral("Обед"), kSalad,
                  QStringLiteral("--group"), QStringLiteral("Ясли")}),
        0);
    ASSERT_TRUE(from.base.save(from.lunch(QStringLiteral("Сад"))));
    const QString path = from.file(QStringLiteral("week.sql_menu"));
    ASSERT_EQ(from.run({QStringLiteral("export-sql"), QStringLiteral("02.03.2026"), path, QStringLiteral("--group"),
                  QStringLiteral("Ясли")}),
        0)
        << from.runner.err.toStdString();

    Installation to;
    ASSERT_EQ(to.run({QStringLiteral("import-sql"), path}), 0) << to.runner.err.toStdString();
    ASSERT_EQ(to.run({QStringLiteral("show"), QStringLiteral("02.03.2026"), QStringLiteral("--group"),
                  QStringLiteral("Ясли")}),
        0);
    EXPECT_TRUE(to.runner.out.contains(QStringLiteral("  ") + kSalad + u'\t')) << to.runner.out.toStdString();
    EXPECT_EQ(to.rations(), QStringList {QStringLiteral("02.03.2026\tЯсли")});

    // Again: the ration is there; without --yes it is kept, with --yes replaced.
    ASSERT_EQ(to.run({QStringLiteral("import-sql"), path}), 0);
    EXPECT_TRUE(to.runner.out.contains(QStringLiteral("оставлено прежних: 1")));
    ASSERT_EQ(to.run({QStringLiteral("import-sql"), path}, true), 0);
    EXPECT_TRUE(to.runner.out.contains(QStringLiteral("заменено: 1")));

    const int rows = to.rows();
    const QString bad = to.file(QStringLiteral("bad.sql_menu"));
    ASSERT_TRUE(writeBytes(bad,
        sqlMenuBytes(QStringLiteral("base_temp"), QStringLiteral("ID,l26"),
            QStringLiteral("ID COUNTER PRIMARY KEY,l26 TEXT(255)"),
            {QStringLiteral("INSERT INTO base_temp (ID,l26) values (1,'02.03.2026')"),
                QStringLiteral("DELETE FROM base_temp")})));
    EXPECT_EQ(to.run({QStringLiteral("import-sql"), bad}, true), 1);
    EXPECT_TRUE(to.runner.err.contains(QStringLiteral("Оператор 2"))) << to.runner.err.toStdString();
    EXPECT_EQ(to.rows(), rows);
}

TEST(CliMenuFiles, RationFileSavedAndLoadedOnAnotherDay)
{
    Installation i;
    Ration r = i.lunch(QStringLiteral("Ясли"));
    r.setNormCode(QStringLiteral("7"));
    ASSERT_TRUE(i.base.save(r));
    const QString path = i.file(QStringLiteral("day.menu"));
    ASSERT_EQ(i.run({QStringLiteral("save-ration"), QStringLiteral("02.03.2026"), path, QStringLiteral("--group"),
                  QStringLiteral("Ясли"), QStringLiteral("--title"), QStringLiteral("Понедельник")}),
        0)
        << i.runner.err.toStdString();
    EXPECT_EQ(rationFileTitle(path), u"Понедельник");
    ASSERT_EQ(i.run({QStringLiteral("load-ration"), path, QStringLiteral("--date"), QStringLiteral("09.03.2026")}), 0)
        << i.runner.err.toStdString();
    const Ration copy = i.base.load({QDate(2026, 3, 9), QStringLiteral("Ясли")}).value();
    EXPECT_EQ(copy.dishCount(), r.dishCount());
    EXPECT_EQ(copy.normCode(), u"7");
    EXPECT_EQ(copy.mealName(2), u"Завтрак");
    // The day is taken now: loading again asks, and without --yes keeps it.
    EXPECT_EQ(i.run({QStringLiteral("load-ration"), path, QStringLiteral("--date"), QStringLiteral("09.03.2026")}), 1);
    EXPECT_EQ(i.run({QStringLiteral("save-ration"), QStringLiteral("01.01.2030"), path}), 1);
}
