#include "products/forms/ProductForms.h"
#include "FormFixture.h"
#include "products/ProductBase.h"
#include "products/ProductSeed.h"
#include "products/forms/ModificationsForm.h"
#include "products/forms/ProductCard.h"
#include "products/forms/ProductListForm.h"
#include "products/forms/ProductListModel.h"
#include "shell/DataFiles.h"
#include "shell/forms/MainWindow.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableView>

#include <gtest/gtest.h>

using namespace kulvera;
using kulvera::test::FormFixture;

namespace {

// One column as shown, top to bottom: "a | b | c".
std::string column(const QAbstractItemModel *model, int c)
{
    QStringList values;
    for (int r = 0; r < model->rowCount(); ++r)
        values << model->index(r, c).data().toString();
    return values.join(QStringLiteral(" | ")).toStdString();
}

} // namespace

TEST(ProductListForm, SearchesBothNamesFiltersByGroupAndNamesTheGroup)
{
    FormFixture f;
    ASSERT_TRUE(seedProductBase(f.t.connections(), f.t.settings(), dataFile(QStringLiteral("products.csv"))).ok());
    ProductListForm form(f.context);
    QAbstractItemModelTester tester(form.filter(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    auto *view = FormFixture::child<QTableView>(&form, QStringLiteral("products"));
    QAbstractItemModel *model = view->model();
    const int all = model->rowCount();
    EXPECT_GE(all, 150);

    FormFixture::child<QLineEdit>(&form, QStringLiteral("search"))->setText(QStringLiteral("КАРТОФ"));
    ASSERT_EQ(model->rowCount(), 2);
    FormFixture::child<QLineEdit>(&form, QStringLiteral("search"))->setText(QStringLiteral("Манка")); // short name only
    ASSERT_EQ(model->rowCount(), 1);
    EXPECT_EQ(model->index(0, ProductListModel::FullName).data().toString(), u"Крупа манная");
    EXPECT_EQ(model->index(0, ProductListModel::Group).data().toString(), u"Крупы и мука");

    FormFixture::child<QLineEdit>(&form, QStringLiteral("search"))->clear();
    auto *group = FormFixture::child<QComboBox>(&form, QStringLiteral("group"));
    ASSERT_GT(group->count(), 10);
    group->setCurrentIndex(group->findText(QStringLiteral("Яйца")));
    EXPECT_EQ(model->rowCount(), 5);
    EXPECT_EQ(column(model, ProductListModel::Group), "Яйца | Яйца | Яйца | Яйца | Яйца");
    group->setCurrentIndex(0);
    EXPECT_EQ(model->rowCount(), all);
}

TEST(ProductListForm, SortsNamesAsARussianReaderExpectsAndNumbersByValue)
{
    FormFixture f;
    ProductBase base(f.context);
    const std::pair<const char *, double> products[] = {{"Ёрш", 5}, {"Ежевика", 40}, {"абрикос", 300}, {"Банан", 9},
        {"Мука 10", 100}, {"Мука 2", 20}, {"яблоко", 7}, {"Яйцо", 60}};
    std::vector<ProductRow> rows;
    for (const auto &[name, price] : products) {
        ProductRow row;
        row.setKey(static_cast<qint64>(rows.size()) + 1);
        row.prod.FullName = QString::fromUtf8(name);
        row.setPrice(price);
        rows.push_back(row);
    }
    ASSERT_TRUE(base.insertRows(rows).ok());
    ProductListForm form(f.context);
    auto *view = FormFixture::child<QTableView>(&form, QStringLiteral("products"));
    const QAbstractItemModel *model = view->model();

    // Letter case aside, "ё" beside "е", numbers inside names by value.
    EXPECT_EQ(column(model, ProductListModel::FullName),
        "абрикос | Банан | Ежевика | Ёрш | Мука 2 | Мука 10 | яблоко | Яйцо");
    view->sortByColumn(ProductListModel::FullName, Qt::DescendingOrder);
    EXPECT_EQ(column(model, ProductListModel::FullName),
        "Яйцо | яблоко | Мука 10 | Мука 2 | Ёрш | Ежевика | Банан | абрикос");
    view->sortByColumn(ProductListModel::Price, Qt::AscendingOrder);
    EXPECT_EQ(column(model, ProductListModel::Price), "5,00 | 7,00 | 9,00 | 20,00 | 40,00 | 60,00 | 100,00 | 300,00");
    view->sortByColumn(ProductListModel::Key, Qt::DescendingOrder);
    EXPECT_EQ(model->index(0, ProductListModel::Key).data().toLongLong(), 8);
    EXPECT_EQ(model->index(7, ProductListModel::Key).data().toLongLong(), 1);
}

TEST(ProductListForm, OpensTheCardAndTheModificationsInsideTheMainWindow)
{
    FormFixture f;
    ProductRow row;
    row.setKey(1);
    row.prod.FullName = QStringLiteral("Свёкла");
    ASSERT_TRUE(ProductBase(f.context).insertRows({row}).ok());
    CommandRegistry registry;
    registerProductForms(registry);
    MainWindow window(f.context, registry);
    window.show();
    window.runCommand(QStringLiteral("prod"));
    auto *list = window.findChild<ProductListForm *>();
    ASSERT_NE(list, nullptr);
    auto *view = FormFixture::child<QTableView>(list, QStringLiteral("products"));
    view->setCurrentIndex(view->model()->index(0, 0));

    FormFixture::child<QPushButton>(list, QStringLiteral("open"))->click();
    auto *card = window.findChild<ProductCard *>();
    ASSERT_NE(card, nullptr);
    EXPECT_FALSE(card->isWindow());
    EXPECT_EQ(card->window(), &window);
    EXPECT_EQ(card->key(), 1);
    EXPECT_EQ(window.documents()->subWindowList().size(), 2);
    EXPECT_EQ(window.documents()->activeSubWindow()->widget(), card);

    FormFixture::child<QPushButton>(list, QStringLiteral("mods"))->click();
    auto *mods = window.findChild<ModificationsForm *>();
    ASSERT_NE(mods, nullptr);
    EXPECT_FALSE(mods->isWindow());
    EXPECT_EQ(window.documents()->subWindowList().size(), 3);
    window.documents()->closeAllSubWindows();
}

TEST(ProductForms, EveryCommandIsRegisteredAndOpens)
{
    FormFixture f;
    CommandRegistry registry;
    registerProductForms(registry);
    for (const char *command : {"prod", "ProdNew", "Prod_Group", "Measure", "Load_Prod_from_file", "SyncProds"})
        EXPECT_TRUE(registry.has(QString::fromLatin1(command))) << command;
    for (const char *command : {"prod", "ProdNew", "Prod_Group", "Measure"}) {
        std::unique_ptr<QWidget> form(registry.open(QString::fromLatin1(command), f.context, nullptr));
        EXPECT_NE(form, nullptr) << command;
    }
    EXPECT_TRUE(f.t.prompter().unexpected().isEmpty());
}
