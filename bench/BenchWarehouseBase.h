#pragma once

// The warehouse of a benchmark: a product base of `kProducts` products in
// kilograms and a warehouse base with one warehouse, in a temporary folder.
#include "common/Clock.h"
#include "common/ScriptedPrompter.h"
#include "shell/AppContext.h"
#include "shell/Connections.h"
#include "shell/Databases.h"
#include "shell/DbStructure.h"
#include "shell/ErrorLog.h"
#include "shell/SettingsStore.h"
#include "shell/SharedSettings.h"
#include "shell/SqlStatement.h"
#include "warehouse/WarehouseBase.h"
#include "warehouse/Warehouses.h"

#include <QTemporaryDir>

namespace kulvera::bench {

inline constexpr int kProducts = 1000;

struct BenchWarehouseBase {
    QTemporaryDir dir;
    SettingsStore settings {dir.filePath(QStringLiteral("s.ini"))};
    SharedSettings shared;
    ErrorLog log {dir.filePath(QStringLiteral("e.log"))};
    ScriptedPrompter prompter;
    Connections connections {prompter, settings, log};
    FixedClock clock {QDate(2026, 3, 1)};
    AppContext context {prompter, settings, shared, clock, connections, log};
    WarehouseBase base {context};
    qint64 warehouse = 0;

    BenchWarehouseBase()
    {
        prompter.setDefaultAnswer(Prompter::Answer::Yes);
        const QString products = dir.filePath(QStringLiteral("db011.db"));
        const QString stock = dir.filePath(QStringLiteral("db101.db"));
        createBaseFile(products, BaseId::Products, settings);
        createBaseFile(stock, BaseId::Warehouse, settings);
        connections.connectAt(static_cast<int>(BaseId::Products), products, QStringLiteral("dt010"));
        connections.connectAt(static_cast<int>(BaseId::Warehouse), stock, QStringLiteral("dt101"));
        attachExternalTables(connections);
        const QSqlDatabase db = connections.database(BaseId::Products);
        Transaction t(db);
        SqlStatement add(
            db, QStringLiteral("INSERT INTO \"dt010\" (\"Код\", \"Имя\", \"Имя2\", \"ЕдИ_Ц\") VALUES (?, ?, ?, 1)"));
        for (int k = 1; k <= kProducts; ++k)
            add.exec({k, QStringLiteral("П%1").arg(k), QStringLiteral("Продукт %1").arg(k)});
        t.commit();
        base.exec(
            QStringLiteral("INSERT INTO \"dt105\" (\"ID\", \"Name\", \"Pref\", \"Koef\") VALUES (1, 'кг', 'кг', 1)"));
        warehouse = Warehouses(base).add(QStringLiteral("Склад")).value();
    }
};

} // namespace kulvera::bench
