#include "warehouse/WarehouseFixture.h"

#include "products/UnitBase.h"
#include "shell/forms/CommandRegistry.h"
#include "warehouse/StockCheck.h"
#include "warehouse/forms/ProductBookForm.h"
#include "warehouse/forms/StockForm.h"
#include "warehouse/forms/TurnoverChartView.h"
#include "warehouse/forms/TurnoverForm.h"
#include "warehouse/forms/WarehouseForms.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace kulvera;
using kulvera::test::WarehouseFixture;

namespace {

using Answer = Prompter::Answer;

class StockReportForms : public WarehouseFixture
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
        QLineEdit *line = nullptr;
        for (QLineEdit *e : table->viewport()->findChildren<QLineEdit *>()) {
            if (e->isVisible())
                line = e;
        }
        ASSERT_NE(line, nullptr) << "no editor opened at " << row << "," << column;
        line->selectAll();
        line->insert(text);
        QTest::keyClick(line, Qt::Key_Return);
        settle();
    }
    static QString cell(QTableWidget *table, int row, int column)
    {
        const QTableWidgetItem *item = table->item(row, column);
        return item ? item->text() : QString();
    }
    qint64 receive(qint64 product, double quantity, double price, const QDate &date, double markup = 0)
    {
        NewLine l = line(product, quantity, price);
        l.markupPercent = markup;
        const qint64 h = invoices.receive(invoice(QString::number(++number_), date), {l}).value();
        return invoices.lines(h)->front().lot;
    }
    void period(ReportPeriod *p, const QDate &from, const QDate &to)
    {
        p->from()->setDate(from);
        p->to()->setDate(to);
    }
    int number_ = 0;
};

TEST_F(StockReportForms, TheStockListShowsEveryColumnAndATypedCountIsReconciled)
{
    const qint64 potatoes = receive(1, 10, 20, QDate(2026, 6, 1), 10);
    const qint64 carrots = receive(2, 3, 5, QDate(2026, 6, 2));
    StockForm form(context);
    form.show();
    QTableWidget *grid = form.grid();
    ASSERT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(grid->horizontalHeaderItem(StockForm::Count)->text(), QStringLiteral("Сверка"));
    EXPECT_EQ(grid->horizontalHeaderItem(StockForm::Price)->text(), QStringLiteral("Цена за. ед. веса/объема"));
    EXPECT_EQ(cell(grid, 0, StockForm::Product), QStringLiteral("Картофель"));
    EXPECT_EQ(cell(grid, 0, StockForm::Quantity), QStringLiteral("10,000"));
    EXPECT_EQ(cell(grid, 0, StockForm::Unit), QStringLiteral("кг"));
    EXPECT_EQ(cell(grid, 0, StockForm::Markup), QStringLiteral("10"));
    EXPECT_EQ(cell(grid, 0, StockForm::PriceWithMarkup), QStringLiteral("22,00"));
    EXPECT_EQ(cell(grid, 0, StockForm::Received), QStringLiteral("01.06.2026"));
    EXPECT_EQ(form.findChild<QLabel *>(QStringLiteral("heading"))->text(),
        QStringLiteral("Остатки продуктов 'Основной', итого: 235,00 руб."));
    // Only the count is typed into.
    EXPECT_FALSE(grid->item(0, StockForm::Quantity)->flags() & Qt::ItemIsEditable);

    type(grid, 0, StockForm::Count, QStringLiteral("12,5"));
    type(grid, 1, StockForm::Count, QStringLiteral("2"));
    bases.prompter().expect(QStringLiteral("Осуществить сверку продуктов? "), Answer::Yes);
    QTest::mouseClick(form.findChild<QPushButton *>(QStringLiteral("reconcile")), Qt::LeftButton);
    settle();
    EXPECT_TRUE(bases.prompter().saw(
        QStringLiteral("Недостающие продукты будут добавлены в учет с формированием накладной на приход.")));
    EXPECT_TRUE(bases.prompter().scriptDone());

    EXPECT_DOUBLE_EQ(lots.stock(1, store), 12.5);
    EXPECT_DOUBLE_EQ(lots.find(carrots)->brutto, 2);
    EXPECT_DOUBLE_EQ(lots.find(potatoes)->brutto, 10);
    EXPECT_EQ(
        scalar(QStringLiteral("SELECT COUNT(*) FROM \"Накладные_Заголовки\" WHERE \"Примечание\" = 'Акт сверки'")), 2);
    EXPECT_TRUE(checkStock(base)->empty());
    // The list is rebuilt: the new lot is in it and the counts are cleared.
    ASSERT_EQ(grid->rowCount(), 3);
    EXPECT_TRUE(cell(grid, 0, StockForm::Count).isEmpty());
}

TEST_F(StockReportForms, NoAnswerOrABadCountChangesNothingAndAPlaceIsChosenInTheList)
{
    const qint64 shelf = Warehouses(base).addPlace(store, QStringLiteral("Холодильник")).value();
    const qint64 lot = receive(1, 10, 20, QDate(2026, 6, 1));
    StockForm form(context);
    form.show();
    type(form.grid(), 0, StockForm::Count, QStringLiteral("abc"));
    EXPECT_TRUE(bases.prompter().saw(QStringLiteral("Неверно указано количество: abc")));
    settle();
    EXPECT_TRUE(cell(form.grid(), 0, StockForm::Count).isEmpty());
    type(form.grid(), 0, StockForm::Count, QStringLiteral("4"));
    bases.prompter().expect(QStringLiteral("Осуществить сверку продуктов? "), Answer::No);
    form.reconcile();
    EXPECT_DOUBLE_EQ(lots.find(lot)->brutto, 10);
    EXPECT_EQ(rows(QStringLiteral("Расход_Товара")), 0);

    auto *place = qobject_cast<QComboBox *>(form.grid()->cellWidget(0, StockForm::Place));
    ASSERT_NE(place, nullptr);
    ASSERT_EQ(place->count(), 2);
    place->setCurrentIndex(1);
    emit place->activated(1);
    settle();
    EXPECT_EQ(lots.find(lot)->place, shelf);
    EXPECT_EQ(qobject_cast<QComboBox *>(form.grid()->cellWidget(0, StockForm::Place))->currentText(),
        QStringLiteral("Холодильник"));
}

TEST_F(StockReportForms, TheTurnoverFormBuildsTheReportPrintsItAndChartsTheChosenProducts)
{
    receive(1, 10, 20, QDate(2026, 6, 1));
    receive(1, 5, 20, QDate(2026, 6, 9));
    receive(2, 2, 20, QDate(2026, 6, 10));
    TurnoverForm form(context);
    form.show();
    period(form.period(), QDate(2026, 6, 2), QDate(2026, 6, 15));
    form.period()->warehouse()->setCurrentIndex(1);
    ASSERT_TRUE(form.build());
    EXPECT_TRUE(
        bases.prompter().statuses().contains(QStringLiteral("Формирование отчета :: Приход/расход продуктов...")));
    EXPECT_EQ(bases.prompter().statuses().last(), QStringLiteral("Отчет сформирован"));
    QTableWidget *grid = form.grid();
    ASSERT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(grid->horizontalHeaderItem(4)->text(), QStringLiteral("Остаток на 02.06.2026"));
    EXPECT_EQ(cell(grid, 0, 2), QStringLiteral("Картофель"));
    EXPECT_EQ(cell(grid, 0, 4), QStringLiteral("10,000"));
    EXPECT_EQ(cell(grid, 0, 5), QStringLiteral("5,000"));
    EXPECT_EQ(cell(grid, 0, 7), QStringLiteral("15,000"));

    grid->selectRow(0);
    settle();
    const TurnoverChart &chart = form.chartView()->chart();
    ASSERT_EQ(chart.weeks().size(), 3u); // the weeks of 1, 8 and 15 June
    EXPECT_DOUBLE_EQ(chart.weeks()[1].incoming, 5);
    const QRect area(0, 0, 800, 480);
    EXPECT_GT(chart.incomingBar(1, area).height(), 0);
    EXPECT_EQ(chart.incomingBar(0, area).height(), 0);
    EXPECT_LT(chart.balancePoint(1, area).y(), chart.balancePoint(0, area).y()); // the balance rose

    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("chart.png"));
    ASSERT_TRUE(form.exportChart(png));
    const QImage picture(png);
    EXPECT_EQ(picture.size(), TurnoverChart::kDefaultSize);
    // The week's receipt bar is painted in its colour.
    const QPointF inBar = chart.incomingBar(1, QRect(QPoint(0, 0), TurnoverChart::kDefaultSize)).center();
    EXPECT_EQ(picture.pixelColor(inBar.toPoint()), TurnoverChart::kIncomingColor);

    ASSERT_TRUE(form.print(dir.filePath(QStringLiteral("report.xlsx"))));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("report.xlsx"))));
}

TEST_F(StockReportForms, TheChartOfAProductGroupSumsItsProductsOfTheReport)
{
    UnitBase units(bases.connections(), bases.settings(), bases.prompter(), static_cast<int>(BaseId::Warehouse));
    const qint64 vegetables = units.addGroup().value();
    ASSERT_TRUE(units.renameGroup(vegetables, QStringLiteral("Овощи")));
    ASSERT_TRUE(execSql(bases.connections().database(BaseId::Products),
        QStringLiteral("UPDATE \"dt010\" SET \"Код_Группы\" = ? WHERE \"Код\" = 1"), {vegetables}));
    receive(1, 10, 20, QDate(2026, 6, 2));
    receive(1, 3, 20, QDate(2026, 6, 3));
    receive(2, 4, 20, QDate(2026, 6, 3)); // of no group
    TurnoverForm form(context);
    period(form.period(), QDate(2026, 6, 1), QDate(2026, 6, 7));
    ASSERT_TRUE(form.build());
    const int index = form.chartGroup()->findText(QStringLiteral("Овощи"));
    ASSERT_GT(index, 0);
    form.chartGroup()->setCurrentIndex(index);
    ASSERT_EQ(form.chartView()->chart().weeks().size(), 1u);
    EXPECT_DOUBLE_EQ(form.chartView()->chart().weeks()[0].incoming, 13);
    EXPECT_DOUBLE_EQ(form.chartView()->chart().weeks()[0].balance, 13);
    // Back to the rows chosen in the grid: none chosen, no chart.
    form.chartGroup()->setCurrentIndex(0);
    EXPECT_TRUE(form.chartView()->chart().weeks().empty());
}

TEST_F(StockReportForms, TheProductBookFormListsTheChosenProductAndKeepsItsListingChoice)
{
    receive(1, 10, 20, QDate(2026, 6, 1));
    receive(1, 5, 20, QDate(2026, 6, 9));
    receive(2, 2, 20, QDate(2026, 6, 10));
    ProductBookForm form(context);
    form.show();
    period(form.period(), QDate(2026, 6, 2), QDate(2026, 6, 15));
    ASSERT_EQ(form.products()->count(), 2);
    form.products()->item(0)->setSelected(true);
    ASSERT_TRUE(form.build());
    QTableWidget *grid = form.grid();
    // Opening, one receipt, the summed outgoing, closing.
    ASSERT_EQ(grid->rowCount(), 4);
    EXPECT_EQ(cell(grid, 0, 0), QStringLiteral("Картофель"));
    EXPECT_EQ(cell(grid, 0, 3), QStringLiteral("10,000"));
    EXPECT_EQ(cell(grid, 1, 1), QStringLiteral("09.06.2026"));
    EXPECT_EQ(cell(grid, 1, 2), QStringLiteral("2"));
    EXPECT_EQ(cell(grid, 3, 3), QStringLiteral("15,000"));
    form.findChild<QCheckBox *>(QStringLiteral("fullIncoming"))->setChecked(false);
    EXPECT_EQ(bases.settings().get(Section::Data, QStringLiteral("bFullIncomPB")), QStringLiteral("0"));
}

TEST_F(StockReportForms, BothReportsAreRegisteredCommands)
{
    CommandRegistry registry;
    registerWarehouseForms(registry);
    for (const QString &command : {QStringLiteral("Inc_out_prods"), QStringLiteral("Calc_Prods")}) {
        ASSERT_TRUE(registry.has(command));
        std::unique_ptr<QWidget> form(registry.open(command, context, nullptr));
        ASSERT_TRUE(form);
        EXPECT_EQ(form->objectName(), command);
    }
}

} // namespace
