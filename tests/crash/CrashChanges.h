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

// Opens the bases of the change and runs it, as a child does: `begin` is
// called once the bases are open, where the work to interrupt starts. The
// exit code: 0 done, 1 the change reported failure, 2 the bases did not open.
int runChangeInChild(
    const CrashInstallation &installation, const CrashChange &change, const std::function<void()> &begin);

// What a run left in the bases: their rows as before the change, as after it
// (both when the change keeps the rows, as a compaction does), or neither.
struct Found {
    bool before = false;
    bool after = false;
    // Told by the base files alone: each byte for byte as before or as after.
    bool byFiles = false;
};

// A change made ready to run again and again: the installation prepared, its
// databases folder kept aside, the rows before the change and after an
// uninterrupted run (made twice, alike both times), and how long it took.
// The folder is put back as it was before the change once made.
struct PreparedChange {
    explicit PreparedChange(const CrashChange &which);
    // False when the preparation or the uninterrupted run failed (reported as
    // test failures).
    bool ok() const { return ok_; }
    // Opens the bases as the program does, requires each sound and the
    // invariant kept (failures are test failures naming `when`), closes them
    // and tells what they hold. Closing writes the log back into the file, so
    // a file byte for byte as it was before or after holds the very same
    // rows; only the bases of other files are dumped and compared row by row.
    Found check(const std::string &when) const;

    const CrashChange &change;
    CrashInstallation installation;
    std::optional<BasesSnapshot> snapshot;
    Dumps before;
    Dumps after;
    std::chrono::microseconds span {0}; // the longer uninterrupted run, from its start to its end

private:
    using Files = std::map<BaseId, QByteArray>;
    std::optional<Files> closedFiles() const;

    std::map<BaseId, QString> paths_; // the file of each base
    Files beforeFiles_;
    Files afterFiles_;
    bool ok_ = false;
};

} // namespace kulvera::test
