#include "menus/RationEditing.h"

#include "common/NumberText.h"
#include "common/Prompter.h"
#include "menus/MenuBase.h"
#include "products/ProductFields.h"
#include "recipes/DishBase.h"
#include "recipes/Masses.h"
#include "recipes/PositionKey.h"
#include "recipes/RecipeEditing.h"

namespace kulvera {
namespace {

Status locked()
{
    return Status::failure(DayLocks::lockedText());
}

} // namespace

RationEditing::RationEditing(const MenuBase &base)
    : base_(base)
    , locks_(base)
{
}

bool RationEditing::editable(const Ration &ration) const
{
    return locks_.allowEditing(ration.date(), ration.group());
}

Result<int> RationEditing::addDish(Ration &ration, const QString &meal, DishBase &dishes, const QString &table,
    const QString &recipe, const QString &output) const
{
    using R = Result<int>;
    if (!editable(ration))
        return R::failure(DayLocks::lockedText());
    if (meal.trimmed().isEmpty())
        return R::failure(QStringLiteral("Не выбран прием пищи"));
    // The whole recipe is copied: later changes of the dish base leave the
    // ration as it was planned.
    RecipeSlots memory;
    const Result<LoadedRecipe> loaded = dishes.load(memory, 1, table, recipe, output);
    if (!loaded)
        return R::failure(loaded.error());
    colBludo positions = copyPositions(*memory.slot(1));
    // The output the dish was placed at stands on its first position, where
    // the ration rows keep it.
    if (positions.Count() > 0)
        positions.item(1)->clsProds().Out = loaded->output;
    const int m = ration.ensureMeal(meal);
    return ration.appendDish(m, recipe, loaded->output, std::move(positions));
}

Status RationEditing::removeDish(Ration &ration, int meal, int entry) const
{
    if (!editable(ration))
        return locked();
    if (!ration.removeDish(meal, entry))
        return Status::failure(QStringLiteral("Блюдо не выбрано"));
    return {};
}

Status RationEditing::moveDish(Ration &ration, int meal, int entry, bool up) const
{
    if (!editable(ration))
        return locked();
    if (!ration.moveDish(meal, entry, up))
        return Status::failure(QString());
    return {};
}

Status RationEditing::changeOutput(Ration &ration, int dishNumber, const QString &output) const
{
    if (!editable(ration))
        return locked();
    const colBludo *dish = ration.dish(dishNumber);
    if (!dish)
        return Status::failure(QStringLiteral("Блюдо не выбрано"));
    const double oldOutput = outputValue(ration.dishOutput(dishNumber));
    const double newOutput = outputValue(output);
    colBludo copy = copyPositions(*dish);
    const Status s = recalculateToOutput(copy, oldOutput, newOutput, MassRounding::fromSettings(base_.settings()));
    if (!s)
        return s;
    // The totals add the top-level positions as they stand: a semi-finished
    // product's composition (worked out with its losses when the recipe was
    // saved) follows the new output like its products.
    for (clsBludo &b : copy) {
        if (isSemiFinishedKey(b.clsProds().Kod.toString()))
            scaleComposition(b.clsProds(), newOutput / oldOutput);
    }
    if (copy.Count() > 0)
        copy.item(1)->clsProds().Out = output;
    ration.replaceDish(dishNumber, output, std::move(copy));
    return {};
}

Status RationEditing::save(const Ration &ration) const
{
    if (!editable(ration))
        return locked();
    return base_.save(ration);
}

Status RationEditing::remove(const RationKey &key) const
{
    if (!locks_.allowEditing(key.date, key.group))
        return locked();
    return base_.remove(key);
}

} // namespace kulvera
