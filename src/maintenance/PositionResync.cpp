#include "maintenance/PositionResync.h"

#include "common/NumberText.h"
#include "products/ProductFields.h"
#include "products/colProds.h"
#include "recipes/CompositionString.h"
#include "recipes/HeatTreatment.h"
#include "recipes/PositionKey.h"
#include "recipes/RecipeEditing.h"
#include "recipes/RecipeExpansion.h"

#include <QRegularExpression>

#include <cmath>

namespace kulvera {
namespace {

// A position as the base keeps it: what a run compares.
struct StoredForm {
    QString shortName;
    QString fullName;
    bool full = false;
    QString composition;
    bool operator==(const StoredForm &) const = default;
};

StoredForm storedForm(const clsProds &p)
{
    const bool full = p.HS_Full != 0;
    return {p.ShortName, p.FullName, full, compositionString(p, full)};
}

// The composition values as the base will hold them: the short string leaves
// out what it has no place for.
clsProds storedValues(const clsProds &p)
{
    clsProds values;
    readCompositionString(storedForm(p).composition, values);
    return values;
}

QString positionName(const clsProds &p)
{
    return p.FullName.isEmpty() ? p.ShortName : p.FullName;
}

void takeProduct(clsProds &position, const clsProds &product, bool full)
{
    const clsProds placed = productPosition(product, position.Brutto, position.Netto);
    for (const CompositionField &f : compositionFields())
        position.*f.member = placed.*f.member;
    position.sv = placed.sv;
    position.ShortName = placed.ShortName;
    position.FullName = placed.FullName;
    position.HS_Full = full ? 1 : 0;
}

// The change of one value, relative to the larger of the two, so grams,
// milligrams and micrograms compare.
double relativeChange(double before, double after)
{
    const double scale = std::max(std::fabs(before), std::fabs(after));
    return scale < 1e-9 ? 0.0 : std::fabs(after - before) / scale;
}

} // namespace

RecipeResync resyncRecipe(colBludo &recipe, const QString &name, const ResyncRules &rules, Prompter &quiet)
{
    RecipeResync result;
    const int n = recipe.Count();
    std::vector<clsProds> before;
    before.reserve(static_cast<std::size_t>(n));
    for (const clsBludo &b : recipe)
        before.push_back(b.clsProds());

    bool productsChanged = false;
    if (rules.products) {
        for (clsBludo &b : recipe) {
            clsProds &p = b.clsProds();
            if (!isProductKey(p.Kod.toString()) || p.ID_Prod.trimmed().isEmpty())
                continue;
            const QString key = p.ID_Prod.trimmed();
            if (rules.only && !rules.only->contains(key))
                continue;
            const clsProds *product = rules.products->Item(key);
            if (!product) {
                result.missingProducts.insert(key);
                continue;
            }
            const StoredForm was = storedForm(p);
            takeProduct(p, *product, rules.fullComposition);
            if (!(storedForm(p) == was))
                productsChanged = true;
        }
    }
    if ((!rules.products || productsChanged) && rules.losses) {
        computeRecipeComposition(recipe, name, *rules.losses, quiet);
        if (rules.products) {
            for (clsBludo &b : recipe) {
                if (isSemiFinishedKey(b.clsProds().Kod.toString()))
                    b.clsProds().HS_Full = rules.fullComposition ? 1 : 0;
            }
        }
    }

    double largest = 0;
    for (int i = 1; i <= n; ++i) {
        const clsProds &was = before[static_cast<std::size_t>(i - 1)];
        const clsProds &now = recipe.item(i)->clsProds();
        if (storedForm(was) == storedForm(now))
            continue;
        result.changed.push_back(i);
        if (result.largest.isEmpty() && positionName(was) != positionName(now))
            result.largest = QStringLiteral("наименование '") + positionName(was) + QStringLiteral("' → '")
                + positionName(now) + u'\'';
        const clsProds oldValues = storedValues(was);
        const clsProds newValues = storedValues(now);
        for (const CompositionField &f : compositionFields()) {
            const double change = relativeChange(oldValues.*f.member, newValues.*f.member);
            if (change > largest + 1e-12) {
                largest = change;
                result.largest = fieldCaption(f) + QStringLiteral(": ") + formatFixed(oldValues.*f.member, 2)
                    + QStringLiteral(" → ") + formatFixed(newValues.*f.member, 2) + QStringLiteral(" (")
                    + positionName(now) + u')';
            }
        }
    }
    return result;
}

std::optional<QSet<QString>> productKeyList(const QString &text, QStringList *bad)
{
    static const QRegularExpression separators(QStringLiteral("[,;\\s]+"));
    QSet<QString> keys;
    for (const QString &word : text.split(separators, Qt::SkipEmptyParts)) {
        bool number = false;
        const qint64 key = word.toLongLong(&number);
        if (number && key > 0)
            keys.insert(QString::number(key));
        else if (bad)
            *bad << word;
    }
    if (keys.isEmpty())
        return std::nullopt;
    return keys;
}

} // namespace kulvera
