#pragma once

#include "common/Result.h"

namespace kulvera {

struct DemoKitchen;

// The rejection journal of every ration served so far (the days up to today,
// day 1 when none is past yet): one row per dish and group, with the defaults
// a checked dish gets.
Status addDemoRejectionJournal(DemoKitchen &kitchen);

} // namespace kulvera
