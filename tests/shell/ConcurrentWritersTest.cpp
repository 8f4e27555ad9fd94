#include "support/TempBases.h"

#include "shell/InsertedKey.h"
#include "shell/SqlConflict.h"
#include "shell/SqlDialect.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <set>
#include <thread>

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

// The key of a new row is read back from INSERT ... RETURNING on every engine. A prepared
// statement is run again and again inside one transaction, and the commit must still go
// through: a RETURNING statement left unfinished would keep SQLite from committing.
TEST(InsertedKey, EveryInsertGivesItsOwnKeyAndTheTransactionStillCommits)
{
    TempBases t;
    const QString path = t.path(QStringLiteral("keys.db"));
    createBase(path);
    const int n = t.connections().connect(path, QStringLiteral("Строки"), true);
    ASSERT_NE(n, Connections::kFailed);
    const QSqlDatabase db = t.connections().database(n);
    Transaction tx(db, &t.errorLog());
    SqlStatement insert(db, QStringLiteral("INSERT INTO \"Строки\" (\"Кто\") VALUES (?) RETURNING \"Код\""));
    std::vector<qint64> keys;
    for (const char *who : {"a", "b", "c"}) {
        const auto key = execInsertReturningKey(insert, {QString::fromLatin1(who)});
        ASSERT_TRUE(key) << key.error().toStdString();
        keys.push_back(*key);
    }
    EXPECT_EQ(keys, (std::vector<qint64> {1, 2, 3}));
    const Status committed = tx.commit();
    ASSERT_TRUE(committed) << committed.error().toStdString();
    SqlStatement who(db, QStringLiteral("SELECT \"Кто\" FROM \"Строки\" WHERE \"Код\" = ?"));
    ASSERT_TRUE(who.exec({keys[1]}) && who.next());
    EXPECT_EQ(who.value(0).toString(), QStringLiteral("b"));

    // An insert that gives no row back is a failure, not key 0.
    SqlStatement noKey(db, QStringLiteral("INSERT INTO \"Строки\" (\"Кто\") VALUES (?)"));
    EXPECT_FALSE(execInsertReturningKey(noKey, {QStringLiteral("d")}));
}

TEST(SqlConflict, BusyLockedSerializationAndDeadlockAreRetryableAndNothingElse)
{
    const auto native = [](const char *code, const char *text = "") {
        return QSqlError(QString(), QString::fromLatin1(text), QSqlError::StatementError, QString::fromLatin1(code));
    };
    EXPECT_TRUE(isRetryableConflict(native("5"))); // SQLITE_BUSY
    EXPECT_TRUE(isRetryableConflict(native("6"))); // SQLITE_LOCKED
    EXPECT_TRUE(isRetryableConflict(native("517"))); // SQLITE_BUSY_SNAPSHOT
    EXPECT_TRUE(isRetryableConflict(native("262"))); // SQLITE_LOCKED_SHAREDCACHE
    EXPECT_TRUE(isRetryableConflict(native("40001")));
    EXPECT_TRUE(isRetryableConflict(native("40P01")));
    EXPECT_FALSE(isRetryableConflict(native("19", "UNIQUE constraint failed"))); // SQLITE_CONSTRAINT
    EXPECT_FALSE(isRetryableConflict(native("1", "no such table: x")));
    EXPECT_FALSE(isRetryableConflict(native("23505"))); // unique_violation
    EXPECT_FALSE(isRetryableConflict(native("55P03"))); // lock_not_available: waited out a lock timeout
    EXPECT_FALSE(isRetryableConflict(native("")));

    // The texts failures carry up: SQLite's messages and QPSQL's SQLSTATE in parentheses.
    EXPECT_TRUE(isRetryableConflict(QStringLiteral("database is locked Unable to fetch row")));
    EXPECT_TRUE(isRetryableConflict(QStringLiteral("database table is locked")));
    EXPECT_TRUE(isRetryableConflict(
        QStringLiteral("ERROR:  could not serialize access due to concurrent update\n(40001) QPSQL: Unable to "
                       "create query")));
    EXPECT_TRUE(isRetryableConflict(QStringLiteral("ОШИБКА:  обнаружена взаимоблокировка\n(40P01)")));
    EXPECT_FALSE(isRetryableConflict(QStringLiteral("Продукта с кодом 40001 недостаточно на складе!")));
    EXPECT_FALSE(isRetryableConflict(QString()));
}

TEST(SqlConflict, RowsAreLockedOnlyWhereTheEngineLocksRows)
{
    TempBases t;
    const QString path = t.path(QStringLiteral("lock.db"));
    createBase(path);
    const int n = t.connections().connect(path, QStringLiteral("Строки"), true);
    ASSERT_NE(n, Connections::kFailed);
    const QSqlDatabase db = t.connections().database(n);
    // SQLite: BEGIN IMMEDIATE already keeps a second writer out; the query stays as written.
    EXPECT_EQ(rowLockSuffix(db), QString());
    EXPECT_EQ(rowLockSuffix(db, QStringLiteral("l")), QString());
    EXPECT_TRUE(lockRecordForRewrite(db, QStringLiteral("recipe"), &t.errorLog()));
}

namespace {

// A base file and a second connection to it, outside the connection table, with no busy timeout.
struct TwoWriters {
    TempBases t;
    QString path = t.path(QStringLiteral("retry.db"));
    int number = Connections::kFailed;
    QSqlDatabase db;

    TwoWriters()
    {
        createBase(path);
        number = t.connections().connect(path, QStringLiteral("Строки"), true);
        db = t.connections().database(number);
    }
    int rows()
    {
        SqlStatement s(db, QStringLiteral("SELECT COUNT(*) FROM \"Строки\""));
        return s.exec() && s.next() ? s.value(0).toInt() : -1;
    }
    Status insert(const QString &who)
    {
        return execSql(db, QStringLiteral("INSERT INTO \"Строки\" (\"Кто\") VALUES (?)"), {who}, &t.errorLog());
    }
};

} // namespace

TEST(SqlConflict, AConflictRunsTheWholeTransactionAgainAndOtherFailuresRollBackOnce)
{
    TwoWriters w;
    ASSERT_NE(w.number, Connections::kFailed);
    const qint64 before = conflictRetries();
    int attempts = 0;
    const Status done = runWriteTransaction(w.db, &w.t.errorLog(), [&]() -> Status {
        ++attempts;
        if (const Status s = w.insert(QStringLiteral("try") + QString::number(attempts)); !s)
            return s;
        // The first two tries lose to another writer after writing: their rows must not stay.
        return attempts <= 2 ? Status::failure(QStringLiteral("database is locked")) : Status();
    });
    ASSERT_TRUE(done) << done.error().toStdString();
    EXPECT_EQ(attempts, 3);
    EXPECT_EQ(conflictRetries() - before, 2);
    EXPECT_EQ(w.rows(), 1);

    attempts = 0;
    const Status refused = runWriteTransaction(w.db, &w.t.errorLog(), [&]() -> Status {
        ++attempts;
        (void)w.insert(QStringLiteral("refused"));
        return Status::failure(QStringLiteral("Масса не может быть больше имеющегося количества!"));
    });
    EXPECT_FALSE(refused);
    EXPECT_EQ(attempts, 1);
    EXPECT_EQ(w.rows(), 1);

    // A conflict that never clears gives up after the policy's attempts and says why.
    attempts = 0;
    const Status givenUp = runWriteTransaction(
        w.db, &w.t.errorLog(),
        [&]() -> Status {
            ++attempts;
            return Status::failure(QStringLiteral("database is locked"));
        },
        RetryPolicy {3, 1, 2});
    EXPECT_EQ(givenUp.error(), QStringLiteral("database is locked"));
    EXPECT_EQ(attempts, 3);
}

// A posting that is part of a larger transaction cannot retry alone: the conflict undid the
// whole, so it passes the failure up and the outermost run repeats everything.
TEST(SqlConflict, OnlyTheOutermostRunRetries)
{
    TwoWriters w;
    ASSERT_NE(w.number, Connections::kFailed);
    int outer = 0;
    int inner = 0;
    const auto result = inWriteTransaction(w.db, &w.t.errorLog(), [&]() -> Result<int> {
        ++outer;
        if (const Status s = w.insert(QStringLiteral("outer")); !s)
            return Result<int>::failure(s.error());
        const Status nested = runWriteTransaction(w.db, &w.t.errorLog(), [&]() -> Status {
            ++inner;
            if (const Status s = w.insert(QStringLiteral("inner")); !s)
                return s;
            return inner == 1 ? Status::failure(QStringLiteral("(40P01)")) : Status();
        });
        if (!nested)
            return Result<int>::failure(nested.error());
        return outer;
    });
    ASSERT_TRUE(result) << result.error().toStdString();
    EXPECT_EQ(*result, 2);
    EXPECT_EQ(inner, 2);
    EXPECT_EQ(w.rows(), 2); // one outer and one inner row: the first try left nothing
}

namespace {

// A catalogue base on the engine under test, and a conflict as that engine reports it: on the
// server a real serialization failure raised inside the transaction (aborting it as one would),
// on SQLite the busy text a lost race carries.
struct NestedRuns {
    TempBases t;
    int number = t.create(BaseId::Warehouse);
    QSqlDatabase db = t.connections().database(number);

    Status insert(const QString &name)
    {
        return execSql(
            db, QStringLiteral("INSERT INTO \"Склады\" (\"Склад_Название\") VALUES (?)"), {name}, &t.errorLog());
    }
    int rows(const QString &name)
    {
        SqlStatement s(db, QStringLiteral("SELECT COUNT(*) FROM \"Склады\" WHERE \"Склад_Название\" = ?"));
        return s.exec({name}) && s.next() ? s.value(0).toInt() : -1;
    }
    Status conflict()
    {
        if (SqlDialect::of(db).engine() != SqlDialect::Engine::PostgreSQL)
            return Status::failure(QStringLiteral("database is locked"));
        const Status raised = execSql(db,
            QStringLiteral("DO $$ BEGIN RAISE EXCEPTION 'lost a race' USING ERRCODE = 'serialization_failure'; "
                           "END $$"));
        return raised ? Status::failure(QStringLiteral("no conflict raised")) : raised;
    }
};

} // namespace

// A run inside a plain Transaction is part of a larger change: retrying only its save point
// would leave the larger one holding what lost the race. It runs once, the conflict goes up
// untried and the larger change is undone whole.
TEST(SqlConflict, ARunInsideAPlainTransactionPassesItsConflictUpUntried)
{
    NestedRuns w;
    ASSERT_NE(w.number, Connections::kFailed);
    const qint64 before = conflictRetries();
    int inner = 0;
    {
        Transaction outer(w.db, &w.t.errorLog());
        ASSERT_TRUE(outer.started());
        ASSERT_TRUE(w.insert(QStringLiteral("outer")));
        const Status nested = runWriteTransaction(w.db, &w.t.errorLog(), [&]() -> Status {
            ++inner;
            if (const Status s = w.insert(QStringLiteral("inner")); !s)
                return s;
            return inner == 1 ? w.conflict() : Status();
        });
        EXPECT_FALSE(nested);
        EXPECT_TRUE(isRetryableConflict(nested.error())) << nested.error().toStdString();
        EXPECT_EQ(inner, 1);
        EXPECT_EQ(conflictRetries(), before);
        // The save point is gone, the larger transaction still usable up to its own end.
        EXPECT_EQ(w.rows(QStringLiteral("inner")), 0);
        EXPECT_EQ(w.rows(QStringLiteral("outer")), 1);
    }
    EXPECT_EQ(w.rows(QStringLiteral("outer")), 0);
}

// The sound nesting: the outermost unit is a run, a plain Transaction inside it, a run inside
// that. The conflict deep inside repeats the whole from the start, once.
TEST(SqlConflict, AConflictDeepInsideRepeatsTheOutermostRunWhole)
{
    NestedRuns w;
    ASSERT_NE(w.number, Connections::kFailed);
    const qint64 before = conflictRetries();
    int outer = 0;
    int inner = 0;
    const Status done = runWriteTransaction(w.db, &w.t.errorLog(), [&]() -> Status {
        ++outer;
        if (const Status s = w.insert(QStringLiteral("outer")); !s)
            return s;
        Transaction middle(w.db, &w.t.errorLog());
        if (!middle.started())
            return Status::failure(QStringLiteral("no save point"));
        if (const Status s = w.insert(QStringLiteral("middle")); !s)
            return s;
        const Status nested = runWriteTransaction(w.db, &w.t.errorLog(), [&]() -> Status {
            ++inner;
            if (const Status s = w.insert(QStringLiteral("inner")); !s)
                return s;
            return inner == 1 ? w.conflict() : Status();
        });
        if (!nested)
            return nested;
        return middle.commit();
    });
    ASSERT_TRUE(done) << done.error().toStdString();
    EXPECT_EQ(outer, 2);
    EXPECT_EQ(inner, 2);
    EXPECT_EQ(conflictRetries() - before, 1);
    for (const char *name : {"outer", "middle", "inner"})
        EXPECT_EQ(w.rows(QString::fromLatin1(name)), 1) << name;
}

// A real SQLite conflict: another connection holds the write lock and this one has no busy
// timeout, so BEGIN IMMEDIATE fails at once until the other commits.
TEST(SqlConflict, AWriterLockedOutByAnotherRetriesUntilItGetsIn)
{
    TwoWriters w;
    ASSERT_NE(w.number, Connections::kFailed);
    QSqlQuery(w.db).exec(QStringLiteral("PRAGMA busy_timeout = 0"));
    std::atomic<bool> locked {false};
    std::thread other([&] {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other_writer"));
            db.setDatabaseName(w.path);
            ASSERT_TRUE(db.open());
            QSqlQuery q(db);
            ASSERT_TRUE(q.exec(QStringLiteral("BEGIN IMMEDIATE")));
            ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO \"Строки\" (\"Кто\") VALUES ('other')")));
            locked = true;
            QThread::msleep(150);
            EXPECT_TRUE(q.exec(QStringLiteral("COMMIT")));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("other_writer"));
    });
    while (!locked)
        QThread::msleep(1);
    const qint64 before = conflictRetries();
    const Status done = runWriteTransaction(
        w.db, &w.t.errorLog(), [&] { return w.insert(QStringLiteral("this")); }, RetryPolicy {50, 5, 20});
    other.join();
    ASSERT_TRUE(done) << done.error().toStdString();
    EXPECT_GT(conflictRetries() - before, 0);
    EXPECT_EQ(w.rows(), 2);
}
