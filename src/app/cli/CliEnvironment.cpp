#include "CliEnvironment.h"

#include "shell/Databases.h"
#include "shell/SettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace kulvera {

CliEnvironment::CliEnvironment(CliRun &run)
    : shared_(SharedSettings::load(run.settings,
        {QCoreApplication::applicationDirPath(), QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
            QString(), QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)}))
    , errorLog_(QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
                    .filePath(QStringLiteral("errors.log")))
    , workingFolder_(QStandardPaths::writableLocation(QStandardPaths::TempLocation))
    , connections_(run.prompter, run.settings, errorLog_)
{
    connections_.setDefaultFolder(shared_.databasesFolder());
}

void CliEnvironment::connectAll()
{
    connectStartupBases(connections_, shared_);
    attachExternalTables(connections_);
}

} // namespace kulvera
