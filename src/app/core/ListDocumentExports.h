#pragma once

#include "common/Result.h"
#include "documents/ListDocuments.h"

#include <QString>

namespace kulvera {

struct AppContext;

// The register of recipes of one dish table ("Реестр блюд") written to OUTPUT through its
// template, as the main window's command does: missing default templates are made first, recipes
// that cannot be read are named, and the end message is shown.
Result<ListOutcome> exportRecipeRegister(AppContext &context, const QString &table, const QString &outputPath);

// The product statement (groups, their products, units and prices) written to OUTPUT through its
// template, as the product groups window does; the end message is shown.
Result<ListOutcome> exportProductStatement(AppContext &context, const QString &outputPath);

} // namespace kulvera
