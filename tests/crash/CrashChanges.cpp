#include "CrashChanges.h"

#include "menus/MenuBase.h"
#include "menus/RationEditing.h"
#include "menus/SqlMenuFile.h"
#include "products/ProductSync.h"
#include "recipes/DishBase.h"
#include "shell/Catalogue.h"
#include "shell/Databases.h"
#include "shell/DbMaintenance.h"
#include "shell/DbStructure.h"
#include "shell/DishCollections.h"
#include "shell/SqlStatement.h"
#include "warehouse/Counterparties.h"
#include "warehouse/DishWriteOff.h"
#include "warehouse/IncomingInvoices.h"
#include "warehouse/StockCheck.h"
#include "warehouse/StockMovements.h"
#include "warehouse/StockReconciliation.h"
#include "warehouse/WarehouseBase.h"
#include "warehouse/Warehouses.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <algorithm>

namespace kulvera::test {
namespace {

constexpr int kDishBase = static_cast<int>(BaseId::Dishes);
constexpr int kProducts = 80;
const QString kTable = QStringLiteral("Столовая");
const QDate kDay(2026, 6, 1);

void addProducts(CrashSession &session, BaseId base, double protein)
{
    const QSqlDatabase db = session.connections().database(base);
    EXPECT_TRUE(execSql(db, QStringLiteral("BEGIN")));
    for (int p = 1; p <= kProducts; ++p) {
        EXPECT_TRUE(execSql(db,
            QStringLiteral("INSERT INTO dt010 (\"Код\", \"Имя\", \"Имя2\", \"Белки\", \"Вода\", \"Цена\", \"ЕдИ_Ц\") "
                           "VALUES (?, ?, ?, ?, 70, ?, 1)"),
            {p, QStringLiteral("Продукт %1").arg(p), QStringLiteral("Продукт %1").arg(p), protein + p % 5, 10 + p}));
    }
    EXPECT_TRUE(execSql(db, QStringLiteral("COMMIT")));
}

// A recipe of `count` products, masses shifted by `shift`.
colBludo recipeOf(int count, int shift)
{
    colBludo recipe;
    for (int p = 1; p <= count; ++p) {
        clsProds position;
        position.ID_Prod = QString::number(p);
        position.Kod = QStringLiteral("pro%1").arg(p, 8, 10, QLatin1Char('0'));
        position.FullName = position.ShortName = QStringLiteral("Продукт %1").arg(p);
        position.Netto = position.Brutto = 10 + (p + shift) % 13;
        position.Out = QStringLiteral("100");
        recipe.Add()->clsProds() = position;
    }
    return recipe;
}

struct Dishes {
    explicit Dishes(CrashSession &session)
        : c(session.context())
        , codec(installationCodec(c.connections, kDishBase, c.settings, &c.prompter).value())
        , base(c.connections, kDishBase, c.settings, c.prompter, codec)
    {
    }
    Status save(const colBludo &recipe, const QString &table, const QString &name)
    {
        SaveOptions options;
        options.silent = true;
        return base.save(recipe, table, name, options);
    }
    AppContext &c;
    StoredTextCodec codec;
    DishBase base;
};

QString collectionTable(CrashSession &session)
{
    return findRecipeTable(session.connections(), session.context().settings, kTable).value_or(QString());
}

// A dish base with one collection of `recipes` recipes of `positions` products each.
void prepareDishes(const CrashInstallation &installation, const std::vector<BaseId> &bases, int recipes, int positions)
{
    CrashSession session(installation, bases, true);
    ASSERT_TRUE(session.ok());
    addProducts(session, BaseId::Products, 2);
    AppContext &c = session.context();
    const QString table = addCollection(c.connections, c.settings, kTable)->table;
    Dishes dishes(session);
    for (int r = 1; r <= recipes; ++r)
        ASSERT_TRUE(dishes.save(recipeOf(positions, r), table, QStringLiteral("Рецептура %1").arg(r)));
}

struct Menu {
    explicit Menu(CrashSession &session)
        : dishes(session)
        , base(session.connections(), static_cast<int>(BaseId::Menu), session.context().settings,
              session.context().prompter, dishes.codec)
        , editing(base)
        , table(collectionTable(session))
    {
    }
    // `count` dishes spread over three meals.
    Ration ration(const QDate &day, int count, int first)
    {
        Ration r({day, {}});
        const QString meals[] = {QStringLiteral("Завтрак"), QStringLiteral("Обед"), QStringLiteral("Ужин")};
        for (int d = 0; d < count; ++d)
            EXPECT_TRUE(editing.addDish(
                r, meals[d % 3], dishes.base, table, QStringLiteral("Рецептура %1").arg(1 + (first + d) % 8), {}));
        return r;
    }
    Dishes dishes;
    MenuBase base;
    RationEditing editing;
    QString table;
};

// Stock: every product received twice into one warehouse; a second warehouse
// stands empty. Units: 1 "кг", 2 "г".
void prepareStock(const CrashInstallation &installation, const std::vector<BaseId> &bases)
{
    CrashSession session(installation, bases, true);
    ASSERT_TRUE(session.ok());
    addProducts(session, BaseId::Products, 2);
    WarehouseBase base(session.context());
    ASSERT_TRUE(base.exec(QStringLiteral("INSERT INTO \"dt105\" (\"ID\", \"Name\", \"Pref\", \"Koef\", \"SGroup\") "
                                         "VALUES (1, 'кг', 'кг', 1, 1), (2, 'г', 'г', 0.001, 1)")));
    const qint64 store = Warehouses(base).add(QStringLiteral("Склад")).value();
    Warehouses(base).add(QStringLiteral("Бар")).value();
    const qint64 supplier = Counterparties(base).add(QStringLiteral("Поставщик")).value();
    IncomingInvoices invoices(base);
    for (int day = 0; day < 2; ++day) {
        std::vector<NewLine> lines;
        for (int p = 1; p <= kProducts; ++p) {
            NewLine l;
            l.product = p;
            l.quantity = 50;
            l.price = 10 + p % 7;
            lines.push_back(l);
        }
        ASSERT_TRUE(invoices.receive({QString::number(day + 1), kDay.addDays(day), supplier, store, {}}, lines));
    }
}

std::optional<std::string> stockAddsUp(CrashSession &session)
{
    WarehouseBase base(session.context());
    const auto differences = checkStock(base);
    if (!differences)
        return "the stock could not be checked: " + differences.error().toStdString();
    if (!differences->empty())
        return "the stock of product " + std::to_string(differences->front().product) + " does not add up";
    return std::nullopt;
}

const std::vector<BaseId> kDishBases = {BaseId::Dishes, BaseId::Products};
const std::vector<BaseId> kMenuBases = {BaseId::Dishes, BaseId::Menu, BaseId::Products};
const std::vector<BaseId> kStockBases = {BaseId::Warehouse, BaseId::Products};
const std::vector<BaseId> kDishStockBases = {BaseId::Warehouse, BaseId::Dishes, BaseId::Products};

} // namespace

CrashChange recipeSave()
{
    CrashChange change;
    change.name = "RecipeSave";
    change.bases = kDishBases;
    change.prepare = [](const CrashInstallation &installation) { prepareDishes(installation, kDishBases, 3, 60); };
    // The second recipe is written anew with other masses and fewer positions.
    change.run = [](CrashSession &session) {
        Dishes dishes(session);
        return dishes.save(recipeOf(45, 7), collectionTable(session), QStringLiteral("Рецептура 2")).ok();
    };
    return change;
}

CrashChange rationSave()
{
    CrashChange change;
    change.name = "RationSave";
    change.bases = kMenuBases;
    change.prepare = [](const CrashInstallation &installation) {
        prepareDishes(installation, kMenuBases, 8, 10);
        CrashSession session(installation, kMenuBases);
        Menu menu(session);
        ASSERT_TRUE(menu.editing.save(menu.ration(kDay, 8, 0)));
        ASSERT_TRUE(menu.editing.save(menu.ration(kDay.addDays(1), 8, 3)));
    };
    // The first day's ration is replaced by a larger one of other dishes.
    change.run = [](CrashSession &session) {
        Menu menu(session);
        return menu.editing.save(menu.ration(kDay, 20, 5)).ok();
    };
    return change;
}

CrashChange warehouseMovement()
{
    CrashChange change;
    change.name = "WarehouseMovement";
    change.bases = kStockBases;
    change.prepare = [](const CrashInstallation &installation) { prepareStock(installation, kStockBases); };
    // Part of every lot of the first warehouse goes to the second.
    change.run = [](CrashSession &session) {
        WarehouseBase base(session.context());
        StockMovements movements(base);
        const auto lots = movements.movableLots(1);
        if (!lots || lots->empty())
            return false;
        Movement movement {kDay.addDays(5), QStringLiteral("П-1"), 1, 2, QStringLiteral("в бар"), {}};
        for (const MovableLot &lot : *lots)
            movement.rows.push_back({lot.view.lot.key, 5});
        return movements.move(movement).ok();
    };
    change.invariant = stockAddsUp;
    return change;
}

CrashChange reconciliation()
{
    CrashChange change;
    change.name = "Reconciliation";
    change.bases = kStockBases;
    change.prepare = [](const CrashInstallation &installation) { prepareStock(installation, kStockBases); };
    // Every lot counted: one in two above its quantity, the others below.
    change.run = [](CrashSession &session) {
        WarehouseBase base(session.context());
        const auto lots = StockMovements(base).movableLots(1);
        if (!lots || lots->empty())
            return false;
        std::vector<LotCount> counts;
        for (const MovableLot &lot : *lots)
            counts.push_back({lot.view.lot.key, lot.view.lot.key % 2 == 0 ? 53.5 : 41});
        return StockReconciliation(base).reconcile(1, counts).ok();
    };
    change.invariant = stockAddsUp;
    return change;
}

CrashChange dishWriteOff()
{
    CrashChange change;
    change.name = "DishWriteOff";
    change.bases = kDishStockBases;
    change.prepare = [](const CrashInstallation &installation) {
        prepareStock(installation, kDishStockBases);
        CrashSession session(installation, kDishStockBases);
        const QString table = addCollection(session.connections(), session.context().settings, kTable)->table;
        Dishes dishes(session);
        ASSERT_TRUE(dishes.save(recipeOf(kProducts, 0), table, QStringLiteral("Рецептура 1")));
    };
    // A document of three dishes, header and lines at once.
    change.run = [](CrashSession &session) {
        WarehouseBase base(session.context());
        Dishes dishes(session);
        const colBludo recipe = recipeOf(kProducts, 0);
        std::vector<PreparedDish> prepared;
        for (int d = 1; d <= 3; ++d)
            prepared.push_back({QStringLiteral("Блюдо %1").arg(d), QStringLiteral("100"), 10.0 * d, &recipe});
        return DishWriteOff(base, dishes.base).create({kDay.addDays(3), 1, {}}, prepared).ok();
    };
    change.invariant = stockAddsUp;
    return change;
}

CrashChange sqlMenuImport()
{
    CrashChange change;
    change.name = "SqlMenuImport";
    change.bases = kMenuBases;
    // Six days of rations are written to a file and taken out of the base;
    // one day stays, so the base is not empty before the import.
    change.prepare = [](const CrashInstallation &installation) {
        prepareDishes(installation, kMenuBases, 8, 10);
        CrashSession session(installation, kMenuBases);
        Menu menu(session);
        std::vector<QDate> days;
        std::vector<RationKey> keys;
        for (int d = 0; d < 6; ++d) {
            ASSERT_TRUE(menu.editing.save(menu.ration(kDay.addDays(d), 5, d)));
            days.push_back(kDay.addDays(d));
            keys.push_back({kDay.addDays(d), {}});
        }
        ASSERT_TRUE(menu.editing.save(menu.ration(kDay.addDays(20), 6, 1)));
        ASSERT_TRUE(saveSqlMenuFile(menu.base, days, std::nullopt,
            QDir(installation.root()).filePath(QStringLiteral("KV_Bases/week.sql_menu")), {false, false}));
        for (const RationKey &key : keys)
            ASSERT_TRUE(menu.base.remove(key));
    };
    change.run = [](CrashSession &session) {
        Menu menu(session);
        const QString path = QDir(session.context().shared.dirBook()).filePath(QStringLiteral("week.sql_menu"));
        const auto summary = loadSqlMenuFile(menu.base, path);
        return summary && summary->added == 6;
    };
    return change;
}

CrashChange compaction()
{
    CrashChange change;
    change.name = "Compaction";
    change.bases = kDishBases;
    change.rowsChange = false;
    // Half the recipes deleted: the file has free pages to give back.
    change.prepare = [](const CrashInstallation &installation) {
        prepareDishes(installation, kDishBases, 24, 30);
        CrashSession session(installation, kDishBases);
        const QString table = collectionTable(session);
        ASSERT_TRUE(execSql(session.connections().database(kDishBase),
            QStringLiteral("DELETE FROM \"") + table + QStringLiteral("\" WHERE \"ID\" % 2 = 0")));
    };
    change.run = [](CrashSession &session) {
        AppContext &c = session.context();
        return compactBase(c.connections, kDishBase, identifyingTable(BaseId::Dishes, c.settings),
            QDir(c.shared.dirBook()).filePath(QStringLiteral("../tmp")), c.clock.today(), c.settings, false)
            .ok();
    };
    return change;
}

CrashChange productSynchronisation()
{
    CrashChange change;
    change.name = "ProductSynchronisation";
    change.bases = {BaseId::Products};
    // The user's prices in the current base; the delivered copy has the same
    // products with new composition.
    change.prepare = [](const CrashInstallation &installation) {
        CrashSession session(installation, {BaseId::Products}, true);
        ASSERT_TRUE(session.ok());
        addProducts(session, BaseId::Products, 2);
        AppContext &c = session.context();
        const QString path = basePath(BaseId::ProductsSync, c.settings, c.shared);
        ASSERT_TRUE(createBaseFile(path, BaseId::ProductsSync, c.settings));
        ASSERT_NE(c.connections.connectBase(BaseId::ProductsSync, c.shared, true), Connections::kFailed);
        addProducts(session, BaseId::ProductsSync, 9);
        ASSERT_TRUE(execSql(c.connections.database(BaseId::ProductsSync),
            QStringLiteral("UPDATE dt010 SET \"Цена\" = 1, \"Вода\" = 60")));
        c.connections.disconnect(static_cast<int>(BaseId::ProductsSync));
    };
    change.run = [](CrashSession &session) {
        AppContext &c = session.context();
        return synchronizeProductBase(c.connections, c.settings, c.shared, c.prompter).ok();
    };
    return change;
}

namespace {

void requireSound(CrashSession &session, const CrashChange &change, const std::string &when)
{
    EXPECT_TRUE(session.ok()) << when;
    for (const BaseId base : change.bases)
        EXPECT_EQ(session.integrity(base), QStringLiteral("ok")) << when << ": " << static_cast<int>(base);
    if (change.invariant) {
        const auto fault = change.invariant(session);
        EXPECT_FALSE(fault) << when << ": " << fault.value_or("");
    }
}

Dumps dumpsOf(CrashSession &session, const CrashChange &change)
{
    Dumps dumps;
    for (const BaseId base : change.bases)
        dumps[base] = baseDump(session, base);
    return dumps;
}

} // namespace

Dumps soundDumps(const CrashInstallation &installation, const CrashChange &change, const std::string &when)
{
    CrashSession session(installation, change.bases);
    requireSound(session, change, when);
    return dumpsOf(session, change);
}

int runChangeInChild(
    const CrashInstallation &installation, const CrashChange &change, const std::function<void()> &begin)
{
    CrashSession session(installation, change.bases);
    if (!session.ok())
        return 2;
    begin();
    return change.run(session) ? 0 : 1;
}

PreparedChange::PreparedChange(const CrashChange &which)
    : change(which)
{
    change.prepare(installation);
    if (testing::Test::HasFailure()) {
        ADD_FAILURE() << change.name << ": the installation could not be prepared";
        return;
    }
    {
        CrashSession session(installation, change.bases);
        for (const BaseId base : change.bases) {
            AppContext &c = session.context();
            paths_[base] = basePath(base, c.settings, c.shared);
        }
    }
    before = soundDumps(installation, change, "before");
    beforeFiles_ = closedFiles().value_or(Files {});
    // Kept once the check above has closed the bases: the files as kept are
    // the files as they were before.
    snapshot.emplace(installation);
    const ChildEnd whole
        = runChild([this](const std::function<void()> &ready) { return runChangeInChild(installation, change, ready); },
            std::nullopt);
    if (whole.killed || whole.exitCode != 0) {
        ADD_FAILURE() << change.name << ": the uninterrupted change failed (" << whole.exitCode << ')';
        return;
    }
    span = whole.afterReady;
    after = soundDumps(installation, change, "after");
    afterFiles_ = closedFiles().value_or(Files {});
    snapshot->restore();
    // Run again: the new state must come out the same (kills are judged
    // against it), and the longer run sets the span kills are spread over,
    // so that one quick run on a busy machine does not leave the end of the
    // change out of reach.
    const ChildEnd again
        = runChild([this](const std::function<void()> &ready) { return runChangeInChild(installation, change, ready); },
            std::nullopt);
    if (again.killed || again.exitCode != 0 || !check("run again").after) {
        ADD_FAILURE() << change.name << ": the change run again did not come out the same";
        return;
    }
    span = std::max(span, again.afterReady);
    snapshot->restore();
    if (change.rowsChange && after == before) {
        ADD_FAILURE() << change.name << ": the change changed nothing";
        return;
    }
    ok_ = !testing::Test::HasFailure();
}

std::optional<PreparedChange::Files> PreparedChange::closedFiles() const
{
    Files files;
    for (const auto &[base, path] : paths_) {
        // Rows still in a log beside the file are not in its bytes.
        if (QFileInfo::exists(path + QStringLiteral("-wal")) || QFileInfo::exists(path + QStringLiteral("-journal")))
            return std::nullopt;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return std::nullopt;
        files[base] = file.readAll();
    }
    return files;
}

Found PreparedChange::check(const std::string &when) const
{
    {
        CrashSession session(installation, change.bases);
        requireSound(session, change, when);
    }
    const bool rowsAlike = before == after;
    if (const auto files = closedFiles()) {
        if (*files == beforeFiles_)
            return {true, rowsAlike, true};
        if (*files == afterFiles_)
            return {rowsAlike, true, true};
    }
    CrashSession session(installation, change.bases);
    const Dumps found = dumpsOf(session, change);
    return {found == before, found == after, false};
}

std::vector<CrashChange> crashChanges()
{
    return {recipeSave(), rationSave(), warehouseMovement(), reconciliation(), dishWriteOff(), sqlMenuImport(),
        compaction(), productSynchronisation()};
}

} // namespace kulvera::test
