#include "SeededDesktop.h"

#include "common/ProgramLocale.h"
#include "research/ProtocolGrid.h"
#include "research/forms/ProtocolForm.h"
#include "research/forms/ProtocolGridModel.h"
#include "research/forms/ProtocolListForm.h"
#include "shell/forms/MainWindow.h"
#include "support/KeepPicture.h"
#include "warehouse/forms/IncomingInvoiceForm.h"
#include "warehouse/forms/TurnoverForm.h"

#include <QApplication>
#include <QDateEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <gtest/gtest.h>

#include <memory>

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
    test::keepPicture(window, "KULVERA_INVOICE_SCREENSHOT");
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
    test::keepPicture(window, "KULVERA_TURNOVER_SCREENSHOT");
    EXPECT_TRUE(k.prompter.unexpected().isEmpty()) << k.prompter.unexpected().join(u'\n').toStdString();
}

// The kitchen's protocol of its pilaf, opened from the list of protocols; with
// KULVERA_PROTOCOL_SCREENSHOT set the picture is kept there (the screenshot of
// docs/screenshots/protocol.png is made this way).
TEST(DemoKitchenWindows, TheLaboratoryOpensItsProtocolOfThePilaf)
{
    pinProgramLocale();
    test::DemoKitchenDesktop k;
    ASSERT_TRUE(k.made);
    for (BaseId b : {BaseId::Methods, BaseId::Protocols})
        ASSERT_NE(k.connections.connectBase(b, k.shared, true), Connections::kFailed);
    MainWindow window(k.context, k.registry);
    window.resize(1600, 760);
    window.show();
    for (const char16_t *command : {u"FH_Base", u"FH_New", u"prt_fh"})
        EXPECT_TRUE(window.commandAction(QString::fromUtf16(command))->isEnabled());
    window.runCommand(QStringLiteral("FH_New"));
    auto *list = window.findChild<ProtocolListForm *>();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->protocols().size(), 1u);
    EXPECT_EQ(list->protocols()[0].methods, 3);
    list->selectProtocol(list->protocols()[0].id);
    list->findChild<QPushButton *>(QStringLiteral("openButton"))->click();
    auto *form = window.findChild<ProtocolForm *>();
    ASSERT_NE(form, nullptr);
    qobject_cast<QMdiSubWindow *>(form->parentWidget())->showMaximized();
    QApplication::processEvents();
    // Every method of the demo comes out; dry substances and fat meet the pilaf's values.
    const std::vector<ProtocolGridRow> &lines = form->grid()->lines();
    int methods = 0;
    for (const ProtocolGridRow &line : lines) {
        if (line.paramId != 0)
            continue;
        ++methods;
        EXPECT_TRUE(line.computed) << line.problem.toStdString();
    }
    EXPECT_EQ(methods, 3);
    EXPECT_FALSE(lines[0].cells[DeviationColumn].isEmpty());
    test::keepPicture(window, "KULVERA_PROTOCOL_SCREENSHOT");
    EXPECT_TRUE(k.prompter.unexpected().isEmpty()) << k.prompter.unexpected().join(u'\n').toStdString();
}

// The settings of the demo kitchen as the menu command opens them: the databases folder is
// the kitchen's own; with KULVERA_SETTINGS_SCREENSHOT set the picture is kept there (the
// screenshot of docs/screenshots/settings.png is made this way).
TEST(DemoKitchenWindows, TheSettingsShowTheKitchensOwnFolders)
{
    pinProgramLocale();
    test::DemoKitchenDesktop k;
    ASSERT_TRUE(k.made);
    std::unique_ptr<QWidget> form(k.registry.open(QStringLiteral("Feat"), k.context, nullptr));
    ASSERT_NE(form, nullptr);
    auto *tree = form->findChild<QTreeWidget *>(QStringLiteral("settings"));
    ASSERT_NE(tree, nullptr);
    const auto row = [&](const QString &key) -> QTreeWidgetItem * {
        for (QTreeWidgetItemIterator it(tree); *it; ++it) {
            if ((*it)->text(3) == key)
                return *it;
        }
        return nullptr;
    };
    QTreeWidgetItem *folder = row(QStringLiteral("Dir_book"));
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(QDir::cleanPath(folder->text(1)).toStdString(),
        QDir::cleanPath(QDir(k.kitchen).filePath(QStringLiteral("KV_Bases"))).toStdString());
    form->resize(1000, 680);
    form->show();
    tree->setCurrentItem(folder);
    tree->scrollToTop();
    QApplication::processEvents();
    test::keepPicture(*form, "KULVERA_SETTINGS_SCREENSHOT");
    EXPECT_TRUE(k.prompter.unexpected().isEmpty()) << k.prompter.unexpected().join(u'\n').toStdString();
}
