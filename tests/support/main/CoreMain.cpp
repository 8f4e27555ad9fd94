#include <QCoreApplication>

#include <QStandardPaths>

#include <gtest/gtest.h>

// Every suite runs inside a Qt application object (file engines, SQL drivers
// and the offscreen platform need one). Suites that show widgets create their
// QApplication in their own main instead.
int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    qputenv("KULVERA_SETTINGS", QByteArray());
    QStandardPaths::setTestModeEnabled(true); // never the user's own data folders
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
