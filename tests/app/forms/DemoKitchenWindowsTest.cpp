#include "FormRegistration.h"
#include "support/CliRunner.h"

#include "common/ProgramLocale.h"
#include "common/ScriptedPrompter.h"
#include "shell/AppContext.h"
#include "shell/Connections.h"
#include "shell/Databases.h"
#include "shell/ErrorLog.h"
#include "shell/SettingsStore.h"
#include "shell/SharedSettings.h"
#include "shell/forms/CommandRegistry.h"
#include "shell/forms/MainWindow.h"
#include "warehouse/forms/IncomingInvoiceForm.h"

#include <QApplication>
#include <QDir>
#include <QMdiSubWindow>
#include <QTableWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kulvera;

// The incoming invoices of the demo kitchen's store room in the main window;
// with KULVERA_INVOICE_SCREENSHOT set the picture is kept there (the README's
// screenshot is made this way).
TEST(DemoKitchenWindows, TheStoreRoomShowsItsMonthOfInvoices)
{
    pinProgramLocale();
    QTemporaryDir dir;
    test::CliRunner cli(dir.filePath(QStringLiteral("own.ini")));
    const QString kitchen = dir.filePath(QStringLiteral("kitchen"));
    ASSERT_EQ(cli.run({QStringLiteral("demo"), kitchen}), 0) << cli.err.toStdString();

    SettingsStore settings(QDir(kitchen).filePath(QStringLiteral("Kulvera.ini")));
    SharedSettings shared = SharedSettings::load(settings, {kitchen, kitchen, QString(), kitchen});
    ErrorLog log(dir.filePath(QStringLiteral("errors.log")));
    ScriptedPrompter prompter;
    prompter.setSettings(&settings);
    Connections connections(prompter, settings, log);
    connections.setDefaultFolder(shared.databasesFolder());
    for (BaseId b : {BaseId::Dishes, BaseId::Products, BaseId::Warehouse, BaseId::Menu})
        ASSERT_NE(connections.connectBase(b, shared, true), Connections::kFailed);
    attachExternalTables(connections);

    const FixedClock clock(QDate::currentDate());
    AppContext context {prompter, settings, shared, clock, connections, log};
    CommandRegistry registry;
    registerForms(registry);
    MainWindow window(context, registry);
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
    EXPECT_TRUE(prompter.unexpected().isEmpty()) << prompter.unexpected().join(u'\n').toStdString();
}
