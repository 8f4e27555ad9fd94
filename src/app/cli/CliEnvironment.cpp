#include "CliEnvironment.h"

#include "recipes/HeatTreatment.h"
#include "recipes/Microbiology.h"
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

void CliEnvironment::loadLossTables(HeatTreatmentTables &losses, CliRun &run)
{
    connections_.connectBase(BaseId::Losses, shared_, true);
    connections_.connectBase(BaseId::LossesOutput, shared_, true);
    if (const Status s = losses.load(connections_, run.settings); !s)
        run.err << s.error() << '\n';
}

bool CliEnvironment::loadMicrobiology(MicrobiologyBase &microbiology, CliRun &run)
{
    return connections_.connectBase(BaseId::Microbiology, shared_, true) != Connections::kFailed
        && microbiology.load(connections_, run.settings, run.prompter).ok();
}

} // namespace kulvera
