#include "MaintenanceTestSupport.h"

#include "menus/DayLocks.h"

using namespace kulvera;
using namespace kulvera::test;

namespace {

struct MenuRuns : MaintenanceFixture {
    MenuBase base {t.connections(), kMenuBase, t.settings(), t.prompter(), codec};
    RationEditing editing {base};
    const QDate monday {2026, 3, 2};
    const QDate tuesday {2026, 3, 3};

    MenuRuns()
    {
        for (const QDate &day : {monday, tuesday}) {
            Ration r({day, QStringLiteral("Ясли")});
            EXPECT_TRUE(editing.addDish(r, QStringLiteral("Обед"), dishBase, table, QStringLiteral("Суп"), {}));
            EXPECT_TRUE(editing.addDish(
                r, QStringLiteral("Обед"), dishBase, table, QStringLiteral("Салат"), QStringLiteral("160")));
            EXPECT_TRUE(editing.save(r));
        }
    }

    // A position of a dish of a ration, as the menu base holds it.
    clsProds position(const QDate &day, const QString &dish, const QString &key)
    {
        const Ration r = base.load({day, QStringLiteral("Ясли")}).value();
        for (int n = 1; n <= r.dishCount(); ++n) {
            if (r.dishName(n) != dish)
                continue;
            for (const clsBludo &b : *r.dish(n)) {
                if (b.clsProds().Kod.toString() == key)
                    return b.clsProds();
            }
        }
        ADD_FAILURE() << "no position " << key.toStdString();
        return {};
    }
};

} // namespace

// The dish copies of the rations take the product's new values at their own
// net mass (the salad was placed at 160 g of its 250: 51.2 g of potatoes); a locked day
// keeps what it had, and is counted as left alone.
TEST(MenuBaseSync, CopiesOfUnlockedDaysTakeTheProductLockedDaysDoNot)
{
    MenuRuns f;
    ASSERT_TRUE(DayLocks(f.base).lock(f.tuesday, QStringLiteral("Ясли")));
    f.setProduct(1, QStringLiteral("Белки"), 2.5);
    const clsProds placed = f.position(f.monday, QStringLiteral("Салат"), QStringLiteral("pro00000001"));
    ASSERT_NEAR(placed.Netto, 51.2, 1e-9);
    EXPECT_NEAR(placed.Bel, 2.0 * 51.2 / 100, 1e-9);

    const MaintenanceReport report = syncMenuBase(f.context, {}, f.progress, f.losses);
    ASSERT_FALSE(report.failed) << report.error.toStdString();
    EXPECT_EQ(report.skipped, 1);
    EXPECT_EQ(report.changes.size(), 2u); // both dishes of Monday
    EXPECT_TRUE(report.changes[0].place.startsWith(u"02.03.2026"));
    EXPECT_NEAR(
        f.position(f.monday, QStringLiteral("Салат"), QStringLiteral("pro00000001")).Bel, 2.5 * 51.2 / 100, 1e-9);
    EXPECT_NEAR(
        f.position(f.tuesday, QStringLiteral("Салат"), QStringLiteral("pro00000001")).Bel, 2.0 * 51.2 / 100, 1e-9);
    EXPECT_TRUE(QFileInfo::exists(report.archive));
    EXPECT_TRUE(report.archive.contains(u"Menu_2026_03_02_1")) << report.archive.toStdString();
}

// Dry run and cancel over the menu base write nothing.
TEST(MenuBaseSync, DryRunAndCancelLeaveTheMenuAsItWas)
{
    MenuRuns f;
    f.setProduct(1, QStringLiteral("Белки"), 2.5);
    const QByteArray before = f.fingerprint(kMenuBase, f.base.table());
    MaintenanceOptions dry;
    dry.dryRun = true;
    const MaintenanceReport listed = syncMenuBase(f.context, dry, f.progress, f.losses);
    EXPECT_EQ(listed.changes.size(), 4u);
    EXPECT_EQ(f.fingerprint(kMenuBase, f.base.table()), before);
    StoppingProgress stop(2);
    EXPECT_TRUE(syncMenuBase(f.context, {}, stop, f.losses).cancelled);
    EXPECT_EQ(f.fingerprint(kMenuBase, f.base.table()), before);
}

// A dish placed in a ration keeps the card number its recipe had; renumbering
// brings the menus up to a changed number in the dish base, except on locked
// days, and a dry run only lists it.
TEST(MenuCardNumbers, RenumberedFromTheDishBaseExceptLockedDays)
{
    MenuRuns f;
    EXPECT_EQ(f.position(f.monday, QStringLiteral("Суп"), QStringLiteral("pro00000001")).sCode, u"13");
    ASSERT_TRUE(execSql(f.t.connections().database(kDishBase),
        QStringLiteral("UPDATE ") + SqlDialect::of(f.t.connections().database(kDishBase)).quote(f.table)
            + QStringLiteral(" SET l35 = ? WHERE l1 = ?"),
        {f.codec.encode(QStringLiteral("К-101")), f.codec.encode(QStringLiteral("Суп"))}));
    ASSERT_TRUE(DayLocks(f.base).lock(f.tuesday, {}));

    MaintenanceOptions dry;
    dry.dryRun = true;
    const QByteArray before = f.fingerprint(kMenuBase, f.base.table());
    const MaintenanceReport listed = renumberMenuCards(f.context, dry, f.progress);
    EXPECT_EQ(listed.changes.size(), 1u);
    EXPECT_EQ(f.fingerprint(kMenuBase, f.base.table()), before);

    const MaintenanceReport report = renumberMenuCards(f.context, {}, f.progress);
    ASSERT_FALSE(report.failed) << report.error.toStdString();
    EXPECT_EQ(report.skipped, 1);
    ASSERT_EQ(report.changes.size(), 1u);
    EXPECT_EQ(report.changes[0].name, u"Суп");
    EXPECT_EQ(report.changes[0].positions, 4);
    EXPECT_EQ(f.position(f.monday, QStringLiteral("Суп"), QStringLiteral("pfx00000002")).sCode, u"К-101");
    EXPECT_EQ(f.position(f.tuesday, QStringLiteral("Суп"), QStringLiteral("pfx00000002")).sCode, u"13");
    EXPECT_EQ(f.position(f.monday, QStringLiteral("Салат"), QStringLiteral("pro00000001")).sCode, u"15");
}
