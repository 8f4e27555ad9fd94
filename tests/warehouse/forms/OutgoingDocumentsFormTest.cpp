#include "warehouse/WarehouseFixture.h"

#include "common/ScriptedPrompter.h"
#include "warehouse/OutgoingDocuments.h"
#include "warehouse/StockCheck.h"
#include "warehouse/forms/OutgoingDocumentsForm.h"
#include "warehouse/forms/OutgoingReplacementDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

using namespace kulvera;
using kulvera::test::WarehouseFixture;

namespace {

using Answer = Prompter::Answer;
using Form = OutgoingDocumentsForm;

const QDate kJune1(2026, 6, 1);
const QDate kJune10(2026, 6, 10);
const QDate kJune11(2026, 6, 11);

class OutgoingForm : public WarehouseFixture
{
protected:
    void receive(qint64 product, double quantity, const QDate &date)
    {
        ASSERT_TRUE(invoices.receive(invoice(QString::number(++number_), date), {line(product, quantity, 30)}));
    }
    qint64 document(const QDate &date, const std::vector<std::pair<qint64, double>> &lines)
    {
        std::vector<NewOutgoingLine> rows;
        for (const auto &[product, brutto] : lines) {
            NewOutgoingLine l;
            l.product = product;
            l.brutto = brutto;
            rows.push_back(l);
        }
        return documents.create({date, store, {}}, rows).value();
    }
    static void show(QWidget &form)
    {
        form.resize(1100, 700);
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }
    // A click on a document's row as the user makes it, with Ctrl to add to the selection.
    static void click(Form &form, qint64 key, Qt::KeyboardModifiers modifiers = {})
    {
        QTableWidget *grid = form.headerGrid();
        const int row = form.rowOf(key);
        ASSERT_GE(row, 0);
        QTest::mouseClick(
            grid->viewport(), Qt::LeftButton, modifiers, grid->visualItemRect(grid->item(row, Form::Note)).center());
    }
    static QString cell(QTableWidget *table, int row, int column)
    {
        const QTableWidgetItem *item = table->item(row, column);
        return item ? item->text() : QString();
    }
    static int productRow(Form &form, const QString &name)
    {
        for (int r = 0; r < form.productGrid()->rowCount(); ++r) {
            if (cell(form.productGrid(), r, Form::Product) == name)
                return r;
        }
        return -1;
    }
    ScriptedPrompter &prompter() { return bases.prompter(); }

    OutgoingDocuments documents {base};
    int number_ = 0;
};

TEST_F(OutgoingForm, DocumentsOfAnotherDateAreNotAddedToTheSelection)
{
    receive(1, 5, kJune1);
    const qint64 a = document(kJune10, {{1, 1}});
    const qint64 late = document(kJune11, {{1, 7}, {2, 1}});
    const qint64 b = document(kJune10, {{1, 2.5}});
    Form form(context);
    show(form);
    // By date: both documents of the 10th before the one of the 11th.
    EXPECT_EQ(form.rowOf(a), 0);
    EXPECT_EQ(form.rowOf(b), 1);
    EXPECT_EQ(form.rowOf(late), 2);
    click(form, a);
    click(form, late, Qt::ControlModifier);
    EXPECT_TRUE(prompter().saw(QStringLiteral("Выбирать можно только накладные одной даты!")));
    EXPECT_EQ(form.selectedKeys(), (std::vector<qint64> {a}));
    click(form, b, Qt::ControlModifier);
    EXPECT_EQ(form.selectedKeys(), (std::vector<qint64> {a, b}));
    QTableWidget *products = form.productGrid();
    ASSERT_EQ(products->rowCount(), 1);
    EXPECT_EQ(cell(products, 0, Form::Quantity), QStringLiteral("3,5"));
    EXPECT_EQ(cell(products, 0, Form::Available), QStringLiteral("5 кг"));
    // The later document alone shows its own products, the short one in red.
    click(form, late);
    ASSERT_EQ(products->rowCount(), 2);
    const int carrots = productRow(form, QStringLiteral("Морковь"));
    ASSERT_GE(carrots, 0);
    EXPECT_EQ(products->item(carrots, Form::Product)->foreground().color(), QColor(Qt::red));
    EXPECT_TRUE(prompter().unexpected().isEmpty());
}

TEST_F(OutgoingForm, PostingFromTheFormWritesOffTheStockAndHidesThePostedDocuments)
{
    receive(1, 5, kJune1);
    const qint64 a = document(kJune10, {{1, 3}});
    const qint64 b = document(kJune10, {{1, 1.5}});
    const qint64 c = document(kJune10, {{2, 1}});
    Form form(context);
    show(form);
    auto *post = form.findChild<QPushButton *>(QStringLiteral("cmdPost"));
    ASSERT_NE(post, nullptr);

    // Carrots are not in stock: refused before the question.
    click(form, c);
    QTest::mouseClick(post, Qt::LeftButton);
    EXPECT_TRUE(prompter().saw(QStringLiteral("Часть продуктов не хватает на складе!")));
    EXPECT_FALSE(documents.header(c)->posted);

    click(form, a);
    click(form, b, Qt::ControlModifier);
    prompter().expect(QStringLiteral("Провести накладную для списания продуктов?"), Answer::Yes);
    QTest::mouseClick(post, Qt::LeftButton);
    EXPECT_TRUE(prompter().scriptDone());
    EXPECT_TRUE(prompter().saw(QStringLiteral("Выполнено!")));
    EXPECT_TRUE(documents.header(a)->posted);
    EXPECT_TRUE(documents.header(b)->posted);
    EXPECT_TRUE(documents.lines(b)->front().posted);
    EXPECT_DOUBLE_EQ(lots.stock(1, store), 0.5);
    EXPECT_TRUE(checkStock(base)->empty());
    EXPECT_EQ(form.rowOf(a), -1);
    EXPECT_EQ(form.headerGrid()->rowCount(), 1);

    // Shown again on request, in the colour of posted documents; the choice is kept.
    auto *showPosted = form.findChild<QCheckBox *>(QStringLiteral("showPosted"));
    showPosted->setChecked(true);
    EXPECT_EQ(bases.settings().get(Section::UserInterface, QStringLiteral("ws_cShowHidden")), QStringLiteral("1"));
    ASSERT_GE(form.rowOf(a), 0);
    EXPECT_EQ(form.headerGrid()->item(form.rowOf(a), Form::Date)->background().color(), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(form.headerGrid()->item(form.rowOf(c), Form::Date)->background().style(), Qt::NoBrush);

    // Delete on a posted document is refused after the key.
    click(form, a);
    form.headerGrid()->setFocus();
    QTest::keyClick(form.headerGrid(), Qt::Key_Delete);
    EXPECT_TRUE(prompter().saw(QStringLiteral("Накладная уже проведена по складу, удалить невозможно!")));
    EXPECT_TRUE(documents.header(a));
    EXPECT_TRUE(prompter().unexpected().isEmpty()) << prompter().unexpected().join(u'\n').toStdString();
}

TEST_F(OutgoingForm, AReplacementWithAFactorMergesIntoTheExistingTargetLine)
{
    receive(2, 4, kJune1);
    const qint64 doc = document(kJune10, {{1, 2}, {2, 1}});
    Form form(context);
    show(form);
    const int potatoes = productRow(form, QStringLiteral("Картофель"));
    ASSERT_GE(potatoes, 0);
    form.productGrid()->setCurrentCell(potatoes, Form::Product);

    QString stockShown;
    QString sourceShown;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<OutgoingReplacementDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        sourceShown = dialog->findChild<QLabel *>(QStringLiteral("source"))->text();
        dialog->findChild<QLineEdit *>(QStringLiteral("search"))->setText(QStringLiteral("морк"));
        stockShown = dialog->findChild<QLabel *>(QStringLiteral("stock"))->text();
        dialog->findChild<QRadioButton *>(QStringLiteral("withFactor"))->setChecked(true);
        QLineEdit *factor = dialog->findChild<QLineEdit *>(QStringLiteral("factor"));
        factor->selectAll();
        QTest::keyClicks(factor, QStringLiteral("1,5"));
        dialog->accept();
    });
    QTest::mouseClick(form.findChild<QPushButton *>(QStringLiteral("cmdReplace")), Qt::LeftButton);
    EXPECT_EQ(sourceShown, QStringLiteral("Исходный продукт: Картофель"));
    EXPECT_EQ(stockShown, QStringLiteral("Остатки на складе: 4 кг"));

    const auto lines = documents.lines(doc).value();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].product, 2);
    EXPECT_DOUBLE_EQ(lines[0].brutto, 4);
    EXPECT_DOUBLE_EQ(lines[0].netto, 4);
    ASSERT_EQ(form.productGrid()->rowCount(), 1);
    EXPECT_EQ(cell(form.productGrid(), 0, Form::Quantity), QStringLiteral("4"));

    // Enter on the product edits its gross mass, typed in the line's unit.
    prompter().expectInput(QStringLiteral("Введите новую массу брутто"), QStringLiteral("3,25"));
    form.productGrid()->setFocus();
    form.productGrid()->setCurrentCell(0, Form::Product);
    QTest::keyClick(form.productGrid(), Qt::Key_Return);
    EXPECT_DOUBLE_EQ(documents.lines(doc)->front().brutto, 3.25);
    EXPECT_TRUE(prompter().unexpected().isEmpty()) << prompter().unexpected().join(u'\n').toStdString();
}

TEST_F(OutgoingForm, PricesNoteRoundingAndDeletionAskFirstAndSortingKeepsTheSelection)
{
    receive(1, 50, kJune1);
    const qint64 a = document(kJune10, {{1, 15}});
    const qint64 b = document(kJune10, {{1, 2}});
    Form form(context);
    show(form);
    const auto press = [&](const char *name) {
        QTest::mouseClick(form.findChild<QPushButton *>(QString::fromUtf8(name)), Qt::LeftButton);
    };
    click(form, a);
    prompter().expect(QStringLiteral("Обновить цены на продукты?"), Answer::Yes);
    press("cmdPrices");
    EXPECT_DOUBLE_EQ(documents.header(a)->sum, 450);
    EXPECT_EQ(cell(form.headerGrid(), form.rowOf(a), Form::Sum), QStringLiteral("450,00"));

    prompter().expectInput(QStringLiteral("Введите новое примечание к накладной"), QStringLiteral("завтрак"));
    press("cmdNote");
    EXPECT_EQ(documents.header(a)->note, QStringLiteral("завтрак"));

    prompter().expect(QStringLiteral("Округление массы брутто и нетто"), Answer::Yes);
    press("cmdRound");
    EXPECT_TRUE(prompter().saw(QStringLiteral("Масса брутто округлена!")));
    EXPECT_DOUBLE_EQ(documents.lines(a)->front().brutto, 20);
    EXPECT_EQ(cell(form.productGrid(), 0, Form::Quantity), QStringLiteral("20"));

    // Sorted by key, newest first: the rows move, the selection names the same document.
    QHeaderView *heading = form.headerGrid()->horizontalHeader();
    QTest::mouseClick(heading->viewport(), Qt::LeftButton, {},
        QPoint(heading->sectionViewportPosition(Form::HeaderKey) + 5, heading->height() / 2));
    QTest::mouseClick(heading->viewport(), Qt::LeftButton, {},
        QPoint(heading->sectionViewportPosition(Form::HeaderKey) + 5, heading->height() / 2));
    EXPECT_EQ(form.rowOf(b), 0);
    EXPECT_EQ(form.selectedKeys(), (std::vector<qint64> {a}));

    prompter().expect(QStringLiteral("Удалить накладную из базы?"), Answer::Yes);
    form.headerGrid()->setFocus();
    QTest::keyClick(form.headerGrid(), Qt::Key_Delete);
    EXPECT_FALSE(documents.header(a));
    EXPECT_EQ(form.rowOf(a), -1);
    EXPECT_TRUE(prompter().scriptDone());
    EXPECT_TRUE(prompter().unexpected().isEmpty()) << prompter().unexpected().join(u'\n').toStdString();
}

} // namespace
