#include "common/ProgramLocale.h"
#include "journals/forms/HygieneJournalForms.h"
#include "journals/forms/MonthJournalForm.h"
#include "shell/forms/MainWindow.h"
#include "support/DemoKitchenContext.h"
#include "support/KeepPicture.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QTableWidget>

#include <gtest/gtest.h>

using namespace kulvera;

namespace {

// The demo kitchen (kulvera-cli demo) and the desktop program's journals on its files.
struct DemoKitchenJournals : test::DemoKitchenContext {
    DemoKitchenJournals()
    {
        EXPECT_NE(connections.connectBase(BaseId::Journals, shared, true), Connections::kFailed);
        registerHygieneJournalForms(registry);
    }

    // Opens a journal maximised in the main window on the month two weeks ago,
    // which the demo's thirty days fill at least half of; with the environment
    // variable set, the window's picture is kept in that file.
    void check(const QString &command, const char *screenshotVariable, int subjects)
    {
        MainWindow window(context, registry);
        window.resize(1280, 800);
        window.show();
        window.runCommand(command);
        auto *form = window.findChild<MonthJournalForm *>(command);
        ASSERT_NE(form, nullptr);
        qobject_cast<QMdiSubWindow *>(form->parentWidget())->showMaximized();
        const QDate shown = clock.today().addDays(-14);
        form->yearEdit()->setText(QString::number(shown.year()));
        form->monthBox()->setCurrentIndex(shown.month() - 1);
        ASSERT_TRUE(form->load());
        QApplication::processEvents();
        const QTableWidget *grid = form->grid();
        ASSERT_EQ(grid->rowCount(), subjects);
        int filled = 0;
        for (int r = 0; r < grid->rowCount(); ++r) {
            for (int d = 1; d <= form->loadedMonth()->days(); ++d)
                filled += !grid->item(r, form->columnOf(QStringLiteral("d_") + QString::number(d)))->text().isEmpty();
        }
        EXPECT_GE(filled, subjects * 15);
        test::keepPicture(window, screenshotVariable);
        EXPECT_TRUE(prompter.unexpected().isEmpty()) << prompter.unexpected().join(u'\n').toStdString();
    }
};

} // namespace

// With KULVERA_HEALTH_SCREENSHOT / KULVERA_TEMPERATURE_SCREENSHOT set, the
// pictures of docs/screenshots are made this way.
TEST(DemoKitchenJournalWindows, TheHealthAndTemperatureJournalsShowTheirMonth)
{
    pinProgramLocale();
    DemoKitchenJournals k;
    ASSERT_TRUE(k.made);
    k.check(QStringLiteral("j_z"), "KULVERA_HEALTH_SCREENSHOT", 6);
    k.check(QStringLiteral("hol_jur"), "KULVERA_TEMPERATURE_SCREENSHOT", 5);
}
