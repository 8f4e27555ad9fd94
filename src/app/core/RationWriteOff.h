#pragma once

#include "common/Result.h"
#include "warehouse/OutgoingDocuments.h"

namespace kulvera {

class DishBase;
class Ration;
class WarehouseBase;

// A day's ration written off by dishes: every dish of every meal, at the
// ration's outputs, for `portions` portions each, as one unposted kind 2
// document of the warehouse dated the ration's day.
Result<qint64> writeOffRation(WarehouseBase &base, DishBase &dishes, const Ration &ration, double portions,
    qint64 warehouse, const QString &note);

} // namespace kulvera
