#include "MenuTestSupport.h"

#include "menus/RationTotals.h"

using namespace kulvera;
using namespace kulvera::test;

namespace {

QStringList dishNames(const Ration &r)
{
    QStringList out;
    for (int m = 1; m <= r.mealCount(); ++m) {
        for (int e = 1; e <= r.meal(m)->Count(); ++e)
            out << r.mealName(m) + u':' + r.dishName(r.dishAt(m, e)) + u'@' + r.dishOutput(r.dishAt(m, e));
    }
    return out;
}

QStringList positionKeys(const Ration &r)
{
    QStringList out;
    for (int n = 1; n <= r.dishCount(); ++n) {
        for (const clsBludo &b : *r.dish(n))
            out << b.clsProds().Kod.toString();
    }
    return out;
}

} // namespace

TEST(RationStore, SavedRationReadsBackInItsOrder)
{
    MenuFixture f;
    Ration r = f.lunch(QString());
    // The same recipe twice in a row stays two dishes.
    ASSERT_TRUE(f.editing.addDish(r, QStringLiteral("Обед"), f.dishBase, f.table, QStringLiteral("Компот"), {}));
    r.setNormCode(QStringLiteral("3"));
    ASSERT_TRUE(f.base.save(r));

    const Result<Ration> back = f.base.load({f.day, QString()});
    ASSERT_TRUE(back);
    EXPECT_EQ(back->mealName(1), u"Обед");
    EXPECT_EQ(back->mealName(2), u"Завтрак");
    EXPECT_EQ(dishNames(back.value()),
        QStringList({QStringLiteral("Обед:Борщ@250"), QStringLiteral("Обед:Компот@200"),
            QStringLiteral("Обед:Компот@200"), QStringLiteral("Завтрак:Компот@100")}));
    EXPECT_EQ(positionKeys(back.value()), positionKeys(r));
    EXPECT_EQ(back->normCode(), u"3");
    EXPECT_DOUBLE_EQ(back->dish(4)->item(1)->clsProds().Netto, 17.5); // compote at 100 g of 200

    // A move, saved, is the new order; saving again does not add rows.
    Ration moved = back.value();
    ASSERT_TRUE(f.editing.moveDish(moved, 1, 1, false));
    ASSERT_TRUE(f.base.save(moved));
    ASSERT_TRUE(f.base.save(moved));
    EXPECT_EQ(f.rows(), r.positionCount());
    EXPECT_EQ(dishNames(f.base.load({f.day, QString()}).value()).first(), u"Обед:Компот@200");
}

TEST(RationStore, NoGroupAndEmptyGroupAreOneRationEverywhere)
{
    MenuFixture f;
    const QString date = formatTextDate(f.day);
    // Rows of one ration written with NULL and with "" as the group.
    f.insertRow(date, QVariant(), QStringLiteral("Чай"), QStringLiteral("pro00000001"));
    f.insertRow(date, QString(QLatin1String("")), QStringLiteral("Хлеб"), QStringLiteral("pro00000001"));
    f.insertRow(date, QStringLiteral("Ясли"), QStringLiteral("Кефир"), QStringLiteral("pro00000001"));

    const Ration loaded = f.base.load({f.day, QString()}).value();
    EXPECT_EQ(dishNames(loaded), QStringList({QStringLiteral("Обед:Чай@200"), QStringLiteral("Обед:Хлеб@200")}));
    EXPECT_TRUE(f.base.exists({f.day, QString()}));

    const auto list = f.base.list().value();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].group, u"");
    EXPECT_EQ(list[1].group, u"Ясли");

    // Saving replaces both kinds of rows: nothing doubles.
    ASSERT_TRUE(f.base.save(loaded));
    EXPECT_EQ(f.rows(), 3);

    ASSERT_TRUE(f.locks.lock(f.day, QString()));
    EXPECT_TRUE(f.locks.isLocked(f.day, QString()));
    ASSERT_TRUE(execSql(f.db(), QStringLiteral("UPDATE \"BlocksDates\" SET \"Группа\" = ''")));
    EXPECT_TRUE(f.locks.isLocked(f.day, QString()));
    ASSERT_TRUE(f.locks.unlock(f.day, QString()));
    EXPECT_FALSE(f.locks.isLocked(f.day, QString()));

    // Removal takes every row of the ration, whichever way its group was stored.
    f.insertRow(date, QVariant(), QStringLiteral("Чай"), QStringLiteral("pro00000002"));
    ASSERT_TRUE(f.base.remove({f.day, QString()}));
    EXPECT_EQ(f.rows(), 1);
    EXPECT_FALSE(f.base.exists({f.day, QString()}));
    EXPECT_TRUE(f.base.exists({f.day, QStringLiteral("Ясли")}));
}

TEST(RationStore, TwoGroupsOnOneDateAreIndependent)
{
    MenuFixture f;
    ASSERT_TRUE(f.base.save(f.lunch(QStringLiteral("Ясли"))));
    Ration other = f.lunch(QStringLiteral("Сад"));
    ASSERT_TRUE(f.editing.removeDish(other, 1, 1));
    ASSERT_TRUE(f.base.save(other));

    EXPECT_EQ(f.base.load({f.day, QStringLiteral("Ясли")})->dishCount(), 3);
    EXPECT_EQ(f.base.load({f.day, QStringLiteral("Сад")})->dishCount(), 2);
    EXPECT_TRUE(f.base.load({f.day, QString()})->isEmpty());

    ASSERT_TRUE(f.locks.lock(f.day, QStringLiteral("Сад")));
    EXPECT_TRUE(f.locks.isLocked(f.day, QStringLiteral("Сад")));
    EXPECT_FALSE(f.locks.isLocked(f.day, QStringLiteral("Ясли")));

    ASSERT_TRUE(f.base.remove({f.day, QStringLiteral("Ясли")}));
    EXPECT_FALSE(f.base.exists({f.day, QStringLiteral("Ясли")}));
    EXPECT_EQ(f.base.load({f.day, QStringLiteral("Сад")})->dishCount(), 2);
}

TEST(RationStore, GroupWithQuoteCharactersWorks)
{
    MenuFixture f;
    const QString group = QStringLiteral("Ясли \"Солнышко\" и 'Радуга'; --");
    ASSERT_TRUE(f.base.save(f.lunch(group)));
    EXPECT_EQ(f.base.load({f.day, group})->dishCount(), 3);
    EXPECT_EQ(f.base.list().value().front().group, group);
    ASSERT_TRUE(f.locks.lock(f.day, group));
    EXPECT_TRUE(f.locks.isLocked(f.day, group));
    ASSERT_TRUE(f.locks.unlock(f.day, group));
    ASSERT_TRUE(f.base.changeDate({f.day, group}, f.day.addDays(1)));
    ASSERT_TRUE(f.base.remove({f.day.addDays(1), group}));
    EXPECT_EQ(f.rows(), 0);
}

TEST(RationStore, AddedDishKeepsItsCopyWhenTheRecipeChanges)
{
    MenuFixture f;
    ASSERT_TRUE(f.base.save(f.lunch(QString())));
    colBludo changed = borscht();
    changed.item(1)->clsProds().Netto = 999;
    changed.Remove(3);
    SaveOptions silent;
    silent.silent = true;
    ASSERT_TRUE(f.dishBase.save(changed, f.table, QStringLiteral("Борщ"), silent));

    const Ration back = f.base.load({f.day, QString()}).value();
    ASSERT_EQ(back.dish(1)->Count(), 3);
    EXPECT_DOUBLE_EQ(back.dish(1)->item(1)->clsProds().Netto, 100);
}

TEST(RationStore, ListSortsByDateAsADateAndSkipsWhatIsNoDate)
{
    MenuFixture f;
    ASSERT_TRUE(f.base.save(f.lunch(QStringLiteral("Б"), QDate(2026, 1, 15))));
    ASSERT_TRUE(f.base.save(f.lunch(QStringLiteral("А"), QDate(2026, 2, 1))));
    ASSERT_TRUE(f.base.save(f.lunch(QStringLiteral("Б"), QDate(2025, 12, 31))));
    f.insertRow(QStringLiteral("не дата"), QVariant(), QStringLiteral("Чай"), QStringLiteral("pro00000001"));
    f.insertRow(QString(), QVariant(), QStringLiteral("Чай"), QStringLiteral("pro00000001"));

    const auto byDate = f.base.list(RationOrder::ByDate).value();
    ASSERT_EQ(byDate.size(), 3u);
    EXPECT_EQ(byDate[0].date, QDate(2025, 12, 31));
    EXPECT_EQ(byDate[1].date, QDate(2026, 1, 15));
    EXPECT_EQ(byDate[2].date, QDate(2026, 2, 1));
    EXPECT_TRUE(f.t.prompter().saw(QStringLiteral("присутствуют ошибки (пустые записи)")));

    const auto byGroup = f.base.list(RationOrder::ByGroup).value();
    EXPECT_EQ(byGroup[0].group, u"А");
    EXPECT_EQ(byGroup[1].date, QDate(2025, 12, 31));

    // The notice is one the user may switch off.
    f.t.prompter().clear();
    f.t.settings().save(Section::Messages, QStringLiteral("sEmptyValueMenu"), QStringLiteral("0"));
    ASSERT_TRUE(f.base.list());
    EXPECT_FALSE(f.t.prompter().saw(QStringLiteral("пустые записи")));
}

TEST(RationStore, DeletingAndRedatingAskFirst)
{
    MenuFixture f;
    ASSERT_TRUE(f.base.save(f.lunch(QStringLiteral("Ясли"))));
    ASSERT_TRUE(f.base.save(f.lunch(QString())));
    auto &p = f.t.prompter();

    p.expect(QStringLiteral("Удалить рационы на выбранные даты (удаляется - 2 рационов.)?"), Prompter::Answer::No);
    EXPECT_EQ(f.base.removeRations({{f.day, QStringLiteral("Ясли")}, {f.day, QString()}}).value(), 0);
    EXPECT_EQ(f.base.list()->size(), 2u);

    p.expectInput(QStringLiteral("Введите новую дату для рациона"), QStringLiteral("31.02.2026"));
    EXPECT_FALSE(f.base.changeDateAsking({f.day, QStringLiteral("Ясли")}));
    EXPECT_TRUE(p.saw(QStringLiteral("Ошибка ввода даты!")));
    p.expectInput(QStringLiteral("Введите новую дату для рациона"), QStringLiteral("05.03.2026"));
    ASSERT_TRUE(f.base.changeDateAsking({f.day, QStringLiteral("Ясли")}));
    EXPECT_TRUE(f.base.exists({QDate(2026, 3, 5), QStringLiteral("Ясли")}));
    EXPECT_FALSE(f.base.exists({f.day, QStringLiteral("Ясли")}));
    EXPECT_TRUE(f.base.exists({f.day, QString()}));

    p.expect(QStringLiteral("Удалить рацион на дату: '02.03.2026' для группы ''?"), Prompter::Answer::Yes);
    EXPECT_EQ(f.base.removeRations({{f.day, QString()}}).value(), 1);
    EXPECT_TRUE(p.saw(QStringLiteral("Рационы удалены!")));
    EXPECT_TRUE(p.statuses().contains(QStringLiteral("Удаляем: 02.03.2026 []")));
    EXPECT_EQ(f.base.list()->size(), 1u);
    EXPECT_TRUE(p.unexpected().isEmpty()) << p.unexpected().join(u'\n').toStdString();
}

TEST(RationStore, LockedDayRefusesEveryEdit)
{
    MenuFixture f;
    const QString group = QStringLiteral("Ясли");
    ASSERT_TRUE(f.base.save(f.lunch(group)));
    Ration r = f.base.load({f.day, group}).value();
    const int rowsBefore = f.rows();
    // A lock of every group holds this one too.
    ASSERT_TRUE(f.locks.lockAll(f.day));
    auto &p = f.t.prompter();
    p.clear();

    const Ration before = r;
    EXPECT_FALSE(f.editing.addDish(r, QStringLiteral("Обед"), f.dishBase, f.table, QStringLiteral("Борщ"), {}));
    EXPECT_FALSE(f.editing.removeDish(r, 1, 1));
    EXPECT_FALSE(f.editing.moveDish(r, 1, 1, false));
    EXPECT_FALSE(f.editing.changeOutput(r, 1, QStringLiteral("500")));
    EXPECT_FALSE(f.editing.save(r));
    EXPECT_FALSE(f.editing.remove(r.key()));
    EXPECT_FALSE(f.base.changeDate(r.key(), f.day.addDays(3)));
    EXPECT_FALSE(f.base.removeRations({r.key()}));
    EXPECT_EQ(dishNames(r), dishNames(before));
    EXPECT_EQ(positionKeys(r), positionKeys(before));
    EXPECT_EQ(f.rows(), rowsBefore);
    EXPECT_EQ(p.texts().count(QStringLiteral("Меню заблокировано от изменений!")), 8);
    EXPECT_EQ(p.shown().back().title, u"Меню рационов");

    // Unlocked, the day is editable again; a group's own lock stays after the
    // lock of every group is taken off.
    ASSERT_TRUE(f.locks.lock(f.day, group));
    ASSERT_TRUE(f.locks.unlock(f.day, QString()));
    EXPECT_TRUE(f.locks.isLocked(f.day, group));
    ASSERT_TRUE(f.locks.unlockAll(f.day));
    EXPECT_TRUE(f.editing.removeDish(r, 1, 1));
    EXPECT_TRUE(p.unexpected().isEmpty());
}

TEST(RationStore, OutputChangeIsARecalculatedCopyAndTotalsAddUp)
{
    MenuFixture f;
    Ration r = f.lunch(QString());
    const NutrientTotals soup = dishTotals(r, 1);
    // Borscht: product 1 (netto 100) and the semi-finished product at the top.
    EXPECT_DOUBLE_EQ(soup.mass, 250);
    EXPECT_DOUBLE_EQ(soup.proteins, 10 + 5);
    EXPECT_DOUBLE_EQ(soup.fats, 5 + 1);
    EXPECT_DOUBLE_EQ(soup.kcal, 4.0 * 15 + 9.0 * 6 + 4.1 * 30);

    const Ration snapshot = r;
    ASSERT_TRUE(f.editing.changeOutput(r, 1, QStringLiteral("500")));
    const NutrientTotals doubled = dishTotals(r, 1);
    EXPECT_DOUBLE_EQ(doubled.mass, 500);
    EXPECT_DOUBLE_EQ(doubled.proteins, 30);
    EXPECT_DOUBLE_EQ(r.dish(1)->item(1)->clsProds().Netto, 200);
    // The snapshot taken before is its own copy.
    EXPECT_DOUBLE_EQ(snapshot.dish(1)->item(1)->clsProds().Netto, 100);
    EXPECT_DOUBLE_EQ(dishTotals(snapshot, 1).proteins, 15);

    const NutrientTotals meal = mealTotals(r, 1);
    EXPECT_DOUBLE_EQ(meal.mass, 700);
    EXPECT_DOUBLE_EQ(meal.proteins, 30 + dishTotals(r, 2).proteins);
    EXPECT_DOUBLE_EQ(rationTotals(r).mass, 800);
}
