#pragma once

#include "common/Result.h"
#include "shell/Catalogue.h"

#include <QList>
#include <QString>

#include <vector>

namespace kulvera {

class Connections;
class SettingsAccess;
class SharedSettings;
struct ServerSettings;

// The bases connected at start, in the order the program connects them.
const std::vector<BaseId> &startupBases();
// The bases a fresh installation deploys (empty schema; seed data comes with them).
const std::vector<BaseId> &deployedBases();

// Creates every missing base file of a fresh installation in `folder` (the
// databases folder) with its whole schema. Existing files are left alone.
// Returns the files created.
Result<QStringList> deployDefaultBases(const QString &folder, const SettingsAccess &settings);

// The same on the server: the schema of every base the server lacks (serverSchema).
Result<QStringList> deployServerBases(const ServerSettings &server, const SettingsAccess &settings);

struct ConnectOutcome {
    BaseId base;
    int number; // Connections::kFailed when it could not be connected
    QString path;
};
// Connects the start-up bases quietly, each under its fixed number.
std::vector<ConnectOutcome> connectStartupBases(Connections &connections, const SharedSettings &shared);

// Queries on one base reach another base's tables as alias.table: the product
// base is "prod" inside the warehouse, menu and dish bases, the warehouse base
// is "ws" inside the menu, dish and product bases. Built once after connecting.
void attachExternalTables(Connections &connections);
inline constexpr QStringView kProductsAlias = u"prod";
inline constexpr QStringView kWarehouseAlias = u"ws";

} // namespace kulvera
