#include "products/forms/ModificationsForm.h"
#include "common/Clock.h"
#include "products/ProductMods.h"
#include "support/TempBases.h"

#include <QTableWidget>

#include <gtest/gtest.h>

using namespace kulvera;
using kulvera::test::TempBases;

namespace {

struct ModsFixture {
    TempBases t;
    FixedClock clock {QDate(2026, 3, 10)};
    int products = t.create(BaseId::Products);
    AppContext context {t.prompter(), t.settings(), t.shared(), clock, t.connections(), t.errorLog()};
    ProductMods mods {t.connections(), t.prompter(), products};
};

void type(QTableWidget *table, int row, int column, const QString &text)
{
    table->item(row, column)->setText(text);
}

} // namespace

TEST(ModificationsForm, AddRowEditsAtOnceAndDeleteAsks)
{
    ModsFixture f;
    ModificationsForm form(f.context, 7);
    QTableWidget *table = form.table();
    EXPECT_EQ(form.windowTitle(), u"Модификации продуктов");
    ASSERT_EQ(table->rowCount(), 1);
    EXPECT_EQ(table->item(0, 0)->text(), u"Щелкните для добавления...");

    type(table, 0, 0, QStringLiteral("Очистка механическая"));
    ASSERT_EQ(f.mods.ofProduct(7).size(), 1u);
    ASSERT_EQ(table->rowCount(), 2);

    type(table, 0, 1, QStringLiteral("20,5"));
    type(table, 0, 2, QStringLiteral("95"));
    const Modification saved = f.mods.ofProduct(7).front();
    EXPECT_EQ(saved.name, u"Очистка механическая");
    EXPECT_DOUBLE_EQ(saved.coldLoss, 20.5);
    EXPECT_DOUBLE_EQ(saved.norm, 95.0);

    // A wrong number changes nothing and says so.
    type(table, 0, 1, QStringLiteral("двадцать"));
    EXPECT_DOUBLE_EQ(f.mods.ofProduct(7).front().coldLoss, 20.5);
    EXPECT_TRUE(f.t.prompter().saw(QStringLiteral("Неверное числовое значение")));

    // Too long a name is refused by the base's rule.
    type(table, 0, 0, QString(256, u'я'));
    EXPECT_EQ(f.mods.ofProduct(7).front().name, u"Очистка механическая");
    EXPECT_TRUE(f.t.prompter().saw(QStringLiteral("Максимум 255 символов!")));

    table->setCurrentCell(0, 0);
    f.t.prompter().expect(QStringLiteral("Удалить модификацию"), Prompter::Answer::No);
    form.removeCurrent();
    EXPECT_EQ(f.mods.ofProduct(7).size(), 1u);
    f.t.prompter().expect(QStringLiteral("Удалить модификацию"), Prompter::Answer::Yes);
    form.removeCurrent();
    EXPECT_TRUE(f.mods.ofProduct(7).empty());
    EXPECT_TRUE(f.t.prompter().unexpected().isEmpty());
}
