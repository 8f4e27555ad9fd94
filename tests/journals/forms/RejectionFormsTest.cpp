#include "journals/RejectionFixture.h"
#include "warehouse/WarehouseFixture.h"

#include "documents/DocumentTestSupport.h"
#include "journals/RejectionMenus.h"
#include "journals/forms/IncomingControlForm.h"
#include "journals/forms/RejectionForm.h"
#include "menus/forms/MenuEditorForm.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

namespace kulvera::test {
namespace {

using namespace Qt::StringLiterals;

using Answer = Prompter::Answer;

QTableWidget *grid(QWidget &form)
{
    auto *g = form.findChild<QTableWidget *>(QStringLiteral("journalGrid"));
    EXPECT_NE(g, nullptr);
    return g;
}

TEST(RejectionForm, ShowsTheDayAndGroupEditsInPlaceAndRefusesBadCells)
{
    RejectionFixture f;
    ASSERT_TRUE(saveRationToJournal(f.journal, f.lunch(QString())));
    ASSERT_TRUE(f.journal.add(f.day, QStringLiteral("Дети"), QStringLiteral("Сок")));
    RejectionForm form(f.context);
    form.show();
    QTableWidget *g = grid(form);
    QAbstractItemModelTester tester(g->model());
    EXPECT_EQ(form.day(), f.day) << "opens on today";
    ASSERT_EQ(form.rowCount(), 2);
    EXPECT_EQ(g->item(0, 0)->text(), u"Борщ");
    EXPECT_EQ(g->item(0, 1)->text(), u"02.03.2026");
    EXPECT_EQ(g->item(0, 2)->text(), u"10:00");
    EXPECT_EQ(g->horizontalHeaderItem(5)->text(), u"Разрешение к реализации");

    // A date that is no date is said and the cell shows the stored one again.
    g->item(0, 1)->setText(QStringLiteral("35.03.2026"));
    QApplication::processEvents();
    EXPECT_TRUE(f.t.prompter().saw(kRejectionDateFormat.toString()));
    EXPECT_EQ(g->item(0, 1)->text(), u"02.03.2026");
    g->item(1, 6)->setText(QString(300, u'a'));
    QApplication::processEvents();
    EXPECT_TRUE(f.t.prompter().saw(kRejectionTooLong.toString()));
    EXPECT_TRUE(g->item(1, 6)->text().isEmpty());
    g->item(1, 4)->setText(QStringLiteral("недосолен"));
    QApplication::processEvents();
    EXPECT_EQ(f.journal.entries(f.day, QString())->at(1).result, u"недосолен");

    // Another group, another date typed, a typed text that is no date.
    ASSERT_TRUE(form.selectGroup(QString()));
    EXPECT_FALSE(form.selectGroup(QStringLiteral("Дети"))) << "the menu base has no such variant yet";
    EXPECT_FALSE(form.showDay(QStringLiteral("когда-нибудь")));
    EXPECT_TRUE(f.t.prompter().saw(kRejectionBadDate.toString()));
    ASSERT_TRUE(form.showDay(QStringLiteral("03.03.2026")));
    EXPECT_EQ(form.rowCount(), 0);
    ASSERT_TRUE(form.addRow());
    EXPECT_EQ(form.rowCount(), 1);
    auto *dates = form.findChild<QComboBox *>(QStringLiteral("journalDate"));
    EXPECT_EQ(dates->count(), 2) << "the list of days now has the 3rd";

    f.t.prompter().expect(QStringLiteral("рецептуру ''?"), Answer::Yes);
    grid(form)->setCurrentCell(0, 0);
    ASSERT_TRUE(form.deleteCurrentRow());
    EXPECT_EQ(form.rowCount(), 0);
    ASSERT_TRUE(form.showDay(QStringLiteral("02.03.2026")));
    f.t.prompter().expect(kRejectionClearQuestion.toString(), Answer::Yes);
    ASSERT_TRUE(form.clearJournal());
    EXPECT_EQ(form.rowCount(), 0);
    EXPECT_EQ(f.journalRows(), 1) << "the group's row stays";
    EXPECT_TRUE(f.t.prompter().unexpected().isEmpty()) << f.t.prompter().unexpected().join(u'\n').toStdString();
}

TEST(RejectionForm, WithoutItsBaseItSaysSoAndReconnects)
{
    RejectionFixture f;
    f.t.connections().disconnect(static_cast<int>(BaseId::Rejection));
    RejectionForm form(f.context);
    auto *state = form.findChild<QLabel *>(QStringLiteral("journalState"));
    EXPECT_EQ(state->text(), kRejectionNotConnected);
    EXPECT_FALSE(grid(form)->isEnabled());
    ASSERT_TRUE(form.reconnect());
    EXPECT_TRUE(state->text().isEmpty());
    EXPECT_TRUE(f.t.prompter().statuses().contains(kRejectionReconnecting.toString()));
    EXPECT_TRUE(form.addRow());
}

// The menu editor's command puts the open day's dishes into the journal, once each.
TEST(RejectionForm, MenuEditorSavesItsDayIntoTheJournalOnce)
{
    RejectionFixture f;
    // Borscht and stewed fruit for lunch, stewed fruit again for breakfast.
    ASSERT_TRUE(f.base.save(f.lunch(QString())));
    MenuEditorForm editor(f.context);
    ASSERT_TRUE(editor.openRation(f.day, QString()));
    ASSERT_EQ(editor.ration().dishCount(), 3);
    auto *save = editor.findChild<QPushButton *>(QStringLiteral("saveToRejection"));
    ASSERT_NE(save, nullptr);
    save->click();
    save->click();
    EXPECT_EQ(f.dishes(f.day, QString()), (QStringList {QStringLiteral("Борщ"), QStringLiteral("Компот")}));
    EXPECT_TRUE(f.t.prompter().unexpected().isEmpty()) << f.t.prompter().unexpected().join(u'\n').toStdString();
}

class IncomingForm : public WarehouseFixture
{
};

TEST_F(IncomingForm, OpensOnTheMonthUpToTodayAndPrints)
{
    const NewLine l = line(1, 7, 30);
    ASSERT_TRUE(invoices.receive(invoice(QStringLiteral("5"), QDate(2026, 6, 15)), {l}));
    ASSERT_TRUE(invoices.receive(invoice(QStringLiteral("6"), QDate(2026, 5, 31)), {l}));
    IncomingControlForm form(context);
    EXPECT_EQ(form.rowCount(), 1) << "June 1st to the 15th";
    EXPECT_EQ(grid(form)->item(0, 4)->text(), u"5");
    EXPECT_EQ(grid(form)->horizontalHeaderItem(12)->text(), u"Температура?");
    form.setPeriod(QDate(2026, 5, 1), QDate(2026, 6, 30));
    ASSERT_TRUE(form.refresh());
    EXPECT_EQ(form.rowCount(), 2);

    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("in.xlsx"));
    ASSERT_TRUE(form.printTo(out));
    const Sheet s = readSheet(out);
    // In the order the database gives them.
    const QStringList numbers {s.cell(QStringLiteral("E6")).toString(), s.cell(QStringLiteral("E7")).toString()};
    EXPECT_TRUE(numbers.contains(u"5"_s) && numbers.contains(u"6"_s)) << numbers.join(u',').toStdString();
    EXPECT_TRUE(s.cell(QStringLiteral("E8")).isUndefined());
}

} // namespace
} // namespace kulvera::test
