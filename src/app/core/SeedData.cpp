#include "SeedData.h"

#include "costing/NormBase.h"
#include "costing/NormSeed.h"
#include "products/ProductSeed.h"
#include "recipes/DemoRecipes.h"
#include "recipes/HeatTreatment.h"
#include "recipes/Microbiology.h"
#include "shell/Connections.h"
#include "shell/DataFiles.h"

namespace kulvera {

Status seedDefaultBases(Connections &connections, SettingsAccess &settings, const SharedSettings &shared)
{
    if (connections.connectBase(BaseId::Products, shared, true) == Connections::kFailed)
        return Status::failure(QStringLiteral("Не удалось подключиться к базе продуктов"));
    connections.connectBase(BaseId::Warehouse, shared, true); // groups and units live there
    if (const Status s = seedProductBase(connections, settings, dataFile(QStringLiteral("products.csv"))); !s)
        return s;
    // Losses and indicators go where their bases exist; a base that is
    // missing is not an error of the seed.
    connections.connectBase(BaseId::Losses, shared, true);
    connections.connectBase(BaseId::LossesOutput, shared, true);
    if (const Status s = seedLossBases(connections, settings, dataFile(QStringLiteral("heat_treatment_defaults.csv")),
            dataFile(QStringLiteral("heat_treatment_types.csv")));
        !s)
        return s;
    if (connections.connectBase(BaseId::Microbiology, shared, true) != Connections::kFailed) {
        if (const Status s = seedMicrobiology(connections, settings, dataFile(QStringLiteral("microbiology.csv"))); !s)
            return s;
    }
    // Published norm sets for the analysis of rations.
    if (const int menu = connections.connectBase(BaseId::Menu, shared, true); menu != Connections::kFailed) {
        if (const Status s
            = seedNorms(NormBase(connections, menu, connections.prompter()), dataFile(QStringLiteral("norms.csv")));
            !s)
            return s;
    }
    if (connections.connectBase(BaseId::Dishes, shared, true) == Connections::kFailed)
        return {};
    return seedDemoRecipes(connections, settings, dataFile(QStringLiteral("demo_recipes.csv")));
}

} // namespace kulvera
