#include "shell/ServerBases.h"
#include "shell/DbMaintenance.h"
#include "shell/DbStructure.h"
#include "shell/Recordset.h"
#include "shell/SqlStatement.h"
#include "support/TempBases.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

using namespace kulvera;
using kulvera::test::TempBases;

namespace {

QString writeFile(const QTemporaryDir &dir, const QString &text, QFileDevice::Permissions permissions)
{
    const QString path = dir.filePath(QStringLiteral("pgpass"));
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(text.toUtf8());
    f.close();
    f.setPermissions(permissions);
    return path;
}

} // namespace

TEST(ServerSettings, PasswordComesFromTheMatchingLineOfAFileOnlyTheOwnerReads)
{
    QTemporaryDir dir;
    ServerSettings s;
    s.host = QStringLiteral("db.kitchen");
    s.port = 5433;
    s.database = QStringLiteral("kulvera");
    s.user = QStringLiteral("cook");
    const auto ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    s.passwordFile = writeFile(dir,
        QStringLiteral("# comment\nother:5433:kulvera:cook:wrong\ndb.kitchen:5432:kulvera:cook:wrongport\n"
                       "db.kitchen:*:kulvera:cook:se\\:cr\\\\et\n"),
        ownerOnly);
    const Result<QString> password = readPasswordFile(s);
    ASSERT_TRUE(password.ok()) << password.error().toStdString();
    EXPECT_EQ(password.value(), u"se:cr\\et");

    // A socket folder matches "localhost", as libpq has it.
    s.host = QStringLiteral("/run/postgresql");
    s.passwordFile = writeFile(dir, QStringLiteral("localhost:5433:*:cook:local\n"), ownerOnly);
    EXPECT_EQ(readPasswordFile(s).value(), u"local");

    s.user = QStringLiteral("nobody-listed");
    EXPECT_TRUE(readPasswordFile(s).error().contains(u"нет строки для этого сервера"));

    // Readable by the group: refused, whatever it holds.
    s.user = QStringLiteral("cook");
    s.passwordFile = writeFile(dir, QStringLiteral("*:*:*:*:open\n"), ownerOnly | QFileDevice::ReadGroup);
    const Result<QString> refused = readPasswordFile(s);
    ASSERT_FALSE(refused.ok());
    EXPECT_TRUE(refused.error().contains(u"доступен другим пользователям")) << refused.error().toStdString();
}

TEST(ServerSettings, ConnInfoIsReadAndAPasswordInItIsRefused)
{
    const auto parsed = parseConnInfo(QStringLiteral("host=/tmp/x port=5433 dbname='my base' user=cook passfile=/p"));
    ASSERT_TRUE(parsed.ok()) << parsed.error().toStdString();
    EXPECT_EQ(parsed->host, u"/tmp/x");
    EXPECT_EQ(parsed->port, 5433);
    EXPECT_EQ(parsed->database, u"my base");
    EXPECT_EQ(parsed->user, u"cook");
    EXPECT_EQ(parsed->passwordFile, u"/p");
    EXPECT_FALSE(parseConnInfo(QStringLiteral("dbname=k password=secret")).ok());
    EXPECT_FALSE(parseConnInfo(QStringLiteral("host=x")).ok()); // no database
    EXPECT_FALSE(parseConnInfo(QStringLiteral("dbname=k port=abc")).ok());
    EXPECT_FALSE(parseConnInfo(QStringLiteral("dbname=k sslmode")).ok());
}

TEST(ServerSettings, ChoosingTheServerMakesTheCatalogueBasesSchemas)
{
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath(QStringLiteral("s.ini")));
    EXPECT_EQ(configuredEngine(settings), DbEngine::SQLite);
    ServerSettings s;
    s.host = QStringLiteral("/tmp/sock");
    s.database = QStringLiteral("kitchen");
    saveServerSettings(settings, s);
    EXPECT_EQ(configuredEngine(settings), DbEngine::PostgreSQL);
    EXPECT_EQ(serverSettings(settings).host, u"/tmp/sock");
    EXPECT_EQ(serverSchema(BaseId::Products), u"prod");
    EXPECT_EQ(serverSchema(BaseId::Warehouse), u"ws");
    EXPECT_EQ(serverSchema(BaseId::LossesOutput), u"losses_output");
}

// The rest needs the server engine (the postgres/ registration of this suite).
class OnServer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!test::testOnServer())
            GTEST_SKIP() << "the server engine only (KULVERA_TEST_ENGINE=postgres)";
    }
};

TEST_F(OnServer, AnotherBaseIsReachedByItsSchemaAndAWrongAliasIsRefused)
{
    TempBases t;
    ASSERT_EQ(t.create(BaseId::Products), 2);
    ASSERT_EQ(t.create(BaseId::Warehouse), 11);
    EXPECT_EQ(t.connections().path(2), serverPath(t.server(), QStringLiteral("prod")));
    ASSERT_TRUE(t.connections()
                    .exec(2, QStringLiteral("INSERT INTO dt010 (\"Код\", \"Имя\") VALUES (?, ?)"),
                        {7, QStringLiteral("Морковь")})
                    .ok());
    EXPECT_TRUE(t.connections().attach(11, 2, QStringLiteral("prod")).ok());
    EXPECT_FALSE(t.connections().attach(11, 2, QStringLiteral("products")).ok());
    ASSERT_EQ(
        t.connections().openQuery(11, QStringLiteral("SELECT \"Имя\" FROM prod.dt010 WHERE \"Код\" = ?"), {7}), 1);
    EXPECT_EQ(t.connections().fieldValue(11, QStringLiteral("Имя")).toString(), u"Морковь");
    // Each base sees its own tables only.
    EXPECT_TRUE(t.connections().flExist(2, QStringLiteral("dt010")));
    EXPECT_FALSE(t.connections().flExist(11, QStringLiteral("dt010")));
}

TEST_F(OnServer, ARecordChangedByAnotherWorkstationIsNotOverwritten)
{
    TempBases t;
    ASSERT_EQ(t.create(BaseId::Products), 2);
    ASSERT_TRUE(t.connections().exec(2, QStringLiteral("INSERT INTO dt010 (\"Код\", \"Имя\") VALUES (1, 'Лук')")).ok());
    // A second workstation: its own connection table on the same server.
    Connections other(t.prompter(), t.settings(), t.errorLog());
    ASSERT_EQ(other.connectBase(BaseId::Products, t.shared(), true), 2);
    ASSERT_EQ(t.connections().openTable(2, QStringLiteral("dt010")), 1);
    ASSERT_EQ(other.openTable(2, QStringLiteral("dt010")), 1);

    ASSERT_TRUE(other.flSet(2, QStringLiteral("Имя"), QStringLiteral("Лук репчатый")).ok());
    ASSERT_TRUE(other.update(2).ok());
    // The same workstation may write its row again: the row's new address came back.
    ASSERT_TRUE(other.flSet(2, QStringLiteral("Разм"), 3).ok());
    ASSERT_TRUE(other.update(2).ok());

    ASSERT_TRUE(t.connections().flSet(2, QStringLiteral("Имя"), QStringLiteral("Лук зелёный")).ok());
    const Status stale = t.connections().update(2);
    ASSERT_FALSE(stale.ok());
    EXPECT_TRUE(stale.error().contains(u"изменена или удалена другим пользователем"));
    ASSERT_EQ(t.connections().openQuery(2, QStringLiteral("SELECT * FROM dt010")), 1);
    EXPECT_EQ(t.connections().fieldValue(2, QStringLiteral("Имя")).toString(), u"Лук репчатый");

    // A row added through the recordset can be edited at once.
    ASSERT_TRUE(t.connections().flAdd(2).ok());
    ASSERT_TRUE(t.connections().flSet(2, QStringLiteral("Код"), 2).ok());
    ASSERT_TRUE(t.connections().update(2).ok());
    ASSERT_TRUE(t.connections().flSet(2, QStringLiteral("Имя"), QStringLiteral("Чеснок")).ok());
    ASSERT_TRUE(t.connections().update(2).ok());
    ASSERT_EQ(t.connections().openQuery(2, QStringLiteral("SELECT * FROM dt010 WHERE \"Код\" = 2")), 1);
    EXPECT_EQ(t.connections().fieldValue(2, QStringLiteral("Имя")).toString(), u"Чеснок");
}

TEST_F(OnServer, FileOperationsSayTheyAreNotAvailable)
{
    TempBases t;
    ASSERT_EQ(t.create(BaseId::Menu), 8);
    EXPECT_FALSE(
        compactBase(t.connections(), 8, QStringLiteral("Base"), t.root(), QDate(2026, 1, 5), t.settings()).ok());
    EXPECT_TRUE(t.prompter().saw(notOnServerMessage(QStringLiteral("Сжатие базы данных"))));
    // Inside a longer operation compaction is simply not needed.
    EXPECT_TRUE(
        compactBase(t.connections(), 8, QStringLiteral("Base"), t.root(), QDate(2026, 1, 5), t.settings(), false).ok());
    EXPECT_FALSE(archiveCopy(t.connections(), 8, t.root(), QDate(2026, 1, 5)).ok());
    EXPECT_TRUE(t.prompter().saw(notOnServerMessage(QStringLiteral("Архивная копия базы"))));
    EXPECT_TRUE(QDir(t.root()).entryList({QStringLiteral("*.db")}).isEmpty());
}

TEST_F(OnServer, ACounterContinuesAfterAKeyWrittenIntoIt)
{
    TempBases t;
    ASSERT_EQ(t.create(BaseId::Warehouse), 11);
    ASSERT_TRUE(t.connections()
                    .createTable(11, QStringLiteral("Счётчик"),
                        {ColumnDef {QStringLiteral("Код"), ColumnType::Counter, {}, 255, false},
                            ColumnDef {QStringLiteral("Имя"), ColumnType::Text, {}, 255, false}})
                    .ok());
    const auto insert = [&](const QString &sql) {
        SqlStatement q(t.connections().database(11), sql + QStringLiteral(" RETURNING \"Код\""));
        return q.exec().ok() && q.next() ? q.value(0).toInt() : -1;
    };
    EXPECT_EQ(insert(QStringLiteral("INSERT INTO \"Счётчик\" (\"Имя\") VALUES ('a')")), 1);
    EXPECT_EQ(insert(QStringLiteral("INSERT INTO \"Счётчик\" (\"Код\", \"Имя\") VALUES (40, 'b')")), 40);
    EXPECT_EQ(insert(QStringLiteral("INSERT INTO \"Счётчик\" (\"Имя\") VALUES ('c')")), 41);
    EXPECT_EQ(insert(QStringLiteral("INSERT INTO \"Счётчик\" (\"Код\", \"Имя\") VALUES (7, 'd')")), 7);
    EXPECT_EQ(insert(QStringLiteral("INSERT INTO \"Счётчик\" (\"Имя\") VALUES ('e')")), 42);
}

// Workstations inserting into one table at once each get keys of their own: a key the sequence
// handed out must never set the sequence back, or another workstation's next key comes again.
TEST_F(OnServer, KeysFromTheCounterStayUniqueWhileSeveralWorkstationsInsert)
{
    TempBases t;
    ASSERT_EQ(t.create(BaseId::Warehouse), 11);
    constexpr int kWriters = 8;
    constexpr int kRows = 300;
    std::atomic<int> failed {0};
    QStringList errors;
    std::mutex errorsMutex;
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([&, w] {
            const QString name = QStringLiteral("counter_writer_") + QString::number(w);
            {
                const auto db = openServerDatabase(t.server(), name, serverSchema(BaseId::Warehouse));
                if (!db) {
                    ++failed;
                    return;
                }
                QSqlQuery q(*db);
                q.prepare(QStringLiteral("INSERT INTO \"Склады\" (\"Склад_Название\") VALUES (?)"));
                for (int i = 0; i < kRows; ++i) {
                    q.addBindValue(QStringLiteral("w%1-%2").arg(w).arg(i));
                    if (!q.exec()) {
                        ++failed;
                        const std::lock_guard<std::mutex> lock(errorsMutex);
                        errors << q.lastError().text();
                    }
                }
                q.finish();
            }
            QSqlDatabase::database(name, false).close();
            QSqlDatabase::removeDatabase(name);
        });
    }
    for (std::thread &w : writers)
        w.join();
    EXPECT_EQ(failed.load(), 0) << errors.join(u'\n').toStdString();
    SqlStatement s(t.connections().database(11),
        QStringLiteral("SELECT COUNT(*), COUNT(DISTINCT \"Код\") FROM \"Склады\" WHERE \"Склад_Название\" LIKE 'w%'"));
    ASSERT_TRUE(s.exec() && s.next());
    EXPECT_EQ(s.value(0).toInt(), kWriters * kRows);
    EXPECT_EQ(s.value(1).toInt(), kWriters * kRows);
}

// A server base made before the counters' function was mended keeps triggers that call it by
// name: the structure check at start replaces the function in every schema.
TEST_F(OnServer, TheStructureCheckGivesAnOlderBaseTheCurrentCounterFunction)
{
    TempBases t;
    ASSERT_EQ(t.create(BaseId::Warehouse), 11);
    const QSqlDatabase db = t.connections().database(11);
    ASSERT_TRUE(execSql(db,
        QStringLiteral("CREATE OR REPLACE FUNCTION kv_follow_key() RETURNS trigger LANGUAGE plpgsql AS "
                       "$kv$ BEGIN RETURN NEW; END $kv$")));
    const auto body = [&] {
        SqlStatement q(db,
            QStringLiteral("SELECT p.prosrc FROM pg_proc p JOIN pg_namespace n ON n.oid = p.pronamespace "
                           "WHERE p.proname = 'kv_follow_key' AND n.nspname = current_schema()"));
        return q.exec().ok() && q.next() ? q.value(0).toString() : QString();
    };
    ASSERT_FALSE(body().contains(u"setval"));
    ASSERT_TRUE(upgradeStructure(t.connections(), t.settings(), {}));
    const QString mended = body();
    EXPECT_TRUE(mended.contains(u"k > last")) << mended.toStdString();
}
