#include "CliCommand.h"

#include "common/ProgramLocale.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// A picture is drawn only with fonts, and fonts need a QGuiApplication; the
// offscreen platform gives one without a display. Other commands stay
// without a GUI at all.
bool drawsPicture(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--png") == 0)
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    kulvera::pinProgramLocale(); // numbers and dates look the same on every machine
    std::unique_ptr<QCoreApplication> application;
    if (drawsPicture(argc, argv)) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        application = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication &app = *application;
    QCoreApplication::setApplicationName(QStringLiteral("Kulvera"));
    QCoreApplication::setOrganizationName(QStringLiteral("Kulvera"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    return kulvera::runCli(app.arguments().mid(1), out, err);
}
