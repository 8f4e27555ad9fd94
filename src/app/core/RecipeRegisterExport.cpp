#include "RecipeRegisterExport.h"

#include "documents/DefaultTemplates.h"
#include "recipes/DishBase.h"
#include "recipes/StoredText.h"
#include "shell/AppContext.h"

namespace kulvera {

Result<ListOutcome> exportRecipeRegister(AppContext &context, const QString &table, const QString &outputPath)
{
    const int dishes = static_cast<int>(BaseId::Dishes);
    if (!context.connections.isConnected(dishes))
        return Result<ListOutcome>::failure(QStringLiteral("База блюд не подключена."));
    const Result<StoredTextCodec> codec
        = installationCodec(context.connections, dishes, context.settings, &context.prompter);
    if (!codec)
        return Result<ListOutcome>::failure(codec.error());
    DishBase base(context.connections, dishes, context.settings, context.prompter, codec.value());
    QStringList skipped;
    const std::vector<RegisterLine> lines = recipeRegisterLines(base, table, &skipped);
    if (!skipped.isEmpty())
        context.prompter.warning(QStringLiteral("Не загружены рецептуры:\n") + skipped.join(u'\n'));
    const QString folder = context.shared.templatesFolder();
    if (const Result<QStringList> made = createMissingTemplates(folder, context.settings); !made)
        context.prompter.warning(made.error());
    Result<ListOutcome> outcome = produceRecipeRegister(lines, folder, context.settings, outputPath, context.prompter);
    if (outcome)
        context.prompter.message(registerExportedText(outcome->errors));
    return outcome;
}

} // namespace kulvera
