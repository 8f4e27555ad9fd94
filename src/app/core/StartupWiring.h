#pragma once

namespace kulvera {

class Clock;
class Prompter;
class SettingsAccess;
class StartupHooks;
class StartupSequence;

// Fills the start sequence's hooks with the subsystems that are built; the
// desktop program and `kulvera-cli startup-check` start the same way.
void installStartupHooks(
    StartupHooks &hooks, StartupSequence &startup, SettingsAccess &settings, Prompter &prompter, const Clock &clock);

} // namespace kulvera
