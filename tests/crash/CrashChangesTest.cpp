#include "CrashChanges.h"

#include "shell/SqlStatement.h"

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
    int byFiles = 0;
    const auto started = std::chrono::steady_clock::now();
    for (int run = 1; run <= kills; ++run) {
        const auto killAfter
            = std::chrono::microseconds(std::uniform_int_distribution<qint64>(0, span.count() * 6 / 5)(random));
        const ChildEnd end = runChild(child, killAfter);
        ASSERT_TRUE(end.killed || end.exitCode == 0) << "run " << run << " ended with " << end.exitCode;
        const std::string when = "run " + std::to_string(run);
        const Found found = prepared.check(when);
        ASSERT_FALSE(testing::Test::HasFailure()) << when;
        prepared.snapshot->restore();
        byFiles += found.byFiles;
        if (found.before && (change.rowsChange || end.killed)) {
            ++untouched;
        } else if (found.after) {
            ++done;
        } else {
            FAIL() << when << " (killed " << killAfter.count() << " µs in): the bases hold a mix of old and new rows";
        }
    }
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    std::cout << "[ crash    ] " << change.name << ": " << kills << " kills in a change of " << span.count() / 1000
              << " ms, 0 violations: " << done << " found it done, " << untouched << " untouched; "
              << took.count() / kills << " ms a kill, " << byFiles << " told by the files alone\n";
}

// What the kills are judged by: the old rows and the new are told apart from
// a mix, by the files when they are as kept and by the rows when a file was
// rewritten without a row changed.
TEST(CrashSafety, TheCheckTellsTheOldRowsAndTheNewFromAMix)
{
    const CrashChange change = recipeSave();
    const PreparedChange prepared(change);
    ASSERT_TRUE(prepared.ok());
    const auto write = [&](BaseId base, const QString &sql) {
        CrashSession session(prepared.installation, change.bases);
        ASSERT_TRUE(execSql(session.connections().database(base), sql));
    };

    Found found = prepared.check("as kept");
    EXPECT_TRUE(found.before && !found.after && found.byFiles);

    // The file's header changes, not a row.
    write(BaseId::Dishes, QStringLiteral("PRAGMA user_version = 7"));
    found = prepared.check("header changed");
    EXPECT_TRUE(found.before && !found.after && !found.byFiles);

    prepared.snapshot->restore();
    const auto child
        = [&](const std::function<void()> &ready) { return runChangeInChild(prepared.installation, change, ready); };
    ASSERT_EQ(runChild(child, std::nullopt).exitCode, 0);
    found = prepared.check("done");
    EXPECT_TRUE(!found.before && found.after);

    // The change done, and one row of another base changed beside it.
    write(BaseId::Products, QStringLiteral("UPDATE dt010 SET \"Вода\" = 71 WHERE \"Код\" = 1"));
    found = prepared.check("mixed");
    EXPECT_TRUE(!found.before && !found.after);
}

INSTANTIATE_TEST_SUITE_P(CrashSafety, CrashChanges, testing::ValuesIn(crashChanges()),
    [](const testing::TestParamInfo<CrashChange> &param) { return param.param.name; });

} // namespace
