#pragma once

#include "common/Result.h"

namespace kulvera {

struct DemoKitchen;

// The kitchen's staff with their positions and its refrigeration equipment
// with its premises, and the thirty days up to the day the kitchen is made
// in the health journal (a mark every day: weekends off, a leave, a sick
// leave) and in the temperature journal (a reading every day).
Status addDemoJournals(DemoKitchen &kitchen);

} // namespace kulvera
