#include "journals/JournalsBase.h"

#include "journals/MonthJournalKind.h"
#include "shell/SettingDefaults.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

namespace kulvera {

JournalsBase::JournalsBase(AppContext &context)
    : context_(context)
{
}

bool JournalsBase::connected() const
{
    return context_.connections.isConnected(BaseId::Journals);
}

Status JournalsBase::requireConnected() const
{
    return connected() ? Status() : Status::failure(kJournalsNotConnected.toString());
}

QSqlDatabase JournalsBase::database() const
{
    return context_.connections.database(BaseId::Journals);
}

Status JournalsBase::exec(const QString &sql, const QVariantList &values) const
{
    return execSql(database(), sql, values, errorLog());
}

QString JournalsBase::table(const QString &settingKey) const
{
    return q(readSetting(context_.settings, Section::Losses, settingKey));
}

QString JournalsBase::q(const QString &name) const
{
    return SqlDialect::of(database()).quote(name);
}

} // namespace kulvera
