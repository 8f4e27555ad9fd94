#pragma once

#include "CliCommand.h"

namespace kulvera {

// "recipes export-nd2 | import-nd2 | export-all": recipe exchange files.
// `run.args` starts with the subcommand word.
bool isRecipeFileCommand(const QString &word);
int recipeFileCommand(CliRun &run);
QString recipeFileUsage();

} // namespace kulvera
