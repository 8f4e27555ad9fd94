#include "shell/BaseCopy.h"
#include "shell/DbStructure.h"
#include "shell/SettingsStore.h"
#include "shell/SqlStatement.h"
#include "support/TestServer.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kulvera;

namespace {

// The copy needs the test cluster whatever engine the suite runs on.
#define NEEDS_CLUSTER()                                                                                                \
    do {                                                                                                               \
        if (!test::testCluster()) {                                                                                    \
            if (qEnvironmentVariableIsSet("CI"))                                                                       \
                FAIL() << "KULVERA_PG_TEST is not set";                                                                \
            GTEST_SKIP() << "no PostgreSQL test cluster (KULVERA_PG_TEST)";                                            \
        }                                                                                                              \
    } while (false)

// Every row of every table of a SQLite file, as text, in a fixed order.
QStringList dump(const QString &path)
{
    QStringList out;
    const QString name = QStringLiteral("dump_") + QUuid::createUuid().toString(QUuid::Id128);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.open();
        QStringList tables = db.tables();
        tables.removeIf([](const QString &t) { return t.startsWith(u"sqlite_"); });
        tables.sort();
        for (const QString &t : tables) {
            QSqlQuery q(db);
            q.exec(QStringLiteral("SELECT * FROM \"") + t + QStringLiteral("\" ORDER BY 1"));
            while (q.next()) {
                QStringList cells;
                for (int i = 0; i < q.record().count(); ++i)
                    cells << (q.value(i).isNull()
                            ? QStringLiteral("<null>")
                            : QString::fromLatin1(q.value(i).typeName()) + u':' + q.value(i).toString());
                out << t + u'|' + cells.join(u'|');
            }
        }
    }
    QSqlDatabase::removeDatabase(name);
    return out;
}

Status fill(const QString &path, const QStringList &statements)
{
    const QString name = QStringLiteral("fill_") + QUuid::createUuid().toString(QUuid::Id128);
    Status s;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.open();
        for (const QString &sql : statements) {
            if (s)
                s = execSql(db, sql);
        }
    }
    QSqlDatabase::removeDatabase(name);
    return s;
}

} // namespace

TEST(BaseCopy, SqliteToServerAndBackGivesTheSameRowsAndNewKeysFollowTheCopiedOnes)
{
    NEEDS_CLUSTER();
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath(QStringLiteral("s.ini")));
    const QString first = dir.filePath(QStringLiteral("first"));
    QDir().mkpath(first);
    const QString products = QDir(first).filePath(baseFileName(BaseId::Products, settings));
    const QString journals = QDir(first).filePath(baseFileName(BaseId::Journals, settings));
    ASSERT_TRUE(createBaseFile(products, BaseId::Products, settings).ok());
    ASSERT_TRUE(createBaseFile(journals, BaseId::Journals, settings).ok());
    ASSERT_TRUE(fill(products,
        {QStringLiteral("INSERT INTO dt010 (\"Код\", \"Имя\", \"Цена\") VALUES (7, 'Морковь ''молодая''', 12.5)"),
            QStringLiteral("INSERT INTO dt010 (\"Код\", \"Имя\", \"Цена\") VALUES (3, NULL, 0.1)"),
            QStringLiteral("INSERT INTO dt010 (\"Код\", \"Имя\") VALUES (12, '')")})
                    .ok());

    test::TestServerDatabase server;
    const auto sqlite = parseBaseLocation(QStringLiteral("sqlite:") + first);
    BaseLocation pg;
    pg.engine = DbEngine::PostgreSQL;
    pg.server = server.settings();
    const auto there = copyBase(BaseId::Products, sqlite.value(), pg, settings);
    ASSERT_TRUE(there.ok()) << there.error().toStdString();
    ASSERT_FALSE(there->skipped);
    const auto dt010 = std::find_if(
        there->tables.begin(), there->tables.end(), [](const TableCheck &t) { return t.table == u"dt010"; });
    ASSERT_NE(dt010, there->tables.end());
    EXPECT_EQ(dt010->rows, 3);
    ASSERT_TRUE(copyBase(BaseId::Journals, sqlite.value(), pg, settings).ok());
    // A base the source does not have is skipped; one the target has already is refused.
    EXPECT_TRUE(copyBase(BaseId::Menu, sqlite.value(), pg, settings)->skipped);
    EXPECT_FALSE(copyBase(BaseId::Products, sqlite.value(), pg, settings).ok());

    // On the server a new row takes the key after the copied ones (the five health marks).
    {
        const auto db = openServerDatabase(server.settings(), QStringLiteral("check"), QStringLiteral("journals"));
        ASSERT_TRUE(db.ok()) << db.error().toStdString();
        QSqlQuery q(db.value());
        ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO results (\"Results\") VALUES ('x') RETURNING \"ID\"")));
        ASSERT_TRUE(q.next());
        EXPECT_EQ(q.value(0).toInt(), 6);
        ASSERT_TRUE(q.exec(QStringLiteral("DELETE FROM results WHERE \"ID\" = 6")));
        EXPECT_EQ(q.numRowsAffected(), 1);
        q = QSqlQuery();
        QSqlDatabase(db.value()).close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));

    const QString second = dir.filePath(QStringLiteral("second"));
    const auto back = parseBaseLocation(QStringLiteral("sqlite:") + second);
    ASSERT_TRUE(copyBase(BaseId::Products, pg, back.value(), settings).ok());
    ASSERT_TRUE(copyBase(BaseId::Journals, pg, back.value(), settings).ok());
    EXPECT_EQ(dump(QDir(second).filePath(baseFileName(BaseId::Products, settings))), dump(products));
    EXPECT_EQ(dump(QDir(second).filePath(baseFileName(BaseId::Journals, settings))), dump(journals));
    EXPECT_FALSE(dump(journals).isEmpty()); // the seed rows came along
}

TEST(BaseCopy, AValueTheTargetCannotHoldRollsTheBaseBackAndNamesTheTable)
{
    NEEDS_CLUSTER();
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath(QStringLiteral("s.ini")));
    const QString products = dir.filePath(baseFileName(BaseId::Products, settings));
    ASSERT_TRUE(createBaseFile(products, BaseId::Products, settings).ok());
    // SQLite keeps a text in an integer column; the server refuses it.
    ASSERT_TRUE(fill(products, {QStringLiteral("INSERT INTO dt010 (\"Код\", \"Код_Группы\") VALUES (1, 'abc')")}).ok());
    test::TestServerDatabase server;
    BaseLocation pg;
    pg.engine = DbEngine::PostgreSQL;
    pg.server = server.settings();
    const auto copied
        = copyBase(BaseId::Products, parseBaseLocation(QStringLiteral("sqlite:") + dir.path()).value(), pg, settings);
    ASSERT_FALSE(copied.ok());
    EXPECT_TRUE(copied.error().contains(u"(таблица dt010)")) << copied.error().toStdString();
    const auto schemas = serverSchemas(server.settings());
    ASSERT_TRUE(schemas.ok());
    EXPECT_FALSE(schemas->contains(QStringLiteral("prod"))); // nothing of the base is left
}

TEST(BaseCopy, ChecksumsDependOnEveryValueAndNotOnTheOrderOfRowsWithoutAKey)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.db"));
    ASSERT_TRUE(fill(path,
        {QStringLiteral("CREATE TABLE t (a TEXT, b REAL)"), QStringLiteral("INSERT INTO t VALUES ('x', 1), (NULL, 2)")})
                    .ok());
    const QString name = QStringLiteral("sum");
    QString first, reordered, changed, nulled;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.open();
        first = checkTable(db, QStringLiteral("t"))->checksum;
        execSql(db, QStringLiteral("DELETE FROM t"));
        execSql(db, QStringLiteral("INSERT INTO t VALUES (NULL, 2), ('x', 1)"));
        reordered = checkTable(db, QStringLiteral("t"))->checksum;
        execSql(db, QStringLiteral("UPDATE t SET b = 1.0000001 WHERE a = 'x'"));
        changed = checkTable(db, QStringLiteral("t"))->checksum;
        execSql(db, QStringLiteral("UPDATE t SET b = 1, a = '' WHERE a = 'x'"));
        nulled = checkTable(db, QStringLiteral("t"))->checksum;
    }
    QSqlDatabase::removeDatabase(name);
    EXPECT_EQ(first, reordered);
    EXPECT_NE(first, changed);
    EXPECT_NE(first, nulled); // an empty text is not NULL
}

TEST(BaseCopy, ABaseWrittenIntoAFileHoldsEveryTableAndRowOnEitherEngine)
{
    NEEDS_CLUSTER();
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath(QStringLiteral("s.ini")));
    const QString journals = dir.filePath(baseFileName(BaseId::Journals, settings));
    ASSERT_TRUE(createBaseFile(journals, BaseId::Journals, settings).ok());
    ASSERT_TRUE(fill(journals,
        {QStringLiteral("INSERT INTO jur_z (work_id, date_t, \"Results\") VALUES (3, '2026-03-02 00:00:00', "
                        "'б/л ''1''')"),
            QStringLiteral("INSERT INTO jur_z (work_id) VALUES (NULL)")})
                    .ok());
    test::TestServerDatabase server;
    BaseLocation pg;
    pg.engine = DbEngine::PostgreSQL;
    pg.server = server.settings();
    ASSERT_TRUE(
        copyBase(BaseId::Journals, parseBaseLocation(QStringLiteral("sqlite:") + dir.path()).value(), pg, settings)
            .ok());

    const QString fromServer = dir.filePath(QStringLiteral("from_server.db"));
    const QString fromFile = dir.filePath(QStringLiteral("from_file.db"));
    {
        const auto db = openServerDatabase(server.settings(), QStringLiteral("write"), QStringLiteral("journals"));
        ASSERT_TRUE(db.ok()) << db.error().toStdString();
        const Status written = writeBaseFile(db.value(), BaseId::Journals, fromServer, settings);
        EXPECT_TRUE(written.ok()) << written.error().toStdString();
        // A file already there is refused and stays as it was.
        ASSERT_TRUE(fill(fromFile, {QStringLiteral("CREATE TABLE other (a TEXT)")}).ok());
        EXPECT_FALSE(writeBaseFile(db.value(), BaseId::Journals, fromFile, settings).ok());
        EXPECT_EQ(dump(fromFile), QStringList());
        QSqlDatabase(db.value()).close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("write"));
    ASSERT_TRUE(QFile::remove(fromFile));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("write_file"));
        db.setDatabaseName(journals);
        ASSERT_TRUE(db.open());
        EXPECT_TRUE(writeBaseFile(db, BaseId::Journals, fromFile, settings).ok());
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("write_file"));

    EXPECT_TRUE(dump(journals).join(u'\n').contains(u"|QString:б/л '1'")) << dump(journals).join(u'\n').toStdString();
    EXPECT_EQ(dump(fromServer), dump(journals));
    EXPECT_EQ(dump(fromFile), dump(journals));
}
