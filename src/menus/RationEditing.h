#pragma once

#include "common/Result.h"
#include "menus/DayLocks.h"
#include "menus/Ration.h"

#include <QString>

namespace kulvera {

class DishBase;
class MenuBase;

// The edits of an open ration. Each first tests the day lock of the ration
// and, when it is locked, shows the notice and changes nothing.
class RationEditing
{
public:
    explicit RationEditing(const MenuBase &base);

    // The lock test every edit makes (with its notice).
    bool editable(const Ration &ration) const;

    // Copies a recipe of the dish base (all its positions) into the meal at
    // the output asked for (empty: the stored output); the meal is added to
    // the ration when missing. Returns the new dish number.
    Result<int> addDish(Ration &ration, const QString &meal, DishBase &dishes, const QString &table,
        const QString &recipe, const QString &output) const;
    Status removeDish(Ration &ration, int meal, int entry) const;
    Status moveDish(Ration &ration, int meal, int entry, bool up) const;
    // The dish recalculated to another output (a copy replaces it).
    Status changeOutput(Ration &ration, int dishNumber, const QString &output) const;
    // The ration saved as it stands (refused on a locked day too).
    Status save(const Ration &ration) const;
    // The ration's rows deleted (refused on a locked day).
    Status remove(const RationKey &key) const;

private:
    const MenuBase &base_;
    DayLocks locks_;
};

} // namespace kulvera
