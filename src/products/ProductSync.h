#pragma once

#include "common/Result.h"

#include <QString>

namespace kulvera {

class Connections;
class Prompter;
class SettingsAccess;
class SharedSettings;

// Replaces the product base by the newer copy delivered by the update service
// (the file named by `dbProdSync` in the databases folder), carrying the
// user's own values of every matched product into it first: `Цена`, `ЕдИ_Ц`,
// `Out`, the seasonal flag `l72` and the variants `Потери` n / `Список` n.
// The old base is kept beside it as "<file>_backup". Until the files are
// swapped the current base is never written, so any earlier failure leaves
// it as it was. While another running copy of the program has either file
// open the swap is refused, since that copy would go on writing into the
// replaced file. The product base is connected again at the end.
Status synchronizeProductBase(
    Connections &connections, const SettingsAccess &settings, const SharedSettings &shared, Prompter &prompter);

} // namespace kulvera
