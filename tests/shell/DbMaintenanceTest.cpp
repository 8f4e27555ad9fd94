#include "shell/DbMaintenance.h"
#include "shell/Databases.h"
#include "shell/DbStructure.h"
#include "shell/DishCollections.h"
#include "support/TempBases.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <gtest/gtest.h>

using namespace kulvera;
using kulvera::test::TempBases;

namespace {

int countRows(const QSqlDatabase &db, const QString &table)
{
    SqlStatement q(db, QStringLiteral("SELECT COUNT(*) FROM \"") + table + u'"');
    q.exec();
    q.next();
    return q.value(0).toInt();
}

void touch(const QString &path)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}

} // namespace

TEST(SizeWarning, ExactLimitIsQuietOneByteMoreWarnsWithItsPercentage)
{
    EXPECT_FALSE(sizeWarning(1610612736, QStringLiteral("меню суточных рационов")).has_value());
    const auto text = sizeWarning(1610612737, QStringLiteral("меню суточных рационов"));
    ASSERT_TRUE(text.has_value());
    EXPECT_TRUE(text->startsWith(u"База меню суточных рационов почти заполнена.\n"));
    EXPECT_TRUE(text->endsWith(u"Справочно. Заполнение базы от максимально допустимого: 100%"));
    EXPECT_TRUE(text->contains(u"Сервис - Сжатие базы данных\n\n"));
    EXPECT_TRUE(sizeWarning(qint64(1610612736) * 3 / 2, QStringLiteral("изделий (блюд)"))->endsWith(u"150%"));
}

TEST(ArchiveCopy, FiftyCopiesStopWithTheMessageFortyNineWriteNumberFifty)
{
    KULVERA_SQLITE_ONLY("archive copies are files");
    TempBases t;
    const int dishes = t.create(BaseId::Dishes);
    ASSERT_EQ(dishes, static_cast<int>(BaseId::Dishes));
    const QString archive = t.root() + QStringLiteral("/archive");
    QDir().mkpath(archive);
    const QDate day(2026, 12, 6);
    for (int n = 1; n <= 49; ++n)
        touch(archive + QStringLiteral("/bl_base_2026_12_06_") + QString::number(n) + QStringLiteral(".db"));

    const auto written = archiveCopy(t.connections(), dishes, archive, day);
    ASSERT_TRUE(written.ok()) << written.error().toStdString();
    EXPECT_EQ(QFileInfo(written.value()).fileName(), u"bl_base_2026_12_06_50.db");
    EXPECT_GT(QFileInfo(written.value()).size(), 0);
    EXPECT_TRUE(t.prompter().shown().empty());

    const QStringList before = QDir(archive).entryList(QDir::Files);
    const auto refused = archiveCopy(t.connections(), dishes, archive, day);
    EXPECT_FALSE(refused.ok());
    EXPECT_EQ(QDir(archive).entryList(QDir::Files), before);
    ASSERT_EQ(t.prompter().shown().size(), 1u);
    const auto &m = t.prompter().shown()[0];
    EXPECT_TRUE(m.text.startsWith(u"Накоплено 50 архивных баз данных! Следует удалить часть из них и повторить "
                                  u"процедуру\nФайлы находятся в папке: "));
    EXPECT_TRUE(m.text.contains(u"имеют маску имени: bl_base_[Дата синхронихации]_[Номер синхронизации].db"));
    EXPECT_EQ(m.icon, Prompter::Icon::Critical);

    // Another day starts again at 1.
    EXPECT_TRUE(archiveCopy(t.connections(), dishes, archive, day.addDays(1)).value().endsWith(u"_2026_12_07_1.db"));
}

TEST(ArchiveCopy, AnArchiveBaseIsNotCopied)
{
    KULVERA_SQLITE_ONLY("archive copies are files");
    TempBases t;
    const QString archive = t.folder();
    const int dishes = t.create(BaseId::Dishes);
    EXPECT_FALSE(archiveCopy(t.connections(), dishes, archive, QDate(2026, 1, 1)).ok());
    EXPECT_TRUE(
        t.prompter().saw(QStringLiteral("Программа подключена к архивной базе. Нельзя копировать архивную базу!")));
}

TEST(Compaction, KeepsEveryRowAndTheConnectionNumber)
{
    KULVERA_SQLITE_ONLY("compaction rewrites the file");
    TempBases t;
    const int n = t.create(BaseId::Journals);
    ASSERT_NE(n, Connections::kFailed);
    const QSqlDatabase db = t.connections().database(n);
    execSql(db, QStringLiteral("CREATE TABLE big (a INTEGER, b TEXT)"));
    {
        Transaction tx(db);
        SqlStatement ins(db, QStringLiteral("INSERT INTO big VALUES (?, ?)"));
        for (int i = 0; i < 5000; ++i)
            ins.exec({i, QStringLiteral("строка %1").arg(i)});
        tx.commit();
    }
    execSql(db, QStringLiteral("DELETE FROM big WHERE a % 2 = 0"));
    const QString path = t.connections().path(n);
    const Status s = compactBase(t.connections(), n, QStringLiteral("jur_z"), t.root() + QStringLiteral("/tmp"),
        QDate(2026, 12, 6), t.settings());
    ASSERT_TRUE(s.ok()) << s.error().toStdString();
    EXPECT_TRUE(t.connections().isConnected(n));
    EXPECT_EQ(t.connections().path(n), path);
    EXPECT_EQ(countRows(t.connections().database(n), QStringLiteral("big")), 2500);
    EXPECT_TRUE(QFileInfo::exists(t.root() + QStringLiteral("/tmp/tempbase_2026_12_06.db")));
    EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral(".kv_compact")));
    EXPECT_TRUE(t.prompter().saw(QStringLiteral("База данных сжата.")));

    t.prompter().clear();
    t.settings().save(Section::Data, QStringLiteral("sMessCompBase"), QStringLiteral("1"));
    ASSERT_TRUE(compactBase(t.connections(), n, QStringLiteral("jur_z"), t.root() + QStringLiteral("/tmp"),
        QDate(2026, 12, 6), t.settings())
                    .ok());
    EXPECT_FALSE(t.prompter().saw(QStringLiteral("База данных сжата.")));
}

TEST(StructureUpgrade, OldBaseGainsMissingColumnsAndKeepsItsRows)
{
    TempBases t;
    // A product base from an old build: only a few columns.
    const QString path = basePath(BaseId::Products, t.settings(), t.shared());
    {
        QSqlDatabase db;
        if (t.onServer()) {
            db = openServerDatabase(t.server(), QStringLiteral("old")).value();
            QSqlQuery(db).exec(QStringLiteral("CREATE SCHEMA prod"));
            QSqlQuery(db).exec(QStringLiteral("SET search_path TO prod"));
        } else {
            db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("old"));
            db.setDatabaseName(path);
        }
        ASSERT_TRUE(db.isOpen() || db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(
            QStringLiteral("CREATE TABLE dt010 (\"Код\" INTEGER, \"Имя\" VARCHAR(255), \"Имя2\" VARCHAR(255))")));
        ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO dt010 VALUES (1, 'Морковь', 'морковь'), (2, 'Лук', 'лук')")));
        q = QSqlQuery();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("old"));
    ASSERT_EQ(t.connections().connectBase(BaseId::Products, t.shared(), true), static_cast<int>(BaseId::Products));

    QStringList log;
    ASSERT_TRUE(upgradeStructure(t.connections(), t.settings(), [&](const QString &l) { log << l; }).ok());
    EXPECT_EQ(log.first(), u"Проверка структуры БД для сборки 1646:: начало");
    EXPECT_TRUE(log.contains(QStringLiteral(":: создаем новую колонку: Код_Группы")));
    EXPECT_TRUE(log.contains(QStringLiteral("Проверка структуры БД для сборки 1646:: ОК")));
    EXPECT_EQ(log.last(), u"Базы данных проверены.");

    const QSqlDatabase db = t.connections().database(BaseId::Products);
    EXPECT_EQ(countRows(db, QStringLiteral("dt010")), 2);
    SqlStatement q(db, QStringLiteral("SELECT \"Имя\", \"Разм\", \"ЕдИ_Ц\" FROM dt010 ORDER BY \"Код\""));
    ASSERT_TRUE(q.exec().ok());
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), u"Морковь");
    EXPECT_EQ(q.value(1).toDouble(), 0.0); // defaults fill the old rows
    EXPECT_EQ(q.value(2).toInt(), 1);

    // A second run finds nothing to do.
    log.clear();
    ASSERT_TRUE(upgradeStructure(t.connections(), t.settings(), [&](const QString &l) { log << l; }).ok());
    EXPECT_FALSE(log.join(u'\n').contains(u"создаем"));
}

TEST(Deployment, FreshFolderGetsEveryBaseAndAllConnect)
{
    TempBases t;
    const auto created = deployDefaultBases(t.folder(), t.settings());
    ASSERT_TRUE(created.ok()) << created.error().toStdString();
    EXPECT_EQ(created->size(), static_cast<qsizetype>(deployedBases().size()));
    EXPECT_TRUE(deployDefaultBases(t.folder(), t.settings())->isEmpty()); // nothing overwritten
    for (const ConnectOutcome &o : connectStartupBases(t.connections(), t.shared()))
        EXPECT_EQ(o.number, static_cast<int>(o.base)) << baseName(o.base).toStdString();
    attachExternalTables(t.connections());
    // The product table is reachable from the warehouse base.
    SqlStatement q(t.connections().database(BaseId::Warehouse), QStringLiteral("SELECT COUNT(*) FROM prod.dt010"));
    EXPECT_TRUE(q.exec().ok());
    EXPECT_TRUE(upgradeStructure(t.connections(), t.settings(), {}).ok());
}

TEST(DishCollections, AddRefuseAndRemove)
{
    TempBases t;
    ASSERT_NE(t.create(BaseId::Dishes), Connections::kFailed);
    EXPECT_EQ(listCollections(t.connections(), t.settings()).size(), 1);

    t.prompter().expectInput(QStringLiteral("Введите название базы данных"), QStringLiteral("Школа"));
    const auto added = addCollection(t.connections(), t.settings());
    ASSERT_TRUE(added.ok());
    EXPECT_EQ(added->name, u"Школа");
    EXPECT_TRUE(t.connections().flExist(static_cast<int>(BaseId::Dishes), added->table));
    EXPECT_EQ(t.prompter().shown().back().title, u"База блюд");

    // A collection is found by its name or its table; no word means the first collection.
    EXPECT_EQ(findRecipeTable(t.connections(), t.settings(), QStringLiteral("школа")), added->table);
    EXPECT_EQ(findRecipeTable(t.connections(), t.settings(), added->table), added->table);
    EXPECT_TRUE(findRecipeTable(t.connections(), t.settings(), QString()).has_value());
    EXPECT_FALSE(findRecipeTable(t.connections(), t.settings(), QStringLiteral("Нет такой")).has_value());

    EXPECT_FALSE(addCollection(t.connections(), t.settings(), QStringLiteral("Д'ОУ")).ok());
    EXPECT_TRUE(t.prompter().saw(QStringLiteral("В данном случае нельзя использовать некоторые символы")));
    EXPECT_EQ(listCollections(t.connections(), t.settings()).size(), 2);

    t.prompter().expect(QStringLiteral("Удалить таблицу 'Школа' ?"), Prompter::Answer::No);
    EXPECT_FALSE(removeCollection(t.connections(), t.settings(), QStringLiteral("Школа")).ok());
    EXPECT_EQ(listCollections(t.connections(), t.settings()).size(), 2);
    t.prompter().expect(QStringLiteral("Удалить таблицу 'Школа' ?"), Prompter::Answer::Yes);
    EXPECT_TRUE(removeCollection(t.connections(), t.settings(), QStringLiteral("Школа")).ok());
    EXPECT_EQ(listCollections(t.connections(), t.settings()).size(), 1);
    EXPECT_FALSE(t.connections().flExist(static_cast<int>(BaseId::Dishes), added->table));
    EXPECT_TRUE(t.prompter().unexpected().isEmpty());
}

TEST(Restore, JournalsBaseThatCannotBeOpenedIsRecreatedAndTheOldFileKept)
{
    KULVERA_SQLITE_ONLY("a damaged file is kept beside itself");
    TempBases t;
    const QString path = basePath(BaseId::Journals, t.settings(), t.shared());
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("this is not a database at all, just text that happens to be here");
    }
    EXPECT_EQ(t.connections().connectBase(BaseId::Journals, t.shared(), true), Connections::kFailed);
    EXPECT_EQ(recreateJournalsBase(t.connections(), t.settings(), t.shared()), static_cast<int>(BaseId::Journals));
    EXPECT_TRUE(QFileInfo::exists(path + QStringLiteral(".damaged")));
}

TEST(Restore, ProductBaseQuestionResetsTheSetting)
{
    TempBases t;
    t.settings().save(Section::Prod, QStringLiteral("dbProd"), QStringLiteral("other.db"));
    t.prompter().expect(QStringLiteral("Восстановить подключение к стандартной базе продуктов?"), Prompter::Answer::No);
    EXPECT_FALSE(offerStandardProductBase(t.prompter(), t.settings()));
    EXPECT_TRUE(t.settings().contains(Section::Prod, QStringLiteral("dbProd")));
    t.prompter().expect(
        QStringLiteral("Восстановить подключение к стандартной базе продуктов?"), Prompter::Answer::Yes);
    EXPECT_TRUE(offerStandardProductBase(t.prompter(), t.settings()));
    EXPECT_EQ(baseFileName(BaseId::Products, t.settings()), u"db011.db");
}

TEST(Compaction, AnAttachedBaseIsCompactedAndAttachedAgain)
{
    KULVERA_SQLITE_ONLY("compaction rewrites the file");
    TempBases t;
    ASSERT_TRUE(deployDefaultBases(t.folder(), t.settings()).ok());
    connectStartupBases(t.connections(), t.shared());
    attachExternalTables(t.connections());
    const int products = static_cast<int>(BaseId::Products);
    const Status s = compactBase(t.connections(), products, QStringLiteral("dt010"), t.root() + QStringLiteral("/tmp"),
        QDate(2026, 12, 6), t.settings());
    ASSERT_TRUE(s.ok()) << s.error().toStdString() << t.prompter().transcript().toStdString();
    EXPECT_TRUE(t.connections().isConnected(products));
    SqlStatement q(t.connections().database(BaseId::Warehouse), QStringLiteral("SELECT COUNT(*) FROM prod.dt010"));
    EXPECT_TRUE(q.exec().ok());
}

TEST(Deployment, AttachmentsCanBeReleasedSoAFileCanBeReplaced)
{
    KULVERA_SQLITE_ONLY("attached files are released");
    TempBases t;
    ASSERT_TRUE(deployDefaultBases(t.folder(), t.settings()).ok());
    connectStartupBases(t.connections(), t.shared());
    attachExternalTables(t.connections());
    t.connections().detachEverywhere(static_cast<int>(BaseId::Products));
    SqlStatement gone(t.connections().database(BaseId::Warehouse), QStringLiteral("SELECT COUNT(*) FROM prod.dt010"));
    EXPECT_FALSE(gone.exec().ok());
    attachExternalTables(t.connections()); // built again
    SqlStatement back(t.connections().database(BaseId::Warehouse), QStringLiteral("SELECT COUNT(*) FROM prod.dt010"));
    EXPECT_TRUE(back.exec().ok());
}

TEST(NewBaseFile, StoredRowsOfKilobytesFitOnOnePage)
{
    KULVERA_SQLITE_ONLY("the page size of a new file");
    // A dish row holds every character as four digits; pages of 16 KB keep such rows whole.
    TempBases t;
    const int dishes = t.create(BaseId::Dishes);
    ASSERT_NE(dishes, Connections::kFailed);
    SqlStatement pageSize(t.connections().database(dishes), QStringLiteral("PRAGMA page_size"));
    ASSERT_TRUE(pageSize.exec().ok());
    ASSERT_TRUE(pageSize.next());
    EXPECT_EQ(pageSize.value(0).toInt(), 16384);
}
