#include "common/TextDate.h"
#include "maintenance/DishRunSupport.h"
#include "maintenance/MaintenanceRun.h"
#include "maintenance/PositionResync.h"
#include "maintenance/QuietPrompter.h"
#include "maintenance/RunProgress.h"
#include "menus/DayLocks.h"
#include "menus/MenuBase.h"
#include "products/ProductBase.h"
#include "products/colProds.h"
#include "recipes/DishBase.h"
#include "shell/AppContext.h"
#include "shell/DbMaintenance.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

#include <QHash>

#include <map>
#include <tuple>

namespace kulvera {
namespace {

constexpr int kDishes = static_cast<int>(BaseId::Dishes);
constexpr int kMenu = static_cast<int>(BaseId::Menu);

QString rationPlace(const QDate &date, const QString &group)
{
    return formatTextDate(date) + QStringLiteral(" [") + groupCaption(group) + u']';
}

// The menu base with the installation's codec; failure when either base is missing.
Result<MenuBase> openMenuBase(AppContext &context, Prompter &prompter)
{
    if (!context.connections.isConnected(kMenu))
        return Result<MenuBase>::failure(QStringLiteral("Не подключена база меню"));
    const Result<StoredTextCodec> codec = quietInstallationCodec(context);
    if (!codec)
        return Result<MenuBase>::failure(codec.error());
    return MenuBase(context.connections, kMenu, context.settings, prompter, codec.value());
}

void compactMenu(AppContext &context, const MaintenanceOptions &options, MaintenanceReport &report)
{
    if (!options.compact || options.dryRun || report.failed || report.cancelled)
        return;
    const Status s = compactBase(context.connections, kMenu, identifyingTable(BaseId::Menu, context.settings),
        options.tempFolder, context.clock.today(), context.settings, false);
    if (s)
        report.compacted = true;
    else
        report.notes << QStringLiteral("База не сжата: ") + s.error();
}

} // namespace

MaintenanceReport syncMenuBase(
    AppContext &context, const MaintenanceOptions &options, RunProgress &progress, const HeatTreatmentTables &losses)
{
    MaintenanceReport report;
    report.title = QStringLiteral("Синхронизация базы продуктов с базой меню");
    report.dryRun = options.dryRun;
    QuietPrompter quiet(context.prompter);
    const Result<MenuBase> base = openMenuBase(context, quiet);
    if (!base)
        return failedReport(report, base.error());
    colProds products;
    if (const Status s
        = ProductBase(context.connections, context.settings, context.prompter, context.clock).load(products);
        !s)
        return failedReport(report, s.error());
    ResyncRules rules;
    rules.products = &products;
    rules.only = options.products;
    rules.fullComposition = DishBase::fullCompositionSetting(context.settings);
    rules.losses = &losses;

    const auto rations = base->list();
    if (!rations)
        return failedReport(report, rations.error());
    if (!options.dryRun) {
        const Result<QString> copy
            = archiveCopy(context.connections, kMenu, archiveFolderOf(context.shared), context.clock.today());
        if (!copy)
            return failedReport(report, copy.error());
        report.archive = copy.value();
    }
    {
        Transaction transaction(base->database(), &context.errorLog);
        if (!transaction.started())
            return failedReport(report, QStringLiteral("Транзакция не начата"));
        const DayLocks locks(*base);
        const qint64 total = static_cast<qint64>(rations->size());
        qint64 done = 0;
        QSet<QString> missing;
        for (const RationListEntry &entry : *rations) {
            if (!progress.advance(done++, total, report.title + QStringLiteral(": ") + formatTextDate(entry.date))) {
                progress.finish();
                report.cancelled = true;
                return report;
            }
            if (locks.isLocked(entry.date, entry.group)) {
                ++report.skipped;
                continue;
            }
            Result<Ration> ration = base->load({entry.date, entry.group});
            if (!ration)
                return failedReport(report, ration.error());
            bool changed = false;
            for (int n = 1; n <= ration->dishCount(); ++n) {
                ++report.recipesSeen;
                const RecipeResync result = resyncRecipe(*ration->dish(n), ration->dishName(n), rules, quiet);
                missing.unite(result.missingProducts);
                if (result.changed.empty())
                    continue;
                changed = true;
                report.changes.push_back({rationPlace(entry.date, entry.group), ration->dishName(n),
                    static_cast<int>(result.changed.size()), result.largest});
                report.rowsChanged += static_cast<int>(result.changed.size());
            }
            if (changed && !options.dryRun) {
                if (const Status s = base->save(ration.value()); !s)
                    return failedReport(report, s.error());
            }
        }
        progress.finish();
        for (const QString &key : missing)
            report.notes << QStringLiteral("Продукт с кодом - ") + key
                    + QStringLiteral(" не найден в базе продуктов; его позиции оставлены как были.");
        report.notes << quiet.collected();
        if (!options.dryRun) {
            if (const Status s = transaction.commit(); !s)
                return failedReport(report, s.error());
        }
    }
    compactMenu(context, options, report);
    return report;
}

MaintenanceReport renumberMenuCards(AppContext &context, const MaintenanceOptions &options, RunProgress &progress)
{
    MaintenanceReport report;
    report.title = QStringLiteral("Обновление номеров карт в меню");
    report.dryRun = options.dryRun;
    const Result<MenuBase> base = openMenuBase(context, context.prompter);
    if (!base)
        return failedReport(report, base.error());
    const StoredTextCodec &codec = base->codec();
    ErrorLog *log = &context.errorLog;

    // The number of each recipe: the first collection holding it decides.
    QHash<QString, QString> numbers; // encoded name -> number
    {
        const QSqlDatabase dishes = context.connections.database(kDishes);
        const SqlDialect &dialect = SqlDialect::of(dishes);
        for (const DishCollection &c : existingCollections(context)) {
            SqlStatement q(dishes,
                QStringLiteral("SELECT \"l1\", \"l35\" FROM ") + dialect.quote(c.table)
                    + QStringLiteral(" WHERE \"l26\" IS NULL OR \"l26\" = '' ORDER BY \"ID\""),
                log);
            if (const Status s = q.exec(); !s)
                return failedReport(report, s.error());
            QHash<QString, QString> here;
            while (q.next()) {
                const QString name = q.value(0).toString();
                if (!here.contains(name))
                    here.insert(name, codec.decode(q.value(1).toString()));
            }
            for (auto it = here.cbegin(); it != here.cend(); ++it) {
                if (!numbers.contains(it.key()))
                    numbers.insert(it.key(), it.value());
            }
        }
    }

    const QSqlDatabase db = base->database();
    const SqlDialect &dialect = SqlDialect::of(db);
    Transaction transaction(db, log);
    if (!transaction.started())
        return failedReport(report, QStringLiteral("Транзакция не начата"));
    SqlStatement read(db,
        QStringLiteral("SELECT \"ID\", \"l1\", \"l26\", \"l28\", \"l30\" FROM ") + dialect.quote(base->table())
            + QStringLiteral(" ORDER BY \"ID\""),
        log);
    if (const Status s = read.exec(); !s)
        return failedReport(report, s.error());
    struct Renumbered {
        qint64 id;
        QString number;
    };
    std::vector<Renumbered> updates;
    // One line of the report per dish of a ration.
    std::map<std::tuple<QString, QString, QString>, ChangedRecipe> changed;
    QHash<QString, bool> lockedRations; // encoded l26 + '|' + encoded l28
    QSet<QString> unknown;
    QSet<QString> rationsSeen;
    QSet<QString> rationsSkipped;
    while (read.next()) {
        const QString storedName = read.value(1).toString();
        const QString storedDate = read.value(2).toString();
        const QString storedGroup = read.value(3).toString();
        const QString rationKey = storedDate + u'|' + storedGroup;
        rationsSeen.insert(rationKey);
        auto locked = lockedRations.constFind(rationKey);
        if (locked == lockedRations.cend()) {
            const std::optional<QDate> day = parseTextDate(codec.decode(storedDate));
            const bool isLocked = day && DayLocks(*base).isLocked(*day, codec.decode(storedGroup));
            locked = lockedRations.insert(rationKey, isLocked);
        }
        if (*locked) {
            rationsSkipped.insert(rationKey);
            continue;
        }
        const auto number = numbers.constFind(storedName);
        if (number == numbers.cend()) {
            unknown.insert(codec.decode(storedName));
            continue;
        }
        const QString current = codec.decode(read.value(4).toString());
        if (current == *number)
            continue;
        updates.push_back({read.value(0).toLongLong(), *number});
        const QString name = codec.decode(storedName);
        ChangedRecipe &line = changed[{storedDate, storedGroup, storedName}];
        if (line.positions == 0) {
            const QString group = codec.decode(storedGroup);
            const std::optional<QDate> day = parseTextDate(codec.decode(storedDate));
            line.place = day ? rationPlace(*day, group) : codec.decode(storedDate);
            line.name = name;
            line.largest = QStringLiteral("номер карты '") + current + QStringLiteral("' → '") + *number + u'\'';
        }
        ++line.positions;
    }
    read.finish();
    report.recipesSeen = static_cast<int>(rationsSeen.size());
    report.skipped = static_cast<int>(rationsSkipped.size());
    for (auto &[key, line] : changed)
        report.changes.push_back(line);
    report.rowsChanged = static_cast<int>(updates.size());
    QStringList absent(unknown.cbegin(), unknown.cend());
    absent.sort();
    for (const QString &name : absent)
        report.notes << QStringLiteral("Рецептура не найдена в базе блюд, номер оставлен: ") + name;

    if (!options.dryRun) {
        SqlStatement update(db,
            QStringLiteral("UPDATE ") + dialect.quote(base->table())
                + QStringLiteral(" SET \"l30\" = ? WHERE \"ID\" = ?"),
            log);
        qint64 done = 0;
        for (const Renumbered &u : updates) {
            if (done % 256 == 0 && !progress.advance(done, static_cast<qint64>(updates.size()), report.title)) {
                progress.finish();
                report.cancelled = true;
                return report;
            }
            ++done;
            if (const Status s = update.exec({codec.encode(u.number), u.id}); !s)
                return failedReport(report, s.error());
        }
        progress.finish();
        if (const Status s = transaction.commit(); !s)
            return failedReport(report, s.error());
    }
    return report;
}

} // namespace kulvera
