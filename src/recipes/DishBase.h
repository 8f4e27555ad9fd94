#pragma once

#include "common/Result.h"
#include "recipes/StoredText.h"
#include "recipes/clsBludo.h"
#include "shell/SqlStatement.h"

#include <QPointer>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QString>
#include <QStringList>

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace kulvera {

class Connections;
class ErrorLog;
class Prompter;
class SettingsAccess;

// The keys that tell the dishes of a menu apart when a row-per-position
// table holds menu copies: date (l26), second key (l27) and the optional
// third key (l28). A recipe of the dish base has none.
struct CopyKeys {
    QString first;
    QString second;
    QString third; // empty: the copy without a third key
};

// The seven texts of the technological card, text 1 (technology) first.
using CardTexts = std::array<QString, 7>;
// Joined as `Oform` holds them: each text followed by "<Str>".
QString joinCardTexts(const CardTexts &texts);
CardTexts splitCardTexts(const QString &oform);

struct LoadedRecipe {
    QString storedOutput; // the recipe's output as stored ("100" when none was)
    QString output; // the output it was loaded for
    double factor = 1; // masses of product positions were multiplied by this
    QStringList repairs; // what the check removed
};

struct SaveOptions {
    CardTexts texts;
    int cardType = 1; // 1 culinary, 2 confectionery, 3 technological, 4 alcoholic drink
    int second = 0; // the second small header integer
    bool silent = false; // replace an existing recipe without asking
    std::optional<CopyKeys> copy; // set for a menu copy
    // All 98 composition values or the short 24; unset: as the full-composition
    // setting says. l22 records which was written.
    std::optional<bool> fullComposition;
};

// Recipes in a row-per-position table of the dish base (or of the
// semi-finished base, or the menu copies that use the same layout): loading
// into a slot, saving a slot, listing names. Every value is stored encoded
// with the installation's codec.
class DishBase
{
public:
    DishBase(Connections &connections, int number, SettingsAccess &settings, Prompter &prompter, StoredTextCodec codec);

    static constexpr QStringView kTitle = u"База блюд";
    static constexpr int kStoredColumns = 49; // l1 ... l49

    const StoredTextCodec &codec() const { return codec_; }
    // The column that names a recipe: l1 in a dish base; the semi-finished
    // base (db013, table dt001, root position "main") names its products in l6.
    void setNameColumn(int column) { nameColumn_ = column; }
    int nameColumn() const { return nameColumn_; }
    static constexpr int kSemiFinishedNameColumn = 6;
    static constexpr QStringView kSemiFinishedTable = u"dt001";
    static constexpr QStringView kSemiFinishedRootKey = u"main";
    QSqlDatabase database() const;

    // Fills the slot (created when missing) from the rows of the recipe,
    // scaled to `requestedOutput` (empty: the stored output): the masses and
    // outputs of every position, and the composition of products and of
    // semi-finished products stored without their products (one with its
    // products in the recipe is worked out from them). Failure when the
    // recipe has no rows or the user stopped the load.
    Result<LoadedRecipe> load(RecipeSlots &memory, int slot, const QString &table, const QString &name,
        const QString &requestedOutput, const std::optional<CopyKeys> &copy = {});
    // Writes the slot as the recipe's rows; the old rows are replaced in one
    // transaction, so a failed save leaves the stored recipe as it was.
    // Characters code page 1251 cannot hold are named in a warning first;
    // they are stored as "?".
    Status save(const colBludo &recipe, const QString &table, const QString &name, const SaveOptions &options);

    // Names of the recipes of a table, sorted; menu copies are left out.
    Result<QStringList> recipeNames(const QString &table) const;
    bool exists(const QString &table, const QString &name, const std::optional<CopyKeys> &copy = {}) const;

    // The full-composition setting that saving follows.
    static bool fullCompositionSetting(const SettingsAccess &settings);
    // The text of l22 as a save writes it ("True"/"False").
    static QString storedFlag(bool full);

    // The plain (decoded) values of one stored row, column ln at index n. Other
    // tables of the same layout (menu rows) use the columns they have.
    using StoredRow = std::array<QString, kStoredColumns + 1>;
    // The position a row describes, as stored: no scaling; the composition
    // string (l23) is left to the caller.
    static void readStoredPosition(const StoredRow &row, clsProds &position);
    // The rows a save writes for a recipe, in slot order, before encoding.
    static std::vector<StoredRow> storedRows(
        const colBludo &recipe, const QString &name, const SaveOptions &options, bool full, int nameColumn = 1);

private:
    void warnAboutUnstorableCharacters(const std::vector<StoredRow> &rows) const;
    QString whereClause(const std::optional<CopyKeys> &copy, QVariantList &params, const QString &name) const;
    QString quoted(const QString &table) const;
    // The index on (l26, name column) every lookup of a recipe uses; made
    // the first time a table is read or written.
    void ensureNameIndex(const QString &table) const;
    // A statement of this base, prepared on first use and kept while the
    // connection lasts. Callers that read rows finish() it when done.
    SqlStatement &statement(const QString &sql) const;

    Connections &connections_;
    int number_;
    SettingsAccess &settings_;
    Prompter &prompter_;
    StoredTextCodec codec_;
    ErrorLog *log_;
    mutable QSet<QString> namesIndexed_;
    mutable std::map<QString, std::unique_ptr<SqlStatement>> statements_;
    mutable QPointer<QSqlDriver> statementsDriver_;
    int nameColumn_ = 1;
};

// The repair of a loaded recipe: removes, one per pass, empty rows (key "0")
// and positions subordinated to a semi-finished product or dish node the slot
// does not hold, asks after 200 passes whether to go on, and shows what was
// repaired in a notice the user may switch off. Returns the repairs.
QStringList repairRecipe(colBludo &recipe, Prompter &prompter);

} // namespace kulvera
