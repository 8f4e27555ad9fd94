#pragma once

#include "common/Result.h"

namespace kulvera {

struct DemoKitchen;

// Portions the demo canteen cooks of every dish, for each group.
inline constexpr double kDemoKitchenPortions = 20;

// The rations of the kitchen's first week up to today (the first day when
// none is past yet), every group, written off by dishes from the main store
// room and posted, so its stock moves as a kitchen's does.
Status writeOffDemoRations(DemoKitchen &kitchen);

} // namespace kulvera
