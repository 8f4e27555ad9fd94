#include "ProductTestSupport.h"

#include "products/ProductSeed.h"
#include "products/ProductSync.h"
#include "shell/DataFiles.h"
#include "shell/ServerBases.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>

#include <gtest/gtest.h>

using namespace kulvera;
using kulvera::test::ProductFixture;

namespace {

// The delivered copy: the same products with new composition and the
// supplier's own prices, plus one product the current base lacks.
void makeDeliveredCopy(ProductFixture &f)
{
    const QString path = basePath(BaseId::ProductsSync, f.t.settings(), f.t.shared());
    ASSERT_TRUE(createBaseFile(path, BaseId::ProductsSync, f.t.settings()).ok());
    const int copy = f.t.connections().connectBase(BaseId::ProductsSync, f.t.shared(), true);
    ASSERT_NE(copy, Connections::kFailed);
    ProductBase delivered(f.t.connections(), f.t.settings(), f.t.prompter(), f.clock, copy);
    std::vector<ProductRow> rows;
    for (qint64 key : {1, 2, 3}) {
        ProductRow row = ProductFixture::fullRow(QStringLiteral("Новый %1").arg(key), 50.0);
        row.setKey(key);
        row.setPrice(1.0);
        row.priceUnit = 1;
        row.setOut(100);
        row.l72 = false;
        for (auto &loss : row.losses)
            loss = 99.0;
        for (auto &v : row.variants)
            v = QStringLiteral("поставка");
        rows.push_back(row);
    }
    ASSERT_TRUE(delivered.insertRows(rows).ok());
    f.t.connections().disconnect(copy);
}

// Another running copy of the program: its own connection to a base file,
// which the engine sees just as it sees another process.
class OtherCopy
{
public:
    explicit OtherCopy(const QString &path)
        : name_(QStringLiteral("other copy %1").arg(++count_))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db.setDatabaseName(path);
        EXPECT_TRUE(db.open());
    }
    ~OtherCopy()
    {
        QSqlDatabase::database(name_, false).close();
        QSqlDatabase::removeDatabase(name_);
    }
    void exec(const QString &sql)
    {
        EXPECT_TRUE(execSql(QSqlDatabase::database(name_, false), sql).ok()) << sql.toStdString();
    }
    double number(const QString &sql)
    {
        SqlStatement q(QSqlDatabase::database(name_, false), sql);
        EXPECT_TRUE(q.exec().ok() && q.next());
        return q.value(0).toDouble();
    }

private:
    static inline int count_ = 0;
    QString name_;
};

} // namespace

TEST(ProductSync, KeepsTheUsersValuesTakesTheRestAndLeavesABackup)
{
    ProductFixture f;
    ProductRow mine = ProductFixture::fullRow(QStringLiteral("Мой 1"));
    mine.setKey(1);
    mine.setPrice(123.45);
    mine.priceUnit = 3;
    mine.setOut(66);
    mine.l72 = true;
    mine.losses[2].reset();
    ProductRow second = ProductFixture::fullRow(QStringLiteral("Мой 2"));
    second.setKey(2);
    ASSERT_TRUE(f.base.insertRows({mine, second}).ok());
    makeDeliveredCopy(f);
    const QString current = basePath(BaseId::Products, f.t.settings(), f.t.shared());
    const QString copyPath = basePath(BaseId::ProductsSync, f.t.settings(), f.t.shared());

    const Status done = synchronizeProductBase(f.t.connections(), f.t.settings(), f.t.shared(), f.t.prompter());
    ASSERT_TRUE(done.ok()) << done.error().toStdString();
    EXPECT_TRUE(f.t.prompter().shown().empty()) << f.t.prompter().transcript().toStdString();
    EXPECT_TRUE(f.t.prompter().statuses().contains(u"Сохраняем цены..."));
    EXPECT_TRUE(f.t.prompter().statuses().contains(u"Резервная копия заменяемой базы..."));
    EXPECT_TRUE(QFileInfo::exists(current + QStringLiteral("_backup")));
    EXPECT_FALSE(QFileInfo::exists(copyPath));
    ASSERT_TRUE(f.t.connections().isConnected(BaseId::Products));

    ProductBase after(f.t.connections(), f.t.settings(), f.t.prompter(), f.clock);
    EXPECT_EQ(after.count(), 3);
    const auto one = after.findQuiet(1);
    ASSERT_TRUE(one);
    EXPECT_EQ(one->prod.FullName, u"Новый 1"); // the delivered data
    EXPECT_EQ(one->prod.Bel, ProductFixture::fullRow({}, 50.0).prod.Bel);
    EXPECT_EQ(one->prod.Price, 123.45); // the user's own
    EXPECT_EQ(one->priceUnit, 3);
    EXPECT_EQ(one->out, 66.0);
    EXPECT_TRUE(one->l72);
    EXPECT_FALSE(one->losses[2].has_value());
    EXPECT_EQ(one->losses[0], 60.0);
    EXPECT_EQ(one->variants[11], u"Вариант 12");
    EXPECT_EQ(after.findQuiet(3)->prod.Price, 1.0); // new product as delivered

    // The backup is the old base.
    Connections &c = f.t.connections();
    const int old = c.connect(current + QStringLiteral("_backup"), QStringLiteral("dt010"), true);
    ASSERT_NE(old, Connections::kFailed);
    EXPECT_EQ(ProductBase(c, f.t.settings(), f.t.prompter(), f.clock, old).findQuiet(1)->prod.FullName, u"Мой 1");
}

// Bases on a PostgreSQL server are schemas: the run that puts one file in the
// place of another is refused there before it touches either base.
TEST(ProductSync, IsRefusedOnTheServerBeforeAnythingChanges)
{
    ProductFixture f;
    ProductRow mine = ProductFixture::fullRow(QStringLiteral("Мой 1"));
    mine.setKey(1);
    ASSERT_TRUE(f.base.insertRows({mine}).ok());
    makeDeliveredCopy(f);
    const QString copyPath = basePath(BaseId::ProductsSync, f.t.settings(), f.t.shared());
    const QString current = basePath(BaseId::Products, f.t.settings(), f.t.shared());
    f.t.connections().setServer(ServerSettings {});
    const Status done = synchronizeProductBase(f.t.connections(), f.t.settings(), f.t.shared(), f.t.prompter());
    f.t.connections().setServer(std::nullopt);
    EXPECT_FALSE(done.ok());
    EXPECT_TRUE(f.t.prompter().transcript().contains(
        u"Синхронизация базы продуктов: недоступно для баз на сервере PostgreSQL (это делает администратор сервера)"))
        << f.t.prompter().transcript().toStdString();
    EXPECT_TRUE(QFileInfo::exists(copyPath));
    EXPECT_FALSE(QFileInfo::exists(current + QStringLiteral("_backup")));
    EXPECT_EQ(
        ProductBase(f.t.connections(), f.t.settings(), f.t.prompter(), f.clock).findQuiet(1)->prod.FullName, u"Мой 1");
}

TEST(ProductSync, AnotherRunningCopyKeepsTheBaseAndItsEditsUntilItCloses)
{
    ProductFixture f;
    ProductRow mine = ProductFixture::fullRow(QStringLiteral("Мой"));
    mine.setKey(1);
    mine.setPrice(10);
    ASSERT_TRUE(f.base.insertRows({mine}).ok());
    makeDeliveredCopy(f);
    const QString current = basePath(BaseId::Products, f.t.settings(), f.t.shared());
    const QString copyPath = basePath(BaseId::ProductsSync, f.t.settings(), f.t.shared());

    // The other copy has the base open and has just saved a price; its commit
    // is still in the write-ahead log.
    {
        OtherCopy other(current);
        other.exec(QStringLiteral("PRAGMA wal_autocheckpoint = 0"));
        other.exec(QStringLiteral("UPDATE \"dt010\" SET \"Цена\" = 77 WHERE \"Код\" = 1"));
        EXPECT_FALSE(synchronizeProductBase(f.t.connections(), f.t.settings(), f.t.shared(), f.t.prompter()).ok());
        EXPECT_EQ(f.t.prompter().transcript(),
            u"Не удается завершить синхронизацию базы\ndb011.db\nзаблокирована на запись.\nПапка: "
                + QFileInfo(current).absolutePath());
        EXPECT_FALSE(QFileInfo::exists(current + QStringLiteral("_backup")));
        EXPECT_TRUE(QFileInfo::exists(copyPath));
        // The program goes on with the base it had.
        ASSERT_TRUE(f.t.connections().isConnected(BaseId::Products));
        EXPECT_EQ(f.base.findQuiet(1)->prod.FullName, u"Мой");
        EXPECT_EQ(f.base.findQuiet(1)->prod.Price, 77.0);
    }

    // Once it has closed, the price it saved is carried over and kept in the backup.
    f.t.prompter().clear();
    const Status done = synchronizeProductBase(f.t.connections(), f.t.settings(), f.t.shared(), f.t.prompter());
    ASSERT_TRUE(done.ok()) << done.error().toStdString() << f.t.prompter().transcript().toStdString();
    EXPECT_EQ(f.base.findQuiet(1)->prod.FullName, u"Новый 1");
    EXPECT_EQ(f.base.findQuiet(1)->prod.Price, 77.0);
    OtherCopy backup(current + QStringLiteral("_backup"));
    EXPECT_EQ(backup.number(QStringLiteral("SELECT \"Цена\" FROM \"dt010\" WHERE \"Код\" = 1")), 77.0);
}

TEST(ProductSync, ACopyOpenElsewhereOrAForeignCopyStopsBeforeAnythingChanges)
{
    ProductFixture f;
    ProductRow mine = ProductFixture::fullRow(QStringLiteral("Мой"));
    mine.setKey(1);
    ASSERT_TRUE(f.base.insertRows({mine}).ok());
    makeDeliveredCopy(f);
    const QString current = basePath(BaseId::Products, f.t.settings(), f.t.shared());
    const QString copyPath = basePath(BaseId::ProductsSync, f.t.settings(), f.t.shared());

    {
        OtherCopy other(copyPath);
        other.exec(QStringLiteral("SELECT COUNT(*) FROM \"dt010\""));
        EXPECT_FALSE(synchronizeProductBase(f.t.connections(), f.t.settings(), f.t.shared(), f.t.prompter()).ok());
    }
    EXPECT_EQ(f.t.prompter().transcript(),
        u"Не удается завершить синхронизацию базы\ndb011_sync.db\nзаблокирована на запись.\nПапка: "
            + QFileInfo(copyPath).absolutePath());
    EXPECT_FALSE(QFileInfo::exists(current + QStringLiteral("_backup")));
    EXPECT_TRUE(QFileInfo::exists(copyPath));
    EXPECT_EQ(f.base.findQuiet(1)->prod.FullName, u"Мой");

    // A copy whose keys match nothing is not this base's copy.
    f.t.prompter().clear();
    const int copy = f.t.connections().connectBase(BaseId::ProductsSync, f.t.shared(), true);
    ASSERT_TRUE(
        execSql(f.t.connections().database(copy), QStringLiteral("UPDATE \"dt010\" SET \"Код\" = \"Код\" + 100")).ok());
    f.t.connections().disconnect(copy);
    EXPECT_FALSE(synchronizeProductBase(f.t.connections(), f.t.settings(), f.t.shared(), f.t.prompter()).ok());
    EXPECT_EQ(f.t.prompter().transcript(), u"Нет соответствия основной базы продуктов базе продуктов синхронизации!");
    EXPECT_FALSE(QFileInfo::exists(current + QStringLiteral("_backup")));
    EXPECT_EQ(f.base.findQuiet(1)->prod.FullName, u"Мой");
}

TEST(ProductSeed, TheShippedSeedLoadsOnceWithGroupsAndUnits)
{
    kulvera::test::TempBases t;
    t.create(BaseId::Products);
    t.create(BaseId::Warehouse);
    FixedClock clock(QDate(2026, 3, 1));
    const QString csv = dataFile(QStringLiteral("products.csv"));
    ASSERT_TRUE(seedProductBase(t.connections(), t.settings(), csv).ok());
    ProductBase base(t.connections(), t.settings(), t.prompter(), clock);
    const int count = base.count();
    EXPECT_GE(count, 150);
    ASSERT_TRUE(seedProductBase(t.connections(), t.settings(), csv).ok());
    EXPECT_EQ(base.count(), count);

    // Full names are unique, every product has a group and a sensible output.
    const auto rows = base.list();
    QSet<QString> names;
    for (const ProductRow &row : *rows) {
        EXPECT_FALSE(names.contains(row.prod.FullName)) << row.prod.FullName.toStdString();
        names.insert(row.prod.FullName);
        EXPECT_GT(row.groupKey, 0);
        EXPECT_GT(row.out, 0.0);
        EXPECT_LE(row.out, 100.0);
        EXPECT_GT(row.prod.Voda + row.prod.Bel + row.prod.Gir, 0.0);
    }
    const auto milk = base.findByFullName(QStringLiteral("Молоко коровье цельное"));
    ASSERT_TRUE(milk);
    EXPECT_NEAR(milk->prod.Ca, 118, 1);
    EXPECT_NEAR(milk->prod.En, 72.9, 0.5);
    EXPECT_GT(milk->prod.лизин, 0.0);
    EXPECT_GT(milk->prod.пальмитиновая, 0.0);
    const auto potato = base.findByFullName(QStringLiteral("Картофель"));
    ASSERT_TRUE(potato && potato->l72);
    EXPECT_EQ(base.currentOutput(*potato), 60.0); // March

    colProds all;
    ASSERT_TRUE(base.load(all).ok());
    EXPECT_EQ(all.Count(), count);
    EXPECT_EQ(all.Item(QString::number(milk->key()))->FullName, u"Молоко коровье цельное");

    const QSqlDatabase wh = t.connections().database(BaseId::Warehouse);
    SqlStatement q(wh, QStringLiteral("SELECT COUNT(*) FROM \"dt105\" WHERE \"IsBase\" = 1"));
    ASSERT_TRUE(q.exec().ok() && q.next());
    EXPECT_EQ(q.value(0).toInt(), 15);
}

TEST(ProductSeed, AMalformedFileChangesNothingAndNamesTheLine)
{
    kulvera::test::TempBases t;
    t.create(BaseId::Products);
    FixedClock clock(QDate(2026, 3, 1));
    ProductBase base(t.connections(), t.settings(), t.prompter(), clock);
    const auto write = [&](const QByteArray &text) {
        QFile file(t.root() + QStringLiteral("/p.csv"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return file.fileName();
    };
    Status s = seedProductBase(t.connections(), t.settings(), write("Код,Имя2,Вода\n1,Лук,86\n2,Чеснок,abc\n"));
    EXPECT_FALSE(s.ok());
    EXPECT_TRUE(s.error().contains(u"строка 3")) << s.error().toStdString();
    EXPECT_EQ(base.count(), 0);
    EXPECT_FALSE(seedProductBase(t.connections(), t.settings(), write("Код,Нет такой\n1,2\n")).ok());
    EXPECT_FALSE(seedProductBase(t.connections(), t.settings(), write("Код,Имя2\n1,\"Лук\n")).ok());
    EXPECT_FALSE(seedProductBase(t.connections(), t.settings(), write("Код,Имя2\n1\n")).ok());
    EXPECT_EQ(base.count(), 0);
    ASSERT_TRUE(seedProductBase(
                    t.connections(), t.settings(), write("\xEF\xBB\xBFКод,Имя2,Вода\n1,\"Лук, \"\"репка\"\"\",86,5\n"))
                    .ok()
        == false);
    ASSERT_TRUE(seedProductBase(
        t.connections(), t.settings(), write("\xEF\xBB\xBFКод,Имя2,Вода\r\n1,\"Лук, \"\"репка\"\"\",\"86,5\"\r\n"))
                    .ok());
    EXPECT_EQ(base.findQuiet(1)->prod.FullName, u"Лук, \"репка\"");
    EXPECT_EQ(base.findQuiet(1)->prod.Voda, 86.5);
}
