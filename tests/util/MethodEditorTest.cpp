#include "util/MethodEditor.h"

#include "support/TempBases.h"

#include <gtest/gtest.h>

using namespace kulvera;
using kulvera::test::TempBases;

namespace {

// A fresh methods base with the store and an editor whose log is kept.
struct MethodsBase {
    TempBases bases;
    int number = bases.create(BaseId::Methods);
    MethodStore store {bases.connections().database(BaseId::Methods), &bases.errorLog()};
    QStringList log;
    ScriptedPrompter &prompter = bases.prompter();

    std::unique_ptr<MethodEditor> editor()
    {
        return std::make_unique<MethodEditor>(
            store, prompter, bases.settings(), [this](const QString &text) { log << text; });
    }
    MethodCatalog read() { return store.load().value(); }
};

} // namespace

TEST(MethodStore, WritesAndReadsEveryColumnAndDeletesParametersWithTheirMethod)
{
    MethodsBase b;
    ASSERT_NE(b.number, Connections::kFailed);
    const Result<int> id = b.store.addMethod(QStringLiteral("Жир по Герберу"));
    ASSERT_TRUE(id.ok()) << id.error().toStdString();
    EXPECT_TRUE(b.store.setMethodField(*id, MethodField::Formula, QStringLiteral("a/b*100")));
    EXPECT_TRUE(b.store.setMethodField(*id, MethodField::Min, QStringLiteral("Жиры*0,9")));
    EXPECT_TRUE(b.store.setMethodField(*id, MethodField::Max, QStringLiteral("Жиры*1.1")));
    EXPECT_TRUE(b.store.setMethodField(*id, MethodField::Desc, QStringLiteral("O'Brien \"test\"")));
    EXPECT_TRUE(b.store.setMethodField(*id, MethodField::Hidden, true));
    EXPECT_TRUE(b.store.setMethodField(*id, MethodField::Showing, 2));
    EXPECT_TRUE(b.store.setMethodField(*id, MethodField::Val, QStringLiteral("1,5")));
    const Result<int> p1 = b.store.addParam(*id, QStringLiteral("масса жира"));
    const Result<int> p2 = b.store.addParam(*id, QStringLiteral("навеска"));
    ASSERT_TRUE(p1.ok() && p2.ok());
    EXPECT_TRUE(b.store.setParamField(*p1, ParamField::Designation, QStringLiteral("a")));
    const Result<int> other = b.store.addMethod(QStringLiteral("Другой"));
    const Result<int> p3 = b.store.addParam(*other, QStringLiteral("x"));

    MethodCatalog c = b.read();
    ASSERT_EQ(c.methods.size(), 2u);
    const Method &m = *c.method(*id);
    EXPECT_EQ(m.formula, u"a/b*100");
    EXPECT_EQ(m.min, u"Жиры*0,9");
    EXPECT_EQ(m.max, u"Жиры*1.1");
    EXPECT_EQ(m.desc, u"O'Brien \"test\"");
    EXPECT_TRUE(m.hidden);
    EXPECT_EQ(m.showing, 2);
    EXPECT_EQ(m.val, u"1,5");
    EXPECT_FALSE(c.method(*other)->hidden);
    ASSERT_EQ(c.paramsOf(*id).size(), 2u);
    EXPECT_EQ(c.paramsOf(*id)[0]->designation, u"a");
    EXPECT_EQ(c.paramsOf(*id)[0]->type, u"d");

    EXPECT_TRUE(b.store.deleteMethod(*id));
    c = b.read();
    ASSERT_EQ(c.methods.size(), 1u);
    ASSERT_EQ(c.params.size(), 1u);
    EXPECT_EQ(c.params[0].id, *p3);
    // A row that is not there is a failure, not a silent success.
    EXPECT_FALSE(b.store.deleteMethod(*id));
    EXPECT_FALSE(b.store.setParamField(*p1, ParamField::Name, QStringLiteral("x")));
}

TEST(MethodEditor, AddAndDeleteAskFirstAndNameNewRows)
{
    MethodsBase b;
    auto editor = b.editor();
    b.prompter.expect(QStringLiteral("Добавить новый метод?"), Prompter::Answer::No);
    EXPECT_FALSE(editor->addMethod());
    EXPECT_TRUE(b.read().methods.empty());

    b.prompter.expect(QStringLiteral("Добавить новый метод?"), Prompter::Answer::Yes);
    const auto first = editor->addMethod();
    ASSERT_TRUE(first);
    EXPECT_EQ(editor->catalog().method(*first)->name, u"Новый метод");
    b.bases.settings().save(Section::Data, QStringLiteral("sNewMethodName"), QStringLiteral("Метод"));
    b.bases.settings().save(Section::Data, QStringLiteral("sNewParName"), QStringLiteral("величина"));
    b.prompter.expect(QStringLiteral("Добавить новый метод?"), Prompter::Answer::Yes);
    const auto second = editor->addMethod();
    EXPECT_EQ(b.read().method(*second)->name, u"Метод");

    b.prompter.expect(QStringLiteral("Добавить новый параметр?"), Prompter::Answer::Yes);
    const auto param = editor->addParam(*first);
    ASSERT_TRUE(param);
    EXPECT_EQ(b.read().params[0].name, u"величина");
    EXPECT_EQ(b.read().params[0].type, u"d");

    b.prompter.expect(QStringLiteral("Удалить параметр: 'величина'"), Prompter::Answer::No);
    EXPECT_FALSE(editor->deleteParam(*param));
    EXPECT_EQ(b.read().params.size(), 1u);
    b.prompter.expect(QStringLiteral("Удалить параметр: 'величина'"), Prompter::Answer::Yes);
    EXPECT_TRUE(editor->deleteParam(*param));
    EXPECT_TRUE(b.read().params.empty());

    b.prompter.expect(QStringLiteral("Удалить выбранный метод?"), Prompter::Answer::Yes);
    EXPECT_TRUE(editor->deleteMethod(*second));
    EXPECT_EQ(editor->catalog().methods.size(), 1u);
    EXPECT_TRUE(b.prompter.unexpected().isEmpty());
    EXPECT_TRUE(b.prompter.scriptDone());
}

TEST(MethodEditor, RenameAsksForTheNameAndCancelChangesNothing)
{
    MethodsBase b;
    const int id = *b.store.addMethod(QStringLiteral("Влага"));
    const int p = *b.store.addParam(id, QStringLiteral("масса"));
    auto editor = b.editor();
    b.prompter.expectInput(QStringLiteral("Введите название метода"), std::nullopt);
    EXPECT_FALSE(editor->renameMethod(id));
    b.prompter.expectInput(QStringLiteral("Введите название метода"), QStringLiteral("   "));
    EXPECT_FALSE(editor->renameMethod(id));
    EXPECT_EQ(b.read().method(id)->name, u"Влага");
    b.prompter.expectInput(QStringLiteral("Введите название метода"), QStringLiteral(" Влажность "));
    EXPECT_TRUE(editor->renameMethod(id));
    EXPECT_EQ(b.read().method(id)->name, u"Влажность");
    b.prompter.expectInput(QStringLiteral("Введите название параметра: "), QStringLiteral("масса навески"));
    EXPECT_TRUE(editor->renameParam(p));
    EXPECT_EQ(b.read().params[0].name, u"масса навески");
    EXPECT_EQ(b.log,
        (QStringList {
            QStringLiteral("Обновили формулу: Влажность"), QStringLiteral("Обновили параметр: масса навески")}));
    EXPECT_TRUE(b.prompter.unexpected().isEmpty());
}

TEST(MethodEditor, EditsAreWrittenAtOnceWithTheirLogTexts)
{
    MethodsBase b;
    const int id = *b.store.addMethod(QStringLiteral("Влага"));
    const int p = *b.store.addParam(id, QStringLiteral("масса"));
    auto editor = b.editor();
    EXPECT_TRUE(editor->setMethodField(id, MethodField::Formula, QStringLiteral("m1-m")));
    EXPECT_TRUE(editor->setMethodField(id, MethodField::Val, QStringLiteral("12")));
    EXPECT_TRUE(editor->setMethodField(id, MethodField::Hidden, true));
    EXPECT_TRUE(editor->setParamField(p, ParamField::Unit, QStringLiteral("г")));
    EXPECT_EQ(b.log,
        (QStringList {QStringLiteral("Обновили формулу: m1-m"), QStringLiteral("Обновили значение: 12"),
            QStringLiteral("Обновили: скрыт"), QStringLiteral("Обновили параметр: г")}));
    const MethodCatalog c = b.read();
    EXPECT_EQ(c.method(id)->formula, u"m1-m");
    EXPECT_TRUE(c.method(id)->hidden);
    EXPECT_EQ(c.params[0].unit, u"г");
    EXPECT_EQ(editor->catalog().method(id)->val, u"12");

    // Someone else deleted the method: the failure is shown, not taken as done.
    ASSERT_TRUE(b.store.deleteMethod(id));
    EXPECT_FALSE(editor->setMethodField(id, MethodField::Formula, QStringLiteral("m")));
    EXPECT_TRUE(b.prompter.saw(QStringLiteral("Изменение не записано в базу методов")));
    EXPECT_TRUE(editor->catalog().methods.empty());
}

TEST(MethodEditor, DesignationsAreCheckedAgainstThisAndOtherMethods)
{
    MethodsBase b;
    const int dry = *b.store.addMethod(QStringLiteral("Сухие вещества"));
    const int fat = *b.store.addMethod(QStringLiteral("Жир"));
    const int ash = *b.store.addMethod(QString());
    b.store.setParamField(
        *b.store.addParam(dry, QStringLiteral("масса")), ParamField::Designation, QStringLiteral("m"));
    b.store.setParamField(
        *b.store.addParam(ash, QStringLiteral("масса")), ParamField::Designation, QStringLiteral("m"));
    const int fatMass = *b.store.addParam(fat, QStringLiteral("масса"));
    const int fatVolume = *b.store.addParam(fat, QStringLiteral("объем"));
    auto editor = b.editor();

    EXPECT_TRUE(editor->setParamField(fatMass, ParamField::Designation, QStringLiteral(" m ")));
    ASSERT_EQ(b.prompter.shown().size(), 1u);
    EXPECT_EQ(b.prompter.texts().last(),
        u"Введенный параметр используется в другом методе.\n"
        u"Перечень методов, где используется этот параметр: \"Сухие вещества\",\"[название не задано]\"");
    EXPECT_EQ(b.read().params[2].designation, u"m");

    // Not twice in one method, and nothing a formula cannot tell from an operator.
    for (const QString &bad : {QStringLiteral("m"), QStringLiteral("a b"), QStringLiteral("1a"), QStringLiteral("a-b"),
             QStringLiteral("x,y")}) {
        b.prompter.clear();
        EXPECT_FALSE(editor->setParamField(fatVolume, ParamField::Designation, bad)) << bad.toStdString();
        EXPECT_EQ(b.prompter.shown().size(), 1u);
    }
    EXPECT_TRUE(b.read().params[3].designation.isEmpty());
    b.prompter.clear();
    EXPECT_TRUE(editor->setParamField(fatVolume, ParamField::Designation, QStringLiteral("m1")));
    EXPECT_TRUE(b.prompter.shown().empty()); // used nowhere else: nothing to say
}
