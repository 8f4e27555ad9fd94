#include "CrashChanges.h"

#include <gtest/gtest.h>

#include <iostream>
#include <random>

using namespace kulvera;
using namespace kulvera::test;

namespace {

class CrashChanges : public testing::TestWithParam<CrashChange>
{
};

// A child running the change is killed at seeded random moments, from its
// start to a little after its usual end; each time the bases open sound,
// hold either every row as before or every row as after, and keep the stock.
TEST_P(CrashChanges, AKilledChangeLeavesTheOldStateOrTheNew)
{
    const CrashChange &change = GetParam();
    const PreparedChange prepared(change);
    ASSERT_TRUE(prepared.ok());
    const auto child
        = [&](const std::function<void()> &ready) { return runChangeInChild(prepared.installation, change, ready); };
    const auto span = prepared.span;

    const int kills = crashKills(4);
    std::mt19937 random(20260615 + static_cast<unsigned>(change.name.size()));
    int done = 0;
    int untouched = 0;
    for (int run = 1; run <= kills; ++run) {
        const auto killAfter
            = std::chrono::microseconds(std::uniform_int_distribution<qint64>(0, span.count() * 6 / 5)(random));
        const ChildEnd end = runChild(child, killAfter);
        ASSERT_TRUE(end.killed || end.exitCode == 0) << "run " << run << " ended with " << end.exitCode;
        const std::string when = "run " + std::to_string(run);
        const Dumps found = soundDumps(prepared.installation, change, when);
        ASSERT_FALSE(testing::Test::HasFailure()) << when;
        prepared.snapshot->restore();
        if (found == prepared.before && (change.rowsChange || end.killed)) {
            ++untouched;
        } else if (found == prepared.after) {
            ++done;
        } else {
            FAIL() << when << " (killed " << killAfter.count() << " µs in): the bases hold a mix of old and new rows";
        }
    }
    std::cout << "[ crash    ] " << change.name << ": " << kills << " kills in a change of " << span.count() / 1000
              << " ms, 0 violations: " << done << " found it done, " << untouched << " untouched\n";
}

INSTANTIATE_TEST_SUITE_P(CrashSafety, CrashChanges, testing::ValuesIn(crashChanges()),
    [](const testing::TestParamInfo<CrashChange> &param) { return param.param.name; });

} // namespace
