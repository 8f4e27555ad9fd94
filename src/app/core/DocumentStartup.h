#pragma once

#include "common/Result.h"

#include <QStringList>

namespace kulvera {

class SettingsAccess;
class SharedSettings;
class StartupHooks;
class StartupSequence;

// Writes the default templates the templates folder lacks; returns the files written.
Result<QStringList> seedDefaultTemplates(const SharedSettings &shared, const SettingsAccess &settings);

// At every start ("loadOrganoleptic", the card step of the start): the
// recalculation columns 2 and 3 are stored as 7 and 8, and missing default
// templates are written.
void installDocumentHooks(StartupHooks &hooks, StartupSequence &startup, SettingsAccess &settings);

} // namespace kulvera
