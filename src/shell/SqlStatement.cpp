#include "shell/SqlStatement.h"

#include "shell/ErrorLog.h"
#include "shell/SqlDialect.h"

#include <QHash>
#include <QSqlError>
#include <QSqlRecord>

namespace kulvera {
namespace {

void logFailure(ErrorLog *log, const QString &operation, const QString &error, const QString &sql)
{
    if (log)
        log->write(QStringLiteral("Ошибка выполнения функции.\nФункция: ") + operation + u'\n' + error + u'\n' + sql);
}

// Depth of open transactions per connection name (the program is single-threaded).
QHash<QString, int> &transactionDepth()
{
    static QHash<QString, int> depth;
    return depth;
}

bool preparable(const QString &sql)
{
    const QStringView text = QStringView(sql).trimmed();
    for (QStringView word : {u"SELECT", u"INSERT", u"UPDATE", u"DELETE", u"WITH", u"VALUES"}) {
        if (text.startsWith(word, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

} // namespace

SqlStatement::SqlStatement(const QSqlDatabase &db, const QString &sql, ErrorLog *log)
    : query_(db)
    , sql_(sql)
    , log_(log)
    , sqlite_(SqlDialect::of(db).engine() == SqlDialect::Engine::SQLite)
{
    query_.setForwardOnly(true);
    if (!sqlite_ && !preparable(sql)) {
        // The server prepares only queries and row changes; structure changes and
        // session commands run as they stand (they take no values).
        direct_ = true;
        prepared_ = true;
        return;
    }
    prepared_ = query_.prepare(sql);
    if (!prepared_)
        logFailure(log_, QStringLiteral("Prepare"), query_.lastError().text(), sql_);
}

void SqlStatement::bind(int index, const QVariant &value)
{
    if (!sqlite_) {
        query_.bindValue(index, SqlDialect::forEngine(SqlDialect::Engine::PostgreSQL).toStorage(value));
        return;
    }
    switch (value.typeId()) {
    case QMetaType::QDateTime: {
        if (index >= static_cast<int>(dateTexts_.size()))
            dateTexts_.resize(static_cast<size_t>(index) + 1);
        auto &cached = dateTexts_[static_cast<size_t>(index)];
        const QDateTime moment = value.toDateTime();
        if (cached.second.isNull() || cached.first != moment)
            cached = {moment, moment.toString(kStoredDateTimeFormat)};
        query_.bindValue(index, cached.second);
        return;
    }
    case QMetaType::QDate:
    case QMetaType::Bool:
        query_.bindValue(index, SqlDialect::forEngine(SqlDialect::Engine::SQLite).toStorage(value));
        return;
    default:
        query_.bindValue(index, value);
    }
}

Status SqlStatement::exec()
{
    if (!prepared_)
        return Status::failure(query_.lastError().text());
    if (direct_ ? !query_.exec(sql_) : !query_.exec()) {
        logFailure(log_, QStringLiteral("Execute"), query_.lastError().text(), sql_);
        return Status::failure(query_.lastError().text());
    }
    return {};
}

Status SqlStatement::exec(const QVariantList &values)
{
    for (int i = 0; i < values.size(); ++i)
        bind(i, values[i]);
    return exec();
}

int SqlStatement::columnCount() const
{
    return query_.record().count();
}

QString SqlStatement::columnName(int column) const
{
    return query_.record().fieldName(column);
}

QString SqlStatement::lastError() const
{
    return query_.lastError().text();
}

Status execSql(const QSqlDatabase &db, const QString &sql, const QVariantList &values, ErrorLog *log)
{
    SqlStatement statement(db, sql, log);
    if (!statement.prepared())
        return Status::failure(statement.lastError());
    return statement.exec(values);
}

Transaction::Transaction(const QSqlDatabase &db, ErrorLog *log)
    : db_(db)
    , log_(log)
{
    int &depth = transactionDepth()[db_.connectionName()];
    if (depth == 0) {
        QSqlQuery begin(db_);
        started_ = begin.exec(SqlDialect::of(db_).beginWriteTransaction());
        if (!started_)
            logFailure(log_, QStringLiteral("BeginTrans"), begin.lastError().text(), begin.lastQuery());
    } else {
        savepoint_ = QStringLiteral("kv_sp") + QString::number(depth);
        started_ = execSql(db_, QStringLiteral("SAVEPOINT ") + savepoint_, {}, log_).ok();
    }
    if (started_)
        ++depth;
}

bool Transaction::isOpen(const QSqlDatabase &db)
{
    return transactionDepth().value(db.connectionName()) > 0;
}

Transaction::~Transaction()
{
    if (started_ && !finished_)
        rollback();
}

Status Transaction::commit()
{
    if (!started_ || finished_)
        return Status::failure(QStringLiteral("Транзакция не начата"));
    finished_ = true;
    --transactionDepth()[db_.connectionName()];
    if (!savepoint_.isEmpty())
        return execSql(db_, QStringLiteral("RELEASE SAVEPOINT ") + savepoint_, {}, log_);
    QSqlQuery commit(db_);
    if (!commit.exec(QStringLiteral("COMMIT"))) {
        const QString error = commit.lastError().text();
        logFailure(log_, QStringLiteral("CommitTrans"), error, QString());
        QSqlQuery(db_).exec(QStringLiteral("ROLLBACK"));
        return Status::failure(error);
    }
    return {};
}

void Transaction::rollback()
{
    if (!started_ || finished_)
        return;
    finished_ = true;
    --transactionDepth()[db_.connectionName()];
    if (!savepoint_.isEmpty()) {
        execSql(db_, QStringLiteral("ROLLBACK TO SAVEPOINT ") + savepoint_, {}, log_);
        execSql(db_, QStringLiteral("RELEASE SAVEPOINT ") + savepoint_, {}, log_);
        return;
    }
    QSqlQuery(db_).exec(QStringLiteral("ROLLBACK"));
}

} // namespace kulvera
