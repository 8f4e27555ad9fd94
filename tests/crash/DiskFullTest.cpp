#include "CrashChanges.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iostream>
#include <random>

using namespace kulvera;
using namespace kulvera::test;

namespace {

class DiskFull : public testing::TestWithParam<CrashChange>
{
};

// The change runs in a child whose files cannot grow past a seeded limit, as
// on a disk that fills up at a different moment each time: a change that
// runs out of room reports the failure and leaves every row as it was; one
// that had room enough reports success and is whole.
TEST_P(DiskFull, AChangeOutOfRoomReportsTheFailureAndChangesNothing)
{
    const CrashChange &change = GetParam();
    const PreparedChange prepared(change);
    ASSERT_TRUE(prepared.ok());
    const auto childWithin = [&](qint64 limit) {
        return runChildWithFileLimit(
            [&](const std::function<void()> &applyLimit) {
                return runChangeInChild(prepared.installation, change, applyLimit);
            },
            limit);
    };

    // Limits spread evenly on a log scale from 4 KiB to well past the largest
    // file: most runs run out of room somewhere in the middle of the change.
    const qint64 ceiling = prepared.snapshot->largestFile() * 3 / 2;
    std::uniform_real_distribution<double> exponent(12, std::log2(double(ceiling)));
    const int runs = crashKills(4);
    std::mt19937 random(20260616 + static_cast<unsigned>(change.name.size()));
    int failed = 0;
    int done = 0;
    for (int run = 1; run <= runs; ++run) {
        const auto limit = static_cast<qint64>(std::exp2(exponent(random)));
        const std::string when
            = "run " + std::to_string(run) + " (files limited to " + std::to_string(limit) + " bytes)";
        const ChildEnd end = childWithin(limit);
        ASSERT_FALSE(end.killed) << when << ": the child died";
        ASSERT_TRUE(end.exitCode == 0 || end.exitCode == 1) << when << " ended with " << end.exitCode;
        const Found found = prepared.check(when);
        ASSERT_FALSE(testing::Test::HasFailure()) << when;
        prepared.snapshot->restore();
        if (end.exitCode == 1) {
            ASSERT_TRUE(found.before) << when << ": a failed change left rows changed";
            ++failed;
        } else {
            ASSERT_TRUE(found.after) << when << ": a change reported done is not whole";
            ++done;
        }
    }
    std::cout << "[ diskfull ] " << change.name << ": " << runs << " runs, files limited to 4 KiB .. " << ceiling
              << " bytes: " << failed << " reported the failure with the bases unchanged, " << done
              << " had room and finished\n";
}

INSTANTIATE_TEST_SUITE_P(DiskFull, DiskFull, testing::ValuesIn(crashChanges()),
    [](const testing::TestParamInfo<CrashChange> &param) { return param.param.name; });

} // namespace
