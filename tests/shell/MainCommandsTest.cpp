#include "shell/MainCommands.h"
#include "shell/SettingDefaults.h"
#include "shell/SharedSettings.h"
#include "support/TempSettings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kulvera;

TEST(MainCommands, TemplatePathFollowsTheSettingElseTheDefaultFile)
{
    test::TempSettings t;
    t->save(Section::Data, QStringLiteral("Dir_book"), QStringLiteral("/srv/kv"));
    t->save(Section::Documents, QStringLiteral("sMenuTempl"), QStringLiteral("menu_school.xlsx"));
    t->save(Section::Documents, QStringLiteral("sDisheTempl"), QStringLiteral("/home/cook/dishes.xlsx"));
    t->save(Section::Documents, QStringLiteral("sCalcTempl"), QString());
    const SharedSettings shared = SharedSettings::load(t.store(), {QStringLiteral("/opt/kv"), {}, {}, {}});
    const auto path
        = [&](const char16_t *name) { return templatePath(*findMainCommand(QString::fromUtf16(name)), shared); };
    EXPECT_EQ(path(u"menu_edit"), u"/srv/kv/Шаблоны/menu_school.xlsx");
    EXPECT_EQ(path(u"tk_ttk_edit"), u"/home/cook/dishes.xlsx"); // a path stands as given
    EXPECT_EQ(path(u"calc_card_edit"), u"/srv/kv/Шаблоны/calc.xlsx"); // an empty value is no file
    EXPECT_EQ(path(u"ttk_hs_edit"), u"/srv/kv/Шаблоны/TTK.xlsx");
    EXPECT_EQ(path(u"label_edit"), u"/srv/kv/Шаблоны/label.xlsx"); // no setting names this one

    // Every command whose default file is in the settings table is named by that setting.
    for (const MainCommand &c : mainCommands()) {
        if (!c.templateFile)
            continue;
        for (const TemplateName &n : templateNames()) {
            if (QStringView(n.file) == QStringView(c.templateFile)) {
                EXPECT_TRUE(c.templateKey && QStringView(c.templateKey) == QStringView(n.key))
                    << QString::fromUtf16(c.name).toStdString();
            }
        }
    }
}

TEST(MainCommands, AnOlderTemplateNameOpensTheSameTemplateUnderItsNewExtension)
{
    test::TempSettings t;
    QTemporaryDir root;
    t->save(Section::Data, QStringLiteral("Dir_book"), root.path());
    t->save(Section::Documents, QStringLiteral("sMenuTempl"), QStringLiteral("menu_school.xlt"));
    const SharedSettings shared = SharedSettings::load(t.store(), {root.path(), {}, {}, {}});
    EXPECT_EQ(templatePath(*findMainCommand(QStringLiteral("menu_edit")), shared),
        shared.templatesFolder() + QStringLiteral("/menu_school.xlt")); // nothing there yet

    QDir().mkpath(shared.templatesFolder());
    QFile file(shared.templatesFolder() + QStringLiteral("/menu_school.xltx"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(templatePath(*findMainCommand(QStringLiteral("menu_edit")), shared),
        shared.templatesFolder() + QStringLiteral("/menu_school.xltx"));
}
