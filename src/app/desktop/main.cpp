#include "ConsoleWindow.h"
#include "FormRegistration.h"
#include "StartupWiring.h"

#include "common/Clock.h"
#include "common/ProgramLocale.h"
#include "maintenance/RunProgress.h"
#include "maintenance/forms/MaintenanceForms.h"
#include "shell/AppContext.h"
#include "shell/SettingsStore.h"
#include "shell/Startup.h"
#include "shell/forms/CommandRegistry.h"
#include "shell/forms/MainWindow.h"
#include "shell/forms/WidgetPrompter.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLockFile>
#include <QPainter>
#include <QSplashScreen>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTranslator>

namespace {

// The splash window shows the build and the step being run.
class SplashObserver : public kulvera::StartupObserver
{
public:
    SplashObserver()
    {
        QPixmap picture(460, 220);
        picture.fill(QColor(0x2f, 0x5d, 0x50));
        QPainter painter(&picture);
        painter.setPen(Qt::white);
        QFont title = painter.font();
        title.setPointSize(26);
        title.setBold(true);
        painter.setFont(title);
        painter.drawText(QRect(0, 40, 460, 60), Qt::AlignCenter, kulvera::SharedSettings::kProductTitle);
        QFont small = painter.font();
        small.setPointSize(10);
        small.setBold(false);
        painter.setFont(small);
        painter.drawText(
            QRect(0, 100, 460, 30), Qt::AlignCenter, QStringLiteral("Рецептуры, меню и склад общественного питания"));
        painter.end();
        splash_.setPixmap(picture);
    }
    void stepStarted(const QString &, const QString &text) override
    {
        splash_.showMessage(text, Qt::AlignBottom | Qt::AlignHCenter, Qt::white);
        QApplication::processEvents();
    }
    void splashShown() override
    {
        splash_.show();
        QApplication::processEvents();
    }
    QSplashScreen &splash() { return splash_; }

private:
    QSplashScreen splash_;
};

} // namespace

int main(int argc, char *argv[])
{
    // Before anything formats a number or a date: the program writes them its
    // own way (decimal comma, Russian dates) on every machine.
    kulvera::pinProgramLocale();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kulvera"));
    QApplication::setOrganizationName(QStringLiteral("Kulvera"));

    // Standard buttons and dialogs speak Russian, like the rest of the program.
    QTranslator qtTexts;
    if (qtTexts.load(kulvera::programLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    auto settings = kulvera::SettingsStore::openDefault();
    kulvera::WidgetPrompter prompter;
    prompter.setSettings(settings.get());
    kulvera::SystemClock clock;

    const QString temp = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    QLockFile instanceLock(QDir(temp).filePath(QStringLiteral("kulvera.lock")));
    instanceLock.setStaleLockTime(0);

    kulvera::StartupEnvironment environment;
    environment.programFolder = QCoreApplication::applicationDirPath();
    environment.tempFolder = temp;
    environment.userDataFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    environment.documentsFolder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    environment.locale = QLocale();
    environment.otherInstanceRunning = [&instanceLock] { return !instanceLock.tryLock(0); };
    environment.freeBytes = [](const QString &folder) { return QStorageInfo(folder).bytesAvailable(); };

    kulvera::StartupHooks hooks;
    SplashObserver splash;
    kulvera::StartupSequence startup(prompter, *settings, clock, environment, hooks, &splash);
    // Maintenance runs the switches ask for show a progress dialog that can be cancelled.
    kulvera::installStartupHooks(hooks, startup, *settings, prompter, clock,
        [&prompter](const QString &title) { return kulvera::makeProgressDialog(title, prompter); });
    // A ".sql_menu" named on the command line opens in the rations analysis
    // once the main window is there.
    QString menuFile;
    hooks.set(QStringLiteral("openMenuFile"), [&] { menuFile = startup.commandLine().menuFile; });
    // The console keeps its modes for the whole session, from the start on.
    kulvera::ConsoleModes consoleModes;
    hooks.set(QStringLiteral("console"),
        [&] { kulvera::runStartupConsole(startup, consoleModes, *settings, prompter, clock); });
    if (startup.run(QCoreApplication::arguments().mid(1)) == kulvera::StartupSequence::Outcome::Exit)
        return 0;

    kulvera::AppContext context {
        prompter, *settings, startup.shared(), clock, startup.connections(), startup.errorLog()};
    kulvera::CommandRegistry registry;
    kulvera::registerForms(registry);
    kulvera::registerConsole(registry, startup, consoleModes);
    kulvera::MainWindow window(context, registry);
    prompter.setMainWindow(&window);
    kulvera::preloadForms(window, context);
    window.show();
    splash.splash().finish(&window);
    prompter.status(QStringLiteral("Программа загружена и готова к работе"));
    if (!menuFile.isEmpty())
        kulvera::openMenuFileInAnalysis(window, menuFile);
    const int code = QApplication::exec();
    settings->sync();
    return code;
}
