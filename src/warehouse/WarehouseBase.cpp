#include "warehouse/WarehouseBase.h"

#include "shell/Databases.h"
#include "shell/SessionLog.h"
#include "shell/SettingDefaults.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

namespace kulvera {

WarehouseBase::WarehouseBase(AppContext &context)
    : context_(context)
{
}

bool WarehouseBase::connected() const
{
    return context_.connections.isConnected(BaseId::Warehouse);
}

Status WarehouseBase::requireConnected() const
{
    if (connected())
        return {};
    return Status::failure(QStringLiteral("Не подключена база склада и калькуляций!"));
}

QSqlDatabase WarehouseBase::database() const
{
    return context_.connections.database(BaseId::Warehouse);
}

Status WarehouseBase::exec(const QString &sql, const QVariantList &values) const
{
    return execSql(database(), sql, values, errorLog());
}

QString WarehouseBase::q(const QString &name) const
{
    return SqlDialect::of(database()).quote(name);
}

QString WarehouseBase::productTable() const
{
    return q(kProductsAlias.toString()) + u'.'
        + q(readSetting(context_.settings, Section::Prod, QStringLiteral("tbProd")));
}

qint64 WarehouseBase::userKey(const QString &name) const
{
    SqlStatement s(
        database(), QStringLiteral("SELECT \"Код\" FROM \"Пользователи\" WHERE \"Имя_Пользователя\" = ?"), errorLog());
    if (!s.exec({name}) || !s.next())
        return 0;
    return s.value(0).toLongLong();
}

void WarehouseBase::logDeletion(const QString &procedure) const
{
    if (sessionLog_ && sessionLog_->enabled())
        sessionLog_->write(QStringLiteral("Удаление строки :: ") + procedure);
}

} // namespace kulvera
