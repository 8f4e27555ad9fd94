#include "recipes/RecipeOutputs.h"

#include "common/NameCollator.h"
#include "recipes/DishBase.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

#include <algorithm>

namespace kulvera {

Result<std::vector<RecipeOutput>> recipeOutputs(const DishBase &base, const QString &table)
{
    using R = Result<std::vector<RecipeOutput>>;
    const QString t = SqlDialect::of(base.database()).quote(table);
    const QString name = QStringLiteral("\"l%1\"").arg(base.nameColumn());
    // The first row of a recipe carries its output.
    SqlStatement q(base.database(),
        QStringLiteral("SELECT ") + name + QStringLiteral(", \"l2\" FROM ") + t
            + QStringLiteral(" WHERE \"ID\" IN (SELECT MIN(\"ID\") FROM ") + t
            + QStringLiteral(" WHERE \"l26\" = '' OR \"l26\" IS NULL GROUP BY ") + name + u')');
    if (const Status s = q.exec(); !s)
        return R::failure(s.error());
    std::vector<RecipeOutput> recipes;
    while (q.next())
        recipes.push_back({base.codec().decode(q.value(0).toString()), base.codec().decode(q.value(1).toString())});
    const QCollator collator = nameCollator();
    std::sort(recipes.begin(), recipes.end(),
        [&collator](const RecipeOutput &a, const RecipeOutput &b) { return collator.compare(a.name, b.name) < 0; });
    return recipes;
}

} // namespace kulvera
