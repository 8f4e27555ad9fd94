#pragma once

#include <QString>

#include <functional>
#include <memory>

namespace kulvera {

class Clock;
class Prompter;
class RunProgress;
class SettingsAccess;
class StartupHooks;
class StartupSequence;
struct MaintenanceReport;

// Makes the progress display of one run (its title given); the desktop
// program shows a dialog that can be cancelled. Empty: the prompter's status
// line and progress.
using RunProgressFactory = std::function<std::unique_ptr<RunProgress>(const QString &title)>;

// The maintenance switches of the command line: /UPDATESTEPLOV, /SYNCGLOB
// and /SYNCGLOBCOMP, /SYNCGLOBMENU and /SYNCGLOBMENUCOMP (the product list of
// IncPrInSync), /UpdNumInMenu. Each run's report is shown and written to the
// session log; a run that fails says so, and the start goes on.
void installMaintenanceHooks(StartupHooks &hooks, StartupSequence &startup, SettingsAccess &settings,
    Prompter &prompter, const Clock &clock, RunProgressFactory progress = {});

// The report as the start shows it: the switch, then the report's text.
QString switchReportText(const QString &switchName, const MaintenanceReport &report);

} // namespace kulvera
