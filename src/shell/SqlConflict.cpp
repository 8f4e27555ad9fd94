#include "shell/SqlConflict.h"

#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QThread>

#include <algorithm>
#include <atomic>

namespace kulvera {
namespace {

constexpr int kSqliteBusy = 5;
constexpr int kSqliteLocked = 6;
const QString kNotStarted = QStringLiteral("Транзакция не начата");

std::atomic<qint64> &retryCount()
{
    static std::atomic<qint64> count {0};
    return count;
}

Status attempt(const QSqlDatabase &db, ErrorLog *log, const std::function<Status()> &work)
{
    Transaction transaction(db, log);
    if (!transaction.started())
        return Status::failure(kNotStarted);
    const Status done = work();
    if (!done) {
        transaction.rollback();
        return done;
    }
    return transaction.commit();
}

void pause(int retry, const RetryPolicy &policy)
{
    const int cap = std::max(1, std::min(policy.maxDelayMs, policy.firstDelayMs << std::min(retry, 16)));
    // Random within [cap/2, cap]: writers that collided do not collide again in step.
    const int delay = cap / 2 + static_cast<int>(QRandomGenerator::global()->bounded(cap / 2 + 1));
    QThread::msleep(static_cast<unsigned long>(delay));
}

} // namespace

bool isRetryableConflict(const QSqlError &error)
{
    const QString code = error.nativeErrorCode();
    if (code.size() == 5) // an SQLSTATE
        return code == u"40001" || code == u"40P01";
    bool numeric = false;
    const int sqlite = code.toInt(&numeric);
    if (numeric && ((sqlite & 0xff) == kSqliteBusy || (sqlite & 0xff) == kSqliteLocked))
        return true;
    return isRetryableConflict(error.text());
}

bool isRetryableConflict(const QString &errorText)
{
    static const QRegularExpression conflict(QStringLiteral(
        "database (table |schema )?is locked|database is busy|\\((40001|40P01)\\)|could not serialize access"
        "|deadlock detected"));
    return conflict.match(errorText).hasMatch();
}

QString rowLockSuffix(const QSqlDatabase &db, const QString &alias)
{
    const SqlDialect &dialect = SqlDialect::of(db);
    if (dialect.engine() != SqlDialect::Engine::PostgreSQL)
        return {};
    return alias.isEmpty() ? QStringLiteral(" FOR UPDATE") : QStringLiteral(" FOR UPDATE OF ") + dialect.quote(alias);
}

Status lockRecordForRewrite(const QSqlDatabase &db, const QString &record, ErrorLog *log)
{
    if (SqlDialect::of(db).engine() != SqlDialect::Engine::PostgreSQL)
        return {};
    return execSql(db, QStringLiteral("SELECT pg_advisory_xact_lock(hashtextextended(?, 0))"), {record}, log);
}

Status lockTableForRewrite(const QSqlDatabase &db, const QString &table, ErrorLog *log)
{
    const SqlDialect &dialect = SqlDialect::of(db);
    if (dialect.engine() != SqlDialect::Engine::PostgreSQL)
        return {};
    return execSql(
        db, QStringLiteral("LOCK TABLE ") + dialect.quote(table) + QStringLiteral(" IN EXCLUSIVE MODE"), {}, log);
}

qint64 conflictRetries()
{
    return retryCount().load();
}

Status runWriteTransaction(
    const QSqlDatabase &db, ErrorLog *log, const std::function<Status()> &work, const RetryPolicy &policy)
{
    // Nested (in another run or in a plain Transaction): a save point, run once, its conflict passed up.
    if (Transaction::isOpen(db))
        return attempt(db, log, work);
    for (int tried = 1;; ++tried) {
        const Status done = attempt(db, log, work);
        // A write transaction that could not begin on an open base waited out the busy timeout
        // behind another writer (SQLite's BEGIN IMMEDIATE): that is a conflict too.
        const bool conflict = isRetryableConflict(done.error()) || (done.error() == kNotStarted && db.isOpen());
        if (done || tried >= policy.attempts || !conflict)
            return done;
        ++retryCount();
        pause(tried - 1, policy);
    }
}

} // namespace kulvera
