#include "shell/ServerBases.h"

#include "common/SettingsAccess.h"
#include "shell/SettingDefaults.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace kulvera {
namespace {

const QString kEngineKey = QStringLiteral("DbEngine");
const QString kPostgres = QStringLiteral("PostgreSQL");

// One field of a password-file line: "\:" and "\\" stand for themselves.
QStringList passwordFileFields(const QString &line)
{
    QStringList fields;
    QString current;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == u'\\' && i + 1 < line.size()) {
            current += line[++i];
        } else if (c == u':' && fields.size() < 4) {
            fields << current;
            current.clear();
        } else {
            current += c;
        }
    }
    fields << current;
    return fields;
}

bool fieldMatches(const QString &field, const QString &value)
{
    return field == u"*" || field == value;
}

} // namespace

DbEngine configuredEngine(const SettingsAccess &settings)
{
    return readSetting(settings, Section::Data, kEngineKey).compare(kPostgres, Qt::CaseInsensitive) == 0
        ? DbEngine::PostgreSQL
        : DbEngine::SQLite;
}

ServerSettings serverSettings(const SettingsAccess &settings)
{
    ServerSettings s;
    s.host = readSetting(settings, Section::Data, QStringLiteral("PgHost"));
    bool ok = false;
    const int port = readSetting(settings, Section::Data, QStringLiteral("PgPort")).toInt(&ok);
    s.port = ok && port > 0 ? port : 5432;
    s.database = readSetting(settings, Section::Data, QStringLiteral("PgDatabase"));
    s.user = readSetting(settings, Section::Data, QStringLiteral("PgUser"));
    s.passwordFile = readSetting(settings, Section::Data, QStringLiteral("PgPassFile"));
    return s;
}

void saveServerSettings(SettingsAccess &settings, const ServerSettings &server)
{
    settings.save(Section::Data, kEngineKey, kPostgres);
    settings.save(Section::Data, QStringLiteral("PgHost"), server.host);
    settings.save(Section::Data, QStringLiteral("PgPort"), QString::number(server.port));
    settings.save(Section::Data, QStringLiteral("PgDatabase"), server.database);
    settings.save(Section::Data, QStringLiteral("PgUser"), server.user);
    settings.save(Section::Data, QStringLiteral("PgPassFile"), server.passwordFile);
}

Result<ServerSettings> parseConnInfo(const QString &conninfo)
{
    ServerSettings s;
    static const QRegularExpression pair(QStringLiteral(R"((\w+)\s*=\s*('(?:[^'\\]|\\.)*'|\S+))"));
    QString rest = conninfo.trimmed();
    auto it = pair.globalMatch(rest);
    qsizetype consumed = 0;
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        if (!rest.mid(consumed, m.capturedStart() - consumed).trimmed().isEmpty())
            break;
        consumed = m.capturedEnd();
        const QString key = m.captured(1).toLower();
        QString value = m.captured(2);
        if (value.startsWith(u'\'')) {
            value = value.mid(1, value.size() - 2);
            value.replace(QStringLiteral("\\'"), QStringLiteral("'"))
                .replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
        }
        if (key == u"host") {
            s.host = value;
        } else if (key == u"port") {
            bool ok = false;
            s.port = value.toInt(&ok);
            if (!ok || s.port <= 0)
                return Result<ServerSettings>::failure(QStringLiteral("Неверный порт сервера: ") + value);
        } else if (key == u"dbname") {
            s.database = value;
        } else if (key == u"user") {
            s.user = value;
        } else if (key == u"passfile") {
            s.passwordFile = value;
        } else if (key == u"password") {
            return Result<ServerSettings>::failure(
                QStringLiteral("Пароль не указывается в строке подключения: укажите файл паролей (passfile)"));
        } else {
            return Result<ServerSettings>::failure(QStringLiteral("Неизвестный параметр подключения: ") + key);
        }
    }
    if (!rest.mid(consumed).trimmed().isEmpty())
        return Result<ServerSettings>::failure(QStringLiteral("Неверная строка подключения: ") + conninfo);
    if (s.database.isEmpty())
        return Result<ServerSettings>::failure(QStringLiteral("В строке подключения не указана база данных (dbname)"));
    return s;
}

QString connInfoText(const ServerSettings &server)
{
    QStringList parts;
    if (!server.host.isEmpty())
        parts << QStringLiteral("host=") + server.host;
    parts << QStringLiteral("port=") + QString::number(server.port);
    parts << QStringLiteral("dbname=") + server.database;
    if (!server.user.isEmpty())
        parts << QStringLiteral("user=") + server.user;
    if (!server.passwordFile.isEmpty())
        parts << QStringLiteral("passfile=") + server.passwordFile;
    return parts.join(u' ');
}

Result<QString> readPasswordFile(const ServerSettings &server)
{
    if (server.passwordFile.isEmpty())
        return QString();
    QFile file(server.passwordFile);
    if (!file.exists())
        return Result<QString>::failure(QStringLiteral("Не найден файл пароля: ") + server.passwordFile);
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
        | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    if (file.permissions() & others)
        return Result<QString>::failure(QStringLiteral("Файл пароля доступен другим пользователям: ")
            + server.passwordFile + QStringLiteral("\nОставьте права на него только владельцу (chmod 600)."));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return Result<QString>::failure(QStringLiteral("Не удалось прочитать файл пароля: ") + server.passwordFile);
    // A socket folder is "localhost" to the password file, as libpq has it.
    const QString host
        = server.host.isEmpty() || server.host.startsWith(u'/') ? QStringLiteral("localhost") : server.host;
    const QString user = server.user.isEmpty() ? qEnvironmentVariable("USER") : server.user;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QStringList f = passwordFileFields(line);
        if (f.size() != 5)
            continue;
        if (fieldMatches(f[0], host) && fieldMatches(f[1], QString::number(server.port))
            && fieldMatches(f[2], server.database) && fieldMatches(f[3], user))
            return f[4];
    }
    return Result<QString>::failure(
        QStringLiteral("В файле пароля нет строки для этого сервера: ") + server.passwordFile);
}

QString serverSchema(BaseId base)
{
    switch (base) {
    case BaseId::Products:
        return QStringLiteral("prod");
    case BaseId::Warehouse:
        return QStringLiteral("ws");
    default:
        return baseName(base).replace(u'-', u'_');
    }
}

QString serverPath(const ServerSettings &server, const QString &schema)
{
    return QStringLiteral("postgres:") + server.database + u'/' + schema;
}

bool isServerPath(const QString &path)
{
    return path.startsWith(u"postgres:");
}

Result<QSqlDatabase> openServerDatabase(
    const ServerSettings &server, const QString &connectionName, const QString &schema)
{
    const Result<QString> password = readPasswordFile(server);
    if (!password)
        return Result<QSqlDatabase>::failure(password.error());
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
    if (!db.isValid()) {
        QSqlDatabase::removeDatabase(connectionName);
        return Result<QSqlDatabase>::failure(
            QStringLiteral("Нет драйвера PostgreSQL (пакет libqt6sql6-psql): сервер баз данных недоступен"));
    }
    db.setHostName(server.host);
    db.setPort(server.port);
    db.setDatabaseName(server.database);
    db.setUserName(server.user);
    db.setPassword(password.value());
    db.setConnectOptions(QStringLiteral("connect_timeout=10"));
    QString error;
    if (!db.open()) {
        error = db.lastError().text();
    } else {
        QSqlQuery setup(db);
        // Messages come back in a form the error log can hold whatever the server's locale.
        setup.exec(QStringLiteral("SET client_min_messages TO warning"));
        if (!schema.isEmpty()) {
            if (!schemaExists(db, schema))
                error = QStringLiteral("На сервере нет схемы базы: ") + schema;
            else if (!setup.exec(QStringLiteral("SET search_path TO \"")
                         + QString(schema).replace(u'"', QStringLiteral("\"\"")) + u'"'))
                error = setup.lastError().text();
        }
    }
    if (!error.isEmpty()) {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName);
        return Result<QSqlDatabase>::failure(error);
    }
    return db;
}

Result<QString> testServerConnection(const ServerSettings &server)
{
    const QString name = QStringLiteral("kv_test_") + QUuid::createUuid().toString(QUuid::Id128);
    Result<QString> outcome = QString();
    {
        const Result<QSqlDatabase> db = openServerDatabase(server, name);
        if (!db)
            return Result<QString>::failure(db.error());
        QSqlQuery q(db.value());
        if (q.exec(QStringLiteral("SHOW server_version")) && q.next())
            outcome = q.value(0).toString();
        else
            outcome = Result<QString>::failure(q.lastError().text());
        q = QSqlQuery();
        QSqlDatabase(db.value()).close();
    }
    QSqlDatabase::removeDatabase(name);
    return outcome;
}

bool schemaExists(const QSqlDatabase &db, const QString &schema)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT 1 FROM information_schema.schemata WHERE schema_name = ?"));
    q.addBindValue(schema);
    return q.exec() && q.next();
}

Result<QStringList> serverSchemas(const ServerSettings &server)
{
    const QString name = QStringLiteral("kv_schemas_") + QUuid::createUuid().toString(QUuid::Id128);
    Result<QStringList> outcome = QStringList();
    {
        const Result<QSqlDatabase> db = openServerDatabase(server, name);
        if (!db)
            return Result<QStringList>::failure(db.error());
        QSqlQuery q(db.value());
        if (q.exec(QStringLiteral("SELECT schema_name FROM information_schema.schemata WHERE schema_name NOT LIKE "
                                  "'pg\\_%' AND schema_name <> 'information_schema'"))) {
            QStringList names;
            while (q.next())
                names << q.value(0).toString();
            outcome = names;
        } else {
            outcome = Result<QStringList>::failure(q.lastError().text());
        }
        q = QSqlQuery();
        QSqlDatabase(db.value()).close();
    }
    QSqlDatabase::removeDatabase(name);
    return outcome;
}

QString notOnServerMessage(const QString &operation)
{
    return operation + QStringLiteral(": недоступно для баз на сервере PostgreSQL (это делает администратор сервера)");
}

} // namespace kulvera
