#pragma once

#include "CliCommand.h"

#include "shell/Connections.h"
#include "shell/ErrorLog.h"
#include "shell/SharedSettings.h"
#include "shell/WorkingFolder.h"

namespace kulvera {

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
    // The folder of this call's working files, removed when the command ends.
    QString tempFolder() const { return workingFolder_.path(); }

private:
    SharedSettings shared_;
    ErrorLog errorLog_;
    WorkingFolder workingFolder_;
    Connections connections_;
};

} // namespace kulvera
