#include "shell/SqlBulkInsert.h"

#include "shell/ErrorLog.h"
#include "shell/SqlStatement.h"

#include <QSqlDriver>
#include <QVariant>

#include <sqlite3.h>

namespace kulvera {
namespace {

// The connection's own handle when the driver is Qt's SQLite one (it links the
// same library as this program).
sqlite3 *sqliteHandle(const QSqlDatabase &db)
{
    if (!db.driver() || db.driver()->dbmsType() != QSqlDriver::SQLite)
        return nullptr;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

} // namespace

SqlBulkInsert::SqlBulkInsert(const QSqlDatabase &db, const QString &sql, ErrorLog *log)
    : sql_(sql)
    , log_(log)
    , handle_(sqliteHandle(db))
{
    if (!handle_) {
        portable_ = std::make_unique<SqlStatement>(db, sql, log);
        if (!portable_->prepared())
            ready_ = Status::failure(portable_->lastError());
        return;
    }
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(handle_, text.constData(), static_cast<int>(text.size()), &statement_, nullptr)
        != SQLITE_OK) {
        ready_ = failure(QStringLiteral("Prepare"), QString::fromUtf8(sqlite3_errmsg(handle_)));
        sqlite3_finalize(statement_);
        statement_ = nullptr;
    }
}

SqlBulkInsert::~SqlBulkInsert()
{
    sqlite3_finalize(statement_);
}

Status SqlBulkInsert::failure(const QString &operation, const QString &error)
{
    if (log_)
        log_->write(QStringLiteral("Ошибка выполнения функции.\nФункция: ") + operation + u'\n' + error + u'\n' + sql_);
    return Status::failure(error);
}

void SqlBulkInsert::bindText(int index, QStringView text)
{
    if (portable_) {
        portable_->bind(index, text.toString());
        return;
    }
    // A null text is an empty text, as Qt binds it: only bindNull writes NULL.
    static const char16_t empty[] = u"";
    const void *data = text.isNull() ? static_cast<const void *>(empty) : static_cast<const void *>(text.utf16());
    if (statement_)
        sqlite3_bind_text16(statement_, index + 1, data, static_cast<int>(text.size() * 2), SQLITE_TRANSIENT);
}

void SqlBulkInsert::bindUtf8(int index, QByteArrayView text)
{
    if (portable_) {
        portable_->bind(index, QString::fromUtf8(text));
        return;
    }
    static const char empty[] = "";
    const char *data = text.isNull() ? empty : text.data();
    if (statement_)
        sqlite3_bind_text(statement_, index + 1, data, static_cast<int>(text.size()), SQLITE_STATIC);
}

void SqlBulkInsert::bindNull(int index)
{
    if (portable_) {
        portable_->bind(index, QVariant());
        return;
    }
    if (statement_)
        sqlite3_bind_null(statement_, index + 1);
}

Status SqlBulkInsert::exec()
{
    if (!ready_)
        return ready_;
    if (portable_)
        return portable_->exec();
    const int rc = sqlite3_step(statement_);
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
    if (rc != SQLITE_DONE)
        return failure(QStringLiteral("Execute"), QString::fromUtf8(sqlite3_errmsg(handle_)));
    return {};
}

} // namespace kulvera
