#include "shell/SqlBulkInsert.h"

#include "shell/ErrorLog.h"
#include "shell/SqlStatement.h"

#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kulvera;

namespace {

struct BulkBase {
    QTemporaryDir dir;
    ErrorLog log {dir.filePath(QStringLiteral("errors.log"))};
    QSqlDatabase db;

    BulkBase()
    {
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bulk"));
        db.setDatabaseName(dir.filePath(QStringLiteral("bulk.db")));
        EXPECT_TRUE(db.open());
        EXPECT_TRUE(execSql(db,
            QStringLiteral(
                "CREATE TABLE \"Строки\" (\"Код\" INTEGER PRIMARY KEY, \"Текст\" TEXT UNIQUE, \"Прим\" TEXT)")));
    }
    ~BulkBase()
    {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("bulk"));
    }
    QStringList rows()
    {
        QStringList out;
        QSqlQuery q(db);
        q.exec(QStringLiteral("SELECT \"Текст\", \"Прим\" FROM \"Строки\" ORDER BY \"Код\""));
        while (q.next())
            out << q.value(0).toString() + u'|'
                    + (q.value(1).isNull() ? QStringLiteral("NULL") : q.value(1).toString());
        return out;
    }
};

} // namespace

// Rows written through the engine's own binding read back through Qt's driver
// as they were: Cyrillic, quotes, an empty text apart from NULL, and a bound
// value never leaking into the next row.
TEST(SqlBulkInsert, TextsAndNullsReadBackAndEveryRowStartsClean)
{
    BulkBase b;
    Transaction t(b.db);
    SqlBulkInsert insert(b.db, QStringLiteral("INSERT INTO \"Строки\" (\"Текст\", \"Прим\") VALUES (?, ?)"), &b.log);
    ASSERT_TRUE(insert.ready());
    const QString salad = QStringLiteral("Салат 'Весна'");
    insert.bindText(0, salad);
    insert.bindText(1, QStringView(salad).sliced(0, 5));
    ASSERT_TRUE(insert.exec());
    insert.bindText(0, QString());
    insert.bindText(1, QStringLiteral(""));
    ASSERT_TRUE(insert.exec());
    insert.bindText(0, QStringLiteral("без примечания"));
    ASSERT_TRUE(insert.exec());
    ASSERT_TRUE(t.commit());
    EXPECT_EQ(b.rows(),
        (QStringList {
            QStringLiteral("Салат 'Весна'|Салат"), QStringLiteral("|"), QStringLiteral("без примечания|NULL")}));
}

// A refused row is an error with the engine's words, written to the error log;
// rolled back, the base keeps nothing of the run.
TEST(SqlBulkInsert, ARefusedRowFailsAndARollbackKeepsNothing)
{
    BulkBase b;
    {
        Transaction t(b.db);
        SqlBulkInsert insert(b.db, QStringLiteral("INSERT INTO \"Строки\" (\"Текст\") VALUES (?)"), &b.log);
        insert.bindText(0, QStringLiteral("один"));
        ASSERT_TRUE(insert.exec());
        insert.bindText(0, QStringLiteral("один"));
        const Status twice = insert.exec();
        ASSERT_FALSE(twice);
        EXPECT_TRUE(twice.error().contains(QStringLiteral("UNIQUE")));
    }
    EXPECT_TRUE(b.rows().isEmpty());
    SqlBulkInsert wrong(b.db, QStringLiteral("INSERT INTO \"Нет\" (\"Текст\") VALUES (?)"), &b.log);
    EXPECT_FALSE(wrong.ready());
    EXPECT_FALSE(wrong.exec());
}
