#include "common/Clock.h"
#include "common/ProgramLocale.h"
#include "common/ScriptedPrompter.h"
#include "journals/forms/HygieneJournalForms.h"
#include "journals/forms/MonthJournalForm.h"
#include "shell/AppContext.h"
#include "shell/ErrorLog.h"
#include "shell/SettingsStore.h"
#include "shell/SharedSettings.h"
#include "shell/forms/MainWindow.h"
#include "support/CliRunner.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QTableWidget>

#include <gtest/gtest.h>

using namespace kulvera;

namespace {

// The demo kitchen (kulvera-cli demo) and the desktop program's journals on its files.
struct DemoKitchenJournals {
    QTemporaryDir dir;
    QString kitchen = dir.filePath(QStringLiteral("kitchen"));
    bool made = [this] {
        test::CliRunner cli(dir.filePath(QStringLiteral("own.ini")));
        const int code = cli.run({QStringLiteral("demo"), kitchen});
        EXPECT_EQ(code, 0) << cli.err.toStdString();
        return code == 0;
    }();
    SettingsStore settings {QDir(kitchen).filePath(QStringLiteral("Kulvera.ini"))};
    SharedSettings shared = SharedSettings::load(settings, {kitchen, kitchen, QString(), kitchen});
    ErrorLog log {dir.filePath(QStringLiteral("errors.log"))};
    ScriptedPrompter prompter;
    Connections connections {prompter, settings, log};
    FixedClock clock {QDate::currentDate()};
    AppContext context {prompter, settings, shared, clock, connections, log};
    CommandRegistry registry;

    DemoKitchenJournals()
    {
        prompter.setSettings(&settings);
        connections.setDefaultFolder(shared.databasesFolder());
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
        const QPixmap picture = window.grab();
        EXPECT_FALSE(picture.isNull());
        const QString path = qEnvironmentVariable(screenshotVariable);
        if (!path.isEmpty()) {
            EXPECT_TRUE(picture.save(path));
        }
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
