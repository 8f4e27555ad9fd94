#pragma once

#include "common/Result.h"
#include "shell/BaseSchema.h"
#include "shell/Catalogue.h"
#include "shell/Recordset.h"
#include "shell/ServerBases.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

#include <map>
#include <memory>
#include <optional>

namespace kulvera {

class ErrorLog;
class Prompter;
class SettingsAccess;
class SharedSettings;

// The process-wide table of open bases. Every data access names a base by its
// connection number; the catalogue's bases have fixed numbers (BaseId), other
// files take free numbers. Each entry is a named Qt SQL connection with its
// current recordset. Connecting the same file twice gives the same number.
class Connections
{
public:
    static constexpr int kFailed = -2;

    Connections(Prompter &prompter, SettingsAccess &settings, ErrorLog &log);
    ~Connections();
    Connections(const Connections &) = delete;
    Connections &operator=(const Connections &) = delete;

    // Folder used when a connect names no folder (the databases folder).
    void setDefaultFolder(const QString &folder) { defaultFolder_ = folder; }
    QString defaultFolder() const { return defaultFolder_; }
    void setDebugMode(bool on) { debug_ = on; }
    // The server engine: catalogue bases are schemas of this PostgreSQL database
    // (chosen by the settings when the table is made). Files opened by path stay SQLite.
    void setServer(std::optional<ServerSettings> server) { server_ = std::move(server); }
    const std::optional<ServerSettings> &server() const { return server_; }
    bool onServer() const { return server_.has_value(); }
    // Whether a connection is a schema on the server rather than a file.
    bool isServerBase(int number) const { return isServerPath(path(number)); }

    // Opens a base file and proves it by its identifying table. Returns the
    // connection number, or kFailed. A missing file asks (unless quiet)
    // whether to restore the default database folders.
    int connect(const QString &file, const QString &identifyingTable, bool quiet = false, const QString &password = {},
        const QString &folder = {});
    // As connect, but a missing file is reported with the base's description
    // and no folder reset is offered.
    int connectWithIdentification(const QString &file, const QString &identifyingTable, bool quiet,
        const QString &description, const QString &folder = {});
    // A catalogue base under its fixed number, at its configured path.
    int connectBase(BaseId base, const SharedSettings &shared, bool quiet = false);
    // Opens a file under a given (free) number; used to reopen a base after
    // its file was replaced, and by connectBase.
    int connectAt(int number, const QString &path, const QString &identifyingTable, const QString &password = {});
    void disconnect(int number);
    void disconnectAll();

    bool isConnected(int number) const;
    bool isConnected(BaseId base) const { return isConnected(static_cast<int>(base)); }
    QSqlDatabase database(int number) const;
    QSqlDatabase database(BaseId base) const { return database(static_cast<int>(base)); }
    QString path(int number) const;
    int numberOf(const QString &path) const; // kFailed when not connected
    QList<int> numbers() const;
    ErrorLog &errorLog() const { return log_; }
    Prompter &prompter() const { return prompter_; }

    // The cursor operations on a connection's current recordset.
    bool SetActBase(int number);
    int activeBase() const { return active_; }
    Recordset *recordset(int number);
    // Replaces the current recordset by a SELECT's rows; returns the row count or -1.
    int openQuery(int number, const QString &sql, const QVariantList &params = {});
    int openTable(int number, const QString &table);
    // Field access and editing on the current recordset, addressed by number.
    QVariant fieldValue(int number, const QString &field);
    Status flSet(int number, const QString &field, const QVariant &value);
    Status flAdd(int number);
    Status update(int number);
    Status deleteRow(int number);
    bool flExist(int number, const QString &table);
    bool fieldExists(int number, const QString &table, const QString &field);
    QStringList fieldNames(int number, const QString &table);
    Status createTable(int number, const QString &table, const std::vector<ColumnDef> &columns);
    Status deleteTable(int number, const QString &table);
    Status addField(int number, const QString &table, const ColumnDef &column);
    Status exec(int number, const QString &sql, const QVariantList &params = {});

    // Makes another base's tables reachable from queries on `number` as
    // alias.table (an attached database). Re-attaching the same alias is a no-op.
    // On the server every base is already a schema of the one database: the alias
    // must be the other base's schema, and nothing is attached.
    Status attach(int number, int other, const QString &alias);
    // Releases every attachment of `other`'s file from all connections, so the
    // file can be replaced; attachExternalTables() builds them again.
    void detachEverywhere(int other);

private:
    struct Entry {
        QString path;
        QString connectionName;
        std::unique_ptr<Recordset> recordset;
        QList<std::pair<QString, QString>> aliases; // alias, attached file
    };
    QString resolve(const QString &file, const QString &folder) const;
    Entry *entry(int number, const QString &operation);
    int freeNumber() const;
    int connectSchemaAt(int number, const QString &schema, const QString &identifyingTable);
    void debugStep(const QString &text);

    Prompter &prompter_;
    SettingsAccess &settings_;
    ErrorLog &log_;
    QString defaultFolder_;
    bool debug_ = false;
    int active_ = kFailed;
    QString instanceTag_;
    std::map<int, Entry> entries_;
    std::optional<ServerSettings> server_;
};

} // namespace kulvera
