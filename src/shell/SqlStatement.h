#pragma once

#include "common/Result.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <utility>
#include <vector>

namespace kulvera {

class ErrorLog;

// A prepared statement for the hot paths: prepare once, bind every value as a
// parameter, execute many times, read rows forward only. Failures are written
// to the error log with the statement text.
class SqlStatement
{
public:
    SqlStatement(const QSqlDatabase &db, const QString &sql, ErrorLog *log = nullptr);

    bool prepared() const { return prepared_; }
    const QString &sql() const { return sql_; }
    // Positional values, in the order of the "?" marks.
    void bind(int index, const QVariant &value);
    Status exec();
    Status exec(const QVariantList &values);
    bool next() { return query_.next(); }
    QVariant value(int column) const { return query_.value(column); }
    QVariant value(const QString &column) const { return query_.value(column); }
    int columnCount() const;
    QString columnName(int column) const;
    int rowsAffected() const { return query_.numRowsAffected(); }
    QVariant lastInsertId() const { return query_.lastInsertId(); }
    QString lastError() const;
    void finish() { query_.finish(); }

private:
    QSqlQuery query_;
    QString sql_;
    ErrorLog *log_;
    bool prepared_ = false;
    bool sqlite_ = true;
    bool direct_ = false; // run unprepared (a structure change on the server)
    // The text of the last date bound at each position: loops often bind the same day.
    std::vector<std::pair<QDateTime, QString>> dateTexts_;
};

// Runs one statement with bound values; convenience for one-off changes.
Status execSql(const QSqlDatabase &db, const QString &sql, const QVariantList &values = {}, ErrorLog *log = nullptr);

// Every multi-row change runs inside one of these: it commits only when told
// to, and rolls back if it goes out of scope first, so a failure midway leaves
// the base as it was. Nested transactions on the same connection become save
// points.
class Transaction
{
public:
    explicit Transaction(const QSqlDatabase &db, ErrorLog *log = nullptr);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    bool started() const { return started_; }
    Status commit();
    // Whether one of these is open on the connection: what runs now is part of
    // a larger transaction, and whatever undoes the larger one undoes it too.
    static bool isOpen(const QSqlDatabase &db);
    void rollback();

private:
    QSqlDatabase db_;
    ErrorLog *log_;
    QString savepoint_; // empty for the outermost transaction
    bool started_ = false;
    bool finished_ = false;
};

} // namespace kulvera
