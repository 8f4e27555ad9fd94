#include "ListDocumentExports.h"

#include "documents/DefaultTemplates.h"
#include "products/ProductBase.h"
#include "products/UnitBase.h"
#include "recipes/DishBase.h"
#include "recipes/StoredText.h"
#include "shell/AppContext.h"

namespace kulvera {

namespace {

// As at start: a templates folder without our templates gets them.
QString templatesWithDefaults(AppContext &context)
{
    const QString folder = context.shared.templatesFolder();
    if (const Result<QStringList> made = createMissingTemplates(folder, context.settings); !made)
        context.prompter.warning(made.error());
    return folder;
}

} // namespace

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
    Result<ListOutcome> outcome
        = produceRecipeRegister(lines, templatesWithDefaults(context), context.settings, outputPath, context.prompter);
    if (outcome)
        context.prompter.message(registerExportedText(outcome->errors));
    return outcome;
}

Result<ListOutcome> exportProductStatement(AppContext &context, const QString &outputPath)
{
    // Groups and units live in the warehouse base.
    UnitBase units(context.connections, context.settings, context.prompter, static_cast<int>(BaseId::Warehouse));
    if (!units.available())
        return Result<ListOutcome>::failure(QStringLiteral("База склада не подключена."));
    const ProductBase products(context);
    const auto rows = products.list();
    if (!rows)
        return Result<ListOutcome>::failure(rows.error());
    const std::vector<StatementLine> lines = productStatementLines(units.groups(), units.units(), *rows);
    Result<ListOutcome> outcome = produceProductStatement(
        lines, templatesWithDefaults(context), context.settings, outputPath, context.prompter);
    if (outcome)
        context.prompter.message(statementExportedText(outcome->errors));
    return outcome;
}

} // namespace kulvera
