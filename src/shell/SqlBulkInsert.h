#pragma once

#include "common/Result.h"

#include <QByteArrayView>
#include <QSqlDatabase>
#include <QString>
#include <QStringView>

#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace kulvera {

class ErrorLog;
class SqlStatement;

// One INSERT run for very many rows of texts (a year of rations from a file).
// On SQLite the values are bound through the engine's own interface: no
// QVariant per value, which cost more than the insert itself. On another
// engine it is an ordinary prepared statement. Run it inside a Transaction.
class SqlBulkInsert
{
public:
    SqlBulkInsert(const QSqlDatabase &db, const QString &sql, ErrorLog *log = nullptr);
    ~SqlBulkInsert();
    SqlBulkInsert(const SqlBulkInsert &) = delete;
    SqlBulkInsert &operator=(const SqlBulkInsert &) = delete;

    // The statement could be prepared (its error otherwise).
    const Status &ready() const { return ready_; }
    // Positional values, in the order of the "?" marks (0-based).
    void bindText(int index, QStringView text);
    void bindNull(int index);
    // UTF-8 bytes, not copied: they must stay where they are until exec().
    void bindUtf8(int index, QByteArrayView text);
    // Inserts the row with the values bound since the last exec.
    Status exec();

private:
    Status failure(const QString &operation, const QString &error);

    QString sql_;
    ErrorLog *log_;
    Status ready_;
    sqlite3 *handle_ = nullptr;
    sqlite3_stmt *statement_ = nullptr;
    std::unique_ptr<SqlStatement> portable_;
};

} // namespace kulvera
