#pragma once

#include <QSet>
#include <QString>

namespace kulvera {

// What the repair of recipe names counts as damage and how it tidies.

// A stored name is damaged when its stored text does not split into whole
// four-digit groups, when a group names no character, or when the name
// differs from its tidied form.
bool recipeNameNeedsRepair(const QString &stored, const QString &decoded);
// Control characters, unreadable characters and no-break spaces become
// blanks, runs of blanks one, blanks at the ends go; an empty result is
// "Рецептура без названия".
QString tidyRecipeName(const QString &name);
// The name, or the name with " (2)", " (3)" ... when it is taken.
QString uniqueRecipeName(const QString &name, const QSet<QString> &taken);

} // namespace kulvera
