#pragma once

#include "common/Result.h"
#include "products/ProductFields.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

namespace kulvera {

class Connections;
class Prompter;
class SettingsAccess;
class SharedSettings;

// Losses of nutrients on heat treatment. A loss percentage L of a field leaves
// the retained share (100 - L) %; a semi-finished product that names a loss
// type in its `Id` has every composition field multiplied by its retention.

// One row of the default loss table, by the origin of the product.
struct DefaultLossRow {
    QString name;
    double anim = 0;
    double rast = 0;
    double sred = 0;
};

// The row (1-based) of the default table that holds a field, 0 when none
// does. Rows 6-26 are the basic nutrients, 31-43 the extended ones, then the
// amino acids, the fatty acids and the tail of the composition.
int defaultLossRow(double clsProds::*member);
// The rows the program starts with (the built-in percentages; rows 1-5 and
// 27-30 are unused and 0). Row n is element n - 1.
std::vector<DefaultLossRow> builtInDefaultLosses();

// The retained share, in percent, of every composition field, in the order
// of compositionFields().
class Retention
{
public:
    Retention(); // everything kept (100 %)
    double percent(std::size_t field) const { return kept_[field]; }
    void setPercent(std::size_t field, double value) { kept_[field] = value; }
    double percentOf(double clsProds::*member) const;
    // value × retention ÷ 100 for every composition field.
    void apply(clsProds &record) const;

private:
    std::vector<double> kept_;
};

// A named heat-treatment mode: the mass loss and the loss of each nutrient by
// its loss-table column (`SV`, `Bel`, `BG` ...), plus the two limits.
struct LossType {
    QString name;
    double mass = 0;
    QHash<QString, double> losses; // loss-table column -> %
    double minSvUg = 0;
    double minSvGir = 0;

    Retention retention() const;
};

inline constexpr QStringView kPortioningType = u"порционирование";
inline constexpr QStringView kNoLossType = u"без потерь";
// The two types that head every list: portioning loses 2 % of each of its 26
// values (the basic nutrients and water), "без потерь" nothing.
LossType portioningLossType();
LossType noLossType();
// The 26 columns portioning covers: `SV` … `EN`, `Voda`.
const QStringList &basicLossColumns();

// The loss tables the program computes with: the default table and the loss
// types of culinary items and of confectionery. Built-in values stand until
// the bases are read.
class HeatTreatmentTables
{
public:
    HeatTreatmentTables();

    const std::vector<DefaultLossRow> &defaultRows() const { return defaults_; }
    const std::vector<LossType> &culinaryTypes() const { return culinary_; }
    const std::vector<LossType> &confectioneryTypes() const { return confectionery_; }
    void setDefaultRows(std::vector<DefaultLossRow> rows) { defaults_ = std::move(rows); }
    // The list given, headed by the two built-in types.
    void setCulinaryTypes(std::vector<LossType> types);
    void setConfectioneryTypes(std::vector<LossType> types);

    // Case-insensitive, culinary types first (confectionery first when asked).
    const LossType *find(const QString &name, bool confectionery = false) const;
    // The retention used when a loss type is missing: 100 − `Sred` of each
    // field's row; `BelR` and `GirR` take 100 − `Rast` of rows 7 and 8.
    Retention averageRetention() const;

    // Reads the default table (base `PoteriDB`, table `Name_Sred_Table`, rows
    // in ID order) and the loss types (base `PoteriFDB`, tables
    // `Name_Kul_Table` and `Name_Kond_Table`). A base that is not connected
    // leaves its part as it was; a failed read is reported and changes nothing.
    Status load(Connections &connections, const SettingsAccess &settings);

private:
    std::vector<DefaultLossRow> defaults_;
    std::vector<LossType> culinary_;
    std::vector<LossType> confectionery_;
};

// The tables of the running program, read at start-up ("loadHeatTreatmentTables").
HeatTreatmentTables &programLossTables();

// The message for a semi-finished product whose loss type is not found.
QString missingLossTypeText(const QString &name, const QString &key);

// The retention for a semi-finished position: its loss type's when found;
// otherwise, also when it names none, the averages after telling the user.
Retention semiFinishedRetention(
    const clsProds &semi, const HeatTreatmentTables &tables, Prompter &prompter, bool confectionery = false);

// Applies a loss type to a semi-finished position: every composition field is
// reduced by its retention. The stored composition string is written from
// these fields when the recipe is saved (compositionString()).
void applyHeatTreatment(clsProds &semi, const LossType &type);

// Fills the default table and the loss types of the heat-treatment bases from
// the seed data when their tables are empty.
Status seedLossBases(
    Connections &connections, const SettingsAccess &settings, const QString &defaultsCsv, const QString &typesCsv);

} // namespace kulvera
