#include <QApplication>

#include <QStandardPaths>

#include <gtest/gtest.h>

// Main of the suites that open forms: widgets need a QApplication, and CTest
// runs them on the offscreen platform.
int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    qputenv("KULVERA_SETTINGS", QByteArray());
    QStandardPaths::setTestModeEnabled(true); // never the user's own data folders
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen"); // also when CTest lists the tests
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
