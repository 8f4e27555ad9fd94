#include "shell/Databases.h"

#include "shell/Connections.h"
#include "shell/DbStructure.h"
#include "shell/ServerBases.h"
#include "shell/SharedSettings.h"

#include <QDir>
#include <QFileInfo>

namespace kulvera {

const std::vector<BaseId> &startupBases()
{
    using B = BaseId;
    static const std::vector<BaseId> order = {B::Dishes, B::Products, B::Microbiology, B::Captions, B::Losses,
        B::LossesOutput, B::Menu, B::Methods, B::Protocols, B::Warehouse, B::Rejection, B::StandardNames, B::Journals};
    return order;
}

const std::vector<BaseId> &deployedBases()
{
    using B = BaseId;
    static const std::vector<BaseId> bases
        = {B::Dishes, B::Products, B::Microbiology, B::Captions, B::Losses, B::LossesOutput, B::SemiFinished, B::Menu,
            B::Methods, B::Protocols, B::Warehouse, B::Rejection, B::StandardNames, B::Journals, B::Client};
    return bases;
}

Result<QStringList> deployDefaultBases(const QString &folder, const SettingsAccess &settings)
{
    if (!QDir().mkpath(folder))
        return Result<QStringList>::failure(QStringLiteral("Не удалось создать папку: ") + folder);
    QStringList created;
    if (configuredEngine(settings) == DbEngine::PostgreSQL) {
        // The bases are schemas of the server's database; the folder keeps the other files.
        return deployServerBases(serverSettings(settings), settings);
    }
    for (BaseId base : deployedBases()) {
        const QString file = baseFileName(base, settings);
        const QString path = QDir::isAbsolutePath(file) ? file : QDir(folder).filePath(file);
        if (QFileInfo::exists(path))
            continue;
        const Status made = createBaseFile(path, base, settings);
        if (!made)
            return Result<QStringList>::failure(made.error());
        created << path;
    }
    return created;
}

Result<QStringList> deployServerBases(const ServerSettings &server, const SettingsAccess &settings)
{
    const Result<QStringList> existing = serverSchemas(server);
    if (!existing)
        return Result<QStringList>::failure(existing.error());
    QStringList created;
    for (BaseId base : deployedBases()) {
        if (existing->contains(serverSchema(base)))
            continue;
        const Status made = createServerBase(server, base, settings);
        if (!made)
            return Result<QStringList>::failure(made.error());
        created << serverPath(server, serverSchema(base));
    }
    return created;
}

std::vector<ConnectOutcome> connectStartupBases(Connections &connections, const SharedSettings &shared)
{
    std::vector<ConnectOutcome> outcomes;
    for (BaseId base : startupBases()) {
        const int number = connections.connectBase(base, shared, true);
        outcomes.push_back({base, number, connections.isConnected(number) ? connections.path(number) : QString()});
    }
    return outcomes;
}

void attachExternalTables(Connections &connections)
{
    const int products = static_cast<int>(BaseId::Products);
    const int warehouse = static_cast<int>(BaseId::Warehouse);
    for (BaseId base : {BaseId::Warehouse, BaseId::Menu, BaseId::Dishes}) {
        if (connections.isConnected(base) && connections.isConnected(products))
            connections.attach(static_cast<int>(base), products, kProductsAlias.toString());
    }
    for (BaseId base : {BaseId::Menu, BaseId::Dishes, BaseId::Products}) {
        if (connections.isConnected(base) && connections.isConnected(warehouse))
            connections.attach(static_cast<int>(base), warehouse, kWarehouseAlias.toString());
    }
}

} // namespace kulvera
