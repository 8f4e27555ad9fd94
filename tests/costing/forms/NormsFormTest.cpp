#include "DemoKitchen.h"

#include "common/NumberText.h"
#include "costing/NormBase.h"
#include "costing/forms/NormsForm.h"

#include <QFile>
#include <QHeaderView>
#include <QSqlQuery>
#include <QTableWidget>

#include <gtest/gtest.h>

using namespace kulvera;

namespace {

int columnOf(QTableWidget *grid, const QString &caption)
{
    for (int c = 0; c < grid->columnCount(); ++c) {
        if (grid->horizontalHeaderItem(c)->text() == caption)
            return c;
    }
    return -1;
}

struct NormsKitchen : test::DemoKitchen {
    NormsForm form {context};
    QTableWidget *grid = form.findChild<QTableWidget *>(QStringLiteral("normGrid"));
    QTableWidget *products = form.findChild<QTableWidget *>(QStringLiteral("normProdsGrid"));
    std::unique_ptr<MenuBase> base = openMenuBase(context);
    NormBase norms {connections, base->number(), prompter};

    int rowOf(const QString &name)
    {
        for (int r = 0; r < grid->rowCount(); ++r) {
            if (grid->item(r, 1)->text() == name)
                return r;
        }
        return -1;
    }
};

} // namespace

TEST(NormsForm, EditedValuesAreStoredAndBadOnesRefused)
{
    NormsKitchen k;
    ASSERT_TRUE(k.made);
    ASSERT_NE(k.grid, nullptr);
    EXPECT_EQ(k.grid->horizontalHeaderItem(0)->text(), u"Код нормы");
    EXPECT_EQ(k.grid->horizontalHeaderItem(1)->text(), u"Норма");
    const int proteins = columnOf(k.grid, QStringLiteral("Белки, г"));
    ASSERT_GE(proteins, 0);
    EXPECT_GE(columnOf(k.grid, QStringLiteral("Калорийность, ккал")), 0);
    EXPECT_GE(columnOf(k.grid, QStringLiteral("Моно и дисахара (углеводы), г")), 0);
    const int row = k.rowOf(test::kDemoNorm);
    ASSERT_GE(row, 0);

    k.grid->item(row, proteins)->setText(QStringLiteral("61,5"));
    EXPECT_EQ(k.norms.loadByName(test::kDemoNorm)->value(QStringLiteral("Белки")), 61.5);
    EXPECT_EQ(k.grid->item(k.rowOf(test::kDemoNorm), proteins)->text(), formatNumber(61.5));

    // Not a number: said, and the base keeps its value.
    k.grid->item(k.rowOf(test::kDemoNorm), proteins)->setText(QStringLiteral("6l"));
    EXPECT_TRUE(k.prompter.saw(QStringLiteral("Не число")));
    EXPECT_EQ(k.norms.loadByName(test::kDemoNorm)->value(QStringLiteral("Белки")), 61.5);
    EXPECT_EQ(k.grid->item(k.rowOf(test::kDemoNorm), proteins)->text(), formatNumber(61.5));

    // An emptied cell is no value.
    k.grid->item(k.rowOf(test::kDemoNorm), proteins)->setText(QString());
    EXPECT_FALSE(k.norms.loadByName(test::kDemoNorm)->value(QStringLiteral("Белки")));
}

TEST(NormsForm, AddsAndRemovesNormsAndProductRowsAfterTheirQuestions)
{
    NormsKitchen k;
    ASSERT_TRUE(k.made);
    const int before = k.grid->rowCount();
    k.prompter.expect(QStringLiteral("Добавить новую норму ?"), Prompter::Answer::No);
    EXPECT_FALSE(k.form.addNorm());
    EXPECT_EQ(k.grid->rowCount(), before);
    k.prompter.expect(QStringLiteral("Добавить новую норму ?"), Prompter::Answer::Yes);
    ASSERT_TRUE(k.form.addNorm());
    ASSERT_EQ(k.grid->rowCount(), before + 1);
    const int added = k.grid->currentRow();
    k.grid->item(added, 1)->setText(QStringLiteral("Подростки"));
    ASSERT_TRUE(k.norms.loadByName(QStringLiteral("Подростки")));

    ASSERT_TRUE(k.form.addProductRow());
    ASSERT_EQ(k.products->rowCount(), 1);
    EXPECT_EQ(k.products->item(0, 0)->text(), u"Новый продукт");
    k.products->item(0, 0)->setText(QStringLiteral("*Овощи"));
    k.products->item(0, 1)->setText(QStringLiteral("101, 102"));
    k.products->item(0, 2)->setText(QStringLiteral("350"));
    const Result<NormRecord> stored = k.norms.loadByName(QStringLiteral("Подростки"));
    ASSERT_TRUE(stored);
    ASSERT_EQ(stored->products.size(), 1u);
    EXPECT_EQ(stored->products[0].groupName.toString(), u"*Овощи");
    EXPECT_EQ(stored->products[0].codeProds.toString(), u"101, 102");
    EXPECT_DOUBLE_EQ(stored->products[0].norm.toDouble(), 350.0);

    // Out to a file and back: a new norm with the same values and set.
    const QString file = k.dir.filePath(QStringLiteral("teen.fz"));
    ASSERT_TRUE(k.form.saveToFile(file));
    EXPECT_TRUE(k.prompter.saw(QStringLiteral("Файл 'teen.fz' сохранен.")));
    ASSERT_TRUE(k.form.loadFromFile(file));
    EXPECT_EQ(k.grid->rowCount(), before + 2);
    const auto all = k.norms.all();
    ASSERT_TRUE(all);
    EXPECT_EQ(all->back().name, u"Подростки");
    EXPECT_NE(all->back().code, stored->code);
    ASSERT_EQ(all->back().products.size(), 1u);
    EXPECT_DOUBLE_EQ(all->back().products[0].norm.toDouble(), 350.0);

    k.prompter.expect(QStringLiteral("Удалить норматив '*Овощи'"), Prompter::Answer::Yes);
    k.form.selectNorm(k.rowOf(QStringLiteral("Подростки")));
    ASSERT_TRUE(k.form.removeProductRow(0));
    EXPECT_EQ(k.products->rowCount(), 0);

    // Removing a norm takes its product set with it.
    k.prompter.expect(QStringLiteral("Удалить норму для 'Подростки'"), Prompter::Answer::Yes);
    const qint64 copy = all->back().code;
    ASSERT_TRUE(k.form.removeNorm(static_cast<int>(all->size()) - 1));
    EXPECT_EQ(k.grid->rowCount(), before + 1);
    EXPECT_FALSE(k.norms.loadByCode(copy));
    QSqlQuery orphans(k.connections.database(k.base->number()));
    ASSERT_TRUE(orphans.exec(QStringLiteral("SELECT COUNT(*) FROM \"Norm_Prods\" WHERE \"Code_Norm\" = %1").arg(copy)));
    ASSERT_TRUE(orphans.next());
    EXPECT_EQ(orphans.value(0).toInt(), 0);
    EXPECT_TRUE(k.prompter.scriptDone());
    EXPECT_TRUE(k.prompter.unexpected().isEmpty()) << k.prompter.unexpected().join(u'\n').toStdString();
}
