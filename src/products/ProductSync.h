#pragma once

#include "common/Result.h"

#include <QString>

#include <functional>

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
// it as it was. The product base is connected again at the end.
struct ProductSyncOptions {
    // Whether a file is held by another program; the default tries to open it for writing.
    std::function<bool(const QString &path)> isLocked;
};

Status synchronizeProductBase(Connections &connections, const SettingsAccess &settings, const SharedSettings &shared,
    Prompter &prompter, const ProductSyncOptions &options = {});

} // namespace kulvera
