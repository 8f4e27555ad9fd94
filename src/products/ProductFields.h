#pragma once

#include "products/clsProds.h"

#include <QString>
#include <QStringView>

#include <span>

namespace kulvera {

// The composition fields, each described once: reading a product row,
// writing it, summing recipe positions, scaling to a mass and applying
// heat-treatment losses walk this table instead of naming ~90 fields in
// every place. Order: the product card's order, then the values that only
// recipe rows carry.
enum class CompositionGroup { Main, Minerals, Vitamins, AminoAcids, FattyAcids };

struct CompositionField {
    double clsProds::*member;
    const char16_t *column; // product-table column; nullptr: the record carries it, the table does not
    const char16_t *caption; // what the value is, as screens and documents name it ("в т.ч. жив. белок")
    const char16_t *unit; // "г", "мг", "мкг", "ккал", "% об." or "" (no unit)
    CompositionGroup group; // where screens list it
    bool extended; // part of the extended composition (a basic base lacks the column)
    const char16_t *lossColumn; // column of the heat-treatment loss tables; nullptr when losses do not apply
    bool summed; // a summary recipe adds it up (false for ratios such as pH)
    int stringIndex; // position in the stored composition string; -1 until the recipe model assigns it
    const char16_t *fileKey; // key in recipe files; nullptr until the recipe file assigns it
};

std::span<const CompositionField> compositionFields();
// "Белки, г": the caption and the unit; the caption alone when there is no unit.
QString fieldCaption(const CompositionField &field);
// "Основные пищевые вещества", "Минеральные вещества", ...
QString compositionGroupCaption(CompositionGroup group);
// The field stored in a product-table column (case-sensitive), or nullptr.
const CompositionField *compositionFieldByColumn(QStringView column);

// Every column of the product table that a product card edits, in table
// order: identity, prices, flags, variants, composition. Used to check a
// base and to build statements.
inline constexpr int kLossVariants = 12;
QString lossColumn(int n); // "Потери" n
QString variantColumn(int n); // "Список" n

// Sums `from` into `to` over the summed fields, scaled by `factor`.
void addComposition(clsProds &to, const clsProds &from, double factor = 1.0);
// Multiplies every composition value by `factor` (per 100 g -> per net mass).
void scaleComposition(clsProds &record, double factor);

} // namespace kulvera
