#include "shell/SettingsEditor.h"
#include "common/ScriptedPrompter.h"
#include "shell/INI_Work.h"
#include "shell/SettingCatalogue.h"
#include "shell/SettingDefaults.h"
#include "shell/SharedSettings.h"
#include "support/TempSettings.h"

#include <QSettings>

#include <gtest/gtest.h>

#include <set>

using namespace kulvera;

namespace {

// A settings form's editor over a temporary store, as a running program has it.
struct Editing {
    test::TempSettings t;
    ScriptedPrompter prompter;
    SharedSettings shared = SharedSettings::load(t.store(), {t.folder(), t.folder(), QString(), t.folder()});
    QString mirror = t.folder() + QStringLiteral("/base_per.ini");
    SettingsEditor editor {
        t.store(), shared, prompter, mirror, [this](Section s, const QString &key) -> std::optional<QString> {
            if (s == Section::Data && key == u"Dir_book")
                return t.folder() + QStringLiteral("/KV_Bases");
            return std::nullopt;
        }};

    int row(Section section, const char16_t *key) const
    {
        const auto &rows = editor.rows();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].section == section && rows[i].key == QStringView(key))
                return static_cast<int>(i);
        }
        ADD_FAILURE() << "no row for " << QString::fromUtf16(key).toStdString();
        return -1;
    }
    QStringList storedKeys() const { return QSettings(t.file(), QSettings::IniFormat).allKeys(); }
};

} // namespace

TEST(SettingsEditor, AChangeIsReadByTheNextStartAndMirroredInBasePerIni)
{
    Editing e;
    const QString elsewhere = e.t.folder() + QStringLiteral("/Elsewhere");
    ASSERT_TRUE(e.editor.setValue(e.row(Section::Documents, u"Raschet2"), QStringLiteral("25")));
    ASSERT_TRUE(e.editor.setValue(e.row(Section::UserInterface, u"boolAnim"), QStringLiteral("1")));
    ASSERT_TRUE(e.editor.setValue(e.row(Section::Data, u"Dir_book"), elsewhere));
    ASSERT_TRUE(e.editor.apply().ok());
    ASSERT_TRUE(e.t->sync());

    // At once: the running program's snapshot follows, except the databases
    // folder, which the next start takes.
    EXPECT_EQ(e.shared.value(Section::Documents, QStringLiteral("Raschet2")), u"25");
    EXPECT_NE(e.shared.dirBook(), elsewhere);
    EXPECT_EQ(e.editor.waitingForRestart(), QStringList {QStringLiteral("Папка баз данных")});

    SettingsStore reopened(e.t.file());
    const SharedSettings next = SharedSettings::load(reopened, {e.t.folder(), e.t.folder(), QString(), e.t.folder()});
    EXPECT_EQ(next.value(Section::Documents, QStringLiteral("Raschet2")), u"25");
    EXPECT_EQ(next.value(Section::UserInterface, QStringLiteral("boolAnim")), u"True");
    EXPECT_EQ(next.dirBook(), elsewhere);

    INI_Work ini;
    ini.setFilename(e.mirror);
    EXPECT_EQ(ini.Value(QStringLiteral("Documents"), QStringLiteral("Raschet2")), u"25");
    EXPECT_EQ(ini.Value(QStringLiteral("Menu"), QStringLiteral("boolAnim")), u"True");
    EXPECT_EQ(ini.Value(QStringLiteral("data"), QStringLiteral("Dir_book")), elsewhere);
    EXPECT_TRUE(e.prompter.shown().empty());
}

TEST(SettingsEditor, OnlyTheKeysWhoseValueChangedAreWritten)
{
    Editing e;
    const int price = e.row(Section::Data, u"RoundPrice");
    const int raschet = e.row(Section::Documents, u"Raschet1");
    const int round = e.row(Section::Data, u"lRoundBrutto");
    // The default typed again, a flag written as the program writes it, and a
    // value changed and changed back are no edits.
    EXPECT_TRUE(e.editor.setValue(price, QStringLiteral(" 2 ")));
    EXPECT_TRUE(e.editor.setValue(round, QStringLiteral("True")));
    EXPECT_TRUE(e.editor.setValue(raschet, QStringLiteral("15")));
    EXPECT_TRUE(e.editor.setValue(raschet, QStringLiteral("10")));
    EXPECT_FALSE(e.editor.hasEdits());
    ASSERT_TRUE(e.editor.apply().ok());
    EXPECT_FALSE(QFile::exists(e.mirror)); // nothing applied, nothing written

    EXPECT_TRUE(e.editor.setValue(price, QStringLiteral("3")));
    ASSERT_TRUE(e.editor.apply().ok());
    e.t->sync();
    EXPECT_EQ(e.storedKeys(), QStringList {QStringLiteral("Data/RoundPrice")});
    EXPECT_EQ(e.editor.value(price), u"3");
}

TEST(SettingsEditor, RestoringTheDefaultDeletesTheKey)
{
    Editing e;
    e.t->save(Section::Data, QStringLiteral("RoundPrice"), QStringLiteral("4"));
    const int price = e.row(Section::Data, u"RoundPrice");
    EXPECT_TRUE(e.editor.isStored(price));
    e.editor.restoreDefault(price);
    EXPECT_EQ(e.editor.value(price), u"2");
    EXPECT_TRUE(e.editor.isEdited(price));
    ASSERT_TRUE(e.editor.apply().ok());
    EXPECT_FALSE(e.t->contains(Section::Data, QStringLiteral("RoundPrice")));
    EXPECT_EQ(e.shared.value(Section::Data, QStringLiteral("RoundPrice")), u"2");
    // A key that is not stored has nothing to restore.
    e.editor.restoreDefault(price);
    EXPECT_FALSE(e.editor.hasEdits());
}

TEST(SettingsEditor, ValuesTheKindCannotHoldAreRefusedAndChangeNothing)
{
    Editing e;
    const int price = e.row(Section::Data, u"RoundPrice");
    const int vat = e.row(Section::Data, u"НДСПроцент");
    const int colour = e.row(Section::UserInterface, u"Def_Color");
    const int org = e.row(Section::User, u"Name_Org");
    EXPECT_FALSE(e.editor.setValue(price, QStringLiteral("два")));
    EXPECT_FALSE(e.editor.setValue(vat, QStringLiteral("1,2,3")));
    EXPECT_FALSE(e.editor.setValue(org, QStringLiteral("Школа\n№ 5")));
    EXPECT_FALSE(e.editor.hasEdits());
    EXPECT_EQ(e.prompter.shown().size(), 3u);
    EXPECT_TRUE(e.prompter.saw(QStringLiteral("Знаков после запятой в ценах")));

    EXPECT_TRUE(e.editor.setValue(vat, QStringLiteral("20.5")));
    EXPECT_EQ(e.editor.value(vat), u"20,5"); // numbers are kept with the comma
    EXPECT_TRUE(e.editor.setValue(colour, QStringLiteral("-2147483630")));
    EXPECT_TRUE(e.editor.setValue(org, QStringLiteral("Школа № 5")));
}

TEST(SettingsEditor, SearchFindsCaptionsAndKeysAndTheBasicFormLeavesTheBasesOut)
{
    Editing e;
    const auto keysOf = [&](const std::vector<int> &rows) {
        QStringList keys;
        for (int r : rows)
            keys << e.editor.rows()[static_cast<std::size_t>(r)].key;
        return keys;
    };
    const QStringList byCaption = keysOf(e.editor.find(QStringLiteral("ОКРУГЛ"), false));
    EXPECT_TRUE(byCaption.contains(QStringLiteral("lRoundBrutto")));
    EXPECT_TRUE(byCaption.contains(QStringLiteral("RoundProdItog")));
    EXPECT_FALSE(byCaption.contains(QStringLiteral("RoundPrice"))); // "Знаков после запятой в ценах"
    EXPECT_EQ(keysOf(e.editor.find(QStringLiteral("raschet1k"), false)), QStringList {QStringLiteral("Raschet1k")});
    EXPECT_TRUE(e.editor.find(QStringLiteral("dbProd"), false).empty());
    EXPECT_FALSE(e.editor.find(QStringLiteral("dbProd"), true).empty());
    EXPECT_LT(e.editor.find(QString(), false).size(), e.editor.find(QString(), true).size());
    EXPECT_TRUE(e.editor.find(QStringLiteral("нет такой настройки"), true).empty());
}

TEST(SettingCatalogue, EveryStartUpSettingAndTemplateHasOneCaptionInAKnownGroup)
{
    test::TempSettings t;
    ScriptedPrompter p;
    SharedSettings shared = SharedSettings::load(t.store(), {t.folder(), t.folder(), QString(), t.folder()});
    SettingsEditor editor(t.store(), shared, p, t.folder() + QStringLiteral("/base_per.ini"));
    std::set<std::pair<int, QString>> seen;
    const QStringList groups = settingGroups();
    for (const SettingRow &r : editor.rows()) {
        EXPECT_TRUE(seen.insert({static_cast<int>(r.section), r.key}).second) << r.key.toStdString();
        EXPECT_TRUE(groups.contains(r.group)) << r.key.toStdString();
        EXPECT_FALSE(r.caption.isEmpty());
    }
    for (const SettingDefault &d : settingDefaults()) {
        if (d.atStart) {
            EXPECT_TRUE(seen.count({static_cast<int>(d.section), QString::fromUtf16(d.key)}))
                << QString::fromUtf16(d.key).toStdString();
        }
    }
    for (const TemplateName &n : templateNames())
        EXPECT_TRUE(seen.count({static_cast<int>(Section::Documents), QString::fromUtf16(n.key)}));
    for (const QString &g : groups) {
        EXPECT_TRUE(std::any_of(editor.rows().begin(), editor.rows().end(), [&](const SettingRow &r) {
            return r.group == g && !r.advanced;
        })) << g.toStdString();
    }
}
