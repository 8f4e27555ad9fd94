#include <QCoreApplication>

#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

// The suites registered a second time for the server engine need the test cluster.
// Without one they skip, saying why; under CI (CI set) they fail instead.
class ServerEngineEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        if (qEnvironmentVariable("KULVERA_TEST_ENGINE") != u"postgres" || qEnvironmentVariableIsSet("KULVERA_PG_TEST"))
            return;
        if (qEnvironmentVariableIsSet("CI"))
            FAIL() << "KULVERA_PG_TEST is not set: CI runs these tests on PostgreSQL (scripts/test starts the cluster)";
        GTEST_SKIP() << "PostgreSQL half skipped: no test cluster (KULVERA_PG_TEST unset; scripts/test starts one "
                        "when the Debian package postgresql is installed)";
    }
};

} // namespace

// Every suite runs inside a Qt application object (file engines, SQL drivers
// and the offscreen platform need one). Suites that show widgets create their
// QApplication in their own main instead.
int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new ServerEngineEnvironment);
    qputenv("KULVERA_SETTINGS", QByteArray());
    QStandardPaths::setTestModeEnabled(true); // never the user's own data folders
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
