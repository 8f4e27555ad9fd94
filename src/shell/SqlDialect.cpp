#include "shell/SqlDialect.h"

#include <QDateTime>
#include <QSqlQuery>
#include <QSqlRecord>

namespace kulvera {

const SqlDialect &SqlDialect::forEngine(Engine engine)
{
    static const SqlDialect sqlite(Engine::SQLite);
    static const SqlDialect postgres(Engine::PostgreSQL);
    return engine == Engine::SQLite ? sqlite : postgres;
}

const SqlDialect &SqlDialect::of(const QSqlDatabase &db)
{
    return forEngine(db.driverName() == u"QPSQL" ? Engine::PostgreSQL : Engine::SQLite);
}

QString SqlDialect::driverName() const
{
    return engine_ == Engine::SQLite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL");
}

QString SqlDialect::quote(const QString &identifier) const
{
    QString escaped = identifier;
    escaped.replace(u'"', QStringLiteral("\"\""));
    return u'"' + escaped + u'"';
}

QString SqlDialect::columnType(const ColumnDef &column) const
{
    const bool pg = engine_ == Engine::PostgreSQL;
    switch (column.type) {
    case ColumnType::Counter:
        return pg ? QStringLiteral("SERIAL PRIMARY KEY") : QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    case ColumnType::Long:
        return QStringLiteral("INTEGER");
    case ColumnType::Double:
        return pg ? QStringLiteral("DOUBLE PRECISION") : QStringLiteral("REAL");
    case ColumnType::Text:
        return QStringLiteral("VARCHAR(") + QString::number(column.length) + u')';
    case ColumnType::Memo:
        return QStringLiteral("TEXT");
    case ColumnType::Date:
        return pg ? QStringLiteral("TIMESTAMP") : QStringLiteral("DATETIME");
    case ColumnType::Boolean:
        return pg ? QStringLiteral("BOOLEAN") : QStringLiteral("INTEGER");
    case ColumnType::Binary:
        return pg ? QStringLiteral("BYTEA") : QStringLiteral("BLOB");
    }
    return QStringLiteral("TEXT");
}

QString SqlDialect::columnDefinition(const ColumnDef &column) const
{
    QString sql = quote(column.name) + u' ' + columnType(column);
    if (!column.defaultValue.isEmpty() && column.type != ColumnType::Counter)
        sql += QStringLiteral(" DEFAULT ") + column.defaultValue;
    return sql;
}

QString SqlDialect::createTable(const QString &table, const std::vector<ColumnDef> &columns) const
{
    QStringList parts;
    for (const ColumnDef &c : columns)
        parts << columnDefinition(c);
    return QStringLiteral("CREATE TABLE ") + quote(table) + QStringLiteral(" (") + parts.join(QStringLiteral(", "))
        + u')';
}

QString SqlDialect::addColumn(const QString &table, const ColumnDef &column) const
{
    // A counter cannot be added to a table that has rows; it arrives as a plain integer.
    ColumnDef added = column;
    if (added.type == ColumnType::Counter)
        added.type = ColumnType::Long;
    return QStringLiteral("ALTER TABLE ") + quote(table) + QStringLiteral(" ADD COLUMN ") + columnDefinition(added);
}

QString SqlDialect::createIndex(const QString &table, const QString &column) const
{
    const QString name = QStringLiteral("ix_") + table + u'_' + column;
    return QStringLiteral("CREATE INDEX IF NOT EXISTS ") + quote(name) + QStringLiteral(" ON ") + quote(table) + u'('
        + quote(column) + u')';
}

QString SqlDialect::beginWriteTransaction() const
{
    return engine_ == Engine::SQLite ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN");
}

QString SqlDialect::rowIdentity() const
{
    return engine_ == Engine::SQLite ? QStringLiteral("rowid") : QStringLiteral("ctid");
}

QStringList SqlDialect::tables(const QSqlDatabase &db) const
{
    QStringList names = db.tables(QSql::Tables);
    names.removeIf([](const QString &n) { return n.startsWith(u"sqlite_"); });
    return names;
}

QStringList SqlDialect::columns(const QSqlDatabase &db, const QString &table) const
{
    QStringList names;
    const QSqlRecord record = db.record(table);
    for (int i = 0; i < record.count(); ++i)
        names << record.fieldName(i);
    return names;
}

QVariant SqlDialect::toStorage(const QVariant &value) const
{
    if (engine_ != Engine::SQLite)
        return value;
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return value.toDateTime().toString(kStoredDateTimeFormat);
    case QMetaType::QDate:
        // The day alone: a QDateTime would work out the local time zone for nothing.
        return QString(value.toDate().toString(u"yyyy-MM-dd") + QStringLiteral(" 00:00:00"));
    case QMetaType::Bool:
        return value.toBool() ? 1 : 0;
    default:
        return value;
    }
}

namespace {

// "yyyy-MM-dd hh:mm:ss" read by hand: the general parser of formats costs far more per row.
bool readStoredText(QStringView text, QDate &date, QTime &time)
{
    if (text.size() < 10 || text[4] != u'-' || text[7] != u'-')
        return false;
    auto number = [&](qsizetype from, qsizetype length, int &out) {
        out = 0;
        for (qsizetype i = from; i < from + length; ++i) {
            if (!text[i].isDigit())
                return false;
            out = out * 10 + text[i].digitValue();
        }
        return true;
    };
    int y = 0, m = 0, d = 0, h = 0, mi = 0, sec = 0;
    if (!number(0, 4, y) || !number(5, 2, m) || !number(8, 2, d))
        return false;
    date = QDate(y, m, d);
    time = QTime(0, 0);
    if (text.size() >= 19 && (text[10] == u' ' || text[10] == u'T') && number(11, 2, h) && number(14, 2, mi)
        && number(17, 2, sec))
        time = QTime(h, mi, sec);
    return date.isValid();
}

} // namespace

QDateTime storedDateTime(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return value.toDateTime();
    case QMetaType::QDate:
        return QDateTime(value.toDate(), QTime(0, 0));
    default: {
        const QString text = value.toString();
        QDate date;
        QTime time;
        if (readStoredText(text, date, time))
            return QDateTime(date, time);
        return QDateTime::fromString(text, Qt::ISODate);
    }
    }
}

QDate storedDate(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return value.toDateTime().date();
    case QMetaType::QDate:
        return value.toDate();
    default: {
        QDate date;
        QTime time;
        return readStoredText(value.toString(), date, time) ? date : storedDateTime(value).date();
    }
    }
}

} // namespace kulvera
