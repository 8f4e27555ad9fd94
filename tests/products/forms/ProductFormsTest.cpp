#include "products/forms/ProductForms.h"
#include "common/Clock.h"
#include "products/ProductBase.h"
#include "products/ProductSeed.h"
#include "products/forms/ProductCard.h"
#include "products/forms/ProductListForm.h"
#include "products/forms/ProductListModel.h"
#include "shell/DataFiles.h"
#include "support/TempBases.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QValidator>

#include <gtest/gtest.h>

using namespace kulvera;
using kulvera::test::TempBases;

namespace {

struct FormFixture {
    TempBases t;
    FixedClock clock {QDate(2026, 3, 10)};
    int products = t.create(BaseId::Products);
    int warehouse = t.create(BaseId::Warehouse);
    AppContext context {t.prompter(), t.settings(), t.shared(), clock, t.connections(), t.errorLog()};

    template <typename W> static W *child(QWidget *form, const QString &name) { return form->findChild<W *>(name); }
};

} // namespace

TEST(ProductCard, AProductAddedThroughTheCardIsInTheBase)
{
    FormFixture f;
    ProductCard card(f.context, 0);
    card.show();
    auto *fullName = FormFixture::child<QLineEdit>(&card, QStringLiteral("Имя2"));
    auto *water = FormFixture::child<QLineEdit>(&card, QStringLiteral("Вода"));
    ASSERT_TRUE(fullName && water);
    EXPECT_EQ(water->text(), u"0,000"); // FormatForBaseProd "0.000"

    // Numeric fields take digits and the comma only.
    int pos = 0;
    QString typed = QStringLiteral("12.5");
    EXPECT_EQ(water->validator()->validate(typed, pos), QValidator::Invalid);
    typed = QStringLiteral("12,5");
    EXPECT_EQ(water->validator()->validate(typed, pos), QValidator::Acceptable);

    fullName->setText(QStringLiteral("Тыква мускатная"));
    FormFixture::child<QLineEdit>(&card, QStringLiteral("Имя"))->setText(QStringLiteral("Тыква"));
    water->setText(QStringLiteral("88,5"));
    FormFixture::child<QLineEdit>(&card, QStringLiteral("Out"))->setText(QStringLiteral("70"));
    FormFixture::child<QCheckBox>(&card, QStringLiteral("Rast"))->setChecked(true);

    f.t.prompter().expect(QStringLiteral("Добавить механическую обработку в базу?"), Prompter::Answer::Yes);
    f.t.prompter().expectInput(QStringLiteral("Мех. обработка"), QStringLiteral("Очистка от кожуры"));
    FormFixture::child<QPushButton>(&card, QStringLiteral("addVariant"))->click();
    auto *variants = FormFixture::child<QTableWidget>(&card, QStringLiteral("variants"));
    ASSERT_EQ(variants->rowCount(), 1);
    EXPECT_EQ(variants->item(0, 1)->text(), u"0,00");
    variants->item(0, 1)->setText(QStringLiteral("70"));

    f.t.prompter().expect(QStringLiteral("Добавить механическую обработку в базу?"), Prompter::Answer::Yes);
    f.t.prompter().expectInput(QStringLiteral("Мех. обработка"), QStringLiteral(" "));
    FormFixture::child<QPushButton>(&card, QStringLiteral("addVariant"))->click();
    EXPECT_TRUE(f.t.prompter().saw(QStringLiteral("Необходимо указать значение")));
    EXPECT_EQ(variants->rowCount(), 1);

    f.t.prompter().expect(QStringLiteral("Добавить новый продукт в базу?"), Prompter::Answer::Yes);
    FormFixture::child<QPushButton>(&card, QStringLiteral("save"))->click();
    EXPECT_TRUE(f.t.prompter().unexpected().isEmpty()) << f.t.prompter().unexpected().join(u'|').toStdString();
    EXPECT_TRUE(f.t.prompter().scriptDone());
    ASSERT_EQ(card.key(), 1);

    ProductBase base(f.context);
    const auto stored = base.findByFullName(QStringLiteral("Тыква мускатная"));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->prod.Voda, 88.5);
    EXPECT_EQ(stored->out, 70.0);
    EXPECT_TRUE(stored->rast);
    EXPECT_EQ(stored->variants[0], u"Очистка от кожуры");
    EXPECT_EQ(stored->losses[0], 70.0);
    EXPECT_FALSE(stored->losses[1].has_value());

    // Removing the variant asks with its name; saving again updates the row.
    variants->setCurrentCell(0, 0);
    f.t.prompter().expect(QStringLiteral("Удаляем обработку - Очистка от кожуры"), Prompter::Answer::Yes);
    FormFixture::child<QPushButton>(&card, QStringLiteral("removeVariant"))->click();
    ASSERT_TRUE(card.save());
    EXPECT_FALSE(base.findQuiet(1)->losses[0].has_value());
    EXPECT_EQ(base.count(), 1);

    // Save as file and load it into a new card: the same product, not yet in the base.
    const QString path = f.t.root() + QStringLiteral("/t.prod");
    ASSERT_TRUE(card.saveToFile(path));
    ProductCard other(f.context, 0);
    ASSERT_TRUE(other.loadFromFile(path));
    EXPECT_EQ(FormFixture::child<QLineEdit>(&other, QStringLiteral("Вода"))->text(), u"88,500");
    EXPECT_EQ(other.key(), 0);
}

TEST(ProductListForm, SearchesBothNamesFiltersByGroupAndSorts)
{
    FormFixture f;
    ASSERT_TRUE(seedProductBase(f.t.connections(), f.t.settings(), dataFile(QStringLiteral("products.csv"))).ok());
    ProductListForm form(f.context);
    QAbstractItemModelTester tester(form.filter(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    auto *view = FormFixture::child<QTableView>(&form, QStringLiteral("products"));
    QAbstractItemModel *model = view->model();
    const int all = model->rowCount();
    EXPECT_GE(all, 150);
    // Sorted by full name.
    EXPECT_LE(QString::localeAwareCompare(model->index(0, ProductListModel::FullName).data().toString(),
                  model->index(1, ProductListModel::FullName).data().toString()),
        0);

    FormFixture::child<QLineEdit>(&form, QStringLiteral("search"))->setText(QStringLiteral("КАРТОФ"));
    ASSERT_EQ(model->rowCount(), 2);
    FormFixture::child<QLineEdit>(&form, QStringLiteral("search"))->setText(QStringLiteral("Манка")); // short name only
    ASSERT_EQ(model->rowCount(), 1);
    EXPECT_EQ(model->index(0, ProductListModel::FullName).data().toString(), u"Крупа манная");

    FormFixture::child<QLineEdit>(&form, QStringLiteral("search"))->clear();
    auto *group = FormFixture::child<QComboBox>(&form, QStringLiteral("group"));
    ASSERT_GT(group->count(), 10);
    group->setCurrentIndex(group->findText(QStringLiteral("Яйца")));
    EXPECT_EQ(model->rowCount(), 5);
    group->setCurrentIndex(0);
    EXPECT_EQ(model->rowCount(), all);

    view->sortByColumn(ProductListModel::Key, Qt::DescendingOrder);
    EXPECT_EQ(model->index(0, ProductListModel::Key).data().toLongLong(), all);
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
