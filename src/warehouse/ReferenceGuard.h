#pragma once

namespace kulvera {

class WarehouseBase;

// The lists document forms pick from. Other users may change them while a
// form is open, so a form compares the length of its list with the table.
enum class ReferenceList { Warehouses, Suppliers, Units };

// True when the table holds a different number of rows than the form's list
// (`shown`): the user is told ("Изменили список складов!" and the like) and the
// caller reloads the list.
bool referenceListChanged(WarehouseBase &base, ReferenceList list, int shown);

} // namespace kulvera
