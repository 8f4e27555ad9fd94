#include "research/DishReference.h"

#include "products/ProductFields.h"
#include "recipes/DishBase.h"
#include "recipes/Masses.h"
#include "research/Protocol.h"

namespace kulvera {
namespace {

bool same(QStringView a, const char16_t *b)
{
    return b && a.compare(QStringView(b), Qt::CaseInsensitive) == 0;
}

} // namespace

std::optional<double> dishComponent(const DishValues &dish, QStringView compare)
{
    if (!dish.hasPer100)
        return std::nullopt;
    QStringView name = compare.trimmed();
    const QStringView prefix = u"Массовая доля";
    if (name.startsWith(prefix, Qt::CaseInsensitive))
        name = name.mid(prefix.size()).trimmed();
    if (name.isEmpty())
        return std::nullopt;
    if (same(name, u"Сухие вещества") || same(name, u"SV"))
        return dish.dryMatter;
    if (same(name, u"Энергетическая ценность") || same(name, u"ккал"))
        return dish.kcalPer100;
    if (same(name, u"кДж"))
        return dish.kjPer100;
    if (same(name, u"Углеводы"))
        return carbohydrates(dish.per100);
    // The words laboratories use for a few fields the composition table names otherwise.
    static const std::pair<const char16_t *, const char16_t *> aliases[]
        = {{u"Жиры", u"Жир"}, {u"Белок", u"Белки"}, {u"Влага", u"Вода"}};
    for (const auto &[alias, caption] : aliases) {
        if (same(name, alias))
            name = QStringView(caption);
    }
    for (const CompositionField &f : compositionFields()) {
        if (same(name, f.caption) || same(name, f.column) || same(name, f.lossColumn))
            return dish.per100.*f.member;
    }
    return std::nullopt;
}

Result<DishValues> computeStoredDish(DishBase &base, const QString &table, const QString &name, const QString &output,
    const HeatTreatmentTables &losses, Prompter &prompter)
{
    RecipeSlots memory;
    const Result<LoadedRecipe> loaded = base.load(memory, 1, table, name, output);
    if (!loaded)
        return Result<DishValues>::failure(loaded.error());
    return computeDish(*memory.slot(1), name, outputValue(loaded->output), losses, prompter);
}

void takeDishValues(Protocol &protocol, const DishValues &dish)
{
    for (const Method &m : protocol.methods.methods) {
        const QString compare = m.compare.trimmed();
        if (compare.isEmpty() || protocol.references.contains(compare))
            continue;
        if (const std::optional<double> value = dishComponent(dish, compare))
            protocol.references.insert(compare, *value);
    }
}

} // namespace kulvera
