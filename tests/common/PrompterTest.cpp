#include "common/ScriptedPrompter.h"
#include "common/SettingsAccess.h"

#include <QMap>

#include <gtest/gtest.h>

using namespace kulvera;
using A = Prompter::Answer;

namespace {

// Settings kept in memory, enough for the prompter's notices and clipboard flag.
class MemorySettings : public SettingsAccess
{
public:
    QString get(Section s, const QString &k, const QString &d) const override { return values.value(key(s, k), d); }
    void save(Section s, const QString &k, const QString &v) override { values.insert(key(s, k), v); }
    void remove(Section s, const QString &k) override { values.remove(key(s, k)); }
    bool contains(Section s, const QString &k) const override { return values.contains(key(s, k)); }
    QString getInGroup(const QString &g, const QString &k, const QString &d) const override
    {
        return values.value(g + u'/' + k, d);
    }
    void saveInGroup(const QString &g, const QString &k, const QString &v) override { values.insert(g + u'/' + k, v); }
    static QString key(Section s, const QString &k) { return sectionName(s) + u'/' + k; }
    QMap<QString, QString> values;
};

} // namespace

TEST(Prompter, TitlesDefaultToTheProductAndErrorsSayError)
{
    ScriptedPrompter p;
    p.message(QStringLiteral("Готово"));
    p.error(QStringLiteral("Плохо"));
    ASSERT_EQ(p.shown().size(), 2u);
    EXPECT_EQ(p.shown()[0].title, u"Kulvera");
    EXPECT_EQ(p.shown()[1].title, u"Ошибка");
    EXPECT_EQ(p.shown()[1].icon, Prompter::Icon::Critical);
}

TEST(Prompter, ErrorBoxPutsModuleProcedureAndCodeOnTheirOwnLines)
{
    MemorySettings settings;
    ScriptedPrompter p;
    p.setSettings(&settings);
    p.errorBox(QStringLiteral("Нет полуфабриката"), QStringLiteral("Блюдо_ХС"), QStringLiteral("Summ_Rec_New"), 5);
    EXPECT_EQ(p.shown().back().text, u"Нет полуфабриката\nБлюдо_ХС\nSumm_Rec_New\nКод: 5");
    EXPECT_EQ(p.shown().back().title, u"Kulvera");
    EXPECT_TRUE(p.clipboard().isEmpty());

    settings.save(Section::Data, QStringLiteral("lCopyMessExToClipboard"), QStringLiteral("1"));
    p.errorBox(QStringLiteral("Снова"), QStringLiteral("M"), QStringLiteral("P"), 7);
    ASSERT_EQ(p.clipboard().size(), 1);
    EXPECT_EQ(p.clipboard().first(), u"Снова\nM\nP\nКод: 7");
}

TEST(Prompter, ScriptAnswersQuestionsInOrderAndFlagsTheUnexpected)
{
    ScriptedPrompter p;
    p.expect(QStringLiteral("Удалить"), A::Yes).expect(QStringLiteral("Сохранить"), A::No);
    EXPECT_EQ(p.ask(QStringLiteral("Удалить продукт?")), A::Yes);
    EXPECT_EQ(p.ask(QStringLiteral("Сохранить изменения?")), A::No);
    EXPECT_TRUE(p.unexpected().isEmpty());
    EXPECT_TRUE(p.scriptDone());
    // Unscripted: recorded, and answered the way that changes nothing.
    EXPECT_EQ(p.ask(QStringLiteral("Выйти?"), Prompter::Buttons::YesNoCancel), A::Cancel);
    EXPECT_EQ(p.unexpected(), QStringList {QStringLiteral("Выйти?")});
}

TEST(Prompter, ScriptedAnswerMustFitTheButtons)
{
    ScriptedPrompter p;
    p.expect(QStringLiteral("Продолжить"), A::Retry);
    EXPECT_EQ(p.ask(QStringLiteral("Продолжить?"), Prompter::Buttons::YesNo), A::No);
    EXPECT_EQ(p.unexpected().size(), 1);
}

TEST(Prompter, NoticeSwitchedOffStaysOffUnderItsOwnKey)
{
    MemorySettings settings;
    ScriptedPrompter p;
    p.setSettings(&settings);
    p.expect(QStringLiteral("исправлены"), A::Ok, /*dontShowAgain=*/true);
    p.notice(QStringLiteral("В рецептуре исправлены следующие ошибки: "), QStringLiteral("MasterErrorForDishe"));
    EXPECT_EQ(settings.get(Section::Messages, QStringLiteral("MasterErrorForDishe"), {}), u"0");
    p.notice(QStringLiteral("В рецептуре исправлены следующие ошибки: "), QStringLiteral("MasterErrorForDishe"));
    EXPECT_EQ(p.shown().size(), 1u);
    // Another notice is not affected.
    p.notice(QStringLiteral("Другое"), QStringLiteral("OtherNotice"));
    EXPECT_EQ(p.shown().size(), 2u);
}

TEST(SettingsAccess, FlagsAndSectionsByNameOrCode)
{
    MemorySettings s;
    s.saveFlag(Section::Data, QStringLiteral("boolSN"), true);
    s.saveFlag(Section::Data, QStringLiteral("lRoundBrutto"), false);
    EXPECT_EQ(s.get(Section::Data, QStringLiteral("boolSN"), {}), u"True");
    EXPECT_EQ(s.get(Section::Data, QStringLiteral("lRoundBrutto"), {}), u"0");
    EXPECT_TRUE(s.getFlag(Section::Data, QStringLiteral("boolSN"), false));
    EXPECT_TRUE(s.getFlag(Section::Data, QStringLiteral("missing"), true));
    EXPECT_EQ(sectionFromText(QStringLiteral("11")), Section::DocumentsTTK);
    EXPECT_EQ(sectionFromText(QStringLiteral("documents/ttk")), Section::DocumentsTTK);
    EXPECT_EQ(sectionFromText(QStringLiteral("ШаблонМеню")), Section::MenuTemplate);
    EXPECT_FALSE(sectionFromText(QStringLiteral("18")).has_value());
    EXPECT_FALSE(sectionFromText(QStringLiteral("Nope")).has_value());
    EXPECT_EQ(sectionName(Section::DocumentsTTKkProm), u"Documents\\TTKk_prom");
}
