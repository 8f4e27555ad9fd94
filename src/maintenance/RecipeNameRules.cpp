#include "maintenance/RecipeNameRules.h"

namespace kulvera {

bool recipeNameNeedsRepair(const QString &stored, const QString &decoded)
{
    return stored.size() % 4 != 0 || decoded.contains(QChar::ReplacementCharacter)
        || tidyRecipeName(decoded) != decoded;
}

QString tidyRecipeName(const QString &name)
{
    QString out;
    out.reserve(name.size());
    bool blank = false;
    for (const QChar ch : name) {
        const bool space = ch.isSpace() || ch.category() == QChar::Other_Control || ch == QChar::ReplacementCharacter
            || ch == QChar::Nbsp;
        if (space) {
            blank = !out.isEmpty();
            continue;
        }
        if (blank)
            out += u' ';
        blank = false;
        out += ch;
    }
    return out.isEmpty() ? QStringLiteral("Рецептура без названия") : out;
}

QString uniqueRecipeName(const QString &name, const QSet<QString> &taken)
{
    if (!taken.contains(name))
        return name;
    for (int n = 2;; ++n) {
        const QString candidate = name + QStringLiteral(" (") + QString::number(n) + u')';
        if (!taken.contains(candidate))
            return candidate;
    }
}

} // namespace kulvera
