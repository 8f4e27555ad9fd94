#pragma once

#include "common/Result.h"

#include <QDate>
#include <QString>

#include <vector>

namespace kulvera {

class MenuBase;
class NutrientFact;
class Prompter;
class ProductSetFact;

// The rations of one menu variant on the given days, read for the analysis:
// only the columns the statements use (position key, product code, masses,
// composition) are read and decoded, and no ration is built, so a year of
// rations is read several times faster than by loading each day. The rows,
// their encoding and the rule of the group are the menu base's. Each day that
// holds rows counts as one day of both facts; returns how many there were.
Result<int> scanRations(const MenuBase &menu, const std::vector<QDate> &days, const QString &group,
    NutrientFact &nutrients, ProductSetFact &products, Prompter *progress = nullptr);

} // namespace kulvera
