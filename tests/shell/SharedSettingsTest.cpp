#include "shell/SharedSettings.h"
#include "support/TempSettings.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace kulvera;

namespace {

SharedSettings::Environment environmentIn(const QString &root)
{
    QDir(root).mkpath(QStringLiteral("program"));
    return {root + QStringLiteral("/program"), root + QStringLiteral("/userdata"), QString(),
        root + QStringLiteral("/docs")};
}

} // namespace

TEST(SharedSettings, EmptyStoreGivesEveryDefault)
{
    test::TempSettings t;
    const auto env = environmentIn(t.folder());
    const SharedSettings s = SharedSettings::load(t.store(), env);
    EXPECT_EQ(s.dirBook(), env.programFolder + QStringLiteral("/KV_Bases"));
    EXPECT_EQ(s.databasesFolder(), env.programFolder + QStringLiteral("/KV_Bases/DB"));
    EXPECT_EQ(s.value(Section::Bl, QStringLiteral("NameBlBase")), u"bl_base.db");
    EXPECT_EQ(s.value(Section::Prod, QStringLiteral("dbProd")), u"db011.db");
    EXPECT_EQ(s.value(Section::Prod, QStringLiteral("tbProd")), u"dt010");
    EXPECT_EQ(s.value(Section::Losses, QStringLiteral("dbMenu")), u"Menu.db");
    EXPECT_EQ(s.value(Section::Losses, QStringLiteral("tbПродукты_едИ")), u"Продукты_едИ");
    EXPECT_EQ(s.value(Section::Data, QStringLiteral("strDBClient")), u"db014.db");
    EXPECT_EQ(s.value(Section::Data, QStringLiteral("dop_menu")), u"dop_menu");
    EXPECT_EQ(s.value(Section::Data, QStringLiteral("DB_Img")), u"img");
    EXPECT_EQ(s.value(Section::Data, QStringLiteral("sRSFld")), u"rescopy");
    EXPECT_EQ(s.value(Section::Documents, QStringLiteral("Raschet1k")), u"10000");
    EXPECT_EQ(s.value(Section::Documents, QStringLiteral("Lang")), u"порций");
    EXPECT_EQ(s.value(Section::Documents, QStringLiteral("Norm_Path")), env.documentsFolder);
    EXPECT_EQ(s.value(Section::UserInterface, QStringLiteral("Def_Color")), u"-2147483633");
    EXPECT_EQ(s.templateFile(QStringLiteral("Shablon_Excel_TTK")), u"TTK.xlsx");
    EXPECT_EQ(s.templateFile(QStringLiteral("sMenuSummSheet")), u"SvodMenu");
    EXPECT_EQ(s.basePath(QStringLiteral("db011.db")), s.databasesFolder() + QStringLiteral("/db011.db"));
}

TEST(SharedSettings, LoadingNeverWritesAKey)
{
    test::TempSettings t;
    const auto env = environmentIn(t.folder());
    const auto fileBytes = [&t] {
        EXPECT_TRUE(t->sync());
        QFile f(t.file());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    // An empty store stays empty: the defaults are never written out.
    SharedSettings::load(t.store(), env);
    EXPECT_TRUE(fileBytes().isEmpty());

    // A store holding what the user changed keeps exactly that.
    t->save(Section::Bl, QStringLiteral("NameBlBase"), QStringLiteral("school.db"));
    t->save(Section::Documents, QStringLiteral("Lang"), QStringLiteral("шт."));
    const QByteArray before = fileBytes();
    ASSERT_FALSE(before.isEmpty());
    const SharedSettings s = SharedSettings::load(t.store(), env);
    EXPECT_EQ(s.value(Section::Documents, QStringLiteral("Lang")), u"шт.");
    EXPECT_EQ(fileBytes(), before);
}

TEST(SharedSettings, StoredValuesAndTheDirSwitchWin)
{
    test::TempSettings t;
    auto env = environmentIn(t.folder());
    t->save(Section::Data, QStringLiteral("Dir_book"), t.folder() + QStringLiteral("/bases/"));
    t->save(Section::Bl, QStringLiteral("NameBlBase"), QStringLiteral("school.db"));
    SharedSettings s = SharedSettings::load(t.store(), env);
    EXPECT_EQ(s.dirBook(), t.folder() + QStringLiteral("/bases")); // trailing separator dropped
    EXPECT_EQ(s.value(Section::Bl, QStringLiteral("NameBlBase")), u"school.db");

    env.dirOverride = QStringLiteral("/srv/kitchen");
    s = SharedSettings::load(t.store(), env);
    EXPECT_EQ(s.dirBook(), u"/srv/kitchen");
    EXPECT_EQ(s.value(Section::Data, QStringLiteral("Dir_book")), u"/srv/kitchen");
}

TEST(SharedSettings, ReadOnlyProgramFolderPutsBasesInTheUserDataFolder)
{
    test::TempSettings t;
    const auto env = environmentIn(t.folder());
    QFile::setPermissions(env.programFolder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const bool stillWritable = QFileInfo(env.programFolder).isWritable(); // root ignores permissions
    const QString dir = SharedSettings::defaultDirBook(env.programFolder, env.userDataFolder);
    QFile::setPermissions(env.programFolder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (stillWritable)
        GTEST_SKIP() << "running as a user who may write anywhere";
    EXPECT_EQ(dir, env.userDataFolder + QStringLiteral("/KV_Bases"));
}

TEST(SharedSettings, MissingProgramFolderAlsoFallsBackToUserData)
{
    EXPECT_EQ(SharedSettings::defaultDirBook(
                  QStringLiteral("/nonexistent/kulvera"), QStringLiteral("/home/u/.local/share/Kulvera")),
        u"/home/u/.local/share/Kulvera/KV_Bases");
}
