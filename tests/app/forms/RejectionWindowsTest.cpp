#include "SeededDesktop.h"

#include "DemoKitchen.h"
#include "common/ProgramLocale.h"
#include "common/TextDate.h"
#include "journals/forms/IncomingControlForm.h"
#include "journals/forms/RejectionForm.h"
#include "shell/forms/MainWindow.h"
#include "support/KeepPicture.h"

#include <QApplication>
#include <QMdiSubWindow>
#include <QTableWidget>

#include <gtest/gtest.h>

using namespace kulvera;

// The rejection journal of the demo kitchen's first day, one row per dish;
// with KULVERA_REJECTION_SCREENSHOT set the picture is kept there.
TEST(DemoKitchenWindows, TheRejectionJournalHoldsTheDishesOfTheFirstDay)
{
    pinProgramLocale();
    test::DemoKitchenDesktop k;
    ASSERT_TRUE(k.made);
    ASSERT_NE(k.connections.connectBase(BaseId::Rejection, k.shared, true), Connections::kFailed);
    MainWindow window(k.context, k.registry);
    window.resize(1280, 800);
    window.show();
    window.runCommand(QStringLiteral("reject"));
    auto *form = window.findChild<RejectionForm *>();
    ASSERT_NE(form, nullptr);
    qobject_cast<QMdiSubWindow *>(form->parentWidget())->showMaximized();
    const QDate first = demoKitchenFirstDay(QDate::currentDate());
    ASSERT_TRUE(form->showDay(formatTextDate(first)));
    ASSERT_TRUE(form->selectGroup(QStringLiteral("Дети 7-11 лет")));
    EXPECT_GT(form->rowCount(), 3);
    test::keepPicture(window, "KULVERA_REJECTION_SCREENSHOT");
    EXPECT_TRUE(k.prompter.unexpected().isEmpty()) << k.prompter.unexpected().join(u'\n').toStdString();
}

// The incoming control journal of the month of deliveries before the demo's
// first day; with KULVERA_INCOMING_CONTROL_SCREENSHOT set the picture is kept there.
TEST(DemoKitchenWindows, TheIncomingControlJournalListsTheMonthOfDeliveries)
{
    pinProgramLocale();
    test::DemoKitchenDesktop k;
    ASSERT_TRUE(k.made);
    MainWindow window(k.context, k.registry);
    window.resize(1280, 800);
    window.show();
    window.runCommand(QStringLiteral("cont_int"));
    auto *form = window.findChild<IncomingControlForm *>();
    ASSERT_NE(form, nullptr);
    qobject_cast<QMdiSubWindow *>(form->parentWidget())->showMaximized();
    const QDate first = demoKitchenFirstDay(QDate::currentDate());
    form->setPeriod(first.addDays(-31), first);
    ASSERT_TRUE(form->refresh());
    EXPECT_GT(form->rowCount(), 10);
    test::keepPicture(window, "KULVERA_INCOMING_CONTROL_SCREENSHOT");
    EXPECT_TRUE(k.prompter.unexpected().isEmpty()) << k.prompter.unexpected().join(u'\n').toStdString();
}
