#include "shell/Connections.h"
#include "shell/Catalogue.h"
#include "shell/SharedSettings.h"
#include "shell/SqlStatement.h"
#include "support/TempBases.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>

#include <gtest/gtest.h>

using namespace kulvera;
using kulvera::test::TempBases;

namespace {

// A small base of our own, independent of the catalogue's schema.
QString makeBase(TempBases &t, const QString &file)
{
    const QString p = t.path(file);
    {
        const QString name = QStringLiteral("mk_") + file;
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(p);
        EXPECT_TRUE(db.open());
        QSqlQuery q(db);
        EXPECT_TRUE(q.exec(QStringLiteral("CREATE TABLE \"Имена\" (\"Код\" INTEGER PRIMARY KEY, \"Имя\" VARCHAR(255), "
                                          "\"Масса\" REAL, \"Дата\" DATETIME)")));
        EXPECT_TRUE(q.exec(
            QStringLiteral("INSERT INTO \"Имена\" (\"Имя\", \"Масса\") VALUES ('Морковь', 12.5), ('Свёкла', 7)")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("mk_") + file);
    return p;
}

} // namespace

TEST(Connections, SameFileTwiceGivesTheSameNumberAndIsLogged)
{
    TempBases t;
    makeBase(t, QStringLiteral("a.db"));
    const int first = t.connections().connect(QStringLiteral("a.db"), QStringLiteral("Имена"));
    ASSERT_GE(first, kFirstDynamicConnection);
    const int again = t.connections().connect(t.path(QStringLiteral("a.db")), QStringLiteral("Имена"));
    EXPECT_EQ(again, first);
    EXPECT_TRUE(t.errorLog().recent().last().startsWith(u"К этой базе уже подключены"));
    makeBase(t, QStringLiteral("b.db"));
    EXPECT_NE(t.connections().connect(QStringLiteral("b.db"), QStringLiteral("Имена")), first);
}

TEST(Connections, ReadOnlyFileIsMadeWritable)
{
    TempBases t;
    const QString p = makeBase(t, QStringLiteral("ro.db"));
    QFile::setPermissions(p, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    const int n = t.connections().connect(QStringLiteral("ro.db"), QStringLiteral("Имена"));
    ASSERT_NE(n, Connections::kFailed);
    EXPECT_TRUE(QFileInfo(p).permissions() & QFileDevice::WriteOwner);
    EXPECT_TRUE(t.connections()
                    .exec(n, QStringLiteral("INSERT INTO \"Имена\" (\"Имя\") VALUES (?)"), {QStringLiteral("x")})
                    .ok());
}

TEST(Connections, MissingFileOffersToResetTheFoldersAndTheDefaultIsReadAgain)
{
    TempBases t;
    const SharedSettings::Environment environment {
        t.root() + QStringLiteral("/program"), t.root() + QStringLiteral("/userdata"), QString(), t.root()};
    const QString defaultFolder = SharedSettings::defaultDirBook(environment.programFolder, environment.userDataFolder);
    ASSERT_NE(SharedSettings::load(t.settings(), environment).dirBook(), defaultFolder); // TempBases sets its own
    t.settings().save(Section::Data, QStringLiteral("DirBook"), QStringLiteral("/y"));
    t.prompter().expect(QStringLiteral("Восстановить пути доступа"), Prompter::Answer::Yes);
    EXPECT_EQ(t.connections().connect(QStringLiteral("none.db"), QStringLiteral("t")), Connections::kFailed);
    EXPECT_TRUE(t.prompter().unexpected().isEmpty());
    EXPECT_TRUE(t.prompter().saw(QStringLiteral("Перезагрузите программу!")));
    EXPECT_EQ(t.prompter().shown().front().title, u"Подключение к базе данных");
    // The next start reads the default folder again.
    EXPECT_EQ(SharedSettings::load(t.settings(), environment).dirBook(), defaultFolder);
    EXPECT_FALSE(t.settings().contains(Section::Data, QStringLiteral("DirBook")));

    // Quiet: no question, just the failure.
    t.prompter().clear();
    EXPECT_EQ(t.connections().connect(QStringLiteral("none.db"), QStringLiteral("t"), true), Connections::kFailed);
    EXPECT_TRUE(t.prompter().shown().empty());

    // With identification: reported with the description, no reset offered.
    EXPECT_EQ(t.connections().connectWithIdentification(
                  QStringLiteral("none.db"), QStringLiteral("t"), false, QStringLiteral("База рецептур для МЦ")),
        Connections::kFailed);
    EXPECT_TRUE(t.prompter().saw(QStringLiteral("Идентификатор базы - База рецептур для МЦ")));
}

TEST(Connections, MissingIdentifyingTableFailsAndReleasesTheFile)
{
    TempBases t;
    makeBase(t, QStringLiteral("c.db"));
    EXPECT_EQ(t.connections().connect(QStringLiteral("c.db"), QStringLiteral("Нет_такой")), Connections::kFailed);
    EXPECT_TRUE(t.connections().numbers().isEmpty());
    EXPECT_NE(t.connections().connect(QStringLiteral("c.db"), QStringLiteral("Имена")), Connections::kFailed);
}

TEST(Connections, UnknownNumbersAreLoggedNotShown)
{
    TempBases t;
    EXPECT_FALSE(t.connections().SetActBase(99));
    EXPECT_FALSE(t.connections().flExist(99, QStringLiteral("t")));
    EXPECT_EQ(t.connections().openQuery(99, QStringLiteral("SELECT 1")), -1);
    EXPECT_TRUE(t.prompter().shown().empty());
    const QString log = t.errorLog().recent().join(u'\n');
    EXPECT_TRUE(log.contains(u"Ссылка на несуществующую базу!"));
    EXPECT_TRUE(log.contains(u"Ошибочная ссылка на базу!"));
    EXPECT_TRUE(log.contains(u"Нет такого подключения к базе"));
}

TEST(Recordset, NavigatesEditsAddsAndDeletes)
{
    TempBases t;
    makeBase(t, QStringLiteral("r.db"));
    const int n = t.connections().connect(QStringLiteral("r.db"), QStringLiteral("Имена"));
    ASSERT_EQ(t.connections().openQuery(n, QStringLiteral("SELECT * FROM \"Имена\" ORDER BY \"Код\"")), 2);
    Recordset &rs = *t.connections().recordset(n);
    EXPECT_TRUE(rs.isEditable());
    EXPECT_EQ(rs.value(QStringLiteral("имя")).toString(), u"Морковь"); // field names without case
    rs.moveNext();
    EXPECT_EQ(rs.value(QStringLiteral("Имя")).toString(), u"Свёкла");
    rs.moveNext();
    EXPECT_TRUE(rs.eof());
    EXPECT_FALSE(rs.value(QStringLiteral("Имя")).isValid());
    rs.moveLast();
    EXPECT_EQ(rs.position(), 1);
    ASSERT_TRUE(rs.findFirst(QStringLiteral("Имя"), QStringLiteral("МОРКОВЬ")));
    EXPECT_EQ(rs.position(), 0);
    EXPECT_FALSE(rs.findFirst(QStringLiteral("Имя"), QStringLiteral("Лук")));
    EXPECT_EQ(rs.position(), 0);

    // A name with a quote inside round-trips through editing.
    const QString quoted = QStringLiteral("Соус \"Бешамель\" д'Артаньян");
    ASSERT_TRUE(rs.flSet(QStringLiteral("Имя"), quoted).ok());
    ASSERT_TRUE(rs.update().ok());
    ASSERT_TRUE(rs.addNew().ok());
    rs.flSet(QStringLiteral("Имя"), QStringLiteral("Лук"));
    rs.flSet(QStringLiteral("Дата"), QDateTime(QDate(2026, 3, 1), QTime(9, 30)));
    ASSERT_TRUE(rs.update().ok());
    EXPECT_EQ(rs.rowCount(), 3);
    EXPECT_EQ(rs.value(QStringLiteral("Код")).toInt(), 3); // the counter came back
    rs.moveTo(1);
    ASSERT_TRUE(rs.deleteCurrent().ok());

    SqlStatement q(
        t.connections().database(n), QStringLiteral("SELECT \"Имя\", \"Дата\" FROM \"Имена\" ORDER BY \"Код\""));
    ASSERT_TRUE(q.exec().ok());
    QStringList names;
    QStringList dates;
    while (q.next()) {
        names << q.value(0).toString();
        dates << q.value(1).toString();
    }
    EXPECT_EQ(names, (QStringList {quoted, QStringLiteral("Лук")}));
    EXPECT_EQ(dates.last(), u"2026-03-01 09:30:00");
    // Searching by the quoted name with a bound value finds it.
    SqlStatement find(t.connections().database(n), QStringLiteral("SELECT COUNT(*) FROM \"Имена\" WHERE \"Имя\" = ?"));
    ASSERT_TRUE(find.exec({quoted}).ok());
    ASSERT_TRUE(find.next());
    EXPECT_EQ(find.value(0).toInt(), 1);
}

TEST(Recordset, JoinedRowsAreReadOnly)
{
    TempBases t;
    makeBase(t, QStringLiteral("j.db"));
    const int n = t.connections().connect(QStringLiteral("j.db"), QStringLiteral("Имена"));
    ASSERT_EQ(t.connections().openQuery(
                  n, QStringLiteral("SELECT a.\"Имя\" FROM \"Имена\" a JOIN \"Имена\" b ON a.\"Код\" = b.\"Код\"")),
        2);
    Recordset &rs = *t.connections().recordset(n);
    EXPECT_FALSE(rs.isEditable());
    EXPECT_FALSE(rs.edit().ok());
    EXPECT_FALSE(rs.addNew().ok());
    EXPECT_TRUE(t.errorLog().recent().last().contains(u"Ошибка идентификации подключения!"));
}

TEST(Transaction, RollsBackWhenNotCommittedAndNestsAsSavepoints)
{
    TempBases t;
    makeBase(t, QStringLiteral("tx.db"));
    const int n = t.connections().connect(QStringLiteral("tx.db"), QStringLiteral("Имена"));
    const QSqlDatabase db = t.connections().database(n);
    auto count = [&] {
        SqlStatement q(db, QStringLiteral("SELECT COUNT(*) FROM \"Имена\""));
        q.exec();
        q.next();
        return q.value(0).toInt();
    };
    {
        Transaction tx(db);
        ASSERT_TRUE(tx.started());
        execSql(db, QStringLiteral("INSERT INTO \"Имена\" (\"Имя\") VALUES ('a')"));
        {
            Transaction inner(db);
            execSql(db, QStringLiteral("INSERT INTO \"Имена\" (\"Имя\") VALUES ('b')"));
            // inner goes out of scope: its row is undone
        }
        EXPECT_EQ(count(), 3);
        {
            Transaction inner(db);
            execSql(db, QStringLiteral("INSERT INTO \"Имена\" (\"Имя\") VALUES ('c')"));
            ASSERT_TRUE(inner.commit().ok());
        }
        EXPECT_EQ(count(), 4);
        // outer not committed
    }
    EXPECT_EQ(count(), 2);
    {
        Transaction tx(db);
        execSql(db, QStringLiteral("INSERT INTO \"Имена\" (\"Имя\") VALUES ('d')"));
        ASSERT_TRUE(tx.commit().ok());
    }
    EXPECT_EQ(count(), 3);
}

TEST(Catalogue, NamesFilesAndCollections)
{
    TempBases t;
    EXPECT_EQ(static_cast<int>(BaseId::Menu), 8);
    EXPECT_EQ(baseFileName(BaseId::Dishes, t.settings()), u"bl_base.db");
    EXPECT_EQ(baseFileName(BaseId::Protocols, t.settings()), u"fz_res.db");
    t.settings().save(Section::Prod, QStringLiteral("tbProd"), QStringLiteral("dt099"));
    EXPECT_EQ(identifyingTable(BaseId::Products, t.settings()), u"dt099");
    EXPECT_EQ(baseFromName(QStringLiteral("db011")), BaseId::Products);
    EXPECT_EQ(baseFromName(QStringLiteral("MENU")), BaseId::Menu);
    EXPECT_EQ(baseFromName(QStringLiteral("8")), BaseId::Menu);
    EXPECT_FALSE(baseFromName(QStringLiteral("nope")).has_value());
    EXPECT_TRUE(isValidCollectionName(QStringLiteral("Школьное_питание")));
    for (const char16_t *bad : {u"a b", u"a!", u"a\"", u"a&", u"a'", u"a,", u"a.", u"a[", u"a]", u"a`", u""})
        EXPECT_FALSE(isValidCollectionName(QString::fromUtf16(bad)));
}

TEST(Connections, FieldOperationsByNumber)
{
    TempBases t;
    makeBase(t, QStringLiteral("f.db"));
    const int n = t.connections().connect(QStringLiteral("f.db"), QStringLiteral("Имена"));
    ASSERT_EQ(t.connections().openTable(n, QStringLiteral("Имена")), 2);
    ASSERT_TRUE(t.connections().flAdd(n).ok());
    ASSERT_TRUE(t.connections().flSet(n, QStringLiteral("Имя"), QStringLiteral("Капуста")).ok());
    ASSERT_TRUE(t.connections().update(n).ok());
    EXPECT_EQ(t.connections().fieldValue(n, QStringLiteral("Имя")).toString(), u"Капуста");
    EXPECT_TRUE(t.connections().fieldExists(n, QStringLiteral("Имена"), QStringLiteral("масса")));
    EXPECT_FALSE(t.connections().flSet(77, QStringLiteral("Имя"), 1).ok());
    EXPECT_TRUE(t.errorLog().recent().last().contains(u"Не обнаружено подключение!"));
    EXPECT_FALSE(t.connections().flAdd(77).ok());
    EXPECT_TRUE(t.errorLog().recent().last().contains(u"Ошибка идентификации подключения!"));
}
