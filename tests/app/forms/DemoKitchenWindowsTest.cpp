#include "SeededDesktop.h"

#include "common/ProgramLocale.h"
#include "shell/forms/MainWindow.h"
#include "warehouse/forms/IncomingInvoiceForm.h"
#include "warehouse/forms/TurnoverForm.h"

#include <QApplication>
#include <QDateEdit>
#include <QMdiSubWindow>
#include <QTableWidget>

#include <gtest/gtest.h>

using namespace kulvera;

// The incoming invoices of the demo kitchen's store room in the main window;
// with KULVERA_INVOICE_SCREENSHOT set the picture is kept there (the README's
// screenshot is made this way).
TEST(DemoKitchenWindows, TheStoreRoomShowsItsMonthOfInvoices)
{
    pinProgramLocale();
    test::DemoKitchenDesktop k;
    ASSERT_TRUE(k.made);
    MainWindow window(k.context, k.registry);
    window.resize(1280, 800);
    window.show();
    window.runCommand(QStringLiteral("Nakl_Add"));
    auto *form = window.findChild<IncomingInvoiceForm *>();
    ASSERT_NE(form, nullptr);
    qobject_cast<QMdiSubWindow *>(form->parentWidget())->showMaximized();
    // A month of deliveries, each with its lines; the add row comes last.
    const QTableWidget *headers = form->headerGrid();
    EXPECT_GT(headers->rowCount(), 10);
    form->headerGrid()->setCurrentCell(headers->rowCount() - 2, 1);
    QApplication::processEvents();
    EXPECT_GT(form->lineGrid()->rowCount(), 2);
    const QPixmap picture = window.grab();
    EXPECT_FALSE(picture.isNull());
    const QString path = qEnvironmentVariable("KULVERA_INVOICE_SCREENSHOT");
    if (!path.isEmpty()) {
        EXPECT_TRUE(picture.save(path));
    }
    EXPECT_TRUE(k.prompter.unexpected().isEmpty()) << k.prompter.unexpected().join(u'\n').toStdString();
}

// The turnover of the store room over the month before today, with the weekly
// chart of its first product; with KULVERA_TURNOVER_SCREENSHOT set the picture
// is kept there (the README's screenshot).
TEST(DemoKitchenWindows, TheStoreRoomShowsTheTurnoverOfItsMonth)
{
    pinProgramLocale();
    test::DemoKitchenDesktop k;
    ASSERT_TRUE(k.made);
    MainWindow window(k.context, k.registry);
    window.resize(1280, 800);
    window.show();
    window.runCommand(QStringLiteral("Inc_out_prods"));
    auto *form = window.findChild<TurnoverForm *>();
    ASSERT_NE(form, nullptr);
    qobject_cast<QMdiSubWindow *>(form->parentWidget())->showMaximized();
    const QDate today = k.clock.today();
    form->period()->from()->setDate(today.addDays(-29));
    // The demo's first write-offs may be dated on the coming Monday.
    form->period()->to()->setDate(today.addDays(7));
    ASSERT_TRUE(form->build());
    EXPECT_GT(form->grid()->rowCount(), 10);
    form->grid()->setCurrentCell(0, 2);
    form->grid()->selectRow(0);
    QApplication::processEvents();
    EXPECT_TRUE(form->showChart());
    QApplication::processEvents();
    const QPixmap picture = window.grab();
    EXPECT_FALSE(picture.isNull());
    const QString path = qEnvironmentVariable("KULVERA_TURNOVER_SCREENSHOT");
    if (!path.isEmpty()) {
        EXPECT_TRUE(picture.save(path));
    }
    EXPECT_TRUE(k.prompter.unexpected().isEmpty()) << k.prompter.unexpected().join(u'\n').toStdString();
}
