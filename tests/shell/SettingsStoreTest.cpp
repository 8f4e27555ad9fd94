#include "shell/SettingsStore.h"
#include "shell/SettingDefaults.h"
#include "support/TempSettings.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace kulvera;

TEST(SettingsStore, MissingKeyReadsTheCallersDefaultAndDeleteRestoresIt)
{
    test::TempSettings t;
    SettingsStore &s = t.store();
    EXPECT_EQ(s.get(Section::Bl, QStringLiteral("NameBlBase"), QStringLiteral("bl_base.db")), u"bl_base.db");
    s.save(Section::Bl, QStringLiteral("NameBlBase"), QStringLiteral("other.db"));
    EXPECT_EQ(readSetting(s, Section::Bl, QStringLiteral("NameBlBase")), u"other.db");
    s.remove(Section::Bl, QStringLiteral("NameBlBase"));
    EXPECT_EQ(readSetting(s, Section::Bl, QStringLiteral("NameBlBase")), u"bl_base.db");
}

TEST(SettingsStore, ValuesSurviveAReopenAsExactStrings)
{
    test::TempSettings t;
    const QString file = t.file();
    {
        SettingsStore s(file);
        s.save(Section::Data, QStringLiteral("RoundPrice"), QStringLiteral("1,25"));
        s.save(Section::Data, QStringLiteral("НДСПроцент"), QStringLiteral("20"));
        s.save(Section::DocumentsTTK, QStringLiteral("Start_Row"), QStringLiteral("C6"));
        s.save(Section::MenuTemplate, QStringLiteral("sFStrDay"), QStringLiteral("День; первый = \"1\""));
        s.save(Section::Data, QStringLiteral("empty"), QString());
        ASSERT_TRUE(s.sync());
    }
    SettingsStore s(file);
    EXPECT_EQ(s.get(Section::Data, QStringLiteral("RoundPrice")), u"1,25");
    EXPECT_EQ(s.get(Section::Data, QStringLiteral("НДСПроцент")), u"20");
    EXPECT_EQ(s.get(Section::DocumentsTTK, QStringLiteral("Start_Row")), u"C6");
    EXPECT_EQ(s.get(Section::MenuTemplate, QStringLiteral("sFStrDay")), u"День; первый = \"1\"");
    // An empty stored value is a value, not a missing key.
    EXPECT_TRUE(s.contains(Section::Data, QStringLiteral("empty")));
    EXPECT_EQ(s.get(Section::Data, QStringLiteral("empty"), QStringLiteral("x")), u"");
    // A sub-section does not see its parent's keys.
    EXPECT_FALSE(s.contains(Section::Documents, QStringLiteral("Start_Row")));
}

TEST(SettingsStore, KeysDifferingOnlyInCaseAreTwoSettings)
{
    test::TempSettings t;
    t->save(Section::Documents, QStringLiteral("boolBr"), QStringLiteral("True"));
    t->save(Section::Documents, QStringLiteral("boolBR"), QStringLiteral("False"));
    EXPECT_EQ(t->get(Section::Documents, QStringLiteral("boolBr")), u"True");
    EXPECT_EQ(t->get(Section::Documents, QStringLiteral("boolBR")), u"False");
}

TEST(SettingsStore, BoolKeysAreStoredAsTrueFalse)
{
    test::TempSettings t;
    t->save(Section::UserInterface, QStringLiteral("boolAnim"), QStringLiteral("1"));
    EXPECT_EQ(t->get(Section::UserInterface, QStringLiteral("boolAnim")), u"True");
    t->save(Section::UserInterface, QStringLiteral("boolAnim"), QStringLiteral("0"));
    EXPECT_EQ(t->get(Section::UserInterface, QStringLiteral("boolAnim")), u"False");
    t->save(Section::Data, QStringLiteral("bUseRndBr"), QStringLiteral("1")); // not a bool key: as given
    EXPECT_EQ(t->get(Section::Data, QStringLiteral("bUseRndBr")), u"1");
}

TEST(SettingsStore, EnvironmentVariablePointsAtAnotherFile)
{
    test::TempSettings t;
    const QString file = t.folder() + QStringLiteral("/elsewhere.ini");
    qputenv(SettingsStore::kEnvironmentVariable, file.toUtf8());
    {
        auto s = SettingsStore::openDefault();
        EXPECT_EQ(s->fileName(), file);
        s->save(Section::User, QStringLiteral("Name_Org"), QStringLiteral("Школа № 5"));
        ASSERT_TRUE(s->sync());
    }
    qputenv(SettingsStore::kEnvironmentVariable, QByteArray());
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_EQ(SettingsStore(file).get(Section::User, QStringLiteral("Name_Org")), u"Школа № 5");
}

TEST(SettingDefaults, ClientBaseKeysTreatEmptyAsDefaultOthersDoNot)
{
    test::TempSettings t;
    t->save(Section::Data, QStringLiteral("strDBClient"), QString());
    t->save(Section::Data, QStringLiteral("sProdExc"), QString());
    t->save(Section::Data, QStringLiteral("dop_bb"), QString());
    EXPECT_EQ(readSetting(t.store(), Section::Data, QStringLiteral("strDBClient")), u"db014.db");
    EXPECT_EQ(readSetting(t.store(), Section::Data, QStringLiteral("dop_bb")), u"");
    EXPECT_EQ(readSetting(t.store(), Section::Documents, QStringLiteral("sMenuTempl")), u"menu.xlsx");
    EXPECT_EQ(readSetting(t.store(), Section::Data, QStringLiteral("RoundPrice")), u"2");
    EXPECT_EQ(readSetting(t.store(), Section::Data, QStringLiteral("lRoundBrutto")), u"1");
}
