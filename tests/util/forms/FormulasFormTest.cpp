#include "util/forms/FormulasForm.h"
#include "util/forms/MethodModels.h"

#include "support/TempBases.h"

#include <QPushButton>
#include <QTableView>

#include <gtest/gtest.h>

using namespace kulvera;
using kulvera::test::TempBases;

namespace {

struct FormFixture {
    TempBases bases;
    int number = bases.create(BaseId::Methods);
    MethodStore store {bases.connections().database(BaseId::Methods), &bases.errorLog()};
    ScriptedPrompter &prompter = bases.prompter();
    QStringList log;
    std::unique_ptr<FormulasForm> form;

    void open()
    {
        form = std::make_unique<FormulasForm>(std::make_unique<MethodEditor>(
            store, prompter, bases.settings(), [this](const QString &text) { log << text; }));
    }
    QTableView *view(const char *name) { return form->findChild<QTableView *>(QString::fromLatin1(name)); }
    QAbstractItemModel *methods() { return view("methodsView")->model(); }
    QAbstractItemModel *params() { return view("paramsView")->model(); }
    void click(const char *name) { form->findChild<QPushButton *>(QString::fromLatin1(name))->click(); }
    bool enabled(const char *name) { return form->findChild<QPushButton *>(QString::fromLatin1(name))->isEnabled(); }
    MethodCatalog read() { return store.load().value(); }
};

} // namespace

TEST(FormulasForm, ShowsMethodsAndTheParametersOfTheSelectedOne)
{
    FormFixture f;
    const int dry = *f.store.addMethod(QStringLiteral("Сухие вещества"));
    f.store.setMethodField(dry, MethodField::Formula, QStringLiteral("m1/m*100"));
    f.store.addParam(dry, QStringLiteral("навеска"));
    f.store.addParam(dry, QStringLiteral("остаток"));
    const int fat = *f.store.addMethod(QString());
    f.store.addParam(fat, QStringLiteral("жир"));
    f.open();

    ASSERT_EQ(f.methods()->rowCount(), 2);
    EXPECT_EQ(f.methods()->index(0, MethodsModel::Formula).data().toString(), QStringLiteral("m1/m*100"));
    EXPECT_EQ(f.methods()->index(1, MethodsModel::Name).data().toString(), QStringLiteral("[название не задано]"));
    EXPECT_EQ(f.form->currentMethodId(), dry);
    EXPECT_EQ(f.params()->rowCount(), 2);
    EXPECT_EQ(f.params()->index(1, ParamsModel::Name).data().toString(), QStringLiteral("остаток"));

    f.form->selectMethod(fat);
    ASSERT_EQ(f.params()->rowCount(), 1);
    EXPECT_EQ(f.params()->index(0, ParamsModel::Name).data().toString(), QStringLiteral("жир"));
    EXPECT_FALSE(f.enabled("deleteParamButton")); // no parameter chosen yet
    EXPECT_TRUE(f.enabled("addParamButton"));
}

TEST(FormulasForm, CommandsAskAndCellsAreWrittenAtOnce)
{
    FormFixture f;
    f.open();
    EXPECT_FALSE(f.enabled("deleteMethodButton"));
    EXPECT_FALSE(f.enabled("addParamButton"));

    f.prompter.expect(QStringLiteral("Добавить новый метод?"), Prompter::Answer::Yes);
    f.click("addMethodButton");
    ASSERT_EQ(f.methods()->rowCount(), 1);
    const int id = f.form->currentMethodId();
    EXPECT_EQ(f.methods()->index(0, MethodsModel::Name).data().toString(), QStringLiteral("Новый метод"));

    int changedRows = 0;
    QObject::connect(f.methods(), &QAbstractItemModel::dataChanged,
        [&](const QModelIndex &from, const QModelIndex &to) { changedRows += to.row() - from.row() + 1; });
    EXPECT_TRUE(f.methods()->setData(f.methods()->index(0, MethodsModel::Formula), QStringLiteral("a/b")));
    EXPECT_EQ(changedRows, 1);
    // The same text again writes and logs nothing.
    EXPECT_FALSE(f.methods()->setData(f.methods()->index(0, MethodsModel::Formula), QStringLiteral("a/b")));
    EXPECT_TRUE(f.methods()->setData(f.methods()->index(0, MethodsModel::Hidden), Qt::Checked, Qt::CheckStateRole));
    EXPECT_FALSE(
        f.methods()->setData(f.methods()->index(0, MethodsModel::Name), QStringLiteral("x"))); // by question only
    EXPECT_EQ(f.read().method(id)->formula, u"a/b");
    EXPECT_TRUE(f.read().method(id)->hidden);

    f.prompter.expect(QStringLiteral("Добавить новый параметр?"), Prompter::Answer::Yes);
    f.click("addParamButton");
    ASSERT_EQ(f.params()->rowCount(), 1);
    EXPECT_TRUE(f.params()->setData(f.params()->index(0, ParamsModel::Designation), QStringLiteral("a")));
    EXPECT_FALSE(f.params()->setData(f.params()->index(0, ParamsModel::Designation), QStringLiteral("a b")));
    EXPECT_EQ(f.params()->index(0, ParamsModel::Designation).data().toString(), QStringLiteral("a"));
    EXPECT_EQ(f.read().params[0].designation, u"a");

    f.prompter.expectInput(QStringLiteral("Введите название параметра: "), QStringLiteral("масса"));
    f.click("renameParamButton");
    EXPECT_EQ(f.params()->index(0, ParamsModel::Name).data().toString(), QStringLiteral("масса"));
    f.prompter.expectInput(QStringLiteral("Введите название метода"), QStringLiteral("Отношение"));
    f.click("renameMethodButton");
    EXPECT_EQ(f.methods()->index(0, MethodsModel::Name).data().toString(), QStringLiteral("Отношение"));

    f.prompter.expect(QStringLiteral("Удалить параметр: 'масса'"), Prompter::Answer::Yes);
    f.click("deleteParamButton");
    EXPECT_EQ(f.params()->rowCount(), 0);
    f.prompter.expect(QStringLiteral("Удалить выбранный метод?"), Prompter::Answer::Yes);
    f.click("deleteMethodButton");
    EXPECT_EQ(f.methods()->rowCount(), 0);
    EXPECT_TRUE(f.read().methods.empty());
    EXPECT_FALSE(f.enabled("deleteMethodButton"));

    EXPECT_EQ(f.log,
        (QStringList {QStringLiteral("Обновили формулу: a/b"), QStringLiteral("Обновили: скрыт"),
            QStringLiteral("Обновили параметр: a"), QStringLiteral("Обновили параметр: масса"),
            QStringLiteral("Обновили формулу: Отношение")}));
    EXPECT_TRUE(f.prompter.unexpected().isEmpty());
    EXPECT_TRUE(f.prompter.scriptDone());
}
