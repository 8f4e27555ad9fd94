#pragma once

#include "CliCommand.h"

#include "shell/Connections.h"
#include "shell/ErrorLog.h"
#include "shell/SharedSettings.h"
#include "shell/WorkingFolder.h"

namespace kulvera {

class HeatTreatmentTables;
class MicrobiologyBase;

// What a command that works on the bases needs: the start-up snapshot of the
// settings, the error log and the connection table, built the way the desktop
// program builds them.
class CliEnvironment
{
public:
    explicit CliEnvironment(CliRun &run);
    SharedSettings &shared() { return shared_; }
    Connections &connections() { return connections_; }
    ErrorLog &errorLog() { return errorLog_; }
    // Connects every start-up base that exists; prints nothing.
    void connectAll();
    // The loss tables as the program reads them at start (built-in ones when the loss bases are
    // missing); a problem is written to the error stream.
    void loadLossTables(HeatTreatmentTables &losses, CliRun &run);
    // The microbiological indicator sets; false when their base is missing or unreadable.
    bool loadMicrobiology(MicrobiologyBase &microbiology, CliRun &run);
    // The folder of this call's working files, removed when the command ends.
    QString tempFolder() const { return workingFolder_.path(); }

private:
    SharedSettings shared_;
    ErrorLog errorLog_;
    WorkingFolder workingFolder_;
    Connections connections_;
};

} // namespace kulvera
