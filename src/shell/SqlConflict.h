#pragma once

#include "common/Result.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

#include <functional>
#include <optional>
#include <type_traits>
#include <utility>

namespace kulvera {

class ErrorLog;

// Whether a failed statement or commit lost a race with another writer and
// may simply be run again: SQLite busy or locked (5, 6 and their extended
// codes), PostgreSQL serialization_failure (40001) or deadlock_detected
// (40P01), whose SQLSTATE QPSQL gives as the native error code.
bool isRetryableConflict(const QSqlError &error);
// The same judged from the text a failure carries up through Status: SQLite's
// own messages, or the SQLSTATE QPSQL puts in parentheses after its message.
bool isRetryableConflict(const QString &errorText);

// Appended to a SELECT of rows the transaction goes on to change. On
// PostgreSQL the rows are locked (" FOR UPDATE", of the table `alias` when
// the query joins others), so a second writer waits and then reads what the
// first wrote instead of overwriting it; on SQLite nothing, since
// BEGIN IMMEDIATE lets one writer at a time into the whole base.
QString rowLockSuffix(const QSqlDatabase &db, const QString &alias = {});

// Serialises writers of one record that is deleted and written again whole
// (a recipe, a ration): there may be no row yet to lock, so PostgreSQL takes a
// lock on the record's name for the rest of the transaction; SQLite needs
// nothing. Call it inside the write transaction, before the delete.
Status lockRecordForRewrite(const QSqlDatabase &db, const QString &record, ErrorLog *log);

// Keeps other writers out of a whole table for the rest of the transaction (a table
// read whole and then cleared): PostgreSQL locks the table against every change, reads
// go on; SQLite needs nothing, BEGIN IMMEDIATE already keeps the other writers out.
// Call it inside the write transaction, before the read.
Status lockTableForRewrite(const QSqlDatabase &db, const QString &table, ErrorLog *log);

struct RetryPolicy {
    int attempts = 8; // tries in all
    int firstDelayMs = 2; // back-off before the first retry, doubled after each
    int maxDelayMs = 250;
};

// Conflicts retried in this process since it started.
qint64 conflictRetries();

// Runs `work` inside one write transaction and commits it. When the work or
// the commit fails on a retryable conflict, the transaction is rolled back and
// run again from the start after a short random pause, up to the policy's
// attempts; any other failure is rolled back and returned as it is.
//
// Nested: when any transaction is already open on the connection (another
// such run, or a plain Transaction: a posting that is part of a larger
// change), `work` runs once in a save point and a conflict is returned to the
// caller untried. The conflict belongs to the whole transaction (the server
// chose it as a deadlock's victim, or its reads are stale; the locks it holds
// from before the save point stay), so retrying the inner part alone cannot
// mend it: only the outermost unit can. Hence every change that contains a
// run is itself a run (`inWriteTransaction` around the whole), and a plain
// Transaction around one fails whole on a conflict instead of half-retrying.
//
// `work` must not commit, and must start each attempt afresh (no state
// carried from a rolled-back try).
Status runWriteTransaction(
    const QSqlDatabase &db, ErrorLog *log, const std::function<Status()> &work, const RetryPolicy &policy = {});

// The same for work that gives back a value (`Result<T>`) or a `Status`.
template <typename Work>
auto inWriteTransaction(const QSqlDatabase &db, ErrorLog *log, Work &&work, const RetryPolicy &policy = {})
    -> std::invoke_result_t<Work &>
{
    using R = std::invoke_result_t<Work &>;
    if constexpr (std::is_same_v<R, Status>) {
        return runWriteTransaction(db, log, std::function<Status()>(std::forward<Work>(work)), policy);
    } else {
        std::optional<R> result;
        const Status s = runWriteTransaction(
            db, log,
            [&]() -> Status {
                result.emplace(work());
                return result->ok() ? Status() : Status::failure(result->error());
            },
            policy);
        if (!s)
            return R::failure(s.error());
        return std::move(*result);
    }
}

} // namespace kulvera
