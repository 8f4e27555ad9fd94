#include "support/TempBases.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSqlQuery>
#include <QThread>

#include <gtest/gtest.h>

#include <set>

using namespace kulvera;
using namespace kulvera::test;

// Several running copies of the program write one base at once. Each writer runs the pattern
// every import uses: inside one transaction, read the largest key, then insert the next one.
// A transaction that only asks for the write lock when it first writes cannot wait for it,
// so this is what two copies sharing a base depend on.
namespace {

constexpr int kWriters = 3;
constexpr int kRowsPerWriter = 25;
const char *const kBaseVariable = "KULVERA_TEST_WRITER_BASE";
const char *const kNameVariable = "KULVERA_TEST_WRITER_NAME";

void createBase(const QString &path)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("writers_setup"));
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QStringLiteral("PRAGMA journal_mode=WAL")));
        ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE \"Строки\" (\"Код\" INTEGER PRIMARY KEY, \"Кто\" TEXT)")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("writers_setup"));
}

} // namespace

// Run only as a child process of the test below.
TEST(ConcurrentWriters, DISABLED_Writer)
{
    const QString path = qEnvironmentVariable(kBaseVariable);
    const QString name = qEnvironmentVariable(kNameVariable);
    ASSERT_FALSE(path.isEmpty());
    TempBases t;
    const int n = t.connections().connect(path, QStringLiteral("Строки"), true);
    ASSERT_NE(n, Connections::kFailed);
    const QSqlDatabase db = t.connections().database(n);
    for (int i = 0; i < kRowsPerWriter; ++i) {
        Transaction tx(db, &t.errorLog());
        ASSERT_TRUE(tx.started()) << t.errorLog().recent().join(u'\n').toStdString();
        SqlStatement next(db, QStringLiteral("SELECT COALESCE(MAX(\"Код\"), 0) + 1 FROM \"Строки\""));
        ASSERT_TRUE(next.exec().ok());
        ASSERT_TRUE(next.next());
        const int key = next.value(0).toInt();
        next.finish();
        QThread::msleep(2); // let the other writers commit between the read and the write
        const Status insert = execSql(
            db, QStringLiteral("INSERT INTO \"Строки\" (\"Код\", \"Кто\") VALUES (?, ?)"), {key, name}, &t.errorLog());
        ASSERT_TRUE(insert.ok()) << insert.error().toStdString();
        const Status committed = tx.commit();
        ASSERT_TRUE(committed.ok()) << committed.error().toStdString();
    }
}

TEST(ConcurrentWriters, RunningCopiesWritingOneBaseLoseNothing)
{
    TempBases t;
    const QString path = t.path(QStringLiteral("shared.db"));
    createBase(path);

    std::vector<std::unique_ptr<QProcess>> writers;
    for (int w = 0; w < kWriters; ++w) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kBaseVariable), path);
        env.insert(QString::fromLatin1(kNameVariable), QStringLiteral("w") + QString::number(w));
        process->setProcessEnvironment(env);
        process->setProcessChannelMode(QProcess::MergedChannels);
        process->start(QCoreApplication::applicationFilePath(),
            {QStringLiteral("--gtest_filter=ConcurrentWriters.DISABLED_Writer"),
                QStringLiteral("--gtest_also_run_disabled_tests")});
        writers.push_back(std::move(process));
    }
    for (auto &process : writers) {
        ASSERT_TRUE(process->waitForFinished(120000));
        EXPECT_EQ(process->exitCode(), 0) << process->readAll().toStdString();
    }

    const int n = t.connections().connect(path, QStringLiteral("Строки"), true);
    ASSERT_NE(n, Connections::kFailed);
    SqlStatement rows(t.connections().database(n), QStringLiteral("SELECT \"Код\", \"Кто\" FROM \"Строки\""));
    ASSERT_TRUE(rows.exec().ok());
    std::set<int> keys;
    std::map<QString, int> perWriter;
    while (rows.next()) {
        keys.insert(rows.value(0).toInt());
        ++perWriter[rows.value(1).toString()];
    }
    EXPECT_EQ(keys.size(), size_t(kWriters * kRowsPerWriter));
    EXPECT_EQ(*keys.begin(), 1);
    EXPECT_EQ(*keys.rbegin(), kWriters * kRowsPerWriter);
    for (int w = 0; w < kWriters; ++w)
        EXPECT_EQ(perWriter[QStringLiteral("w") + QString::number(w)], kRowsPerWriter);
}
