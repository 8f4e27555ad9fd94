#include "DemoKitchenWriteOffs.h"

#include "DemoKitchen.h"
#include "RationWriteOff.h"
#include "common/Clock.h"
#include "menus/MenuBase.h"
#include "recipes/DishBase.h"
#include "recipes/StoredText.h"
#include "shell/AppContext.h"
#include "shell/Connections.h"
#include "shell/Databases.h"
#include "warehouse/OutgoingDocuments.h"
#include "warehouse/WarehouseBase.h"
#include "warehouse/Warehouses.h"

#include <algorithm>

namespace kulvera {

Status writeOffDemoRations(DemoKitchen &kitchen)
{
    Connections &c = kitchen.connections;
    for (BaseId b : {BaseId::Warehouse, BaseId::Products, BaseId::Menu, BaseId::Dishes}) {
        if (c.connectBase(b, kitchen.shared, true) == Connections::kFailed)
            return Status::failure(QStringLiteral("Нет подключения к базам склада, продуктов, меню и блюд"));
    }
    attachExternalTables(c);
    const int dishNumber = static_cast<int>(BaseId::Dishes);
    const Result<StoredTextCodec> codec = installationCodec(c, dishNumber, kitchen.settings, nullptr);
    if (!codec)
        return Status::failure(codec.error());
    DishBase dishes(c, dishNumber, kitchen.settings, kitchen.prompter, codec.value());
    const MenuBase menu(c, static_cast<int>(BaseId::Menu), kitchen.settings, kitchen.prompter, codec.value());
    const auto rations = menu.list();
    if (!rations)
        return Status::failure(rations.error());

    // The days of the first week that are over or under way.
    const QDate lastDay = std::min(kitchen.firstDay.addDays(4), std::max(kitchen.today, kitchen.firstDay));
    for (QDate day = kitchen.firstDay; day <= lastDay; day = day.addDays(1)) {
        // Written off in the afternoon of the day, when the kitchen is done.
        const FixedClock clock(QDateTime(day, QTime(15, 0)));
        AppContext context {kitchen.prompter, kitchen.settings, kitchen.shared, clock, c, c.errorLog()};
        WarehouseBase base(context);
        const auto store = Warehouses(base).findByNameOrKey(QStringLiteral("Основной склад"));
        if (!store)
            return Status::failure(QStringLiteral("Склад не идентифицирован!"));
        OutgoingDocuments documents(base);
        for (const RationListEntry &entry : *rations) {
            if (entry.date != day)
                continue;
            const auto ration = menu.load({entry.date, entry.group});
            if (!ration)
                return Status::failure(ration.error());
            const auto key = writeOffRation(
                base, dishes, *ration, kDemoKitchenPortions, store->key, QStringLiteral("Меню ") + entry.group);
            if (!key)
                return Status::failure(entry.group + QStringLiteral(": ") + key.error());
            if (const Status posted = documents.post(*key); !posted)
                return Status::failure(entry.group + QStringLiteral(": ") + posted.error());
        }
    }
    return {};
}

} // namespace kulvera
