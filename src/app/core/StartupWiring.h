#pragma once

#include "MaintenanceStartup.h"

namespace kulvera {

class Clock;
class Prompter;
class SettingsAccess;
class StartupHooks;
class StartupSequence;

// Fills the start sequence's hooks with the subsystems that are built; the
// desktop program and `kulvera-cli startup-check` start the same way.
// `progress` makes the progress display of the maintenance runs the switches ask for.
void installStartupHooks(StartupHooks &hooks, StartupSequence &startup, SettingsAccess &settings, Prompter &prompter,
    const Clock &clock, RunProgressFactory progress = {});

} // namespace kulvera
