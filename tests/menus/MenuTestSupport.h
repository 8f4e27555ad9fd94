#pragma once

// A private installation with a dish base holding two recipes and an empty
// menu base, and the menu operations over them.
#include "common/TextDate.h"
#include "menus/DayLocks.h"
#include "menus/MenuBase.h"
#include "menus/RationEditing.h"
#include "recipes/DishBase.h"
#include "shell/DishCollections.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"
#include "support/TempBases.h"

#include <gtest/gtest.h>

#include <map>

namespace kulvera::test {

inline constexpr int kDishes = static_cast<int>(BaseId::Dishes);
inline constexpr int kMenu = static_cast<int>(BaseId::Menu);

inline clsBludo menuPosition(
    const QString &key, const QString &product, double brutto, double netto, const QString &out = {})
{
    clsBludo b;
    clsProds &p = b.clsProds();
    p.Kod = key;
    p.ID_Prod = product;
    p.FullName = QStringLiteral("Продукт ") + product;
    p.ShortName = product;
    p.Brutto = brutto;
    p.Netto = netto;
    p.Out = out;
    p.Bel = netto / 10;
    p.Gir = netto / 20;
    p.Kr = netto / 5;
    return b;
}

// Borscht for 250 g: a product and a semi-finished product holding one more.
inline colBludo borscht()
{
    colBludo r;
    r.Add(menuPosition(QStringLiteral("pro00000001"), QStringLiteral("11"), 120, 100, QStringLiteral("250")));
    r.Add(menuPosition(QStringLiteral("pfx00000002"), QString(), 80, 60, QStringLiteral("50")));
    r.Add(menuPosition(QStringLiteral("pro00020003"), QStringLiteral("12"), 80, 60, QStringLiteral("250")));
    r.item(1)->clsProds().NameND = QStringLiteral("Сборник рецептур");
    r.item(2)->clsProds().Bel = 5; // the semi-finished product as last worked out
    r.item(2)->clsProds().Gir = 1;
    r.item(2)->clsProds().Kr = 10;
    return r;
}

// Stewed fruit for 200 g: two products.
inline colBludo compote()
{
    colBludo r;
    r.Add(menuPosition(QStringLiteral("pro00000001"), QStringLiteral("21"), 40, 35, QStringLiteral("200")));
    r.Add(menuPosition(QStringLiteral("pro00000002"), QStringLiteral("22"), 20, 20, QStringLiteral("200")));
    return r;
}

struct MenuFixture {
    TempBases t;
    int dishes = t.create(BaseId::Dishes);
    int menu = t.create(BaseId::Menu);
    QString table = addCollection(t.connections(), t.settings(), QStringLiteral("Столовая"))->table;
    StoredTextCodec codec = installationCodec(t.connections(), kDishes, t.settings(), &t.prompter()).value();
    DishBase dishBase {t.connections(), kDishes, t.settings(), t.prompter(), codec};
    MenuBase base {t.connections(), kMenu, t.settings(), t.prompter(), codec};
    RationEditing editing {base};
    DayLocks locks {base};
    const QDate day {2026, 3, 2};

    MenuFixture()
    {
        SaveOptions silent;
        silent.silent = true;
        EXPECT_TRUE(dishBase.save(borscht(), table, QStringLiteral("Борщ"), silent));
        EXPECT_TRUE(dishBase.save(compote(), table, QStringLiteral("Компот"), silent));
    }

    QSqlDatabase db() { return t.connections().database(kMenu); }

    // A ration of two meals: borscht and stewed fruit for lunch, stewed fruit for breakfast.
    Ration lunch(const QString &group, const QDate &date = {})
    {
        Ration r({date.isValid() ? date : day, group});
        EXPECT_TRUE(editing.addDish(r, QStringLiteral("Обед"), dishBase, table, QStringLiteral("Борщ"), {}));
        EXPECT_TRUE(editing.addDish(r, QStringLiteral("Обед"), dishBase, table, QStringLiteral("Компот"), {}));
        EXPECT_TRUE(editing.addDish(
            r, QStringLiteral("Завтрак"), dishBase, table, QStringLiteral("Компот"), QStringLiteral("100")));
        return r;
    }

    int rows(const QString &where = {}, const QVariantList &params = {})
    {
        SqlStatement q(db(), QStringLiteral("SELECT COUNT(*) FROM base_temp") + where);
        EXPECT_TRUE(q.exec(params));
        return q.next() ? q.value(0).toInt() : -1;
    }

    // Ration rows as another program may have written them: one position of
    // a dish, the group stored as given (a null QVariant: NULL).
    void insertRow(const QString &date, const QVariant &group, const QString &name, const QString &key,
        const QString &meal = QStringLiteral("Обед"))
    {
        ASSERT_TRUE(execSql(db(),
            QStringLiteral(
                "INSERT INTO base_temp (l1, l2, l15, l17, l18, l26, l27, l28) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
            {codec.encode(name), codec.encode(QStringLiteral("200")), codec.encode(key),
                codec.encode(QStringLiteral("10")), codec.encode(QStringLiteral("9")),
                date.isNull() ? QVariant() : QVariant(codec.encode(date)), codec.encode(meal),
                group.isNull() ? QVariant() : QVariant(codec.encode(group.toString()))}));
    }
};

} // namespace kulvera::test
