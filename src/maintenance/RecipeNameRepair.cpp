#include "maintenance/DishRunSupport.h"
#include "maintenance/MaintenanceRun.h"
#include "maintenance/RecipeNameRules.h"
#include "maintenance/RunProgress.h"
#include "shell/AppContext.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

#include <QSet>

#include <vector>

namespace kulvera {

MaintenanceReport repairRecipeNames(AppContext &context, const MaintenanceOptions &options, RunProgress &progress)
{
    constexpr int kDishes = static_cast<int>(BaseId::Dishes);
    MaintenanceReport report;
    report.title = QStringLiteral("Восстановление наименований рецептур в базе блюд");
    report.dryRun = options.dryRun;
    const Result<StoredTextCodec> codec = quietInstallationCodec(context);
    if (!codec)
        return failedReport(report, codec.error());
    const QSqlDatabase db = context.connections.database(kDishes);
    const SqlDialect &dialect = SqlDialect::of(db);
    ErrorLog *log = &context.errorLog;
    const QList<DishCollection> collections = existingCollections(context);

    Transaction transaction(db, log);
    if (!transaction.started())
        return failedReport(report, QStringLiteral("Транзакция не начата"));
    int step = 0;
    for (const DishCollection &c : collections) {
        if (!progress.advance(step++, collections.size(), report.title + QStringLiteral(": ") + c.name)) {
            progress.finish();
            report.cancelled = true;
            return report;
        }
        struct StoredName {
            QString stored;
            QString name;
            int rows = 0;
        };
        std::vector<StoredName> names;
        SqlStatement read(db,
            QStringLiteral("SELECT \"l1\", COUNT(*) FROM ") + dialect.quote(c.table)
                + QStringLiteral(" GROUP BY \"l1\""),
            log);
        if (const Status s = read.exec(); !s)
            return failedReport(report, s.error());
        QSet<QString> taken;
        while (read.next()) {
            const QString stored = read.value(0).toString();
            StoredName n {stored, codec->decode(stored), read.value(1).toInt()};
            taken.insert(n.name);
            names.push_back(std::move(n));
        }
        read.finish();
        SqlStatement rename(db,
            QStringLiteral("UPDATE ") + dialect.quote(c.table) + QStringLiteral(" SET \"l1\" = ? WHERE \"l1\" = ?"),
            log);
        for (const StoredName &n : names) {
            ++report.recipesSeen;
            if (!recipeNameNeedsRepair(n.stored, n.name))
                continue;
            taken.remove(n.name);
            const QString repaired = uniqueRecipeName(tidyRecipeName(n.name), taken);
            taken.insert(repaired);
            report.changes.push_back(
                {c.name, repaired, n.rows, u'\'' + n.name + QStringLiteral("' → '") + repaired + u'\''});
            report.rowsChanged += n.rows;
            if (options.dryRun)
                continue;
            if (const Status s = rename.exec({codec->encode(repaired), n.stored}); !s)
                return failedReport(report, s.error());
        }
    }
    progress.finish();
    if (!options.dryRun) {
        if (const Status s = transaction.commit(); !s)
            return failedReport(report, s.error());
    }
    return report;
}

} // namespace kulvera
