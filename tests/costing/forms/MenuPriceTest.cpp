#include "DemoKitchen.h"

#include "common/NumberText.h"
#include "menus/MealList.h"
#include "menus/forms/MenuEditorForm.h"
#include "shell/SettingDefaults.h"

#include <QComboBox>
#include <QLabel>
#include <QSqlQuery>

#include <gtest/gtest.h>

using namespace kulvera;

namespace {

// "123,45 руб./чел. за 'Обед'" → 123.45
double priceIn(const QString &label)
{
    const std::optional<double> n = parseNumber(label.section(u' ', 0, 0));
    EXPECT_TRUE(n) << label.toStdString();
    return n.value_or(-1);
}

} // namespace

TEST(MenuEditorPrice, TheDayCostsWhatItsMealsCostAndIsShownOnlyWhenAsked)
{
    test::DemoKitchen k;
    ASSERT_TRUE(k.made);
    const QDate day = k.span().first;
    {
        MenuEditorForm hidden(k.context);
        hidden.show();
        ASSERT_TRUE(hidden.openRation(day, test::kDemoGroup));
        EXPECT_FALSE(hidden.findChild<QLabel *>(QStringLiteral("rationPrice"))->isVisible());
    }

    // Every product at one price, so each dish costs by its masses.
    const QString table = readSetting(k.settings, Section::Prod, QStringLiteral("tbProd"));
    QSqlQuery priced(k.connections.database(BaseId::Products));
    ASSERT_TRUE(priced.exec(QStringLiteral("UPDATE \"%1\" SET \"Цена\" = 250").arg(table)));
    ASSERT_GT(priced.numRowsAffected(), 0);

    k.settings.save(Section::UserInterface, QStringLiteral("bShowPriceRat"), QStringLiteral("1"));
    k.settings.save(Section::Data, QStringLiteral("FormatPriceRation"), QStringLiteral("0.00"));
    MenuEditorForm editor(k.context);
    editor.show();
    ASSERT_TRUE(editor.openRation(day, test::kDemoGroup));
    auto *label = editor.findChild<QLabel *>(QStringLiteral("rationPrice"));
    auto *forWhat = editor.findChild<QComboBox *>(QStringLiteral("priceFor"));
    ASSERT_TRUE(label && forWhat);
    EXPECT_TRUE(label->isVisible());
    const QStringList meals = MealList(k.settings, k.prompter).names();
    ASSERT_EQ(forWhat->count(), meals.size() + 1);
    EXPECT_EQ(forWhat->itemText(0), u"Весь день");
    EXPECT_TRUE(label->text().endsWith(QStringLiteral(" руб./чел. за 'Весь день'"))) << label->text().toStdString();
    const double whole = priceIn(label->text());
    EXPECT_GT(whole, 0);

    double sum = 0;
    for (int m = 1; m <= meals.size(); ++m) {
        forWhat->setCurrentIndex(m);
        EXPECT_TRUE(label->text().endsWith(QStringLiteral(" руб./чел. за '") + meals[m - 1] + u'\''))
            << label->text().toStdString();
        sum += priceIn(label->text());
    }
    // Each dish is rounded before it is added, so the meals add up exactly.
    EXPECT_NEAR(whole, sum, 1e-9);

    // An edit of the ration shows at once: without its first meal's dishes
    // the day costs what the other meals cost.
    forWhat->setCurrentIndex(1);
    const double first = priceIn(label->text());
    forWhat->setCurrentIndex(0);
    while (editor.ration().mealCount() > 0 && editor.removeDish(1, 1)) {
        if (priceIn(label->text()) <= whole - first + 1e-9)
            break;
    }
    EXPECT_NEAR(priceIn(label->text()), whole - first, 1e-9);
}
