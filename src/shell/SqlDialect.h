#pragma once

#include "shell/BaseSchema.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace kulvera {

// Everything that differs between the database engines, in one place. Callers
// write SQL both engines accept, quote names through quote() and bind every
// value as a parameter.
class SqlDialect
{
public:
    enum class Engine { SQLite, PostgreSQL };

    static const SqlDialect &forEngine(Engine engine);
    static const SqlDialect &of(const QSqlDatabase &db);

    Engine engine() const { return engine_; }
    QString driverName() const;
    // "name" with embedded quotes doubled: safe for any table or column name.
    QString quote(const QString &identifier) const;
    QString columnType(const ColumnDef &column) const;
    QString columnDefinition(const ColumnDef &column) const;
    QString createTable(const QString &table, const std::vector<ColumnDef> &columns) const;
    // On the server: the function behind every counter's trigger, made or replaced
    // in the connection's schema (a base made by an older build gets the current one).
    QString followKeyFunction() const;
    QString addColumn(const QString &table, const ColumnDef &column) const;
    QString createIndex(const QString &table, const QString &column) const;
    // Begins a transaction that will write. On SQLite it takes the write lock at once, so a
    // transaction that reads before it writes waits for another writer under the busy timeout
    // instead of failing when it tries to upgrade its read lock.
    QString beginWriteTransaction() const;
    // The hidden row identity used to update rows of a recordset: SQLite's rowid; on
    // PostgreSQL, which has no rowid and whose tables do not all have a key column, the
    // row's address (ctid). An address changes when the row is written, so every write
    // takes the new one back (returningRowIdentity), and a row another workstation wrote
    // since it was read no longer matches: the recordset says the record changed.
    QString rowIdentity() const;
    // " RETURNING ctid" on PostgreSQL, nothing on SQLite.
    QString returningRowIdentity() const;
    QStringList tables(const QSqlDatabase &db) const;
    QStringList columns(const QSqlDatabase &db, const QString &table) const;
    // Values as the engine stores them, the same on both engines: dates become
    // "yyyy-MM-dd hh:mm:ss" text so whole-day ranges compare as text, flags 1 or 0.
    QVariant toStorage(const QVariant &value) const;

private:
    explicit SqlDialect(Engine engine)
        : engine_(engine)
    {
    }
    Engine engine_;
};

inline constexpr QStringView kStoredDateTimeFormat = u"yyyy-MM-dd hh:mm:ss";
// A date column's value as read back: the stored text, or a date the driver made.
// Invalid for a null or unreadable value.
QDateTime storedDateTime(const QVariant &value);
// The day of a date column's value, without a time of day or a time zone to work out.
QDate storedDate(const QVariant &value);

} // namespace kulvera
