#include "DemoKitchenRejection.h"

#include "DemoKitchen.h"
#include "common/Clock.h"
#include "journals/RejectionJournal.h"
#include "journals/RejectionMenus.h"
#include "menus/MenuBase.h"
#include "recipes/StoredText.h"
#include "shell/AppContext.h"
#include "shell/Connections.h"

#include <algorithm>

namespace kulvera {

Status addDemoRejectionJournal(DemoKitchen &kitchen)
{
    Connections &c = kitchen.connections;
    for (BaseId b : {BaseId::Rejection, BaseId::Menu, BaseId::Dishes}) {
        if (c.connectBase(b, kitchen.shared, true) == Connections::kFailed)
            return Status::failure(QStringLiteral("Нет подключения к базам бракеражного журнала, меню и блюд"));
    }
    const Result<StoredTextCodec> codec
        = installationCodec(c, static_cast<int>(BaseId::Dishes), kitchen.settings, nullptr);
    if (!codec)
        return Status::failure(codec.error());
    const MenuBase menu(c, static_cast<int>(BaseId::Menu), kitchen.settings, kitchen.prompter, codec.value());
    const auto rations = menu.list();
    if (!rations)
        return Status::failure(rations.error());
    const QDate lastDay = std::max(kitchen.today, kitchen.firstDay);
    for (const RationListEntry &entry : *rations) {
        if (entry.date > lastDay)
            continue;
        // Written at noon of the day, after the check.
        const FixedClock clock(QDateTime(entry.date, QTime(12, 0)));
        AppContext context {kitchen.prompter, kitchen.settings, kitchen.shared, clock, c, c.errorLog()};
        RejectionJournal journal(context);
        const auto ration = menu.load({entry.date, entry.group});
        if (!ration)
            return Status::failure(ration.error());
        if (const Result<int> saved = saveRationToJournal(journal, *ration); !saved)
            return Status::failure(saved.error());
    }
    return {};
}

} // namespace kulvera
