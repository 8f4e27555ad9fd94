#include "documents/ZipPackage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kulvera;

namespace {

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class AtomicSave : public ::testing::TestWithParam<FileSync>
{
protected:
    QTemporaryDir dir;
};

TEST_P(AtomicSave, ReplacesTheFileAndLeavesNothingBeside)
{
    const QString path = dir.filePath(QStringLiteral("карта.xlsx"));
    ASSERT_TRUE(saveFileAtomically(path, QByteArray("old contents, longer than the new"), GetParam()).ok());
    ASSERT_TRUE(saveFileAtomically(path, QByteArray("new"), GetParam()).ok());
    EXPECT_EQ(contents(path), QByteArray("new"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList {QStringLiteral("карта.xlsx")});

    // A file made the ordinary way gets the same permissions.
    const QString plain = dir.filePath(QStringLiteral("plain"));
    QFile f(plain);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_EQ(QFileInfo(path).permissions(), QFileInfo(plain).permissions());
}

TEST_P(AtomicSave, AFailedSaveReportsAndLeavesWhatWasThere)
{
    const QString nowhere = dir.filePath(QStringLiteral("нет/карта.xlsx"));
    const Status missing = saveFileAtomically(nowhere, QByteArray("x"), GetParam());
    ASSERT_FALSE(missing.ok());
    EXPECT_TRUE(missing.error().startsWith(QStringLiteral("Не удалось записать файл: ") + nowhere));
    EXPECT_FALSE(QFileInfo::exists(nowhere));

    // A folder in the way of the file is neither replaced nor filled.
    const QString folder = dir.filePath(QStringLiteral("папка"));
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/внутри")));
    EXPECT_FALSE(saveFileAtomically(folder, QByteArray("x"), GetParam()).ok());
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/внутри")).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

INSTANTIATE_TEST_SUITE_P(BothWays, AtomicSave, ::testing::Values(FileSync::ToDisk, FileSync::RenameOnly));

} // namespace
