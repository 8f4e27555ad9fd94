#include "MenuTestSupport.h"

#include <QSqlQuery>

using namespace kulvera;
using namespace kulvera::test;

TEST(MenuStructure, OldMenuBaseGainsTablesAndColumnsAndKeepsItsRations)
{
    TempBases t;
    // A menu base of an old build: rations without group, norm and the later columns.
    const QString path = basePath(BaseId::Menu, t.settings(), t.shared());
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("old_menu"));
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        QString columns = QStringLiteral("\"ID\" INTEGER PRIMARY KEY AUTOINCREMENT");
        for (int n = 1; n <= 27; ++n)
            columns += QStringLiteral(", \"l%1\" VARCHAR(1020)").arg(n);
        ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE \"Base\" (") + columns + u')'));
        ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE \"base_temp\" (") + columns + u')'));
        ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO base_temp (l1, l26) VALUES ('0001', '0002')")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("old_menu"));
    ASSERT_EQ(t.connections().connectBase(BaseId::Menu, t.shared(), true), kMenu);

    QStringList log;
    ASSERT_TRUE(upgradeStructure(t.connections(), t.settings(), [&](const QString &l) { log << l; }));
    EXPECT_TRUE(log.contains(QStringLiteral("Проверка структуры БД для сборки 1665:: Таблица создана: BlocksDates")))
        << log.join(u'\n').toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral(":: создаем новую колонку: l28")));

    const QSqlDatabase db = t.connections().database(kMenu);
    const SqlDialect &dialect = SqlDialect::of(db);
    const QStringList tables = dialect.tables(db);
    for (const char16_t *name :
        {u"groups", u"Norm", u"Norm_Prods", u"Koef", u"inxs", u"BlocksDates", u"Выдача_Факт", u"ОстаткиПр"})
        EXPECT_TRUE(tables.contains(QString::fromUtf16(name))) << QString::fromUtf16(name).toStdString();
    const QStringList rationColumns = dialect.columns(db, QStringLiteral("base_temp"));
    EXPECT_EQ(rationColumns.size(), 33);
    EXPECT_TRUE(dialect.columns(db, QStringLiteral("groups")).contains(QStringLiteral("p5")));
    EXPECT_TRUE(dialect.columns(db, QStringLiteral("Norm")).contains(QStringLiteral("ID_Norm")));

    SqlStatement q(db, QStringLiteral("SELECT l1, l26, l30 FROM base_temp"));
    ASSERT_TRUE(q.exec());
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), u"0001");
    EXPECT_EQ(q.value(1).toString(), u"0002");
    EXPECT_EQ(q.value(2).toString(), u"");
}
