#include "../MaintenanceTestSupport.h"

#include "maintenance/forms/MaintenanceForms.h"
#include "maintenance/forms/ProductReplacementForm.h"
#include "maintenance/forms/ProgressDialog.h"
#include "shell/forms/CommandRegistry.h"

#include <QProgressDialog>
#include <QPushButton>

using namespace kulvera;
using namespace kulvera::test;

namespace {

// The dialog of a real run, its cancel button pressed while the run is at
// its first recipe.
class CancelledByTheUser : public RunProgress
{
public:
    explicit CancelledByTheUser(Prompter &prompter)
        : dialog_(QStringLiteral("Синхронизация базы блюд"), prompter)
    {
    }
    bool advance(qint64 done, qint64 total, const QString &text) override
    {
        const bool going = dialog_.advance(done, total, text);
        if (++calls_ == 1) {
            shownAtFirst_ = dialog_.dialog()->isVisible();
            dialog_.dialog()->cancel();
        }
        return going;
    }
    void finish() override { dialog_.finish(); }
    ProgressDialog dialog_;
    int calls_ = 0;
    bool shownAtFirst_ = false;
};

} // namespace

// The progress dialog shows the run, and its cancel button stops it: the
// base is left as it was.
TEST(MaintenanceForms, CancellingTheProgressDialogRollsTheRunBack)
{
    MaintenanceFixture f;
    f.setProduct(1, QStringLiteral("Белки"), 2.4);
    const QByteArray before = f.fingerprint(kDishBase, f.table);
    CancelledByTheUser progress(f.t.prompter());
    const MaintenanceReport report = syncDishBase(f.context, {}, progress, f.losses);
    EXPECT_TRUE(progress.shownAtFirst_);
    EXPECT_EQ(progress.dialog_.dialog()->objectName(), u"maintenanceProgress");
    EXPECT_TRUE(report.cancelled);
    EXPECT_EQ(progress.calls_, 2);
    EXPECT_FALSE(progress.dialog_.dialog()->isVisible());
    EXPECT_EQ(f.fingerprint(kDishBase, f.table), before);
}

// The main window's commands ask first; No changes nothing, Yes runs and
// shows the report.
TEST(MaintenanceForms, CommandsAskThenRunAndReport)
{
    MaintenanceFixture f;
    CommandRegistry registry;
    registerMaintenanceForms(registry);
    for (const char *name : {"SyncBB", "SyncBM", "UpdateCardsMenuNum", "repair_bl", "rpl_prods"})
        EXPECT_TRUE(registry.has(QString::fromLatin1(name))) << name;
    f.setProduct(1, QStringLiteral("Белки"), 2.4);
    const QByteArray before = f.fingerprint(kDishBase, f.table);
    f.t.prompter().expect(QStringLiteral("Синхронизировать базу блюд"), Prompter::Answer::No);
    EXPECT_EQ(registry.open(QStringLiteral("SyncBB"), f.context, nullptr), nullptr);
    EXPECT_EQ(f.fingerprint(kDishBase, f.table), before);

    f.t.prompter().expect(QStringLiteral("Синхронизировать базу блюд"), Prompter::Answer::Yes);
    registry.open(QStringLiteral("SyncBB"), f.context, nullptr);
    EXPECT_NE(f.fingerprint(kDishBase, f.table), before);
    EXPECT_TRUE(f.t.prompter().saw(QStringLiteral("Синхронизация базы продуктов с базой блюд: изменено рецептур - 3")));

    f.t.prompter().expect(QStringLiteral("Обновить номера карт в меню согласно базы блюд?"), Prompter::Answer::Yes);
    registry.open(QStringLiteral("UpdateCardsMenuNum"), f.context, nullptr);
    f.t.prompter().expect(
        QStringLiteral("Начать процедуру восстановления наименований рецептур в базе блюд?"), Prompter::Answer::Yes);
    registry.open(QStringLiteral("repair_bl"), f.context, nullptr);
    EXPECT_TRUE(f.t.prompter().unexpected().isEmpty()) << f.t.prompter().unexpected().join(u'\n').toStdString();
    EXPECT_TRUE(f.t.prompter().scriptDone());
}

// The replacement form: both products chosen, the question answered, the
// button replaces the product in every recipe.
TEST(MaintenanceForms, ReplacementFormReplacesTheChosenProduct)
{
    MaintenanceFixture f;
    ProductReplacementForm form(f.context);
    form.findChild<QPushButton *>(QStringLiteral("replaceButton"))->click();
    EXPECT_TRUE(f.t.prompter().saw(QStringLiteral("Продукт не выбран!")));
    ASSERT_TRUE(form.choose(true, 3));
    ASSERT_TRUE(form.choose(false, 2));
    EXPECT_FALSE(form.choose(false, 99));
    ASSERT_TRUE(form.choose(false, 2));
    f.t.prompter().expect(QStringLiteral("ReplaceProductInDishes"), Prompter::Answer::Yes);
    form.findChild<QPushButton *>(QStringLiteral("replaceButton"))->click();
    EXPECT_EQ(f.position(QStringLiteral("Пюре"), QStringLiteral("pro00000002")).ID_Prod, u"2");
    EXPECT_TRUE(f.t.prompter().saw(QStringLiteral("Заменено позиций: 2")));
}
