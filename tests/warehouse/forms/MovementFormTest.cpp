#include "warehouse/WarehouseFixture.h"

#include "warehouse/StockCheck.h"
#include "warehouse/forms/MovementForm.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

using namespace kulvera;
using kulvera::test::WarehouseFixture;

namespace {

class MovementForms : public WarehouseFixture
{
protected:
    MovementForms() { bar = Warehouses(base).add(QStringLiteral("Бар")).value(); }
    qint64 receive(qint64 product, double quantity, qint64 unit)
    {
        NewLine l = line(product, quantity, 10);
        l.unit = unit;
        return invoices.lines(invoices.receive(invoice(QString::number(++number_), QDate(2026, 6, 1)), {l}).value())
            ->front()
            .lot;
    }
    static void show(QWidget &form)
    {
        form.resize(1100, 600);
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }
    static void settle()
    {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
    }
    static void choose(QWidget &form, const char *combo, qint64 key)
    {
        auto *box = form.findChild<QComboBox *>(QString::fromLatin1(combo));
        ASSERT_NE(box, nullptr);
        box->setCurrentIndex(box->findData(key));
        settle();
    }
    // Enter on a row of the source lots.
    static void enterOn(QTableWidget *grid, int row)
    {
        grid->setFocus();
        grid->setCurrentCell(row, 0);
        QTest::keyClick(grid, Qt::Key_Return);
        settle();
    }
    // Types a quantity as a user does: the editor, the text, Enter.
    static void typeQuantity(QTableWidget *grid, int row, const QString &text)
    {
        grid->setFocus();
        grid->setCurrentCell(row, MovementForm::TargetQuantity);
        grid->editItem(grid->item(row, MovementForm::TargetQuantity));
        QLineEdit *editor = nullptr;
        for (QLineEdit *e : grid->viewport()->findChildren<QLineEdit *>()) {
            if (e->isVisible())
                editor = e;
        }
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        editor->insert(text);
        QTest::keyClick(editor, Qt::Key_Return);
        settle();
    }
    static void click(QWidget &form, const char *button)
    {
        auto *b = form.findChild<QPushButton *>(QString::fromLatin1(button));
        ASSERT_NE(b, nullptr);
        QTest::mouseClick(b, Qt::LeftButton);
        settle();
    }
    double stockIn(qint64 w, qint64 product) { return lots.stock(product, w); }

    qint64 bar = 0;
    int number_ = 0;
};

TEST_F(MovementForms, LotsAreChosenByKeyboardTypedInTheirUnitAndMoved)
{
    const qint64 whole = receive(1, 10, 1);
    const qint64 grams = receive(2, 5000, 2); // 5 kg typed in grams
    auto &prompter = bases.prompter();
    MovementForm form(context);
    show(form);
    choose(form, "source", store);
    choose(form, "target", bar);
    QTableWidget *source = form.sourceGrid();
    QTableWidget *target = form.targetGrid();
    ASSERT_EQ(source->rowCount(), 2);
    EXPECT_EQ(source->item(0, MovementForm::Product)->text(), QStringLiteral("Картофель"));
    EXPECT_EQ(source->item(1, MovementForm::Quantity)->text(), QStringLiteral("5000,000"));
    EXPECT_EQ(source->item(1, MovementForm::Unit)->text(), QStringLiteral("г"));
    EXPECT_EQ(source->item(1, MovementForm::Supplier)->text(), QStringLiteral("ООО Овощи"));
    EXPECT_EQ(source->item(1, MovementForm::Price)->text(), QStringLiteral("10,00"));

    enterOn(source, 0);
    enterOn(source, 0);
    EXPECT_EQ(source->rowCount(), 0);
    ASSERT_EQ(target->rowCount(), 2);
    EXPECT_EQ(target->item(1, MovementForm::TargetQuantity)->text(), QStringLiteral("5000,000"));

    // More than the lot holds is refused and the quantity stays.
    typeQuantity(target, 1, QStringLiteral("6000"));
    EXPECT_TRUE(prompter.saw(QStringLiteral("Масса не может быть больше имеющегося количества!")));
    EXPECT_EQ(target->item(1, MovementForm::TargetQuantity)->text(), QStringLiteral("5000,000"));
    typeQuantity(target, 1, QStringLiteral("2500"));

    // Into the same warehouse: refused, nothing written.
    choose(form, "target", store);
    click(form, "save");
    EXPECT_TRUE(prompter.saw(QStringLiteral("Нельзя перемещать продукты внутри одного склада")));
    EXPECT_DOUBLE_EQ(stockIn(store, 1), 10);

    choose(form, "target", bar);
    click(form, "save");
    EXPECT_TRUE(prompter.saw(QStringLiteral("Продукты перемещены."))) << prompter.transcript().toStdString();
    EXPECT_EQ(target->rowCount(), 0);
    EXPECT_FALSE(lots.find(whole));
    EXPECT_DOUBLE_EQ(lots.find(grams)->brutto, 2.5);
    EXPECT_DOUBLE_EQ(stockIn(bar, 1), 10);
    EXPECT_DOUBLE_EQ(stockIn(bar, 2), 2.5);
    ASSERT_EQ(source->rowCount(), 1);
    EXPECT_EQ(source->item(0, MovementForm::Quantity)->text(), QStringLiteral("2500,000"));
    EXPECT_TRUE(checkStock(base)->empty());

    click(form, "save");
    EXPECT_TRUE(prompter.saw(QStringLiteral("Нет данных для сохранения!")));
}

TEST_F(MovementForms, TheActFormWritesOffTheChosenLotsWithTheTypedNote)
{
    const qint64 lot = receive(1, 10, 1);
    auto &prompter = bases.prompter();
    MovementForm form(context, nullptr, MovementForm::Mode::Act);
    show(form);
    EXPECT_EQ(form.objectName(), QStringLiteral("akt_sp"));
    EXPECT_FALSE(form.findChild<QPushButton *>(QStringLiteral("save"))->isVisible());
    choose(form, "source", store);
    enterOn(form.sourceGrid(), 0);
    typeQuantity(form.targetGrid(), 0, QStringLiteral("4"));
    form.findChild<QLineEdit *>(QStringLiteral("note"))->setText(QStringLiteral("порча"));
    click(form, "act");
    EXPECT_TRUE(prompter.saw(QStringLiteral("Акт на списание подготовлен. Продукты списаны со склада. Для просмотра "
                                            "акт зайдите: Учет - Расход продуктов - Накладные")));
    EXPECT_DOUBLE_EQ(lots.find(lot)->brutto, 6);
    EXPECT_EQ(
        scalar(QStringLiteral("SELECT \"Примечание\" FROM \"Накладные_Заголовки\" WHERE \"Документ\" = 3")).toString(),
        QStringLiteral("порча"));
    EXPECT_TRUE(checkStock(base)->empty());
}

} // namespace
