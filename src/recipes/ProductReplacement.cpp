#include "recipes/ProductReplacement.h"

#include "common/Prompter.h"
#include "recipes/StoredText.h"
#include "shell/Catalogue.h"
#include "shell/Connections.h"
#include "shell/DbMaintenance.h"
#include "shell/DishCollections.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

namespace kulvera {

Result<ReplacementReport> replaceProductInDishBase(Connections &connections, SettingsAccess &settings,
    const SharedSettings &shared, Prompter &prompter, const QDate &today, qint64 from, qint64 to)
{
    using R = Result<ReplacementReport>;
    constexpr int kDishes = static_cast<int>(BaseId::Dishes);
    if (from <= 0 || to <= 0 || from == to)
        return R::failure(QStringLiteral("Неверные коды продуктов для замены: ") + QString::number(from)
            + QStringLiteral(", ") + QString::number(to));
    if (!connections.isConnected(kDishes)
        && connections.connectBase(BaseId::Dishes, shared, true) == Connections::kFailed)
        return R::failure(QStringLiteral("Не удалось подключиться к базе блюд"));
    const Result<StoredTextCodec> codec = installationCodec(connections, kDishes, settings, &prompter);
    if (!codec)
        return R::failure(codec.error());

    ReplacementReport report;
    const Result<QString> archive = archiveCopy(connections, kDishes, archiveFolderOf(shared), today);
    if (!archive)
        return R::failure(archive.error());
    report.archive = archive.value();

    const Result<int> rows = replaceProductRows(connections, settings, codec.value(), from, to);
    if (!rows)
        return R::failure(rows.error());
    report.positions = rows.value();
    return report;
}

Result<int> replaceProductRows(
    Connections &connections, const SettingsAccess &settings, const StoredTextCodec &codec, qint64 from, qint64 to)
{
    using R = Result<int>;
    constexpr int kDishes = static_cast<int>(BaseId::Dishes);
    int positions = 0;
    const QSqlDatabase db = connections.database(kDishes);
    const SqlDialect &dialect = SqlDialect::of(db);
    ErrorLog *log = &connections.errorLog();
    const QString x = codec.encode(QString::number(from));
    const QString y = codec.encode(QString::number(to));

    Transaction transaction(db, log);
    const QStringList tables = dialect.tables(db);
    for (const DishCollection &c : listCollections(connections, settings)) {
        if (!tables.contains(c.table, Qt::CaseInsensitive))
            continue;
        SqlStatement q(db,
            QStringLiteral("UPDATE ") + dialect.quote(c.table) + QStringLiteral(" SET \"l13\" = ? WHERE \"l13\" = ?"),
            log);
        if (const Status s = q.exec({y, x}); !s)
            return R::failure(s.error());
        positions += q.rowsAffected();
    }
    if (tables.contains(QStringLiteral("Блюда_Позиции"))) {
        SqlStatement q(db, QStringLiteral("UPDATE \"Блюда_Позиции\" SET \"Код_Прод\" = ? WHERE \"Код_Прод\" = ?"), log);
        if (const Status s = q.exec({to, from}); !s)
            return R::failure(s.error());
        positions += q.rowsAffected();
    }
    if (const Status s = transaction.commit(); !s)
        return R::failure(s.error());
    return positions;
}

} // namespace kulvera
