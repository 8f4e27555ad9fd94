#pragma once

#include "common/Result.h"
#include "shell/Catalogue.h"
#include "shell/ServerBases.h"

#include <QSqlDatabase>
#include <QString>

#include <vector>

namespace kulvera {

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

} // namespace kulvera
