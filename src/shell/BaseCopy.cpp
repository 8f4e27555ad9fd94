#include "shell/BaseCopy.h"

#include "common/SettingsAccess.h"
#include "shell/BaseSchema.h"
#include "shell/DbStructure.h"
#include "shell/ErrorLog.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>

#include <algorithm>

namespace kulvera {
namespace {

// One open end of a copy: a connection whose unqualified names reach the base's tables.
class BaseEnd
{
public:
    BaseEnd() = default;
    BaseEnd(const BaseEnd &) = delete;
    BaseEnd &operator=(const BaseEnd &) = delete;
    ~BaseEnd()
    {
        if (!name_.isEmpty()) {
            {
                QSqlDatabase db = QSqlDatabase::database(name_, false);
                db.close();
            }
            QSqlDatabase::removeDatabase(name_);
        }
        if (!removeOnFailure_.isEmpty())
            QFile::remove(removeOnFailure_);
    }

    // Opens the base at `location`. A source must exist; a target must not.
    Status open(const BaseLocation &location, BaseId base, const SettingsAccess &settings, bool target)
    {
        name_ = QStringLiteral("kv_copy_") + QUuid::createUuid().toString(QUuid::Id128);
        if (location.engine == DbEngine::SQLite) {
            const QString file = baseFileName(base, settings);
            path_ = QDir::isAbsolutePath(file) ? file : QDir(location.folder).filePath(file);
            const bool exists = QFileInfo::exists(path_);
            if (!target && !exists)
                return missing();
            if (target && exists)
                return Status::failure(QStringLiteral("База уже есть: ") + path_);
            if (target && !QDir().mkpath(location.folder))
                return Status::failure(QStringLiteral("Не удалось создать папку: ") + location.folder);
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
            db.setDatabaseName(path_);
            if (!target)
                db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=10000"));
            if (!db.open())
                return Status::failure(db.lastError().text());
            if (target)
                removeOnFailure_ = path_;
            return {};
        }
        const QString schema = serverSchema(base);
        path_ = serverPath(location.server, schema);
        const Result<QSqlDatabase> opened = openServerDatabase(location.server, name_);
        if (!opened) {
            name_.clear();
            return Status::failure(opened.error());
        }
        const bool exists = schemaExists(opened.value(), schema);
        if (!target && !exists)
            return missing();
        if (target && exists)
            return Status::failure(QStringLiteral("База уже есть: ") + path_);
        if (!target)
            return execSql(opened.value(), QStringLiteral("SET search_path TO ") + quote(schema));
        return {};
    }

    // Makes the target's schema (on the server) inside the running transaction.
    Status prepareTarget(BaseId base)
    {
        if (dialect().engine() != SqlDialect::Engine::PostgreSQL)
            return {};
        const QString schema = quote(serverSchema(base));
        Status s = execSql(db(), QStringLiteral("CREATE SCHEMA ") + schema);
        if (s)
            s = execSql(db(), QStringLiteral("SET LOCAL search_path TO ") + schema);
        return s;
    }

    void keep() { removeOnFailure_.clear(); }
    bool isMissing() const { return missing_; }
    QSqlDatabase db() const { return QSqlDatabase::database(name_, false); }
    const SqlDialect &dialect() const { return SqlDialect::of(db()); }
    QString quote(const QString &name) const { return dialect().quote(name); }
    const QString &path() const { return path_; }

private:
    Status missing()
    {
        missing_ = true;
        return Status::failure(QStringLiteral("Нет базы: ") + path_);
    }

    QString name_;
    QString path_;
    QString removeOnFailure_;
    bool missing_ = false;
};

// The columns of a source table as the schema describes them when it knows the table,
// otherwise from the types the engine declares.
struct SourceColumn {
    ColumnDef def;
};

ColumnDef fromDeclared(const QString &name, QString type, bool key, int length)
{
    ColumnDef c;
    c.name = name;
    type = type.toUpper();
    if (key && type.contains(u"INT"))
        c.type = ColumnType::Counter;
    else if (type.contains(u"INT"))
        c.type = ColumnType::Long;
    else if (type.contains(u"REAL") || type.contains(u"DOUBLE") || type.contains(u"NUMERIC") || type.contains(u"FLOAT"))
        c.type = ColumnType::Double;
    else if (type.contains(u"DATE") || type.contains(u"TIME"))
        c.type = ColumnType::Date;
    else if (type.contains(u"BLOB") || type.contains(u"BYTEA"))
        c.type = ColumnType::Binary;
    else if (length > 0 && length != 19)
        c.type = ColumnType::Text, c.length = length;
    else if (length == 19)
        c.type = ColumnType::Date; // dates are 19 characters of text on the server
    else
        c.type = ColumnType::Memo;
    return c;
}

std::vector<ColumnDef> declaredColumns(const QSqlDatabase &db, const QString &table)
{
    std::vector<ColumnDef> columns;
    QSqlQuery q(db);
    if (SqlDialect::of(db).engine() == SqlDialect::Engine::SQLite) {
        q.exec(QStringLiteral("PRAGMA table_info(") + SqlDialect::of(db).quote(table) + u')');
        while (q.next()) {
            QString type = q.value(2).toString();
            int length = 0;
            const qsizetype open = type.indexOf(u'(');
            if (open > 0) {
                length = type.mid(open + 1, type.indexOf(u')') - open - 1).toInt();
                type = type.left(open);
            }
            columns.push_back(fromDeclared(q.value(1).toString(), type, q.value(5).toInt() > 0, length));
        }
        return columns;
    }
    q.prepare(QStringLiteral("SELECT column_name, data_type, is_identity, character_maximum_length FROM "
                             "information_schema.columns WHERE table_schema = current_schema() AND table_name = ? "
                             "ORDER BY ordinal_position"));
    q.addBindValue(table);
    q.exec();
    while (q.next())
        columns.push_back(fromDeclared(
            q.value(0).toString(), q.value(1).toString(), q.value(2).toString() == u"YES", q.value(3).toInt()));
    return columns;
}

// The schema's own definition of the table's columns (types, defaults, indexes), where it
// has one: the copy then has the structure a new base would have.
std::vector<ColumnDef> columnsOf(
    const QSqlDatabase &db, BaseId base, const QString &table, const SettingsAccess &settings)
{
    std::vector<ColumnDef> columns = declaredColumns(db, table);
    const TableDef *known = nullptr;
    for (const TableDef &t : schemaOf(base)) {
        if (tableName(t, settings).compare(table, Qt::CaseInsensitive) == 0)
            known = &t;
    }
    const bool collection = base == BaseId::Dishes && !known && columns.size() == dishCollectionTable().columns.size();
    if (collection)
        known = &dishCollectionTable();
    if (!known)
        return columns;
    for (ColumnDef &c : columns) {
        for (const ColumnDef &k : known->columns) {
            if (k.name.compare(c.name, Qt::CaseInsensitive) == 0) {
                const QString name = c.name;
                c = k;
                c.name = name;
            }
        }
    }
    return columns;
}

QString keyColumn(const std::vector<ColumnDef> &columns)
{
    for (const ColumnDef &c : columns) {
        if (c.type == ColumnType::Counter)
            return c.name;
    }
    return {};
}

QByteArray canonical(const QVariant &value)
{
    if (value.isNull())
        return QByteArrayLiteral("\x01N");
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return QByteArray::number(value.toDouble(), 'g', 17);
    case QMetaType::QByteArray:
        return QByteArrayLiteral("\x01X") + value.toByteArray().toHex();
    default:
        return value.toString().toUtf8();
    }
}

// Makes every table of the base open at `in` in `out` (inside a transaction of `out` that
// the caller runs), as the schema defines it, with its rows and keys, and compares each
// table's row count and checksum on both sides.
Status copyTables(const QSqlDatabase &in, const QSqlDatabase &out, BaseId base, const SettingsAccess &settings,
    std::vector<TableCheck> *checks)
{
    const SqlDialect &from = SqlDialect::of(in);
    const SqlDialect &to = SqlDialect::of(out);
    const QStringList tables = from.tables(in);
    const auto failed = [&](const QString &table, const QString &error) {
        return Status::failure(QStringLiteral("База ") + baseName(base) + QStringLiteral(" не скопирована (таблица ")
            + table + QStringLiteral("): ") + error);
    };
    for (const QString &table : tables) {
        const std::vector<ColumnDef> columns = columnsOf(in, base, table, settings);
        if (const Status s = execSql(out, to.createTable(table, columns)); !s)
            return failed(table, s.error());
        for (const ColumnDef &c : columns) {
            if (c.indexed && c.type != ColumnType::Counter) {
                if (const Status s = execSql(out, to.createIndex(table, c.name)); !s)
                    return failed(table, s.error());
            }
        }
        QStringList names, marks;
        for (const ColumnDef &c : columns) {
            names << to.quote(c.name);
            marks << QStringLiteral("?");
        }
        SqlStatement insert(out,
            QStringLiteral("INSERT INTO ") + to.quote(table) + QStringLiteral(" (") + names.join(u", ")
                + QStringLiteral(") VALUES (") + marks.join(u", ") + u')');
        QSqlQuery rows(in);
        rows.setForwardOnly(true);
        QStringList selected;
        for (const ColumnDef &c : columns)
            selected << from.quote(c.name);
        if (!rows.exec(QStringLiteral("SELECT ") + selected.join(u", ") + QStringLiteral(" FROM ") + from.quote(table)))
            return failed(table, rows.lastError().text());
        while (rows.next()) {
            for (int i = 0; i < static_cast<int>(columns.size()); ++i)
                insert.bind(i, rows.value(i));
            if (const Status s = insert.exec(); !s)
                return failed(table, s.error());
        }
        // New rows on the server take keys after the copied ones.
        const QString key = keyColumn(columns);
        if (!key.isEmpty() && to.engine() == SqlDialect::Engine::PostgreSQL) {
            const Status s = execSql(out,
                QStringLiteral("SELECT setval(pg_get_serial_sequence(?, ?), COALESCE((SELECT max(") + to.quote(key)
                    + QStringLiteral(") FROM ") + to.quote(table) + QStringLiteral("), 0) + 1, false)"),
                QVariantList {QString(to.quote(serverSchema(base)) + u'.' + to.quote(table)), key});
            if (!s)
                return failed(table, s.error());
        }
        const Result<TableCheck> before = checkTable(in, table);
        const Result<TableCheck> after = checkTable(out, table);
        if (!before || !after)
            return failed(table, before ? after.error() : before.error());
        if (before->rows != after->rows || before->checksum != after->checksum)
            return failed(table,
                QStringLiteral("строк в источнике %1, в копии %2; контрольные суммы %3 и %4")
                    .arg(before->rows)
                    .arg(after->rows)
                    .arg(before->checksum.left(16), after->checksum.left(16)));
        if (checks)
            checks->push_back(before.value());
    }
    return {};
}

} // namespace

Result<BaseLocation> parseBaseLocation(const QString &text)
{
    BaseLocation location;
    if (text.startsWith(u"sqlite:")) {
        location.engine = DbEngine::SQLite;
        location.folder = QDir(text.mid(7)).absolutePath();
        if (text.size() == 7)
            return Result<BaseLocation>::failure(QStringLiteral("Не указана папка баз: sqlite:ПАПКА"));
        return location;
    }
    if (text.startsWith(u"postgres:")) {
        const Result<ServerSettings> server = parseConnInfo(text.mid(9));
        if (!server)
            return Result<BaseLocation>::failure(server.error());
        location.engine = DbEngine::PostgreSQL;
        location.server = server.value();
        return location;
    }
    return Result<BaseLocation>::failure(
        QStringLiteral("Место баз указывается как sqlite:ПАПКА или postgres:СТРОКА_ПОДКЛЮЧЕНИЯ: ") + text);
}

Result<TableCheck> checkTable(const QSqlDatabase &db, const QString &table)
{
    const QString key = keyColumn(declaredColumns(db, table));
    const SqlDialect &dialect = SqlDialect::of(db);
    QSqlQuery q(db);
    q.setForwardOnly(true);
    QString sql = QStringLiteral("SELECT * FROM ") + dialect.quote(table);
    if (!key.isEmpty())
        sql += QStringLiteral(" ORDER BY ") + dialect.quote(key);
    if (!q.exec(sql))
        return Result<TableCheck>::failure(table + QStringLiteral(": ") + q.lastError().text());
    std::vector<QByteArray> rows;
    const int count = q.record().count();
    while (q.next()) {
        QByteArray row;
        for (int i = 0; i < count; ++i)
            row += canonical(q.value(i)) + '\x1f';
        rows.push_back(std::move(row));
    }
    // Without a key the rows' order is their text's: the same on both engines whatever their collation.
    if (key.isEmpty())
        std::sort(rows.begin(), rows.end());
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QByteArray &row : rows) {
        hash.addData(row);
        hash.addData(QByteArrayView("\x1e", 1));
    }
    TableCheck check;
    check.table = table;
    check.rows = static_cast<qint64>(rows.size());
    check.checksum = QString::fromLatin1(hash.result().toHex());
    return check;
}

Result<BaseCopyReport> copyBase(
    BaseId base, const BaseLocation &from, const BaseLocation &to, const SettingsAccess &settings)
{
    BaseCopyReport report;
    report.base = base;
    BaseEnd source;
    if (const Status s = source.open(from, base, settings, false); !s) {
        if (source.isMissing()) {
            report.skipped = true;
            return report;
        }
        return Result<BaseCopyReport>::failure(s.error());
    }
    BaseEnd target;
    if (const Status s = target.open(to, base, settings, true); !s)
        return Result<BaseCopyReport>::failure(s.error());

    const QSqlDatabase out = target.db();
    Transaction transaction(out);
    if (!transaction.started())
        return Result<BaseCopyReport>::failure(out.lastError().text());
    if (const Status s = target.prepareTarget(base); !s)
        return Result<BaseCopyReport>::failure(s.error());
    if (const Status s = copyTables(source.db(), out, base, settings, &report.tables); !s)
        return Result<BaseCopyReport>::failure(s.error());
    if (const Status s = transaction.commit(); !s)
        return Result<BaseCopyReport>::failure(s.error());
    target.keep();
    return report;
}

Status writeBaseFile(
    const QSqlDatabase &db, BaseId base, const QString &file, const SettingsAccess &settings, ErrorLog *log)
{
    if (QFileInfo::exists(file))
        return Status::failure(QStringLiteral("База уже есть: ") + file);
    if (SqlDialect::of(db).engine() == SqlDialect::Engine::SQLite)
        return execSql(db, QStringLiteral("VACUUM INTO ?"), {file}, log);

    const QString name = QStringLiteral("kv_file_") + QUuid::createUuid().toString(QUuid::Id128);
    Status s;
    {
        QSqlDatabase out = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        out.setDatabaseName(file);
        if (!out.open()) {
            s = Status::failure(out.lastError().text());
        } else {
            Transaction transaction(out, log);
            s = transaction.started() ? copyTables(db, out, base, settings, nullptr)
                                      : Status::failure(out.lastError().text());
            if (s)
                s = transaction.commit();
        }
        out.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (!s) {
        if (log)
            log->write(s.error());
        QFile::remove(file);
        QFile::remove(file + QStringLiteral("-journal"));
    }
    return s;
}

} // namespace kulvera
