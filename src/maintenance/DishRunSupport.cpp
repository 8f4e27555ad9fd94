#include "maintenance/DishRunSupport.h"

#include "shell/AppContext.h"
#include "shell/SqlDialect.h"

namespace kulvera {

MaintenanceReport failedReport(MaintenanceReport report, const QString &error)
{
    report.failed = true;
    report.error = error;
    return report;
}

Result<StoredTextCodec> quietInstallationCodec(AppContext &context)
{
    constexpr int kDishes = static_cast<int>(BaseId::Dishes);
    if (!context.connections.isConnected(kDishes))
        return Result<StoredTextCodec>::failure(QStringLiteral("Не подключена база блюд"));
    const Result<StoredTextCodec> codec
        = installationCodec(context.connections, kDishes, context.settings, &context.prompter);
    if (!codec)
        return codec;
    return StoredTextCodec(codec->key());
}

QList<DishCollection> existingCollections(AppContext &context)
{
    const QSqlDatabase db = context.connections.database(static_cast<int>(BaseId::Dishes));
    const QStringList tables = SqlDialect::of(db).tables(db);
    QList<DishCollection> found;
    for (const DishCollection &c : listCollections(context.connections, context.settings)) {
        if (tables.contains(c.table, Qt::CaseInsensitive))
            found << c;
    }
    return found;
}

} // namespace kulvera
