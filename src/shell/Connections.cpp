#include "shell/Connections.h"

#include "common/Prompter.h"
#include "common/SettingsAccess.h"
#include "shell/ErrorLog.h"
#include "shell/SharedSettings.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

#include <atomic>

namespace kulvera {
namespace {

std::atomic<int> instanceCounter {0};

QString canonical(const QString &path)
{
    if (isServerPath(path))
        return path;
    const QFileInfo info(path);
    const QString c = info.canonicalFilePath();
    return c.isEmpty() ? info.absoluteFilePath() : c;
}

} // namespace

Connections::Connections(Prompter &prompter, SettingsAccess &settings, ErrorLog &log)
    : prompter_(prompter)
    , settings_(settings)
    , log_(log)
    , instanceTag_(QStringLiteral("kv") + QString::number(++instanceCounter) + u'_')
{
    if (configuredEngine(settings) == DbEngine::PostgreSQL)
        server_ = serverSettings(settings);
}

Connections::~Connections()
{
    disconnectAll();
}

QString Connections::resolve(const QString &file, const QString &folder) const
{
    if (QDir::isAbsolutePath(file))
        return QDir::cleanPath(file);
    QString base = folder.isEmpty() ? defaultFolder_ : folder;
    while (base.size() > 1 && (base.endsWith(u'/') || base.endsWith(u'\\')))
        base.chop(1);
    return QDir::cleanPath(QDir(base).filePath(file));
}

void Connections::debugStep(const QString &text)
{
    if (debug_)
        prompter_.message(text);
}

int Connections::connect(
    const QString &file, const QString &identifyingTable, bool quiet, const QString &password, const QString &folder)
{
    const QString path = resolve(file, folder);
    if (!QFileInfo::exists(path)) {
        if (!quiet) {
            const QString question = QStringLiteral("Файл базы (") + path + QStringLiteral(") отсутствует в списке\n")
                + QStringLiteral("Восстановить пути доступа к базам данных по-умолчанию?");
            if (prompter_.ask(question, Prompter::Buttons::YesNo, QStringLiteral("Подключение к базе данных"),
                    Prompter::Icon::Question, QStringLiteral("ResetDbFolders"))
                == Prompter::Answer::Yes) {
                // The store tells letter cases apart: the key the program reads
                // is Dir_book; the other spellings are kept by older settings.
                for (const char16_t *key : {u"Dir_book", u"Dir_Book", u"DirBook"})
                    settings_.remove(Section::Data, QString::fromUtf16(key));
                prompter_.message(
                    QStringLiteral("Восстановлены пути доступа к базам данных по-умолчанию. Перезагрузите программу!"),
                    Prompter::kDefaultTitle);
            }
        }
        return kFailed;
    }
    const int existing = numberOf(path);
    if (existing != kFailed) {
        log_.write(QStringLiteral("К этой базе уже подключены: ") + path);
        return existing;
    }
    const int number = freeNumber();
    if (number == kFailed) {
        log_.write(QStringLiteral("Нет базы в списке подключений"));
        return kFailed;
    }
    return connectAt(number, path, identifyingTable, password);
}

int Connections::connectWithIdentification(
    const QString &file, const QString &identifyingTable, bool quiet, const QString &description, const QString &folder)
{
    const QString path = resolve(file, folder);
    debugStep(QStringLiteral("Подключение к базе: ") + path);
    if (!QFileInfo::exists(path)) {
        if (!quiet) {
            prompter_.error(QStringLiteral("Файл базы (") + path + QStringLiteral(") отсутствует в списке\n")
                    + QStringLiteral("Идентификатор базы - ") + description + u'\n'
                    + QStringLiteral("Работа программы с отсутствием необходимых баз будет нестабильной!\n")
                    + QStringLiteral(
                        "Обратитесь к производителю программного обеспечения для восстановления комплекта программы"),
                Prompter::kDefaultTitle);
        }
        return kFailed;
    }
    return connect(path, identifyingTable, true, QString(), QString());
}

int Connections::connectBase(BaseId base, const SharedSettings &shared, bool quiet)
{
    const int number = static_cast<int>(base);
    if (server_) {
        const QString path = serverPath(*server_, serverSchema(base));
        if (isConnected(number)) {
            if (entries_.at(number).path == path)
                return number;
            disconnect(number);
        }
        return connectSchemaAt(number, serverSchema(base), identifyingTable(base, settings_));
    }
    const QString path = canonical(kulvera::basePath(base, settings_, shared));
    if (isConnected(number)) {
        if (canonical(entries_.at(number).path) == path)
            return number;
        disconnect(number); // switching the base of a catalogue row
    }
    if (!QFileInfo::exists(path)) {
        if (!quiet)
            return connect(path, identifyingTable(base, settings_), false) == kFailed ? kFailed : number;
        return kFailed;
    }
    const int existing = numberOf(path);
    if (existing != kFailed && existing != number) {
        log_.write(QStringLiteral("К этой базе уже подключены: ") + path);
        return existing;
    }
    return connectAt(number, path, identifyingTable(base, settings_), QString());
}

int Connections::connectAt(int number, const QString &path, const QString &identifyingTable, const QString &password)
{
    if (isConnected(number))
        return kFailed;
    if (isServerPath(path) && server_)
        return connectSchemaAt(number, path.section(u'/', -1), identifyingTable);
    // A file that cannot be written (read-only attribute) is made writable.
    QFile file(path);
    const QFileDevice::Permissions permissions = file.permissions();
    if (!(permissions & QFileDevice::WriteOwner))
        file.setPermissions(permissions | QFileDevice::WriteOwner | QFileDevice::ReadOwner);

    debugStep(QStringLiteral("Создаем WorkSpace"));
    const QString name = instanceTag_ + QString::number(number);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setUserName(QStringLiteral("admin"));
        db.setPassword(password); // SQLite files carry no password; kept for the server engine
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
        debugStep(QStringLiteral("Создаем DateBase"));
        bool ok = db.open();
        if (ok) {
            QSqlQuery pragma(db);
            // WAL lets two running copies read while one writes.
            pragma.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
            pragma.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
            // Up to 64 MiB of pages kept (taken only as pages are read): the default 2 MiB made a
            // posting of many products read the same lot pages from the file once per pass, and a
            // large change (an import, a year of receipts) spill its pages to the log before the commit.
            pragma.exec(QStringLiteral("PRAGMA cache_size=-65536"));
            // Save points of nested changes keep their sub-journals in memory, not in temporary files.
            pragma.exec(QStringLiteral("PRAGMA temp_store=MEMORY"));
            debugStep(QStringLiteral("Создаем RecordSet"));
            QSqlQuery probe(db);
            ok = !identifyingTable.isEmpty()
                && probe.exec(QStringLiteral("SELECT * FROM ") + SqlDialect::of(db).quote(identifyingTable)
                    + QStringLiteral(" WHERE 1 = 0"));
            if (!ok)
                log_.write(QStringLiteral("Ошибка выполнения функции.\nФункция: OpenBase\n") + path + u'\n'
                    + probe.lastError().text());
        } else {
            log_.write(QStringLiteral("Ошибка выполнения функции.\nФункция: OpenBase\n") + path + u'\n'
                + db.lastError().text());
        }
        if (!ok) {
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(name);
            return kFailed;
        }
    }
    Entry e;
    e.path = path;
    e.connectionName = name;
    e.recordset = std::make_unique<Recordset>(QSqlDatabase::database(name, false), &log_);
    entries_[number] = std::move(e);
    return number;
}

int Connections::connectSchemaAt(int number, const QString &schema, const QString &identifyingTable)
{
    debugStep(QStringLiteral("Подключение к базе: ") + serverPath(*server_, schema));
    const QString name = instanceTag_ + QString::number(number);
    {
        const Result<QSqlDatabase> opened = openServerDatabase(*server_, name, schema);
        if (!opened) {
            log_.write(QStringLiteral("Ошибка выполнения функции.\nФункция: OpenBase\n") + serverPath(*server_, schema)
                + u'\n' + opened.error());
            return kFailed;
        }
        QSqlDatabase db = opened.value();
        QSqlQuery probe(db);
        if (identifyingTable.isEmpty()
            || !probe.exec(QStringLiteral("SELECT * FROM ") + SqlDialect::of(db).quote(identifyingTable)
                + QStringLiteral(" WHERE 1 = 0"))) {
            log_.write(QStringLiteral("Ошибка выполнения функции.\nФункция: OpenBase\n") + serverPath(*server_, schema)
                + u'\n' + probe.lastError().text());
            probe = QSqlQuery();
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(name);
            return kFailed;
        }
    }
    Entry e;
    e.path = serverPath(*server_, schema);
    e.connectionName = name;
    e.recordset = std::make_unique<Recordset>(QSqlDatabase::database(name, false), &log_);
    entries_[number] = std::move(e);
    return number;
}

void Connections::disconnect(int number)
{
    const auto it = entries_.find(number);
    if (it == entries_.end())
        return;
    const QString name = it->second.connectionName;
    entries_.erase(it);
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (active_ == number)
        active_ = kFailed;
}

void Connections::disconnectAll()
{
    while (!entries_.empty())
        disconnect(entries_.begin()->first);
}

bool Connections::isConnected(int number) const
{
    return entries_.count(number) != 0;
}

QSqlDatabase Connections::database(int number) const
{
    const auto it = entries_.find(number);
    if (it == entries_.end())
        return {};
    return QSqlDatabase::database(it->second.connectionName, false);
}

QString Connections::path(int number) const
{
    const auto it = entries_.find(number);
    return it == entries_.end() ? QString() : it->second.path;
}

int Connections::numberOf(const QString &path) const
{
    const QString wanted = canonical(path);
    for (const auto &[number, e] : entries_) {
        if (canonical(e.path) == wanted)
            return number;
    }
    return kFailed;
}

QList<int> Connections::numbers() const
{
    QList<int> out;
    for (const auto &[number, e] : entries_)
        out << number;
    return out;
}

int Connections::freeNumber() const
{
    for (int n = kFirstDynamicConnection; n < kFirstDynamicConnection + 1000; ++n) {
        if (!isConnected(n))
            return n;
    }
    return kFailed;
}

Connections::Entry *Connections::entry(int number, const QString &operation)
{
    const auto it = entries_.find(number);
    if (it == entries_.end()) {
        log_.write(QStringLiteral("Ошибка выполнения функции.\nФункция: ") + operation
            + QStringLiteral("\nНет такого подключения к базе"));
        return nullptr;
    }
    return &it->second;
}

bool Connections::SetActBase(int number)
{
    if (!isConnected(number)) {
        log_.write(QStringLiteral("Ссылка на несуществующую базу!"));
        return false;
    }
    active_ = number;
    return true;
}

Recordset *Connections::recordset(int number)
{
    Entry *e = entry(number, QStringLiteral("Recordset"));
    return e ? e->recordset.get() : nullptr;
}

int Connections::openQuery(int number, const QString &sql, const QVariantList &params)
{
    Recordset *rs = recordset(number);
    if (!rs)
        return -1;
    return rs->openQuery(sql, params) ? rs->rowCount() : -1;
}

int Connections::openTable(int number, const QString &table)
{
    Recordset *rs = recordset(number);
    if (!rs)
        return -1;
    return rs->openTable(table) ? rs->rowCount() : -1;
}

QVariant Connections::fieldValue(int number, const QString &field)
{
    Recordset *rs = recordset(number);
    return rs ? rs->value(field) : QVariant();
}

Status Connections::flSet(int number, const QString &field, const QVariant &value)
{
    if (!isConnected(number)) {
        log_.write(QStringLiteral("Не обнаружено подключение!"));
        return Status::failure(QStringLiteral("Не обнаружено подключение!"));
    }
    return recordset(number)->flSet(field, value);
}

Status Connections::flAdd(int number)
{
    if (!isConnected(number)) {
        log_.write(QStringLiteral("Ошибка идентификации подключения!"));
        return Status::failure(QStringLiteral("Ошибка идентификации подключения!"));
    }
    return recordset(number)->addNew();
}

Status Connections::update(int number)
{
    Recordset *rs = recordset(number);
    return rs ? rs->update() : Status::failure(QStringLiteral("Нет такого подключения к базе"));
}

Status Connections::deleteRow(int number)
{
    Recordset *rs = recordset(number);
    return rs ? rs->deleteCurrent() : Status::failure(QStringLiteral("Нет такого подключения к базе"));
}

bool Connections::flExist(int number, const QString &table)
{
    if (!isConnected(number)) {
        log_.write(QStringLiteral("Ошибочная ссылка на базу!"));
        return false;
    }
    const QSqlDatabase db = database(number);
    const QStringList tables = SqlDialect::of(db).tables(db);
    return std::any_of(
        tables.begin(), tables.end(), [&](const QString &t) { return t.compare(table, Qt::CaseInsensitive) == 0; });
}

QStringList Connections::fieldNames(int number, const QString &table)
{
    if (!entry(number, QStringLiteral("FieldNames")))
        return {};
    const QSqlDatabase db = database(number);
    return SqlDialect::of(db).columns(db, table);
}

bool Connections::fieldExists(int number, const QString &table, const QString &field)
{
    const QStringList names = fieldNames(number, table);
    return std::any_of(
        names.begin(), names.end(), [&](const QString &n) { return n.compare(field, Qt::CaseInsensitive) == 0; });
}

Status Connections::exec(int number, const QString &sql, const QVariantList &params)
{
    if (!entry(number, QStringLiteral("Execute")))
        return Status::failure(QStringLiteral("Нет такого подключения к базе"));
    return execSql(database(number), sql, params, &log_);
}

Status Connections::createTable(int number, const QString &table, const std::vector<ColumnDef> &columns)
{
    if (!entry(number, QStringLiteral("CreateTable")))
        return Status::failure(QStringLiteral("Нет такого подключения к базе"));
    const QSqlDatabase db = database(number);
    const SqlDialect &dialect = SqlDialect::of(db);
    Transaction transaction(db, &log_);
    Status made = execSql(db, dialect.createTable(table, columns), {}, &log_);
    for (const ColumnDef &c : columns) {
        if (made && c.indexed && c.type != ColumnType::Counter)
            made = execSql(db, dialect.createIndex(table, c.name), {}, &log_);
    }
    if (!made)
        return made;
    return transaction.commit();
}

Status Connections::deleteTable(int number, const QString &table)
{
    if (!entry(number, QStringLiteral("DeleteTable")))
        return Status::failure(QStringLiteral("Нет такого подключения к базе"));
    const QSqlDatabase db = database(number);
    return execSql(db, QStringLiteral("DROP TABLE ") + SqlDialect::of(db).quote(table), {}, &log_);
}

Status Connections::addField(int number, const QString &table, const ColumnDef &column)
{
    if (!entry(number, QStringLiteral("AddField")))
        return Status::failure(QStringLiteral("Нет такого подключения к базе"));
    const QSqlDatabase db = database(number);
    const SqlDialect &dialect = SqlDialect::of(db);
    Status added = execSql(db, dialect.addColumn(table, column), {}, &log_);
    if (added && column.indexed)
        added = execSql(db, dialect.createIndex(table, column.name), {}, &log_);
    return added;
}

Status Connections::attach(int number, int other, const QString &alias)
{
    Entry *e = entry(number, QStringLiteral("Attach"));
    if (!e || !isConnected(other))
        return Status::failure(QStringLiteral("Нет такого подключения к базе"));
    for (const auto &[existing, file] : e->aliases) {
        if (existing == alias)
            return {};
    }
    const QSqlDatabase db = database(number);
    if (SqlDialect::of(db).engine() == SqlDialect::Engine::PostgreSQL) {
        // One database holds every base: alias.table already reaches the other schema.
        if (!isServerBase(other) || path(other).section(u'/', -1) != alias || !schemaExists(db, alias)) {
            const QString error = QStringLiteral("На сервере нет схемы базы: ") + alias;
            log_.write(QStringLiteral("Ошибка выполнения функции.\nФункция: Attach\n") + error);
            return Status::failure(error);
        }
        return {};
    }
    const Status attached
        = execSql(db, QStringLiteral("ATTACH DATABASE ? AS ") + SqlDialect::of(db).quote(alias), {path(other)}, &log_);
    if (attached)
        e->aliases.append({alias, path(other)});
    return attached;
}

void Connections::detachEverywhere(int other)
{
    const QString file = canonical(path(other));
    if (file.isEmpty())
        return;
    for (auto &[number, e] : entries_) {
        QSqlDatabase db = QSqlDatabase::database(e.connectionName, false);
        for (qsizetype i = e.aliases.size() - 1; i >= 0; --i) {
            if (canonical(e.aliases[i].second) != file)
                continue;
            execSql(db, QStringLiteral("DETACH DATABASE ") + SqlDialect::of(db).quote(e.aliases[i].first), {}, &log_);
            e.aliases.removeAt(i);
        }
    }
}

} // namespace kulvera
