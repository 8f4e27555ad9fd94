#include "warehouse/WarehouseFixture.h"

#include "warehouse/forms/IncomingInvoiceForm.h"
#include "warehouse/forms/StockForm.h"
#include "warehouse/forms/SuppliersForm.h"
#include "warehouse/forms/WarehousesForm.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>
#include <QTest>

using namespace kulvera;
using kulvera::test::WarehouseFixture;

namespace {

using Answer = Prompter::Answer;

class WarehouseForms : public WarehouseFixture
{
protected:
    static void show(QWidget &form)
    {
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }
    // The open cell editor of a grid.
    static QLineEdit *editorOf(QTableWidget *table)
    {
        for (QLineEdit *e : table->viewport()->findChildren<QLineEdit *>()) {
            if (e->isVisible())
                return e;
        }
        return nullptr;
    }
    // Types into a cell as a user does: open the editor, type over, Enter.
    static void type(QTableWidget *table, int row, int column, const QString &text)
    {
        table->setFocus();
        table->setCurrentCell(row, column);
        table->editItem(table->item(row, column));
        QLineEdit *line = editorOf(table);
        ASSERT_NE(line, nullptr) << "no editor opened at " << row << "," << column;
        line->selectAll();
        line->insert(text);
        QTest::keyClick(line, Qt::Key_Return);
        settle();
    }
    // The editor commits after the key press, and the form rebuilds its grids after the commit.
    static void settle()
    {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
    }
    static QString cell(QTableWidget *table, int row, int column)
    {
        const QTableWidgetItem *item = table->item(row, column);
        return item ? item->text() : QString();
    }
};

TEST_F(WarehouseForms, AnInvoiceOfThreeLinesIsTypedAndSaved)
{
    product(4, QStringLiteral("Лук репчатый"), 1);
    auto &prompter = bases.prompter();
    IncomingInvoiceForm form(context);
    form.resize(1280, 720);
    show(form);
    QTableWidget *headers = form.headerGrid();
    QTableWidget *lines = form.lineGrid();
    EXPECT_EQ(cell(headers, 0, IncomingInvoiceForm::Number), QStringLiteral("Щелкните для добавления..."));

    prompter.expect(QStringLiteral("Добавить новую накладную?"), Answer::Yes);
    type(headers, 0, IncomingInvoiceForm::Number, QStringLiteral("42"));
    ASSERT_NE(form.currentHeader(), 0);
    EXPECT_EQ(cell(headers, 0, IncomingInvoiceForm::Supplier), QStringLiteral("ООО Овощи"));
    EXPECT_EQ(cell(headers, 0, IncomingInvoiceForm::Date), QStringLiteral("15.06.2026"));
    EXPECT_EQ(cell(lines, 0, IncomingInvoiceForm::Product), QStringLiteral("Щелкните для добавления..."));

    auto *search = form.findChild<QLineEdit *>(QStringLiteral("productSearch"));
    auto *products = form.findChild<QListWidget *>(QStringLiteral("products"));
    const struct {
        const char *search;
        const char *quantity;
        const char *price;
    } typed[] = {{"карт", "12,5", "30"}, {"морк", "4", "45,5"}, {"лук", "2.5", "38"}};
    int row = 0;
    for (const auto &t : typed) {
        search->setText(QString::fromUtf8(t.search));
        products->setFocus();
        QTest::keyClick(products, Qt::Key_Return);
        // The new line waits for its quantity; Enter after it moves to the unit, then to the price.
        ASSERT_EQ(lines->currentRow(), row);
        ASSERT_EQ(lines->currentColumn(), IncomingInvoiceForm::Quantity);
        type(lines, row, IncomingInvoiceForm::Quantity, QString::fromUtf8(t.quantity));
        QTest::keyClick(lines, Qt::Key_Return);
        EXPECT_EQ(lines->currentColumn(), IncomingInvoiceForm::Unit);
        type(lines, row, IncomingInvoiceForm::Price, QString::fromUtf8(t.price));
        ++row;
    }
    EXPECT_TRUE(prompter.unexpected().isEmpty()) << prompter.unexpected().join(u'\n').toStdString();
    EXPECT_TRUE(prompter.scriptDone());

    const auto saved = invoices.lines(form.currentHeader()).value();
    ASSERT_EQ(saved.size(), 3u);
    EXPECT_EQ(saved[0].productName, QStringLiteral("Картофель"));
    EXPECT_DOUBLE_EQ(saved[0].brutto, 12.5);
    EXPECT_DOUBLE_EQ(saved[1].values.price, 45.5);
    EXPECT_DOUBLE_EQ(saved[2].brutto, 2.5);
    for (const InvoiceLine &l : saved)
        EXPECT_DOUBLE_EQ(lots.find(l.lot)->brutto, l.brutto);
    EXPECT_DOUBLE_EQ(invoices.header(form.currentHeader())->sum, 375 + 182 + 95);
    EXPECT_EQ(cell(headers, 0, IncomingInvoiceForm::Sum), QStringLiteral("652,00"));
    EXPECT_EQ(cell(lines, 0, IncomingInvoiceForm::Quantity), QStringLiteral("12,500"));
    EXPECT_EQ(cell(lines, 1, IncomingInvoiceForm::Value), QStringLiteral("182,0000"));
    EXPECT_EQ(cell(lines, 1, IncomingInvoiceForm::VatAmount), QStringLiteral("27,76"));

    EXPECT_FALSE(form.grab().isNull());
}

TEST_F(WarehouseForms, ARefusedEditSaysWhyAndTheGridShowsTheStoredValue)
{
    auto &prompter = bases.prompter();
    const qint64 h = invoices.receive(invoice(QStringLiteral("5")), {line(1, 10, 20)}).value();
    ASSERT_TRUE(lots.take(invoices.lines(h)->front().lot, 3));
    IncomingInvoiceForm form(context);
    show(form);
    form.selectHeader(h);
    type(form.lineGrid(), 0, IncomingInvoiceForm::Quantity, QStringLiteral("8"));
    EXPECT_TRUE(prompter.saw(QStringLiteral("Для данного продукта уже вносились изменения!")));
    EXPECT_EQ(cell(form.lineGrid(), 0, IncomingInvoiceForm::Quantity), QStringLiteral("10,000"));
    type(form.lineGrid(), 0, IncomingInvoiceForm::Price, QStringLiteral("дёшево"));
    EXPECT_TRUE(prompter.saw(QStringLiteral("Введите число: дёшево")));
    type(form.lineGrid(), 0, IncomingInvoiceForm::Price, QStringLiteral("25"));
    EXPECT_EQ(cell(form.headerGrid(), 0, IncomingInvoiceForm::Sum), QStringLiteral("250,00"));

    // Delete on the grid asks first.
    prompter.expect(QStringLiteral("Удалить 'Картофель' из накладной?"), Answer::No);
    form.lineGrid()->setFocus();
    form.lineGrid()->setCurrentCell(0, IncomingInvoiceForm::Product);
    QTest::keyClick(form.lineGrid(), Qt::Key_Delete);
    EXPECT_TRUE(prompter.scriptDone());
    EXPECT_EQ(invoices.lines(h)->size(), 1u);
}

TEST_F(WarehouseForms, WarehousesAndPlacesAreAddedFromTheLastRowAndEditedInPlace)
{
    auto &prompter = bases.prompter();
    WarehousesForm form(context);
    show(form);
    QTableWidget *grid = form.warehouseGrid();
    ASSERT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(cell(grid, 1, 0), QStringLiteral("Щелкните для добавления..."));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualItemRect(grid->item(1, 0)).center());
    ASSERT_EQ(grid->rowCount(), 3);
    EXPECT_EQ(cell(grid, 1, 0), QStringLiteral("Новый склад"));
    QApplication::processEvents();
    QLineEdit *editor = editorOf(grid);
    ASSERT_NE(editor, nullptr); // the name opens for editing
    editor->selectAll();
    editor->insert(QStringLiteral("Бар"));
    QTest::keyClick(editor, Qt::Key_Return);
    settle();
    type(grid, 1, 2, QString());
    EXPECT_EQ(Warehouses(base).findByNameOrKey(QStringLiteral("Бар"))->markup, 0);
    EXPECT_EQ(cell(grid, 1, 2), QStringLiteral("0"));

    QTableWidget *places = form.placeGrid();
    grid->setCurrentCell(1, 0);
    ASSERT_EQ(places->rowCount(), 1);
    QTest::mouseClick(places->viewport(), Qt::LeftButton, {}, places->visualItemRect(places->item(0, 0)).center());
    EXPECT_EQ(cell(places, 0, 0), QStringLiteral("Новое место"));
    EXPECT_EQ(cell(places, 0, 2), QString::number(Warehouses(base).findByNameOrKey(QStringLiteral("Бар"))->key));

    prompter.expect(QStringLiteral("Удалить склад 'Бар'?"), Answer::Yes);
    grid->setFocus();
    grid->setCurrentCell(1, 1);
    QTest::keyClick(grid, Qt::Key_Delete);
    EXPECT_EQ(grid->rowCount(), 2);
    EXPECT_TRUE(prompter.unexpected().isEmpty());
}

TEST_F(WarehouseForms, SuppliersShowEveryColumnAndWriteEachCell)
{
    SuppliersForm form(context);
    show(form);
    QTableWidget *grid = form.grid();
    ASSERT_EQ(grid->columnCount(), 44);
    EXPECT_EQ(grid->horizontalHeaderItem(0)->text(), QStringLiteral("Имя в программе"));
    EXPECT_EQ(grid->horizontalHeaderItem(43)->text(), QStringLiteral("Примечание"));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualItemRect(grid->item(1, 0)).center());
    QApplication::processEvents();
    EXPECT_EQ(cell(grid, 1, 0), QStringLiteral("Новый поставщик"));
    ASSERT_NE(editorOf(grid), nullptr);
    QTest::keyClick(editorOf(grid), Qt::Key_Escape);
    settle();
    type(grid, 1, 2, QStringLiteral("7701234567"));
    const qint64 id = Counterparties(base).findByNameOrKey(QStringLiteral("Новый поставщик"))->id;
    EXPECT_EQ(Counterparties(base).fields(id)[2].toString(), QStringLiteral("7701234567"));
}

TEST_F(WarehouseForms, TheStockListShowsTheLotsOfAWarehouse)
{
    invoices.receive(invoice(QStringLiteral("1")), {line(1, 10, 20), line(2, 3, 20)}).value();
    StockForm form(context);
    ASSERT_EQ(form.grid()->rowCount(), 2);
    EXPECT_EQ(cell(form.grid(), 0, 0), QStringLiteral("Картофель"));
    EXPECT_EQ(cell(form.grid(), 0, StockForm::Quantity), QStringLiteral("10,000"));
    EXPECT_EQ(cell(form.grid(), 1, StockForm::Supplier), QStringLiteral("ООО Овощи"));
}

} // namespace
