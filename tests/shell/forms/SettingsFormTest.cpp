#include "shell/forms/SettingsForm.h"
#include "common/ScriptedPrompter.h"
#include "shell/INI_Work.h"
#include "shell/SharedSettings.h"
#include "support/TempSettings.h"
#include "support/TestServer.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <gtest/gtest.h>

#include <functional>

using namespace kulvera;

namespace {

// The databases folder of an installation in C:\Kulvera, as the desktop gives it.
SettingsEditor::DefaultLookup installationDefaults()
{
    return [](Section section, const QString &key) -> std::optional<QString> {
        if (section == Section::Data && key == u"Dir_book")
            return QStringLiteral("C:/Kulvera/KV_Bases");
        return std::nullopt;
    };
}

struct OpenSettings {
    test::TempSettings t;
    ScriptedPrompter prompter;
    SharedSettings shared = SharedSettings::load(t.store(), {t.folder(), t.folder(), QString(), t.folder()});
    QString mirror = t.folder() + QStringLiteral("/base_per.ini");
    SettingsForm form;

    explicit OpenSettings(SettingsForm::Scope scope = SettingsForm::Scope::Basic)
        : form(std::make_unique<SettingsEditor>(t.store(), shared, prompter, mirror, installationDefaults()), prompter,
            scope)
    {
    }
    // Settings stored before the form opens.
    explicit OpenSettings(const std::function<void(SettingsStore &)> &stored)
        : form((stored(t.store()),
                   std::make_unique<SettingsEditor>(t.store(), shared, prompter, mirror, installationDefaults())),
            prompter, SettingsForm::Scope::Basic)
    {
    }
    QTreeWidget *tree() { return form.findChild<QTreeWidget *>(QStringLiteral("settings")); }
    QTreeWidgetItem *item(const QString &key)
    {
        for (QTreeWidgetItemIterator it(tree()); *it; ++it) {
            if ((*it)->text(3) == key)
                return *it;
        }
        return nullptr;
    }
    QStringList visibleKeys()
    {
        QStringList keys;
        for (QTreeWidgetItemIterator it(tree()); *it; ++it) {
            if (SettingsForm::rowOf(*it) >= 0 && !(*it)->isHidden() && !(*it)->parent()->isHidden())
                keys << (*it)->text(3);
        }
        return keys;
    }
    void click(const char *name) { form.findChild<QPushButton *>(QLatin1String(name))->click(); }
};

} // namespace

TEST(SettingsForm, GroupsShowCaptionValueAndDefaultAndTheSearchFilters)
{
    OpenSettings s;
    EXPECT_EQ(s.form.objectName(), u"Feat");
    QTreeWidget *tree = s.tree();
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->topLevelItemCount(), 6);
    QTreeWidgetItem *price = s.item(QStringLiteral("RoundPrice"));
    ASSERT_NE(price, nullptr);
    EXPECT_EQ(price->text(0), u"Знаков после запятой в ценах");
    EXPECT_EQ(price->text(1), u"2");
    EXPECT_EQ(price->text(2), u"2");
    EXPECT_EQ(price->parent()->text(0), u"Округление и форматы");
    EXPECT_EQ(s.item(QStringLiteral("dbProd")), nullptr); // the bases are in the extended form

    s.form.findChild<QLineEdit *>(QStringLiteral("search"))->setText(QStringLiteral("raschet"));
    EXPECT_EQ(s.visibleKeys(),
        (QStringList {QStringLiteral("Raschet1"), QStringLiteral("Raschet2"), QStringLiteral("Raschet3"),
            QStringLiteral("Raschet1k")}));
    EXPECT_TRUE(price->parent()->isHidden()); // a group with nothing found is hidden
    s.form.findChild<QLineEdit *>(QStringLiteral("search"))->clear();
    EXPECT_FALSE(price->parent()->isHidden());

    OpenSettings extended(SettingsForm::Scope::Extended);
    EXPECT_EQ(extended.form.objectName(), u"FeatNew2");
    EXPECT_NE(extended.item(QStringLiteral("dbProd")), nullptr);
    EXPECT_NE(extended.item(QStringLiteral("Shablon_Excel_TTK")), nullptr);
}

TEST(SettingsForm, EditsAreWrittenByApplyAndTheDefaultComesBackPerKey)
{
    OpenSettings s(
        [](SettingsStore &store) { store.save(Section::Documents, QStringLiteral("Raschet3"), QStringLiteral("40")); });
    QTreeWidgetItem *raschet1 = s.item(QStringLiteral("Raschet1"));
    QTreeWidgetItem *raschet3 = s.item(QStringLiteral("Raschet3"));
    QTreeWidgetItem *anim = s.item(QStringLiteral("boolAnim"));
    ASSERT_TRUE(raschet1 && raschet3 && anim);
    EXPECT_EQ(raschet3->text(1), u"40");
    EXPECT_TRUE(raschet3->font(0).bold()); // differs from its default

    raschet1->setText(1, QStringLiteral("12"));
    anim->setCheckState(1, Qt::Checked);
    raschet1->setText(1, QStringLiteral("дюжина")); // refused: the edit before it stays
    EXPECT_EQ(raschet1->text(1), u"12");
    s.tree()->setCurrentItem(raschet3);
    s.click("restoreDefault");
    EXPECT_EQ(raschet3->text(1), u"30");
    EXPECT_FALSE(s.t->contains(Section::Documents, QStringLiteral("Raschet1"))); // not before "Применить"

    s.click("apply");
    EXPECT_EQ(s.t->get(Section::Documents, QStringLiteral("Raschet1")), u"12");
    EXPECT_EQ(s.t->get(Section::UserInterface, QStringLiteral("boolAnim")), u"True");
    EXPECT_FALSE(s.t->contains(Section::Documents, QStringLiteral("Raschet3")));
    EXPECT_EQ(s.shared.value(Section::Documents, QStringLiteral("Raschet1")), u"12");
    EXPECT_TRUE(s.form.findChild<QLabel *>(QStringLiteral("note"))->text().startsWith(u"Настройки сохранены"));
    INI_Work ini;
    ini.setFilename(s.mirror);
    EXPECT_EQ(ini.Value(QStringLiteral("Documents"), QStringLiteral("Raschet1")), u"12");
    EXPECT_EQ(ini.Value(QStringLiteral("Documents"), QStringLiteral("Raschet3")), u"30");
}

TEST(SettingsForm, ClosingWithEditsAsksAndCancelKeepsTheForm)
{
    OpenSettings s;
    s.item(QStringLiteral("RoundPrice"))->setText(1, QStringLiteral("3"));
    s.prompter.expect(QStringLiteral("Сохранить изменения настроек?"), Prompter::Answer::Cancel);
    EXPECT_FALSE(s.form.close());
    EXPECT_TRUE(s.form.editor().hasEdits());
    s.prompter.expect(QStringLiteral("Сохранить изменения настроек?"), Prompter::Answer::No);
    EXPECT_TRUE(s.form.close());
    EXPECT_FALSE(s.t->contains(Section::Data, QStringLiteral("RoundPrice")));
}

TEST(SettingsForm, TheConnectionPageChoosesTheServerAndTestsTheConnection)
{
    const auto cluster = test::testCluster();
    if (!cluster) {
        if (qEnvironmentVariableIsSet("CI"))
            FAIL() << "KULVERA_PG_TEST is not set";
        GTEST_SKIP() << "no PostgreSQL test cluster (KULVERA_PG_TEST)";
    }
    OpenSettings s;
    auto *engine = s.form.findChild<QComboBox *>(QStringLiteral("engine"));
    auto *host = s.form.findChild<QLineEdit *>(QStringLiteral("pgHost"));
    auto *database = s.form.findChild<QLineEdit *>(QStringLiteral("pgDatabase"));
    auto *result = s.form.findChild<QLabel *>(QStringLiteral("connectionResult"));
    ASSERT_TRUE(engine && host && database && result);
    EXPECT_EQ(engine->currentIndex(), 0); // SQLite unless chosen
    EXPECT_FALSE(host->isEnabled());

    engine->setCurrentIndex(1);
    EXPECT_TRUE(host->isEnabled());
    // Typed as a user types: every field is an edit of its setting.
    const auto type = [](QLineEdit *edit, const QString &text) {
        edit->selectAll();
        edit->del();
        edit->insert(text);
    };
    type(host, cluster->host);
    s.form.findChild<QSpinBox *>(QStringLiteral("pgPort"))->setValue(cluster->port);
    type(database, cluster->database);
    type(s.form.findChild<QLineEdit *>(QStringLiteral("pgUser")), cluster->user);
    s.click("testConnection");
    EXPECT_TRUE(result->text().startsWith(u"Соединение установлено. Сервер PostgreSQL 15"))
        << result->text().toStdString();
    EXPECT_TRUE(s.prompter.saw(QStringLiteral("Соединение установлено")));

    // The server's own error comes back.
    type(database, QStringLiteral("no_such_base"));
    s.click("testConnection");
    EXPECT_TRUE(result->text().startsWith(u"Не удалось подключиться к серверу:"));
    EXPECT_TRUE(result->text().contains(u"no_such_base")) << result->text().toStdString();

    // Nothing is written before "Применить"; then the engine and the server are.
    EXPECT_FALSE(s.t->contains(Section::Data, QStringLiteral("DbEngine")));
    EXPECT_EQ(s.item(QStringLiteral("DbEngine"))->text(1), u"PostgreSQL"); // the list follows the page
    ASSERT_TRUE(s.form.apply());
    EXPECT_EQ(s.t->get(Section::Data, QStringLiteral("DbEngine")), u"PostgreSQL");
    EXPECT_EQ(s.t->get(Section::Data, QStringLiteral("PgHost")), cluster->host);
    EXPECT_EQ(s.t->get(Section::Data, QStringLiteral("PgDatabase")), u"no_such_base");
    EXPECT_EQ(configuredEngine(s.t.store()), DbEngine::PostgreSQL);
}
