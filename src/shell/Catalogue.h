#pragma once

#include "common/SettingsAccess.h"

#include <QString>

#include <optional>
#include <span>

namespace kulvera {

class SharedSettings;

// The bases of the catalogue. Each has a fixed connection number, so code that
// was written against the numbers (the menu base is 8) keeps them; bases opened
// later (additional or archive bases, imports) get numbers from kFirstDynamicConnection on.
enum class BaseId : int {
    Dishes = 1, // bl_base: recipes in collections (Base_ID)
    Products = 2, // db011: product table dt010
    Microbiology = 3, // db12
    Captions = 4, // Caption: texts of forms
    Losses = 5, // teplov: heat-treatment losses
    LossesOutput = 6, // teplovBase: cold-processing output of semi-finished products
    SemiFinished = 7, // db013
    Menu = 8, // Menu
    Methods = 9, // fz_method: physico-chemical methods
    Protocols = 10, // fz_res: test protocols
    Warehouse = 11, // db101: warehouse and costing
    Rejection = 12, // rejec: rejection journal
    StandardNames = 13, // stn
    Journals = 14, // journals
    Client = 15, // db014
    Import = 16, // imp_pr
    MeatShop = 17, // db104
    Sp1324 = 18, // db110
    Sp1078 = 19, // db105
    Organoleptic = 20, // org_base
    ProductsSync = 21, // db011_sync: product base received for synchronisation
    WorkingCopy = 22, // kv_temp: the temporary working base
};
inline constexpr int kFirstDynamicConnection = 32;

struct CatalogueEntry {
    BaseId id;
    Section section; // where the file name setting lives (ignored when fixed)
    const char16_t *settingsKey; // nullptr: the file name is fixed
    const char16_t *defaultFile;
    const char16_t *role; // what the base holds, for messages and `db check`
    const char16_t *identifyingTable; // opened to prove the base is usable
    Section tableSection; // setting that renames the identifying table, if any
    const char16_t *tableKey; // nullptr: the table name is fixed
};

std::span<const CatalogueEntry> catalogue();
const CatalogueEntry &catalogueEntry(BaseId id);
std::optional<BaseId> baseFromName(const QString &name); // "products", "db011", "menu", ...
QString baseName(BaseId id); // short name used by kulvera-cli ("dishes", "products", ...)

// The file name of a base as configured (setting or default) and its full path
// in the databases folder.
QString baseFileName(BaseId id, const SettingsAccess &settings);
QString basePath(BaseId id, const SettingsAccess &settings, const SharedSettings &shared);
QString identifyingTable(BaseId id, const SettingsAccess &settings);

// The dish base's own table of collections and the rules for their names.
inline constexpr QStringView kCollectionsTable = u"Base_ID";
// Blank, "!", double quote, "&", "'", ",", ".", "[", "]" and "`" are refused in collection names.
bool isValidCollectionName(const QString &name);

} // namespace kulvera
