#include "shell/CaptionsBase.h"

#include "shell/BaseSchema.h"
#include "shell/Connections.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

#include <QSqlQuery>

namespace kulvera {

CaptionsBase::CaptionsBase(Connections &connections)
    : connections_(connections)
{
}

bool CaptionsBase::connected() const
{
    return connections_.isConnected(BaseId::Captions);
}

std::optional<std::vector<CaptionRow>> CaptionsBase::read(const QString &form) const
{
    if (!connected() || form.isEmpty())
        return std::nullopt;
    const QSqlDatabase db = connections_.database(BaseId::Captions);
    const SqlDialect &dialect = SqlDialect::of(db);
    if (!dialect.tables(db).contains(form))
        return std::nullopt;
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT \"Name\", \"Caption\", \"TipText\" FROM ") + dialect.quote(form)))
        return std::nullopt;
    std::vector<CaptionRow> rows;
    while (query.next())
        rows.push_back({query.value(0).toString(), query.value(1).toString(), query.value(2).toString()});
    return rows;
}

Status CaptionsBase::write(const QString &form, const std::vector<CaptionRow> &rows)
{
    if (!connected())
        return Status::failure(QStringLiteral("Не подключена база языковой поддержки"));
    if (form.isEmpty())
        return Status::failure(QStringLiteral("У окна нет имени"));
    const int number = static_cast<int>(BaseId::Captions);
    const QSqlDatabase db = connections_.database(number);
    const SqlDialect &dialect = SqlDialect::of(db);
    Transaction transaction(db);
    Status done;
    if (!dialect.tables(db).contains(form))
        done = connections_.createTable(number, form, captionTable().columns);
    if (done)
        done = execSql(db, QStringLiteral("DELETE FROM ") + dialect.quote(form));
    const QString insert = QStringLiteral("INSERT INTO ") + dialect.quote(form)
        + QStringLiteral(" (\"Name\", \"Caption\", \"TipText\") VALUES (?, ?, ?)");
    for (std::size_t i = 0; done && i < rows.size(); ++i)
        done = execSql(db, insert, {rows[i].name, rows[i].caption, rows[i].tipText});
    if (!done)
        return done;
    return transaction.commit();
}

} // namespace kulvera
