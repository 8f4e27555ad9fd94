#pragma once

#include "common/Result.h"

#include <QDate>

namespace kulvera {

struct AppContext;

struct DemoWarehouseSummary {
    int warehouses = 0;
    int suppliers = 0;
    int invoices = 0;
    int lines = 0;
    bool alreadyPresent = false; // the demo warehouse was there: nothing added
};

// Fills the warehouse base with illustrative data for trying the program out:
// two warehouses with storage places, three suppliers and a month of incoming
// invoices ending `today`, of products of the delivered product base at made-up
// but plausible prices (roubles per kg, 2020s). None of it is real trade data.
// Runs once: a base that already has the demo warehouse is left as it is. The
// product base must be attached and hold the delivered products with their units.
Result<DemoWarehouseSummary> seedDemoWarehouse(AppContext &context, const QDate &today);

} // namespace kulvera
