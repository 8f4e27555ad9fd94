#pragma once

#include "menus/MenuBase.h"
#include "shell/AppContext.h"

#include <memory>

namespace kulvera {

// The program's menu base (connection 8), its rows read with the dish base's
// codec; nothing (after a warning) when the menu or dish base is not connected.
std::unique_ptr<MenuBase> openMenuBase(AppContext &context);

} // namespace kulvera
