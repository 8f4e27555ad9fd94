#pragma once

#include "shell/ServerBases.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include <gtest/gtest.h>

namespace kulvera::test {

// The engine a suite runs on. KULVERA_TEST_ENGINE=postgres puts the catalogue bases of
// every TempBases into a fresh database of the test cluster that KULVERA_PG_TEST names
// (scripts/pg-cluster starts one); otherwise they are SQLite files.
inline bool testOnServer()
{
    return qEnvironmentVariable("KULVERA_TEST_ENGINE") == u"postgres";
}

// The test cluster's connection (its maintenance database), or nothing when none is named.
inline std::optional<ServerSettings> testCluster()
{
    const QString conninfo = qEnvironmentVariable("KULVERA_PG_TEST");
    if (conninfo.isEmpty())
        return std::nullopt;
    const Result<ServerSettings> parsed = parseConnInfo(conninfo);
    if (!parsed)
        return std::nullopt;
    return parsed.value();
}

// Runs one statement on the cluster's maintenance database.
inline QString onCluster(const QString &sql)
{
    const auto cluster = testCluster();
    if (!cluster)
        return QStringLiteral("KULVERA_PG_TEST is not set");
    const QString name = QStringLiteral("kv_cluster_") + QUuid::createUuid().toString(QUuid::Id128);
    QString error;
    {
        const Result<QSqlDatabase> db = openServerDatabase(*cluster, name);
        if (!db)
            return db.error();
        QSqlQuery q(db.value());
        if (!q.exec(sql))
            error = q.lastError().text();
        q = QSqlQuery();
        QSqlDatabase(db.value()).close();
    }
    QSqlDatabase::removeDatabase(name);
    return error;
}

// A database of its own for one test, dropped with everything in it at the end.
class TestServerDatabase
{
public:
    TestServerDatabase()
    {
        const auto cluster = testCluster();
        if (!cluster) {
            ADD_FAILURE() << "KULVERA_PG_TEST names no PostgreSQL cluster (scripts/pg-cluster start)";
            return;
        }
        settings_ = *cluster;
        settings_.database = QStringLiteral("kvt_") + QUuid::createUuid().toString(QUuid::Id128);
        const QString error = onCluster(QStringLiteral("CREATE DATABASE \"") + settings_.database + u'"');
        if (!error.isEmpty())
            ADD_FAILURE() << "Cannot create the test database: " << error.toStdString();
    }
    ~TestServerDatabase()
    {
        if (!settings_.database.isEmpty())
            onCluster(
                QStringLiteral("DROP DATABASE IF EXISTS \"") + settings_.database + QStringLiteral("\" WITH (FORCE)"));
    }
    TestServerDatabase(const TestServerDatabase &) = delete;
    TestServerDatabase &operator=(const TestServerDatabase &) = delete;

    const ServerSettings &settings() const { return settings_; }

private:
    ServerSettings settings_;
};

// A trigger by which the base itself refuses a write, on the engine the suite runs on.
// `event`: "INSERT" or "UPDATE OF \"column\""; `table` quoted.
inline QString refusingTrigger(const QString &name, const QString &event, const QString &table, const QString &message)
{
    if (!testOnServer())
        return QStringLiteral("CREATE TRIGGER ") + name + QStringLiteral(" BEFORE ") + event + QStringLiteral(" ON ")
            + table + QStringLiteral(" BEGIN SELECT RAISE(ABORT, '") + message + QStringLiteral("'); END");
    return QStringLiteral("CREATE FUNCTION ") + name
        + QStringLiteral("() RETURNS trigger LANGUAGE plpgsql AS $t$ BEGIN RAISE EXCEPTION '") + message
        + QStringLiteral("'; END $t$; CREATE TRIGGER ") + name + QStringLiteral(" BEFORE ") + event
        + QStringLiteral(" ON ") + table + QStringLiteral(" FOR EACH ROW EXECUTE FUNCTION ") + name
        + QStringLiteral("()");
}

inline QString droppingTrigger(const QString &name, const QString &table)
{
    const QString drop = QStringLiteral("DROP TRIGGER ") + name;
    return testOnServer() ? drop + QStringLiteral(" ON ") + table : drop;
}

} // namespace kulvera::test

// For tests of what only SQLite files have (file copies, the write-ahead log, compaction,
// damaged files): skipped on the server engine with the reason.
#define KULVERA_SQLITE_ONLY(reason)                                                                                    \
    do {                                                                                                               \
        if (::kulvera::test::testOnServer())                                                                           \
            GTEST_SKIP() << "SQLite files only: " << (reason);                                                         \
    } while (false)
