#include "maintenance/MaintenanceRun.h"

#include "maintenance/DishRunSupport.h"
#include "maintenance/PositionResync.h"
#include "maintenance/QuietPrompter.h"
#include "maintenance/RunProgress.h"
#include "products/ProductBase.h"
#include "products/colProds.h"
#include "recipes/CompositionString.h"
#include "recipes/DishBase.h"
#include "recipes/ProductReplacement.h"
#include "recipes/StoredText.h"
#include "shell/AppContext.h"
#include "shell/DbMaintenance.h"
#include "shell/DishCollections.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

#include <algorithm>
#include <functional>
#include <map>

namespace kulvera {
namespace {

constexpr int kDishes = static_cast<int>(BaseId::Dishes);

// The columns a run reads of each stored position, and where they go in a StoredRow.
constexpr int kReadColumns[] = {1, 4, 13, 14, 15, 17, 18, 20, 21, 22, 23, 26, 27, 28};

struct DishRun {
    AppContext &context;
    RunProgress &progress;
    MaintenanceReport &report;
    StoredTextCodec codec; // without a prompter: a broken value must not open a box per row
    qint64 done = 0;
    qint64 total = 0;
};

qint64 countRows(const QSqlDatabase &db, const QString &table)
{
    SqlStatement q(db, QStringLiteral("SELECT COUNT(*) FROM ") + SqlDialect::of(db).quote(table));
    return q.exec() && q.next() ? q.value(0).toLongLong() : 0;
}

struct StoredPosition {
    qint64 id = 0;
    DishBase::StoredRow row;
};

// One recipe (or a menu copy kept in the collection), its rows in ID order,
// brought up to date; the changed rows are written unless it is a dry run.
Status resyncStoredRecipe(DishRun &run, const QString &collection, const std::vector<StoredPosition> &rows,
    const ResyncRules &rules, SqlStatement &update, QuietPrompter &quiet, bool dryRun)
{
    colBludo recipe;
    recipe.reserve(static_cast<int>(rows.size()));
    for (const StoredPosition &stored : rows) {
        clsProds &p = recipe.Add()->clsProds();
        DishBase::readStoredPosition(stored.row, p);
        readCompositionString(stored.row[23], p);
    }
    const DishBase::StoredRow &first = rows.front().row;
    const QString &name = first[1];
    ++run.report.recipesSeen;
    const RecipeResync result = resyncRecipe(recipe, name, rules, quiet);
    for (const QString &key : result.missingProducts) {
        const QString note = QStringLiteral("Продукт с кодом - ") + key
            + QStringLiteral(" не найден в базе продуктов; его позиции оставлены как были.");
        if (!run.report.notes.contains(note))
            run.report.notes << note;
    }
    if (result.changed.empty())
        return {};
    QString place = collection;
    if (!first[26].isEmpty())
        place += QStringLiteral(" (копия меню ") + first[26] + u')';
    run.report.changes.push_back({place, name, static_cast<int>(result.changed.size()), result.largest});
    run.report.rowsChanged += static_cast<int>(result.changed.size());
    if (dryRun)
        return {};
    for (int index : result.changed) {
        const clsProds &p = recipe.item(index)->clsProds();
        const bool full = p.HS_Full != 0;
        update.bind(0, run.codec.encode(p.ShortName));
        update.bind(1, run.codec.encode(p.FullName));
        update.bind(2, run.codec.encode(DishBase::storedFlag(full)));
        update.bind(3, run.codec.encode(compositionString(p, full)));
        update.bind(4, rows[static_cast<std::size_t>(index - 1)].id);
        if (const Status s = update.exec(); !s)
            return s;
    }
    return {};
}

// Every recipe of every collection through the rules, inside the caller's
// transaction. False when the user stopped the run.
Result<bool> resyncCollections(DishRun &run, const ResyncRules &rules, bool dryRun, const QString &step)
{
    const QSqlDatabase db = run.context.connections.database(kDishes);
    const SqlDialect &dialect = SqlDialect::of(db);
    ErrorLog *log = &run.context.errorLog;
    QuietPrompter quiet(run.context.prompter);
    DishBase dishes(run.context.connections, kDishes, run.context.settings, run.context.prompter, run.codec);
    const QList<DishCollection> collections = existingCollections(run.context);
    for (const DishCollection &c : collections)
        run.total += countRows(db, c.table);

    QString columns = QStringLiteral("\"ID\"");
    for (int n : kReadColumns)
        columns += QStringLiteral(", \"l") + QString::number(n) + u'"';
    for (const DishCollection &c : collections) {
        // Rows come grouped by recipe through the index every recipe lookup
        // uses (its last part is the row's ID), so no sort of the table.
        dishes.exists(c.table, QString());
        SqlStatement read(db,
            QStringLiteral("SELECT ") + columns + QStringLiteral(" FROM ") + dialect.quote(c.table)
                + QStringLiteral(" ORDER BY \"l26\", \"l1\", \"ID\""),
            log);
        SqlStatement update(db,
            QStringLiteral("UPDATE ") + dialect.quote(c.table)
                + QStringLiteral(" SET \"l20\" = ?, \"l21\" = ?, \"l22\" = ?, \"l23\" = ? WHERE \"ID\" = ?"),
            log);
        if (const Status s = read.exec(); !s)
            return Result<bool>::failure(s.error());
        // The rows of one (l26, l1) run, by the rest of their copy keys.
        std::map<std::pair<QString, QString>, std::vector<StoredPosition>> recipes;
        QString runDate;
        QString runName;
        bool any = false;
        auto flush = [&]() -> Result<bool> {
            for (auto &[keys, rows] : recipes) {
                const Status s = resyncStoredRecipe(run, c.name, rows, rules, update, quiet, dryRun);
                if (!s)
                    return Result<bool>::failure(s.error());
                run.done += static_cast<qint64>(rows.size());
                if (!run.progress.advance(run.done, run.total, step))
                    return false;
            }
            recipes.clear();
            return true;
        };
        while (read.next()) {
            const QString date = read.value(12).toString();
            const QString name = read.value(1).toString();
            if (any && (date != runDate || name != runName)) {
                const Result<bool> going = flush();
                if (!going || !going.value())
                    return going;
            }
            any = true;
            runDate = date;
            runName = name;
            StoredPosition position;
            position.id = read.value(0).toLongLong();
            int column = 1;
            for (int n : kReadColumns)
                position.row[static_cast<std::size_t>(n)] = run.codec.decode(read.value(column++).toString());
            recipes[{position.row[27], position.row[28]}].push_back(std::move(position));
        }
        const Result<bool> going = flush();
        if (!going || !going.value())
            return going;
    }
    run.report.notes << quiet.collected();
    return true;
}

Result<colProds> productBase(AppContext &context)
{
    colProds products;
    ProductBase base(context.connections, context.settings, context.prompter, context.clock);
    if (const Status s = base.load(products); !s)
        return Result<colProds>::failure(s.error());
    return products;
}

// The archive copy, the transaction, the run, the commit and the compaction
// every dish-base run shares.
MaintenanceReport runOnDishBase(AppContext &context, const MaintenanceOptions &options, RunProgress &progress,
    MaintenanceReport report, bool archive, const std::function<Result<bool>(DishRun &)> &work)
{
    report.dryRun = options.dryRun;
    const Result<StoredTextCodec> codec = quietInstallationCodec(context);
    if (!codec)
        return failedReport(report, codec.error());
    if (archive && !options.dryRun) {
        const Result<QString> copy
            = archiveCopy(context.connections, kDishes, archiveFolderOf(context.shared), context.clock.today());
        if (!copy)
            return failedReport(report, copy.error());
        report.archive = copy.value();
    }
    {
        DishRun run {context, progress, report, codec.value()};
        Transaction transaction(context.connections.database(kDishes), &context.errorLog);
        if (!transaction.started())
            return failedReport(report, QStringLiteral("Транзакция не начата"));
        const Result<bool> going = work(run);
        progress.finish();
        if (!going)
            return failedReport(report, going.error());
        if (!going.value()) {
            report.cancelled = true;
            return report;
        }
        if (!options.dryRun) {
            if (const Status s = transaction.commit(); !s)
                return failedReport(report, s.error());
        }
    }
    if (options.compact && !options.dryRun) {
        const Status s = compactBase(context.connections, kDishes, identifyingTable(BaseId::Dishes, context.settings),
            options.tempFolder, context.clock.today(), context.settings, false);
        if (s)
            report.compacted = true;
        else
            report.notes << QStringLiteral("База не сжата: ") + s.error();
    }
    return report;
}

} // namespace

MaintenanceReport syncDishBase(
    AppContext &context, const MaintenanceOptions &options, RunProgress &progress, const HeatTreatmentTables &losses)
{
    MaintenanceReport report;
    report.title = QStringLiteral("Синхронизация базы продуктов с базой блюд");
    const Result<colProds> products = productBase(context);
    if (!products)
        return failedReport(report, products.error());
    ResyncRules rules;
    rules.products = &products.value();
    rules.only = options.products;
    rules.fullComposition = DishBase::fullCompositionSetting(context.settings);
    rules.losses = &losses;
    return runOnDishBase(context, options, progress, report, true,
        [&](DishRun &run) { return resyncCollections(run, rules, options.dryRun, report.title); });
}

MaintenanceReport updateDishLosses(
    AppContext &context, const MaintenanceOptions &options, RunProgress &progress, const HeatTreatmentTables &losses)
{
    MaintenanceReport report;
    report.title = QStringLiteral("Обновление потерь при тепловой обработке в базе блюд");
    ResyncRules rules;
    rules.losses = &losses;
    return runOnDishBase(context, options, progress, report, true,
        [&](DishRun &run) { return resyncCollections(run, rules, options.dryRun, report.title); });
}

MaintenanceReport replaceProductInDishes(
    AppContext &context, qint64 from, qint64 to, RunProgress &progress, const HeatTreatmentTables &losses)
{
    MaintenanceReport report;
    report.title = QStringLiteral("Замена продукта в блюдах");
    if (from <= 0 || to <= 0 || from == to)
        return failedReport(report,
            QStringLiteral("Неверные коды продуктов для замены: ") + QString::number(from) + QStringLiteral(", ")
                + QString::number(to));
    const Result<colProds> products = productBase(context);
    if (!products)
        return failedReport(report, products.error());
    if (!products->Item(QString::number(to)))
        return failedReport(
            report, productNotFoundText(to, context.connections.path(static_cast<int>(BaseId::Products))));
    ResyncRules rules;
    rules.products = &products.value();
    rules.only = QSet<QString> {QString::number(to)};
    rules.fullComposition = DishBase::fullCompositionSetting(context.settings);
    rules.losses = &losses;
    MaintenanceOptions options;
    return runOnDishBase(context, options, progress, report, true, [&](DishRun &run) -> Result<bool> {
        const Result<int> replaced = replaceProductRows(context.connections, context.settings, run.codec, from, to);
        if (!replaced)
            return Result<bool>::failure(replaced.error());
        run.report.notes << QStringLiteral("Заменено позиций: ") + QString::number(replaced.value());
        return resyncCollections(run, rules, false, report.title);
    });
}

} // namespace kulvera
