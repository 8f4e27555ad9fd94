#pragma once

#include "CrashHarness.h"

#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace kulvera::test {

// One multi-row change as the crash and disk-full tests run it: the parent
// prepares an installation once (the old state), a child opens the bases and
// runs the change, and the parent compares what the bases hold afterwards
// with the old state and the new one.
struct CrashChange {
    std::string name;
    std::vector<BaseId> bases; // opened for the change, dumped and checked after it
    std::function<void(const CrashInstallation &)> prepare;
    // The change itself; true when it reports success.
    std::function<bool(CrashSession &)> run;
    // A rule the bases keep in any state (the stock adds up); the fault or
    // nothing.
    std::function<std::optional<std::string>(CrashSession &)> invariant = {};
    // A compaction rewrites the file, not the rows: old and new dump alike.
    bool rowsChange = true;
};

// Test names print the change's name.
inline void PrintTo(const CrashChange &change, std::ostream *out)
{
    *out << change.name;
}

CrashChange recipeSave();
CrashChange rationSave();
CrashChange warehouseMovement();
CrashChange reconciliation();
CrashChange dishWriteOff();
CrashChange sqlMenuImport();
CrashChange compaction();
CrashChange productSynchronisation();

// The rows of every base of the change (baseDump), each base checked sound
// and the change's invariant kept; failures are test failures naming `when`.
using Dumps = std::map<BaseId, QByteArray>;
Dumps soundDumps(const CrashInstallation &installation, const CrashChange &change, const std::string &when);

// Every change above, in that order.
std::vector<CrashChange> crashChanges();

} // namespace kulvera::test
