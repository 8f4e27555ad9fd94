#pragma once

#include "common/Result.h"

#include <QString>

namespace kulvera {

class Connections;
class Prompter;
class SettingsAccess;
class SharedSettings;

// The product base as "prods.dbf" (one row per product, cp866), for other programs.
Result<int> exportProductsToDbf(Connections &connections, const SettingsAccess &settings, const SharedSettings &shared,
    Prompter &prompter, const QString &path);
// The recipes of one dish table as "dishes.dbf" (one row per position, technology in the memo).
Result<int> exportRecipesToDbf(Connections &connections, SettingsAccess &settings, const SharedSettings &shared,
    Prompter &prompter, const QString &table, const QString &path);

} // namespace kulvera
