#pragma once

#include "costing/NormBase.h"
#include "products/clsProds.h"
#include "recipes/AssimilationCoefficients.h"
#include "recipes/clsBludo.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace kulvera {

class Ration;

// Fulfilment within 95 … 105 % is in range; anything else is highlighted.
inline constexpr double kFulfilmentLow = 95.0;
inline constexpr double kFulfilmentHigh = 105.0;
bool outOfRange(double percent);
// Sred × 100 ÷ norm; nothing for a norm of 0 or no norm.
std::optional<double> fulfilment(double average, std::optional<double> norm);

// Energy counted for dietary fibre when `bUsePVinEC` is "1", kcal per g (the
// value food labelling uses for fibre).
inline constexpr double kKcalFibre = 2.0;

// One row of the nutrient statement.
struct NutrientRow {
    QString name; // "Белки, г" …
    std::optional<double> norm;
    double fact = 0; // over every day
    double average = 0; // per day
    std::optional<double> percent; // Vipol; empty for a norm of 0 or none
    bool highlighted = false;
};

struct NutrientOptions {
    bool assimilated = false; // reduce every value by the coefficients of `Koef`
    AssimilationCoefficients coefficients;
    bool fibreInEnergy = false; // bUsePVinEC
};

// The day's composition: each dish's composition as the ration keeps it
// (top-level positions, semi-finished products with their losses), added up.
// With the assimilated computation each value is reduced by its coefficient
// first; the energy comes from the values so taken.
class NutrientFact
{
public:
    explicit NutrientFact(NutrientOptions options = {});
    void addDish(const colBludo &dish);
    // One position of a dish: counted when it is a top-level product or
    // semi-finished product, as the dish composition counts it.
    void addPosition(const clsProds &position);
    void addRation(const Ration &ration);
    void endDay() { ++days_; }
    int days() const { return days_; }
    const clsProds &sum() const { return sum_; }
    double kcal() const { return kcal_; }

private:
    NutrientOptions options_;
    clsProds sum_;
    double kcal_ = 0;
    int days_ = 0;
};

// Rows in the statement's order: proteins, of them animal, fats, of them
// vegetable, carbohydrates, mono- and disaccharides, starch, dietary fibre,
// vitamins B1, B2, C, A, E, minerals Ca, P, Mg, Fe, Zn, I, energy.
std::vector<NutrientRow> nutrientStatement(const NormRecord &norm, const NutrientFact &fact);

// One row of the product-set statement.
struct ProductSetRow {
    qint64 code = 0;
    QString groupName;
    bool net = false; // "*" before the name
    std::optional<double> norm;
    QString codeProds;
    double fact = 0;
    double average = 0;
    std::optional<double> deviation; // Sred − norm
    std::optional<double> percent; // Sred × 100 ÷ norm
};

// True when `code`, trimmed and in upper case, equals one of the
// comma-separated codes of `codeProds` (trimmed, upper case).
bool listsCode(const QString &codeProds, const QString &code);

// Adds the products of each day's dishes into the rows that list them:
// gross mass, or net mass for a group named with "*". Products no row lists
// are kept with their gross mass for the report.
class ProductSetFact
{
public:
    explicit ProductSetFact(const std::vector<ProductSetNorm> &norms);
    void addDish(const colBludo &dish);
    // One position of a dish: counted when it is a product ("pro").
    void addPosition(const clsProds &position);
    void addRation(const Ration &ration);
    void endDay() { ++days_; }
    int days() const { return days_; }
    std::vector<ProductSetRow> rows() const;
    // "Не найдены следующие коды продуктов [масса брутто]: code [mass] …";
    // empty when every product was listed.
    QString missingReport(int decimals) const;

private:
    struct Group {
        ProductSetRow row;
        QStringList codes; // trimmed, upper case
    };
    std::vector<Group> groups_;
    QHash<QString, std::vector<std::size_t>> byCode_;
    QStringList missingOrder_;
    QHash<QString, double> missing_;
    int days_ = 0;
};

inline constexpr QStringView kNoProductNormsText = u"Для выбранной группы нет норм продуктов!";

} // namespace kulvera
