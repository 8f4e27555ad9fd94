#pragma once

#include "common/Result.h"
#include "shell/Catalogue.h"

#include <QSqlDatabase>
#include <QString>

namespace kulvera {

class SettingsAccess;

// The server engine. Several workstations share one PostgreSQL database; every
// base of the catalogue is a schema of it (serverSchema), so a connection sets
// its search path to its base's schema and a query names another base's table
// as schema.table, as it names an attached file on SQLite.
enum class DbEngine { SQLite, PostgreSQL };

struct ServerSettings {
    QString host; // a name, an address, or the folder of a Unix socket
    int port = 5432;
    QString database;
    QString user;
    // A libpq password file ("host:port:database:user:password" lines) only its
    // owner may read; empty when the server asks for no password.
    QString passwordFile;
};

// Engine chosen by the settings (Data/DbEngine: "SQLite" or "PostgreSQL").
DbEngine configuredEngine(const SettingsAccess &settings);
ServerSettings serverSettings(const SettingsAccess &settings);
// Writes the server settings and chooses the server engine.
void saveServerSettings(SettingsAccess &settings, const ServerSettings &server);

// "host=/tmp/x port=5433 dbname=kulvera user=cook passfile=/home/cook/.pgpass", the libpq
// keyword form. A password written in it is refused: it belongs in the password file.
Result<ServerSettings> parseConnInfo(const QString &conninfo);
QString connInfoText(const ServerSettings &server);

// The password for this server from the password file; empty when no file is named.
// Refuses a file that its group or other users can read.
Result<QString> readPasswordFile(const ServerSettings &server);

// The schema that holds a base on the server. The product base is "prod" and the
// warehouse base "ws", the names other bases use for them in queries; the others
// take their short names ("dishes", "menu", "losses_output", ...).
QString serverSchema(BaseId base);
// A connection's path in the connection table: "postgres:<database>/<schema>".
QString serverPath(const ServerSettings &server, const QString &schema);
bool isServerPath(const QString &path);

// Opens a named QPSQL connection; with a schema, its search path is that schema.
Result<QSqlDatabase> openServerDatabase(
    const ServerSettings &server, const QString &connectionName, const QString &schema = {});
// Connects once and answers the server's version, or the server's error.
Result<QString> testServerConnection(const ServerSettings &server);
bool schemaExists(const QSqlDatabase &db, const QString &schema);
// The schemas of the server's database (its own pg_* and information_schema left out).
Result<QStringList> serverSchemas(const ServerSettings &server);

// The message where a whole-file operation has no meaning on the server.
QString notOnServerMessage(const QString &operation);

} // namespace kulvera
