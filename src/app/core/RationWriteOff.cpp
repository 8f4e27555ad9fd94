#include "RationWriteOff.h"

#include "menus/Ration.h"
#include "warehouse/DishWriteOff.h"

namespace kulvera {

Result<qint64> writeOffRation(
    WarehouseBase &base, DishBase &dishes, const Ration &ration, double portions, qint64 warehouse, const QString &note)
{
    std::vector<PreparedDish> prepared;
    // Every dish of the ration belongs to one of its meals.
    for (int number = 1; number <= ration.dishCount(); ++number)
        prepared.push_back({ration.dishName(number), ration.dishOutput(number), portions, ration.dish(number)});
    return DishWriteOff(base, dishes).create({ration.date(), warehouse, note}, prepared);
}

} // namespace kulvera
