#include "shell/WorkingFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kulvera;

namespace {

void touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x");
}

} // namespace

TEST(WorkingFolder, RemovesFoldersOfRunsThatEndedAndKeepsThoseStillRunning)
{
    QTemporaryDir temp;
    const QString root = temp.filePath(QStringLiteral("Kulvera"));
    touch(root + QStringLiteral("/111/kv_temp.db")); // no lock: the run ended long ago
    touch(root + QStringLiteral("/222/kv_temp.db"));
    {
        // A lock left by a process that is gone.
        QFile stale(WorkingFolder::lockFileOf(root + QStringLiteral("/222")));
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
        stale.write("2147483000\nkulvera\n\n");
    }
    touch(root + QStringLiteral("/333/kv_temp.db"));
    QLockFile running(WorkingFolder::lockFileOf(root + QStringLiteral("/333")));
    ASSERT_TRUE(running.tryLock(0)); // held by a live process: this one

    QString own;
    {
        WorkingFolder folder(temp.path());
        own = folder.path();
        EXPECT_EQ(QFileInfo(own).absolutePath(), root);
        EXPECT_FALSE(QFileInfo::exists(root + QStringLiteral("/111")));
        EXPECT_FALSE(QFileInfo::exists(root + QStringLiteral("/222")));
        EXPECT_TRUE(QFileInfo::exists(root + QStringLiteral("/333/kv_temp.db")));
        EXPECT_EQ(folder.removedAtStart().size(), 2);
        touch(own + QStringLiteral("/kv_temp.db"));
    }
    EXPECT_FALSE(QFileInfo::exists(own));
    EXPECT_FALSE(QFileInfo::exists(WorkingFolder::lockFileOf(own)));
    EXPECT_TRUE(QFileInfo::exists(root + QStringLiteral("/333/kv_temp.db")));
}

TEST(WorkingFolder, ASecondHolderInTheSameRunLeavesTheFolderToTheFirst)
{
    QTemporaryDir temp;
    WorkingFolder first(temp.path());
    touch(first.path() + QStringLiteral("/kv_temp.db"));
    {
        WorkingFolder second(temp.path());
        EXPECT_EQ(second.path(), first.path());
    }
    EXPECT_TRUE(QFileInfo::exists(first.path() + QStringLiteral("/kv_temp.db")));
}
