#pragma once

#include "common/Clock.h"
#include "common/Prompter.h"
#include "common/SettingsAccess.h"
#include "shell/Connections.h"
#include "shell/ErrorLog.h"
#include "shell/SharedSettings.h"

namespace kulvera {

// What every piece of domain code is handed instead of reaching for globals:
// who answers questions, where settings live, the start-up snapshot, the
// clock, the open bases and the error log. The context does not own these;
// the program or the test that builds it does.
struct AppContext {
    Prompter &prompter;
    SettingsAccess &settings;
    SharedSettings &shared;
    const Clock &clock;
    Connections &connections;
    ErrorLog &errorLog;
};

} // namespace kulvera
