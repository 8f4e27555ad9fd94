#include "common/NumberText.h"
#include "recipes/DishBase.h"
#include "recipes/HeatTreatment.h"
#include "research/DishReference.h"
#include "research/ProtocolGrid.h"
#include "research/ProtocolStore.h"
#include "research/forms/ProtocolForm.h"
#include "research/forms/ProtocolGridModel.h"
#include "research/forms/ProtocolListForm.h"
#include "shell/AppContext.h"
#include "shell/DishCollections.h"
#include "support/TempBases.h"
#include "util/MethodStore.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kulvera;
using kulvera::test::TempBases;

namespace {

const QString kPilaf = QStringLiteral("Плов");

// A laboratory's desk: a dish base with a pilaf of 200 g (12 g of fat), a
// methods base with dry substances and fat, an empty protocols base.
struct Desk {
    TempBases t;
    FixedClock clock {QDate(2026, 12, 4)};
    AppContext context {t.prompter(), t.settings(), t.shared(), clock, t.connections(), t.errorLog()};
    QString table;
    int dry = 0;
    int fat = 0;
    std::vector<int> dryParams;
    std::vector<int> fatParams;

    Desk()
    {
        t.create(BaseId::Dishes);
        t.create(BaseId::Methods);
        t.create(BaseId::Protocols);
        table = addCollection(t.connections(), t.settings(), QStringLiteral("Лаборатория"))->table;
        const int dishes = static_cast<int>(BaseId::Dishes);
        DishBase base(t.connections(), dishes, t.settings(), t.prompter(),
            installationCodec(t.connections(), dishes, t.settings(), &t.prompter()).value());
        colBludo recipe;
        clsBludo rice;
        clsProds &p = rice.clsProds();
        p.Kod = QStringLiteral("pro00000001");
        p.ID_Prod = QStringLiteral("1");
        p.FullName = QStringLiteral("Рис с курицей");
        p.Brutto = 200;
        p.Netto = 200;
        p.Out = QStringLiteral("200");
        p.Gir = 12;
        p.sv = 70;
        recipe.Add(rice);
        EXPECT_TRUE(base.save(recipe, table, kPilaf, {}));

        MethodStore store(t.connections().database(BaseId::Methods));
        dry = *store.addMethod(QStringLiteral("Сухие вещества"));
        store.setMethodField(dry, MethodField::Formula, QStringLiteral("(m2-m0)/(m1-m0)*100"));
        store.setMethodField(dry, MethodField::Compare, QStringLiteral("Сухие вещества"));
        for (const char16_t *d : {u"m0", u"m1", u"m2"})
            dryParams.push_back(param(store, dry, d));
        fat = *store.addMethod(QStringLiteral("Жир по Герберу"));
        store.setMethodField(fat, MethodField::Formula, QStringLiteral("a*10/m"));
        store.setMethodField(fat, MethodField::Compare, QStringLiteral("Жиры"));
        for (const char16_t *d : {u"a", u"m"})
            fatParams.push_back(param(store, fat, d));
        const int hidden = *store.addMethod(QStringLiteral("Старый метод"));
        store.setMethodField(hidden, MethodField::Hidden, true);
    }
    static int param(MethodStore &store, int method, const char16_t *designation)
    {
        const int p = *store.addParam(method, QStringLiteral("масса ") + QString::fromUtf16(designation));
        store.setParamField(p, ParamField::Designation, QString::fromUtf16(designation));
        return p;
    }
};

// Types the values of both experiments into the grid, as a user does.
void type(ProtocolGridModel &grid, int paramId, const QString &first, const QString &second)
{
    const int row = grid.rowOfParam(paramId);
    ASSERT_GE(row, 0);
    EXPECT_TRUE(grid.setData(grid.index(row, FirstColumn), first));
    EXPECT_TRUE(grid.setData(grid.index(row, SecondColumn), second));
}

QStringList gridTexts(const QAbstractItemModel &model)
{
    QStringList texts;
    for (int r = 0; r < model.rowCount(); ++r)
        for (int c = 0; c < model.columnCount(); ++c)
            texts << model.index(r, c).data().toString();
    return texts;
}

} // namespace

TEST(ProtocolForm, ValuesTypedInTheGridGiveResultsAndAMissingOneIsNamedWhileTheOthersCompute)
{
    Desk d;
    ProtocolForm form(d.context);
    QAbstractItemModelTester tester(form.grid());
    auto *methods = form.findChild<QListWidget *>(QStringLiteral("methodsList"));
    ASSERT_NE(methods, nullptr);
    EXPECT_EQ(methods->count(), 2); // the hidden method is not offered
    EXPECT_EQ(form.findChild<QDateEdit *>(QStringLiteral("dateEdit"))->date(), QDate(2026, 12, 4));

    ASSERT_TRUE(form.setDish(d.table, kPilaf));
    EXPECT_EQ(form.protocol().output, QStringLiteral("200"));
    // Checking a method in the list adds it with its parameters.
    methods->item(0)->setCheckState(Qt::Checked);
    form.chooseMethods({d.fat});
    EXPECT_EQ(methods->item(1)->checkState(), Qt::Checked);
    ProtocolGridModel &grid = *form.grid();
    ASSERT_EQ(grid.rowCount(), 7);

    type(grid, d.dryParams[0], QStringLiteral("18"), QStringLiteral("18"));
    type(grid, d.dryParams[1], QStringLiteral("23"), QStringLiteral("23"));
    type(grid, d.dryParams[2], QStringLiteral("19,6"), QStringLiteral("19.65"));
    const int aRow = grid.rowOfParam(d.fatParams[0]);
    EXPECT_TRUE(grid.setData(grid.index(aRow, FirstColumn), QStringLiteral("1,36")));
    type(grid, d.fatParams[1], QStringLiteral("2"), QStringLiteral("2"));

    // Dry substances are computed and compared with the pilaf; the fat waits for its value.
    EXPECT_EQ(grid.index(0, AverageColumn).data().toString(), QStringLiteral("32,500"));
    const std::optional<double> pilafDry = form.protocol().references.value(QStringLiteral("Сухие вещества"));
    EXPECT_GT(*pilafDry, 0);
    EXPECT_EQ(grid.index(0, DishColumn).data().toString(), formatFixed(*pilafDry, 3));
    EXPECT_EQ(grid.index(4, FirstColumn).data().toString(),
        QStringLiteral("Не указано значение второго опыта для показателя 'масса a'"));
    EXPECT_EQ(grid.index(4, DishColumn).data().toString(), QStringLiteral("6,000"));
    auto *problems = form.findChild<QLabel *>(QStringLiteral("problemsLabel"));
    EXPECT_EQ(problems->text(), QStringLiteral("Не указано значение второго опыта для показателя 'масса a'"));
    // The parameter lines are edited, the result lines are not.
    EXPECT_FALSE(grid.flags(grid.index(0, FirstColumn)) & Qt::ItemIsEditable);

    // A value that is no number is refused with a message and changes nothing.
    EXPECT_FALSE(grid.setData(grid.index(aRow, SecondColumn), QStringLiteral("1,4 дел")));
    EXPECT_TRUE(d.t.prompter().saw(QStringLiteral("Значение опыта должно быть числом: 1,4 дел")));
    EXPECT_TRUE(grid.index(aRow, SecondColumn).data().toString().isEmpty());

    EXPECT_TRUE(grid.setData(grid.index(aRow, SecondColumn), QStringLiteral("1,4")));
    EXPECT_TRUE(problems->text().isEmpty());
    EXPECT_EQ(grid.index(4, DeviationColumn).data().toString(), QStringLiteral("15,000%"));

    // Unchecking takes the method and its values out.
    methods->item(1)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(grid.rowCount(), 4);
    EXPECT_TRUE(d.t.prompter().unexpected().isEmpty());
}

TEST(ProtocolForm, ASavedProtocolOpensAgainWithTheSameGrid)
{
    Desk d;
    ProtocolForm form(d.context);
    ASSERT_TRUE(form.setDish(d.table, kPilaf, QStringLiteral("250")));
    form.chooseMethods({d.dry, d.fat});
    ProtocolGridModel &grid = *form.grid();
    type(grid, d.dryParams[0], QStringLiteral("18"), QStringLiteral("18"));
    type(grid, d.dryParams[1], QStringLiteral("23"), QStringLiteral("23,0"));
    type(grid, d.dryParams[2], QStringLiteral("19,6"), QString()); // the second experiment is not done yet
    type(grid, d.fatParams[0], QStringLiteral("1,36"), QStringLiteral("1,4"));
    type(grid, d.fatParams[1], QStringLiteral("2"), QStringLiteral("2"));
    form.findChild<QDateEdit *>(QStringLiteral("dateEdit"))->setDate(QDate(2026, 12, 3));
    const QStringList before = gridTexts(grid);

    int savedId = 0;
    QObject::connect(&form, &ProtocolForm::saved, [&](int id) { savedId = id; });
    ASSERT_TRUE(form.save());
    ASSERT_GT(savedId, 0);
    EXPECT_EQ(form.protocol().number, QStringLiteral("1"));

    ProtocolForm again(d.context);
    ASSERT_TRUE(again.openProtocol(savedId));
    EXPECT_EQ(gridTexts(*again.grid()), before);
    EXPECT_EQ(again.findChild<QComboBox *>(QStringLiteral("dishBox"))->currentText(), kPilaf);
    EXPECT_EQ(again.findChild<QDateEdit *>(QStringLiteral("dateEdit"))->date(), QDate(2026, 12, 3));
    EXPECT_EQ(again.windowTitle(), QStringLiteral("Протокол испытаний № 1"));
    auto *methods = again.findChild<QListWidget *>(QStringLiteral("methodsList"));
    EXPECT_EQ(methods->item(0)->checkState(), Qt::Checked);
    EXPECT_EQ(methods->item(1)->checkState(), Qt::Checked);

    // "Рассчитать" tells the missing value as one message.
    again.findChild<QPushButton *>(QStringLiteral("calculateButton"))->click();
    EXPECT_TRUE(d.t.prompter().saw(QStringLiteral("Не указано значение второго опыта для показателя 'масса m2'")));
    EXPECT_TRUE(d.t.prompter().unexpected().isEmpty());
}

TEST(ProtocolForm, NothingChosenIsSaidAndNotSaved)
{
    Desk d;
    ProtocolForm form(d.context);
    form.findChild<QPushButton *>(QStringLiteral("calculateButton"))->click();
    EXPECT_TRUE(d.t.prompter().saw(QStringLiteral("Не указаны показатели исследований продукции!")));
    EXPECT_FALSE(form.save());
    EXPECT_FALSE(form.setDish(d.table, QStringLiteral("Нет такого")));
    EXPECT_TRUE(ProtocolStore(d.t.connections().database(BaseId::Protocols)).list()->empty());
}

TEST(ProtocolListForm, ListsDeletesWithItsQuestionAndPrintsTheSelected)
{
    Desk d;
    for (const QDate &day : {QDate(2026, 12, 1), QDate(2026, 12, 2)}) {
        ProtocolForm form(d.context);
        ASSERT_TRUE(form.setDish(d.table, kPilaf));
        form.chooseMethods({d.fat});
        type(*form.grid(), d.fatParams[0], QStringLiteral("1,36"), QStringLiteral("1,4"));
        type(*form.grid(), d.fatParams[1], QStringLiteral("2"), QStringLiteral("2"));
        form.findChild<QDateEdit *>(QStringLiteral("dateEdit"))->setDate(day);
        ASSERT_TRUE(form.save());
    }
    ProtocolListForm list(d.context);
    auto *table = list.findChild<QTableWidget *>(QStringLiteral("protocolsTable"));
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(table->item(0, 1)->text(), QStringLiteral("02.12.2026"));
    EXPECT_EQ(table->item(0, 2)->text(), kPilaf);

    int opened = 0;
    QObject::connect(&list, &ProtocolListForm::openRequested, [&](int id) { opened = id; });
    list.selectProtocol(list.protocols()[1].id);
    list.findChild<QPushButton *>(QStringLiteral("openButton"))->click();
    EXPECT_EQ(opened, list.protocols()[1].id);

    QTemporaryDir dir;
    const QStringList files = list.printSelected(dir.path());
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(QFileInfo(files[0]).fileName(), QStringLiteral("Протокол 1 от 01.12.2026.xlsx"));
    EXPECT_TRUE(QFileInfo::exists(files[0]));

    d.t.prompter().expect(QStringLiteral("Удалить протокол № 1 от 01.12.2026"), Prompter::Answer::No);
    EXPECT_FALSE(list.deleteCurrent());
    EXPECT_EQ(table->rowCount(), 2);
    d.t.prompter().expect(QStringLiteral("Удалить протокол № 1 от 01.12.2026"), Prompter::Answer::Yes);
    list.findChild<QPushButton *>(QStringLiteral("deleteButton"))->click();
    EXPECT_EQ(table->rowCount(), 1);
    EXPECT_EQ(table->item(0, 0)->text(), QStringLiteral("2"));
    EXPECT_TRUE(d.t.prompter().unexpected().isEmpty());
}
