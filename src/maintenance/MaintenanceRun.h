#pragma once

#include "maintenance/MaintenanceReport.h"

#include <QSet>
#include <QString>

#include <optional>

namespace kulvera {

class HeatTreatmentTables;
class RunProgress;
struct AppContext;

// What a maintenance run is asked to do besides its own work.
struct MaintenanceOptions {
    bool dryRun = false; // write nothing; the report says what would change
    bool compact = false; // compact the base afterwards (/SYNCGLOBCOMP, --compact)
    // The products to take (IncPrInSync, --products); unset: every product.
    std::optional<QSet<QString>> products;
    QString tempFolder; // where compaction puts its working files
};

// The runs on the dish base. Each writes an archive copy of the base first
// (not on a dry run), changes the base in one transaction, reports every
// recipe to `progress` (cancelling rolls everything back) and returns the
// report. None shows the report: callers do (and write it to the log).

// The stored names and composition of every product position taken again
// from the product base for the position's net mass, the semi-finished
// products of the recipes that changed worked out again.
MaintenanceReport syncDishBase(
    AppContext &context, const MaintenanceOptions &options, RunProgress &progress, const HeatTreatmentTables &losses);
// The semi-finished products of every recipe worked out again from what they
// hold, with the current heat-treatment losses.
MaintenanceReport updateDishLosses(
    AppContext &context, const MaintenanceOptions &options, RunProgress &progress, const HeatTreatmentTables &losses);
// Recipe names that do not read whole (a broken stored group), or carry
// control characters or stray blanks, are tidied; a tidied name that another
// recipe of the collection already has gets " (2)", " (3)" ...; a name left
// empty becomes "Рецептура без названия". No archive copy: names only.
MaintenanceReport repairRecipeNames(AppContext &context, const MaintenanceOptions &options, RunProgress &progress);
// Product `from` replaced by `to` in every recipe (after the archive copy),
// and the replaced positions given the names and composition of `to`: one
// transaction for both.
MaintenanceReport replaceProductInDishes(
    AppContext &context, qint64 from, qint64 to, RunProgress &progress, const HeatTreatmentTables &losses);

// The runs on the menu base. Rations of locked days are left alone.
// The dish copies of the rations synchronised like the dish base.
MaintenanceReport syncMenuBase(
    AppContext &context, const MaintenanceOptions &options, RunProgress &progress, const HeatTreatmentTables &losses);
// Card numbers of the dishes of the rations (l30 of their rows) set to the
// number (`sCode`) of the recipe of that name in the dish base, the first
// collection holding it; dishes the dish base lacks keep theirs.
MaintenanceReport renumberMenuCards(AppContext &context, const MaintenanceOptions &options, RunProgress &progress);

} // namespace kulvera
