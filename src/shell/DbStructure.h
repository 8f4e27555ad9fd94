#pragma once

#include "common/Result.h"
#include "shell/BaseSchema.h"
#include "shell/Catalogue.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace kulvera {

class Connections;
class SettingsAccess;
struct ServerSettings;

using LogSink = std::function<void(const QString &)>;

// The name a schema table has in this installation (a setting may rename it).
QString tableName(const TableDef &table, const SettingsAccess &settings);

// Creates the tables and columns of the base's schema that the connected base
// lacks; rows already there are kept. Returns what it created, one line each.
Result<QStringList> ensureSchema(
    Connections &connections, BaseId base, const SettingsAccess &settings, int number = -1);

// Writes a new, empty base file with its whole schema (and the dish base's
// first collection). Refuses to overwrite an existing file.
Status createBaseFile(const QString &path, BaseId base, const SettingsAccess &settings);
// The same on the server: the base's schema (serverSchema) with its whole structure,
// in one transaction. Refuses a schema that exists.
Status createServerBase(const ServerSettings &server, BaseId base, const SettingsAccess &settings);

// One step of the structure upgrade, named by the build that introduced it:
// the tables (and, when listed, only those columns) it makes sure exist.
struct UpgradeStep {
    QString build;
    BaseId base;
    QString table; // schema table name; empty: every table of the base
    QStringList columns; // empty: the whole table
};
const std::vector<UpgradeStep> &upgradeSteps();

// Brings every connected base up to the current build, logging each step
// ("Проверка структуры БД для сборки " ... ":: начало", ":: создаем новую колонку: ", ":: ОК").
Status upgradeStructure(Connections &connections, const SettingsAccess &settings, const LogSink &log);

} // namespace kulvera
