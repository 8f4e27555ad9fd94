#include "CrashHarness.h"

#include "common/ScriptedPrompter.h"
#include "documents/ZipPackage.h"
#include "interchange/clsDBF.h"
#include "menus/MenuBinaryFile.h"
#include "products/ProductFile.h"
#include "products/ProductRow.h"
#include "shell/INI_Work.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kulvera;
using namespace kulvera::test;

namespace {

// Files the writers make are a few kilobytes; a limit of 1 KiB cuts each
// one short, as a disk that fills up while it is written.
constexpr qint64 kRoom = 1024;
const QByteArray kOldContent = QByteArrayLiteral("the file as the user had it\n");

struct WriterCase {
    const char *name;
    std::function<Status(const QString &path)> write;
};

// A folder holding the old target file.
class Target
{
public:
    Target()
        : path_(dir_.filePath(QStringLiteral("target.file")))
    {
        QFile f(path_);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(kOldContent) == kOldContent.size());
    }
    QString path() const { return path_; }
    QByteArray content() const
    {
        QFile f(path_);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QStringList files() const { return QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot); }

private:
    QTemporaryDir dir_;
    QString path_;
};

QByteArray someBytes(int size)
{
    QByteArray bytes;
    for (int i = 0; bytes.size() < size; ++i)
        bytes += QByteArray::number(i * 7919) + ' ';
    return bytes;
}

INI_Work largeIni()
{
    INI_Work ini;
    for (int i = 0; i < 200; ++i)
        ini.setValue(
            QStringLiteral("Section%1").arg(i / 20), QStringLiteral("Key%1").arg(i), QString::number(i * 31.5));
    return ini;
}

std::vector<WriterCase> writers()
{
    return {
        // ".nd2", ".fz" and ration ".menu" files are INI files; one at a time
        // they go through to the disk, a batch only renamed over the target.
        {"IniForcedToDisk", [](const QString &path) { return largeIni().writeTo(path, true); }},
        {"IniRenamedOnly", [](const QString &path) { return largeIni().writeTo(path, false); }},
        // Export ".menu" and ".sql_menu".
        {"MenuFile", [](const QString &path) { return writeMenuFileBytes(path, someBytes(8000)); }},
        // Printed workbooks.
        {"XlsxForcedToDisk",
            [](const QString &path) { return saveFileAtomically(path, someBytes(8000), FileSync::ToDisk); }},
        {"XlsxRenamedOnly",
            [](const QString &path) { return saveFileAtomically(path, someBytes(8000), FileSync::RenameOnly); }},
        // A ".dbf" table (the old file is replaced only after the question).
        {"DbfTable",
            [](const QString &path) {
                ScriptedPrompter prompter;
                prompter.expect(QStringLiteral("существует"), Prompter::Answer::Yes);
                const FixedClock clock(QDate(2026, 6, 1));
                clsDBF table(prompter, &clock);
                if (const Status s = table.CreateNewFile(path, 3); !s)
                    return s;
                for (int f = 0; f < 60; ++f) {
                    if (const Status s = table.CreateField(QStringLiteral("F%1").arg(f), u'C', 20); !s)
                        return s;
                }
                return table.SaveNewFile();
            }},
        // ".prod" (the old file is replaced only after the question).
        {"ProductFile",
            [](const QString &path) {
                ScriptedPrompter prompter;
                prompter.expect(QStringLiteral("уже существует"), Prompter::Answer::Yes);
                ProductRow row;
                row.setKey(7);
                row.comment = QString(QStringLiteral("Примечание к продукту ")).repeated(100);
                return saveProductToFile(prompter, path, row, QString(QStringLiteral("Источник ")).repeated(200));
            }},
    };
}

} // namespace

// A writer whose disk fills up while it writes says so and leaves the old
// file as it was, with no half-written file or temporary beside it; with
// room enough it writes the file.
TEST(DiskFull, AFileWriterOutOfRoomReportsTheFailureAndKeepsTheOldFile)
{
    for (const WriterCase &writer : writers()) {
        SCOPED_TRACE(writer.name);
        Target target;
        const ChildEnd end = runChildWithFileLimit(
            [&](const std::function<void()> &limit) {
                limit();
                return writer.write(target.path()) ? 0 : 1;
            },
            kRoom);
        EXPECT_FALSE(end.killed);
        EXPECT_EQ(end.exitCode, 1) << "a writer out of room reported success";
        EXPECT_EQ(target.content(), kOldContent);
        EXPECT_EQ(target.files(), QStringList {QStringLiteral("target.file")});

        const ChildEnd roomy = runChildWithFileLimit(
            [&](const std::function<void()> &limit) {
                limit();
                return writer.write(target.path()) ? 0 : 1;
            },
            qint64(1) << 30);
        EXPECT_EQ(roomy.exitCode, 0);
        EXPECT_GT(target.content().size(), kRoom);
        EXPECT_EQ(target.files(), QStringList {QStringLiteral("target.file")});
    }
}
