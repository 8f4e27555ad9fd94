#pragma once

#include "common/Result.h"
#include "maintenance/MaintenanceReport.h"
#include "recipes/StoredText.h"
#include "shell/DishCollections.h"

#include <QList>

namespace kulvera {

struct AppContext;

// What the runs on the dish and menu bases share.

// The report of a run that could not be done.
MaintenanceReport failedReport(MaintenanceReport report, const QString &error);
// The installation's codec, without a prompter: a broken value must not open
// a box per row. Failure when the dish base is not connected.
Result<StoredTextCodec> quietInstallationCodec(AppContext &context);
// The collections whose tables exist.
QList<DishCollection> existingCollections(AppContext &context);

} // namespace kulvera
