#pragma once

#include "common/Result.h"

#include <QtGlobal>

namespace kulvera {

class ErrorLog;
class ProductBase;
class UnitBase;

// Gives every product of the base the same unit of measure (`ЕдИ_Ц`), in one
// transaction: either every product changes or none does. A code that names
// no unit of the unit table changes nothing.
struct UnitForAllOutcome {
    enum class Kind { Done, UnknownUnit, Failed };
    Kind kind = Kind::Done;
    int products = 0; // how many products now have the unit
    QString error; // Failed: what the base said
};

UnitForAllOutcome setUnitOfAllProducts(
    ProductBase &products, const UnitBase &units, qint64 unit, ErrorLog *log = nullptr);

} // namespace kulvera
