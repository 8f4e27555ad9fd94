#pragma once

#include "common/Result.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace kulvera {

class SettingsAccess;

// Gross mass, net mass and output: how an output text reads as a number, how
// one mass follows from the other through the cold-processing waste, the
// factor a stored recipe is scaled by on loading, and the rounding of masses.

// The sum of the numeric parts of an output text whose parts are joined by
// "/" or "\" ("150/50" is 200); parts that are empty or not numbers count as
// nothing; a text without a numeric part is 0.
double outputValue(QStringView text);

struct PositionMasses {
    double brutto = 0;
    double netto = 0;
};

// The one mass the user entered and what it is.
struct MassEntry {
    double mass = 0;
    bool isGross = true;
    double wastePercent = 0; // P; 0 when the position has none
    std::optional<double> yieldPercent; // Y, the product's output after cold processing; used when P is 0
    double unitKoef = 1; // Koef of the product's unit
};

// Gross and net from one entered mass, divided by the unit coefficient
// (unrounded; see MassRounding). Refused, with the reason: no mass, a waste
// of 100 % or more (nothing would be left of the gross), a net mass with a
// yield of 0 (no gross can give it), a unit coefficient of 0.
Result<PositionMasses> positionMasses(const MassEntry &entry);
QString noMassText(); // "Необходимо указать массу нетто данного компонента рецептуры"
QString noMassTitle(); // "Разработка нормативов"
QString noProductText(); // "Продукт не выбран!"
QString zeroOutputText(); // "Выход изделия (блюда) равен 0. Подсчет не возможен."

// The factor a recipe stored for `stored` is scaled by when loaded for
// `requested`: 1 when the requested value is 0 (and, as nothing can be scaled
// from it, when the stored value is 0), otherwise requested / stored.
double scaleFactor(double requested, double stored);
// A product position's own output text after scaling: the stored text when
// the factor is 1, "0" for an empty text, otherwise its value × factor.
QString scaledOutputText(const QString &stored, double factor);

// The rounding of gross and net masses, as the settings say: `lRoundBrutto`
// decimals, switched by `bUseRndBr`, never for the product keys listed
// (comma-separated) in `sProdExc`.
class MassRounding
{
public:
    MassRounding(int decimals = 1, bool enabled = true, const QString &excluded = {});
    static MassRounding fromSettings(const SettingsAccess &settings);

    int decimals() const { return decimals_; }
    bool enabled() const { return enabled_; }
    bool isExcluded(const QString &productKey) const;
    double round(double mass, const QString &productKey) const;

private:
    int decimals_;
    bool enabled_;
    QStringList excluded_;
};

} // namespace kulvera
