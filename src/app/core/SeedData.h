#pragma once

#include "common/Result.h"

namespace kulvera {

class Connections;
class SettingsAccess;
class SharedSettings;

// Fills the bases of a fresh installation from the seed data of every
// subsystem that has some: products, groups and units, heat-treatment
// losses, microbiological indicators, norm sets, demo recipes. Connects the
// bases it needs under their catalogue numbers and leaves them connected.
// Tables that already hold rows are left alone.
Status seedDefaultBases(Connections &connections, SettingsAccess &settings, const SharedSettings &shared);

} // namespace kulvera
