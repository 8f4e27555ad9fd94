#include "../JournalFixture.h"

#include "journals/forms/HygieneJournalForms.h"
#include "journals/forms/JournalReferenceForm.h"
#include "journals/forms/MonthJournalForm.h"
#include "shell/forms/MainWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTableWidget>

using namespace kulvera;

namespace {

struct JournalForm : test::JournalFixture {
    // Shows February 2028 of a journal.
    std::unique_ptr<MonthJournalForm> open(JournalKind kind)
    {
        auto form = std::make_unique<MonthJournalForm>(context, kind);
        form->monthBox()->setCurrentIndex(1);
        form->yearEdit()->setText(QStringLiteral("2028"));
        EXPECT_TRUE(form->load());
        return form;
    }

    // Types into a cell as the grid's editor commits it, and lets the form write it.
    static void type(MonthJournalForm &form, int row, const QString &key, const QString &text)
    {
        form.grid()->item(row, form.columnOf(key))->setText(text);
        QApplication::processEvents();
    }

    static int rowOf(const MonthJournalForm &form, qint64 id)
    {
        for (int r = 0; r < form.grid()->rowCount(); ++r) {
            if (form.grid()->item(r, form.columnOf(QStringLiteral("ID")))->text().toLongLong() == id)
                return r;
        }
        return -1;
    }
};

} // namespace

TEST_F(JournalForm, TheGridHasADayColumnPerDayOfTheMonthAndRefusesAYearOfLetters)
{
    ASSERT_TRUE(created);
    subject(health, QStringLiteral("Петров"), QStringLiteral("Повар"));
    auto form = open(JournalKind::Health);
    QTableWidget *grid = form->grid();
    EXPECT_EQ(grid->columnCount(), 4 + 29);
    EXPECT_EQ(grid->horizontalHeaderItem(1)->text(), QStringLiteral("Персонал"));
    EXPECT_EQ(grid->horizontalHeaderItem(4 + 28)->text(), QStringLiteral("29"));
    EXPECT_EQ(form->columnOf(QStringLiteral("d_30")), -1);
    EXPECT_EQ(grid->item(0, form->columnOf(QStringLiteral("Caption")))->text(), QStringLiteral("Повар"));

    // March of the same year rebuilds the grid with 31 days.
    form->monthBox()->setCurrentIndex(2);
    EXPECT_EQ(grid->columnCount(), 4 + 31);
    form->yearEdit()->setText(QStringLiteral("20a6"));
    EXPECT_FALSE(form->load());
    EXPECT_TRUE(bases.prompter().saw(QStringLiteral("Не удалось установить год!")));
    EXPECT_EQ(form->loadedMonth()->month, 3);
    EXPECT_EQ(grid->columnCount(), 4 + 31);
}

TEST_F(JournalForm, TypedCellsReachTheBaseAndARefusedCellShowsWhatTheBaseHolds)
{
    ASSERT_TRUE(created);
    const qint64 fridge = subject(fridges, QStringLiteral("Камера"), QStringLiteral("Кладовая"));
    const qint64 other = subject(fridges, QStringLiteral("Шкаф"));
    auto form = open(JournalKind::Temperature);
    type(*form, rowOf(*form, fridge), QStringLiteral("d_5"), QStringLiteral("+3"));
    EXPECT_EQ(temperatureCells(fridge, QDate(2028, 2, 5)), QStringList {QStringLiteral("+3")});
    type(*form, rowOf(*form, fridge), QStringLiteral("obor_n"), QStringLiteral("Камера КХН"));
    EXPECT_EQ(fridges.findSubject(fridge)->name, QStringLiteral("Камера КХН"));

    // The premises column takes a place of the list and stores its key.
    const auto hall = JournalList::places(base, JournalKind::Temperature).add(QStringLiteral("Зал"));
    form->refreshPickLists();
    type(*form, rowOf(*form, other), QStringLiteral("Caption"), QStringLiteral("Зал"));
    EXPECT_EQ(fridges.findSubject(other)->place, *hall);

    addDuplicate(QStringLiteral("jur_h"), QStringLiteral("obor_id"), fridge, QDate(2028, 2, 6), QStringLiteral("+1"));
    addDuplicate(QStringLiteral("jur_h"), QStringLiteral("obor_id"), fridge, QDate(2028, 2, 6), QStringLiteral("+2"));
    form->load();
    type(*form, rowOf(*form, fridge), QStringLiteral("d_6"), QStringLiteral("+9"));
    EXPECT_TRUE(bases.prompter().saw(QStringLiteral("Идентифицировано несколько строк! Запись остановлена!")));
    EXPECT_EQ(temperatureCells(fridge, QDate(2028, 2, 6)), (QStringList {QStringLiteral("+1"), QStringLiteral("+2")}));
    EXPECT_NE(
        form->grid()->item(rowOf(*form, fridge), form->columnOf(QStringLiteral("d_6")))->text(), QStringLiteral("+9"));
}

TEST_F(JournalForm, CopyAddAndDeleteFollowTheGridsSelection)
{
    ASSERT_TRUE(created);
    const qint64 cook = subject(health, QStringLiteral("Петров"), QStringLiteral("Повар"));
    ASSERT_TRUE(health.writeCell(cook, QDate(2028, 2, 1), QStringLiteral("зд")).ok());
    auto form = open(JournalKind::Health);
    QTableWidget *grid = form->grid();

    grid->setCurrentCell(0, form->columnOf(QStringLiteral("d_1")));
    form->copyPreviousDay();
    EXPECT_TRUE(bases.prompter().saw(QStringLiteral("Первый день заполняется без копирования")));
    grid->setCurrentCell(0, form->columnOf(QStringLiteral("work_n")));
    form->copyPreviousDay();
    EXPECT_TRUE(bases.prompter().saw(QStringLiteral("Ошибка идентификации текущей колонки")));
    grid->setCurrentCell(0, form->columnOf(QStringLiteral("d_2")));
    form->copyPreviousDay();
    EXPECT_EQ(grid->item(0, form->columnOf(QStringLiteral("d_2")))->text(), QStringLiteral("зд"));
    EXPECT_EQ(healthCells(cook, QDate(2028, 2, 2)), QStringList {QStringLiteral("зд")});

    form->addSubject();
    QApplication::processEvents();
    EXPECT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(count(QStringLiteral("work")), 2);

    grid->setCurrentCell(rowOf(*form, cook), 1);
    bases.prompter().expect(QStringLiteral("Удалить из базы персонала 'Петров'?"), Prompter::Answer::Yes);
    form->removeSubject();
    EXPECT_EQ(grid->rowCount(), 1);
    EXPECT_EQ(count(QStringLiteral("jur_z")), 0);
    EXPECT_TRUE(bases.prompter().unexpected().isEmpty());
}

TEST_F(JournalForm, AddingBeforeLoadingAndPrintingAnEmptyJournalAreRefused)
{
    ASSERT_TRUE(created);
    MonthJournalForm form(context, JournalKind::Temperature);
    form.addSubject();
    EXPECT_TRUE(bases.prompter().saw(QStringLiteral("Необходимо загрузить журнал!")));
    EXPECT_EQ(count(QStringLiteral("obor")), 0);
    EXPECT_FALSE(form.print(bases.root() + QStringLiteral("/x.xlsx")));
    EXPECT_TRUE(bases.prompter().saw(QStringLiteral("Журнал не заполнен")));
}

TEST_F(JournalForm, TheReferenceListsAddEditAndDeleteRows)
{
    ASSERT_TRUE(created);
    JournalReferenceForm marks(context, QStringLiteral("j_z_res"), JournalList::marks);
    QTableWidget *grid = marks.grid();
    ASSERT_EQ(grid->rowCount(), 5 + 1);
    EXPECT_EQ(grid->item(5, 1)->text(), QStringLiteral("Щелкните для добавления..."));
    emit grid->cellClicked(5, 1);
    QApplication::processEvents();
    ASSERT_EQ(grid->rowCount(), 7);
    grid->item(5, 1)->setText(QStringLiteral("карантин"));
    QApplication::processEvents();
    EXPECT_TRUE(JournalList::marks(base).findByTextOrKey(QStringLiteral("карантин")).has_value());

    // The staff list deletes as the journal does: with the entries.
    const qint64 cook = subject(health, QStringLiteral("Петров"));
    ASSERT_TRUE(health.writeCell(cook, QDate(2028, 2, 3), QStringLiteral("зд")).ok());
    JournalReferenceForm staff(context, QStringLiteral("j_z_work"), JournalKind::Health);
    ASSERT_EQ(staff.grid()->rowCount(), 2);
    staff.grid()->setCurrentCell(0, 1);
    bases.prompter().expect(QStringLiteral("Персонал будет удален"), Prompter::Answer::Yes);
    staff.removeCurrent();
    EXPECT_EQ(staff.grid()->rowCount(), 1);
    EXPECT_EQ(count(QStringLiteral("jur_z")), 0);
}

TEST_F(JournalForm, TheJournalsMenuOfTheMainWindowOpensEveryJournalForm)
{
    ASSERT_TRUE(created);
    CommandRegistry registry;
    registerHygieneJournalForms(registry);
    MainWindow window(context, registry);
    for (const char *command : {"j_z", "hol_jur", "obor", "pomech", "j_z_post", "j_z_res", "j_z_work"}) {
        const QString name = QString::fromLatin1(command);
        ASSERT_NE(window.commandAction(name), nullptr) << command;
        EXPECT_TRUE(window.commandAction(name)->isEnabled()) << command;
        window.runCommand(name);
        EXPECT_NE(window.findChild<QWidget *>(name), nullptr) << command;
    }
    EXPECT_TRUE(bases.prompter().unexpected().isEmpty());
}
