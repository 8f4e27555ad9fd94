#include "shell/DbStructure.h"

#include "common/SettingsAccess.h"
#include "shell/BaseSeedRows.h"
#include "shell/Connections.h"
#include "shell/ServerBases.h"
#include "shell/SettingDefaults.h"
#include "shell/SharedSettings.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace kulvera {
namespace {

bool containsName(const QStringList &names, const QString &name)
{
    return std::any_of(
        names.begin(), names.end(), [&](const QString &n) { return n.compare(name, Qt::CaseInsensitive) == 0; });
}

// Creates the table when missing, else the listed (or all) columns it lacks.
Status ensureTable(const QSqlDatabase &db, const TableDef &table, const QString &name, const QStringList &onlyColumns,
    ErrorLog *errorLog, const LogSink &log, QStringList *created)
{
    const SqlDialect &dialect = SqlDialect::of(db);
    if (!containsName(dialect.tables(db), name)) {
        Status made = execSql(db, dialect.createTable(name, table.columns), {}, errorLog);
        for (const ColumnDef &c : table.columns) {
            if (made && c.indexed && c.type != ColumnType::Counter)
                made = execSql(db, dialect.createIndex(name, c.name), {}, errorLog);
        }
        if (made && created)
            *created << QStringLiteral("таблица ") + name;
        return made;
    }
    const QStringList existing = dialect.columns(db, name);
    for (const ColumnDef &c : table.columns) {
        if (!onlyColumns.isEmpty() && !containsName(onlyColumns, c.name))
            continue;
        if (containsName(existing, c.name))
            continue;
        if (log)
            log(QStringLiteral(":: создаем новую колонку: ") + c.name);
        Status added = execSql(db, dialect.addColumn(name, c), {}, errorLog);
        if (added && c.indexed)
            added = execSql(db, dialect.createIndex(name, c.name), {}, errorLog);
        if (!added)
            return added;
        if (created)
            *created << name + u'.' + c.name;
    }
    return {};
}

// The rows a new base starts with in this table.
Status insertSeedRows(const QSqlDatabase &db, BaseId base, const TableDef &table, const QString &name)
{
    const SqlDialect &dialect = SqlDialect::of(db);
    for (const SeedRows &seed : seedRowsOf(base)) {
        if (seed.table != table.name)
            continue;
        QStringList columns, marks;
        for (const QString &c : seed.columns) {
            columns << dialect.quote(c);
            marks << QStringLiteral("?");
        }
        SqlStatement insert(db,
            QStringLiteral("INSERT INTO ") + dialect.quote(name) + QStringLiteral(" (") + columns.join(u", ")
                + QStringLiteral(") VALUES (") + marks.join(u", ") + u')');
        for (const QStringList &row : seed.rows) {
            QVariantList values;
            for (const QString &v : row)
                values << v;
            if (const Status s = insert.exec(values); !s)
                return s;
        }
    }
    return {};
}

} // namespace

QString tableName(const TableDef &table, const SettingsAccess &settings)
{
    if (table.nameKey.isEmpty())
        return table.name;
    const QString configured = settings.get(table.nameSection, table.nameKey, table.name);
    return configured.isEmpty() ? table.name : configured;
}

Result<QStringList> ensureSchema(Connections &connections, BaseId base, const SettingsAccess &settings, int number)
{
    if (number < 0)
        number = static_cast<int>(base);
    if (!connections.isConnected(number))
        return Result<QStringList>::failure(QStringLiteral("Нет такого подключения к базе"));
    const QSqlDatabase db = connections.database(number);
    QStringList created;
    Transaction transaction(db, &connections.errorLog());
    for (const TableDef &t : schemaOf(base)) {
        const Status s = ensureTable(db, t, tableName(t, settings), {}, &connections.errorLog(), {}, &created);
        if (!s)
            return Result<QStringList>::failure(s.error());
    }
    const Status committed = transaction.commit();
    if (!committed)
        return Result<QStringList>::failure(committed.error());
    return created;
}

namespace {

// The whole schema of a new base, its seed rows and the dish base's first collection,
// in the transaction the caller holds.
Status writeNewBase(const QSqlDatabase &db, BaseId base, const SettingsAccess &settings)
{
    Status result;
    for (const TableDef &t : schemaOf(base)) {
        result = ensureTable(db, t, tableName(t, settings), {}, nullptr, {}, nullptr);
        if (result)
            result = insertSeedRows(db, base, t, tableName(t, settings));
        if (!result)
            return result;
    }
    if (base == BaseId::Dishes || base == BaseId::WorkingCopy) {
        // A new dish base starts with one collection in its first table.
        const TableDef &dishes = dishCollectionTable();
        result = ensureTable(db, dishes, dishes.name, {}, nullptr, {}, nullptr);
        if (result)
            result = execSql(db,
                QStringLiteral("INSERT INTO ")
                    + SqlDialect::of(db).quote(readSetting(settings, Section::Bl, QStringLiteral("Table_Bl_Bases")))
                    + QStringLiteral(" (\"BD_Name\", \"BD_Table\") VALUES (?, ?)"),
                {QStringLiteral("Основная"), dishes.name});
    }
    return result;
}

} // namespace

Status createBaseFile(const QString &path, BaseId base, const SettingsAccess &settings)
{
    if (QFileInfo::exists(path))
        return Status::failure(QStringLiteral("Файл уже существует: ") + path);
    const QString name = QStringLiteral("kv_create_") + QUuid::createUuid().toString(QUuid::Id128);
    Status result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open()) {
            result = Status::failure(db.lastError().text());
        } else {
            // Stored recipe and menu rows run to kilobytes (every character is four digits):
            // larger pages keep a row on one page and take far fewer writes. Only a new file can
            // choose its page size.
            if (SqlDialect::of(db).engine() == SqlDialect::Engine::SQLite)
                QSqlQuery(db).exec(QStringLiteral("PRAGMA page_size=16384"));
            Transaction transaction(db);
            result = writeNewBase(db, base, settings);
            if (result)
                result = transaction.commit();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (!result)
        QFile::remove(path);
    return result;
}

Status createServerBase(const ServerSettings &server, BaseId base, const SettingsAccess &settings)
{
    const QString schema = serverSchema(base);
    const QString name = QStringLiteral("kv_create_") + QUuid::createUuid().toString(QUuid::Id128);
    Status result;
    {
        const Result<QSqlDatabase> opened = openServerDatabase(server, name);
        if (!opened)
            return Status::failure(opened.error());
        QSqlDatabase db = opened.value();
        if (schemaExists(db, schema)) {
            result = Status::failure(QStringLiteral("Схема уже существует: ") + schema);
        } else {
            // The server changes its structure inside a transaction too: a failure leaves no schema.
            Transaction transaction(db);
            result = execSql(db, QStringLiteral("CREATE SCHEMA ") + SqlDialect::of(db).quote(schema));
            if (result)
                result = execSql(db, QStringLiteral("SET LOCAL search_path TO ") + SqlDialect::of(db).quote(schema));
            if (result)
                result = writeNewBase(db, base, settings);
            if (result)
                result = transaction.commit();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

const std::vector<UpgradeStep> &upgradeSteps()
{
    using B = BaseId;
    static const std::vector<UpgradeStep> steps = {
        {QStringLiteral("1646"), B::Products, QStringLiteral("dt010"),
            {QStringLiteral("Код_Группы"), QStringLiteral("Разм"), QStringLiteral("Цена"), QStringLiteral("ЕдИ_Ц")}},
        {QStringLiteral("1647"), B::Products, QStringLiteral("dt010"), {}},
        {QStringLiteral("1650"), B::Products, QStringLiteral("dt010"),
            {QStringLiteral("Цена_Р"), QStringLiteral("Цена_К")}},
        {QStringLiteral("1680"), B::Products, QString(), {}},
        {QStringLiteral("1650"), B::Warehouse, QString(), {}},
        {QStringLiteral("1655"), B::Warehouse, QString(), {}},
        {QStringLiteral("1659"), B::Warehouse, QStringLiteral("КК_Позиции"), {}},
        {QStringLiteral("1680"), B::Warehouse, QString(), {}},
        {QStringLiteral("1681"), B::Warehouse, QString(), {}},
        {QStringLiteral("1687"), B::Warehouse, QString(), {}},
        {QStringLiteral("1665"), B::Menu, QString(), {}},
        {QStringLiteral("1665_2"), B::Menu, QString(), {}},
        {QStringLiteral("1680"), B::Menu, QStringLiteral("Base"),
            {QStringLiteral("D_Col"), QStringLiteral("AktDate"), QStringLiteral("SCode")}},
        {QStringLiteral("1679"), B::Menu, QString(), {}},
        {QStringLiteral("1694"), B::Menu, QString(), {}},
        {QStringLiteral("1695"), B::Menu, QString(), {}},
        {QStringLiteral("1680_2"), B::Dishes, QString(), {}},
        {QStringLiteral("1683_1"), B::Protocols, QString(), {}},
        {QStringLiteral("1682"), B::Journals, QString(), {}},
        {QStringLiteral("1694"), B::Rejection, QString(), {}},
    };
    return steps;
}

// Replaces the server schema's counter function when it differs from the current one. Only
// then: replacing it needs the schema's owner, and other workstations' users start too.
static Status refreshFollowKeyFunction(const QSqlDatabase &db, ErrorLog *errorLog)
{
    const QString current = SqlDialect::of(db).followKeyFunction();
    const qsizetype from = current.indexOf(QStringLiteral("$kv$")) + 4;
    const QString body = current.mid(from, current.lastIndexOf(QStringLiteral("$kv$")) - from).trimmed();
    SqlStatement q(db,
        QStringLiteral("SELECT p.prosrc FROM pg_proc p JOIN pg_namespace n ON n.oid = p.pronamespace "
                       "WHERE p.proname = 'kv_follow_key' AND n.nspname = current_schema()"),
        errorLog);
    if (const Status s = q.exec(); !s)
        return s;
    // A schema without counters has no function to mend.
    if (!q.next() || q.value(0).toString().trimmed() == body)
        return {};
    q.finish();
    return execSql(db, current, {}, errorLog);
}

Status upgradeStructure(Connections &connections, const SettingsAccess &settings, const LogSink &log)
{
    auto runStep = [&](const QString &build, BaseId base, const QString &table, const QStringList &columns) -> Status {
        const int number = static_cast<int>(base);
        if (!connections.isConnected(number))
            return {};
        const QSqlDatabase db = connections.database(number);
        if (log)
            log(QStringLiteral("Проверка структуры БД для сборки ") + build + QStringLiteral(":: начало"));
        Transaction transaction(db, &connections.errorLog());
        for (const TableDef &t : schemaOf(base)) {
            if (!table.isEmpty() && t.name.compare(table, Qt::CaseInsensitive) != 0)
                continue;
            QStringList created;
            const Status s
                = ensureTable(db, t, tableName(t, settings), columns, &connections.errorLog(), log, &created);
            if (!s)
                return s;
            for (const QString &what : created) {
                if (log && what.startsWith(QStringLiteral("таблица ")))
                    log(QStringLiteral("Проверка структуры БД для сборки ") + build
                        + QStringLiteral(":: Таблица создана: ") + what.mid(8));
            }
        }
        const Status committed = transaction.commit();
        if (committed && log)
            log(QStringLiteral("Проверка структуры БД для сборки ") + build + QStringLiteral(":: ОК"));
        return committed;
    };
    for (const UpgradeStep &step : upgradeSteps()) {
        const Status s = runStep(step.build, step.base, step.table, step.columns);
        if (!s)
            return s;
    }
    // Every other connected catalogue base gets what its schema names.
    for (const CatalogueEntry &e : catalogue()) {
        const Status s = runStep(QString::number(kBuildNumber), e.id, QString(), {});
        if (!s)
            return s;
        // Counters' triggers of a server base made by an older build call the current function.
        const int number = static_cast<int>(e.id);
        if (connections.isConnected(number) && connections.isServerBase(number)) {
            if (const Status f = refreshFollowKeyFunction(connections.database(number), &connections.errorLog()); !f)
                return f;
        }
    }
    if (log)
        log(QStringLiteral("Базы данных проверены."));
    return {};
}

} // namespace kulvera
