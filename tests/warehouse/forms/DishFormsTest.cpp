#include "warehouse/DishDocumentsFixture.h"

#include "warehouse/DishSales.h"
#include "warehouse/forms/DishSalesForm.h"
#include "warehouse/forms/DishWriteOffForm.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace kulvera;
using kulvera::test::DishDocumentsFixture;

namespace {

using Answer = Prompter::Answer;

class DishForms : public DishDocumentsFixture
{
protected:
    static void settle()
    {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
    }
    // Types into a cell as a user does: open the editor, type over, Enter.
    static void type(QTableWidget *table, int row, int column, const QString &text)
    {
        table->setFocus();
        table->setCurrentCell(row, column);
        table->editItem(table->item(row, column));
        QLineEdit *editor = nullptr;
        for (QLineEdit *e : table->viewport()->findChildren<QLineEdit *>()) {
            if (e->isVisible())
                editor = e;
        }
        ASSERT_NE(editor, nullptr) << "no editor opened at " << row << "," << column;
        editor->selectAll();
        editor->insert(text);
        QTest::keyClick(editor, Qt::Key_Return);
        settle();
    }
    static QString cell(QTableWidget *table, int row, int column)
    {
        const QTableWidgetItem *item = table->item(row, column);
        return item ? item->text() : QString();
    }
    static void click(QWidget &form, const char *name)
    {
        auto *b = form.findChild<QPushButton *>(QString::fromLatin1(name));
        ASSERT_NE(b, nullptr) << name;
        QTest::mouseClick(b, Qt::LeftButton);
        settle();
    }
    static void show(QWidget &form)
    {
        form.resize(1100, 700);
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }
};

TEST_F(DishForms, TheWriteOffFormListsTheDishesAndWritesTheTypedPortions)
{
    auto &prompter = bases.prompter();
    DishWriteOffForm form(context);
    show(form);
    EXPECT_EQ(prompter.statuses(),
        QStringList({QStringLiteral("Формирование таблицы для списания..."), QStringLiteral("Формируем склады..."),
            QStringLiteral("Формируем список рецептур..."), QStringLiteral("Модуль списания подготовлен")}));
    QTableWidget *grid = form.dishes();
    ASSERT_EQ(grid->rowCount(), 1);
    EXPECT_EQ(cell(grid, 0, DishWriteOffForm::Base), QStringLiteral("Столовая"));
    EXPECT_EQ(cell(grid, 0, DishWriteOffForm::Table), table);
    EXPECT_EQ(cell(grid, 0, DishWriteOffForm::Dish), kPuree.toString());
    EXPECT_EQ(cell(grid, 0, DishWriteOffForm::Output), QStringLiteral("200"));
    EXPECT_EQ(form.date()->date(), QDate(2026, 6, 15));

    form.filter()->setText(QStringLiteral("борщ"));
    EXPECT_TRUE(grid->isRowHidden(0));
    form.filter()->setText(QStringLiteral("МОРКОВ"));
    EXPECT_FALSE(grid->isRowHidden(0));

    type(grid, 0, DishWriteOffForm::Output, QStringLiteral("100"));
    type(grid, 0, DishWriteOffForm::Portions, QStringLiteral("10"));
    // Save without Start starts the document first: the note is asked for.
    prompter.expectInput(QStringLiteral("Примечание:"), QStringLiteral("ужин"));
    click(form, "save");
    EXPECT_TRUE(prompter.scriptDone());
    ASSERT_NE(form.document(), 0);
    EXPECT_EQ(rows(QStringLiteral("Расход_Товара")), 2);
    EXPECT_DOUBLE_EQ(
        scalar(QStringLiteral("SELECT \"Брутто\" FROM \"Расход_Товара\" WHERE \"Код_Прод\" = 1")).toDouble(), 0.9);
    EXPECT_EQ(scalar(QStringLiteral("SELECT \"Примечание\" FROM \"Накладные_Заголовки\"")).toString(),
        QStringLiteral("ужин"));
    EXPECT_TRUE(prompter.saw(QStringLiteral("Документ подготовлен для списания.")));

    // Saved again with other portions: the same document, its lines replaced.
    const qint64 document = form.document();
    type(grid, 0, DishWriteOffForm::Portions, QStringLiteral("4"));
    click(form, "save");
    EXPECT_EQ(form.document(), document);
    EXPECT_EQ(rows(QStringLiteral("Накладные_Заголовки")), 1);
    EXPECT_DOUBLE_EQ(
        scalar(QStringLiteral("SELECT \"Брутто\" FROM \"Расход_Товара\" WHERE \"Код_Прод\" = 1")).toDouble(), 0.36);

    // A cancelled note starts nothing.
    prompter.expectInput(QStringLiteral("Примечание:"), std::nullopt);
    click(form, "start");
    EXPECT_EQ(form.document(), document);
    EXPECT_EQ(rows(QStringLiteral("Накладные_Заголовки")), 1);
    EXPECT_TRUE(prompter.unexpected().isEmpty()) << prompter.unexpected().join(u'\n').toStdString();
}

TEST_F(DishForms, ADishSalesInvoiceIsTypedWithItsTotals)
{
    const qint64 buyer = Counterparties(base).add(QStringLiteral("Школа № 5")).value();
    auto &prompter = bases.prompter();
    DishSalesForm form(context);
    show(form);
    ASSERT_NE(form.findChild<QPushButton *>(QStringLiteral("print")), nullptr);

    form.number()->setText(QStringLiteral("П-1"));
    auto *buyers = form.findChild<QComboBox *>(QStringLiteral("buyer"));
    ASSERT_NE(buyers, nullptr);
    buyers->setCurrentIndex(buyers->findData(buyer));
    prompter.expect(QStringLiteral("Добавить новую накладную?"), Answer::Yes);
    click(form, "addInvoice");
    ASSERT_NE(form.currentInvoice(), 0);
    EXPECT_EQ(cell(form.invoices(), 0, 2), QStringLiteral("Школа № 5"));
    EXPECT_EQ(DishSales(base).header(form.currentInvoice())->buyer, buyer);

    auto *collections = form.findChild<QComboBox *>(QStringLiteral("collections"));
    ASSERT_NE(collections, nullptr);
    collections->setCurrentIndex(collections->findText(QStringLiteral("Столовая")));
    ASSERT_EQ(form.recipes()->count(), 1);
    form.recipes()->setCurrentRow(0);
    click(form, "addDish");
    QTableWidget *lines = form.lines();
    ASSERT_EQ(lines->rowCount(), 1);
    EXPECT_EQ(lines->horizontalHeaderItem(DishSalesForm::Total)->text(), QStringLiteral("Итого, руб."));
    EXPECT_EQ(cell(lines, 0, DishSalesForm::Dish), kPuree.toString());
    EXPECT_EQ(cell(lines, 0, DishSalesForm::Portions), QStringLiteral("1"));
    EXPECT_EQ(cell(lines, 0, DishSalesForm::Output), QStringLiteral("200"));

    type(lines, 0, DishSalesForm::Portions, QStringLiteral("12"));
    type(lines, 0, DishSalesForm::Price, QStringLiteral("45,5"));
    EXPECT_EQ(cell(lines, 0, DishSalesForm::Total), QStringLiteral("546,00"));
    EXPECT_EQ(cell(form.invoices(), 0, 3), QStringLiteral("546,00"));
    // A value that is no number is refused and the cell shows the stored one again.
    type(lines, 0, DishSalesForm::Price, QStringLiteral("дорого"));
    EXPECT_EQ(cell(lines, 0, DishSalesForm::Price), QStringLiteral("45,50"));

    form.date()->setDate(QDate(2026, 6, 20));
    settle();
    EXPECT_TRUE(prompter.statuses().contains(QStringLiteral("Установлена дата накладной: 20.06.2026")));
    EXPECT_EQ(DishSales(base).header(form.currentInvoice())->date, QDate(2026, 6, 20));

    // The chosen invoice is printed through its template.
    QTemporaryDir dir;
    const QString printed = dir.filePath(QStringLiteral("nakl_di.xlsx"));
    EXPECT_TRUE(form.print(printed));
    EXPECT_TRUE(QFileInfo::exists(printed));
    EXPECT_TRUE(prompter.scriptDone());
}

} // namespace
