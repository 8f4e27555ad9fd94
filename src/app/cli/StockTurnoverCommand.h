#pragma once

#include <QStringList>

namespace kulvera {

struct CliRun;
class WarehouseBase;

// `stock turnover --from D --to D [--warehouse W] [--no-movements] [--json]
// [--png FILE [--product P,...]]`: the turnover report, and optionally the
// weekly chart of the named products (every product of the report when none).
int stockTurnoverCommand(CliRun &run, WarehouseBase &base, const QStringList &args);

} // namespace kulvera
