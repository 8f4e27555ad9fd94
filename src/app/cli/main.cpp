#include "CliCommand.h"

#include "common/ProgramLocale.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    kulvera::pinProgramLocale(); // numbers and dates look the same on every machine
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Kulvera"));
    QCoreApplication::setOrganizationName(QStringLiteral("Kulvera"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    return kulvera::runCli(app.arguments().mid(1), out, err);
}
