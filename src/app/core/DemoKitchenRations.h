#pragma once

#include "common/Result.h"

namespace kulvera {

struct DemoKitchen;

// The demo kitchen's rations (data/demo_menu.csv): its meals become the meal
// list, its groups the menu variants, and every planned day and group a
// ration of copies of the kitchen's recipes, saved through the menu base like
// the editor saves them. All in one transaction.
Status addDemoRations(DemoKitchen &kitchen);

} // namespace kulvera
