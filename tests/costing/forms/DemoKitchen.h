#pragma once

#include "menus/MenuBase.h"
#include "menus/forms/OpenMenuBase.h"
#include "recipes/HeatTreatment.h"
#include "support/DemoKitchenContext.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kulvera::test {

inline const QString kDemoGroup = QStringLiteral("Дети 7-11 лет");
inline const QString kDemoNorm = QStringLiteral("Взрослые женщины — US RDA (IFCT 2017)");

// The demo kitchen with the bases the costing forms read, on a fixed day.
struct DemoKitchen : DemoKitchenContext {
    DemoKitchen()
        : DemoKitchenContext(QDate(2026, 5, 12))
    {
        for (BaseId b :
            {BaseId::Dishes, BaseId::Products, BaseId::Losses, BaseId::LossesOutput, BaseId::Warehouse, BaseId::Menu})
            EXPECT_NE(connections.connectBase(b, shared, true), Connections::kFailed);
        EXPECT_TRUE(programLossTables().load(connections, settings));
    }

    // The first and last day holding a ration of the group.
    std::pair<QDate, QDate> span(const QString &group = kDemoGroup)
    {
        const auto base = openMenuBase(context);
        const auto days = base->daysOf(group);
        EXPECT_TRUE(days && !days->empty());
        return {*std::min_element(days->begin(), days->end()), *std::max_element(days->begin(), days->end())};
    }
};

} // namespace kulvera::test
