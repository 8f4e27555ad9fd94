#include "SeedData.h"

#include "products/ProductSeed.h"
#include "shell/Connections.h"
#include "shell/DataFiles.h"

namespace kulvera {

Status seedDefaultBases(Connections &connections, const SettingsAccess &settings, const SharedSettings &shared)
{
    if (connections.connectBase(BaseId::Products, shared, true) == Connections::kFailed)
        return Status::failure(QStringLiteral("Не удалось подключиться к базе продуктов"));
    connections.connectBase(BaseId::Warehouse, shared, true); // groups and units live there
    return seedProductBase(connections, settings, dataFile(QStringLiteral("products.csv")));
}

} // namespace kulvera
