#pragma once

#include "common/Result.h"
#include "shell/Catalogue.h"
#include "shell/ServerBases.h"

#include <QSqlDatabase>
#include <QString>

#include <vector>

namespace kulvera {

class ErrorLog;
class SettingsAccess;

// Where the bases of an installation are: a folder of SQLite files, or a server.
struct BaseLocation {
    DbEngine engine = DbEngine::SQLite;
    QString folder; // SQLite
    ServerSettings server; // PostgreSQL
};
// "sqlite:FOLDER" or "postgres:CONNINFO".
Result<BaseLocation> parseBaseLocation(const QString &text);

struct TableCheck {
    QString table;
    qint64 rows = 0;
    QString checksum; // hex SHA-256 of the rows in key order
};

// The row count and checksum of a table: the rows in key order (the counter column's,
// otherwise the rows' own order as text), each value written in one engine-neutral form
// (numbers by value, texts as UTF-8, binary as hex, NULL apart from every text).
Result<TableCheck> checkTable(const QSqlDatabase &db, const QString &table);

struct BaseCopyReport {
    BaseId base;
    bool skipped = false; // no such base at the source
    std::vector<TableCheck> tables;
};

// Copies one base whole (every table of it, with its rows and keys) to a location that
// does not hold it yet, in one transaction, then reads every table back and compares
// its row count and checksum with the source's before committing. A difference rolls
// the base back and the error names the table.
Result<BaseCopyReport> copyBase(
    BaseId base, const BaseLocation &from, const BaseLocation &to, const SettingsAccess &settings);

// Writes the base open at `db` whole into a new SQLite file (refused when the file exists),
// so a base on the server can become a file a user keeps, as a base file can. A base file
// is copied by the engine (VACUUM INTO), compacted as it goes; a base on the server table
// by table as the schema defines it, with its rows and keys, each table checked as
// copyBase checks it. A failure leaves no file behind.
Status writeBaseFile(
    const QSqlDatabase &db, BaseId base, const QString &file, const SettingsAccess &settings, ErrorLog *log = nullptr);

} // namespace kulvera
