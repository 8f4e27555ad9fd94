#include "CliRecipeTable.h"

#include "shell/DishCollections.h"
#include "shell/SettingsStore.h"

namespace kulvera {

std::optional<CliRecipeTable> openRecipeTable(CliEnvironment &env, CliRun &run, const QString &wanted)
{
    if (env.connections().connectBase(BaseId::Dishes, env.shared(), true) == Connections::kFailed) {
        run.err << "Cannot open the dish base " << basePath(BaseId::Dishes, run.settings, env.shared()) << '\n';
        return std::nullopt;
    }
    const std::optional<QString> table = findRecipeTable(env.connections(), run.settings, wanted);
    if (!table) {
        run.err << (wanted.isEmpty() ? QStringLiteral("The dish base holds no recipe table")
                                     : QStringLiteral("No such recipe table: ") + wanted)
                << '\n';
        return std::nullopt;
    }
    const int dishes = static_cast<int>(BaseId::Dishes);
    const Result<StoredTextCodec> codec = installationCodec(env.connections(), dishes, run.settings, &run.prompter);
    if (!codec) {
        run.err << codec.error() << '\n';
        return std::nullopt;
    }
    return CliRecipeTable {
        *table, std::make_unique<DishBase>(env.connections(), dishes, run.settings, run.prompter, codec.value())};
}

} // namespace kulvera
