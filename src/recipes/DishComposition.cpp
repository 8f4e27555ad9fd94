#include "recipes/DishComposition.h"

#include "common/Prompter.h"
#include "products/ProductFields.h"
#include "recipes/Masses.h"
#include "recipes/PositionKey.h"
#include "recipes/RecipeExpansion.h"

namespace kulvera {

double dishTotal(const colBludo &slot, double clsProds::*field)
{
    double total = 0;
    for (const clsBludo &b : slot) {
        const clsProds &p = b.clsProds();
        if (isProductKey(p.Kod.toString()))
            total += p.*field;
    }
    return total;
}

double dishBel(const colBludo &slot)
{
    return dishTotal(slot, &clsProds::Bel);
}

double dishGir(const colBludo &slot)
{
    return dishTotal(slot, &clsProds::Gir);
}

double dishMD(const colBludo &slot)
{
    return dishTotal(slot, &clsProds::MD);
}

double dishKr(const colBludo &slot)
{
    return dishTotal(slot, &clsProds::Kr);
}

double dishKl(const colBludo &slot)
{
    return dishTotal(slot, &clsProds::Kl);
}

double dishOrg(const colBludo &slot)
{
    return dishTotal(slot, &clsProds::Org);
}

double dishSv(const colBludo &slot)
{
    return dishTotal(slot, &clsProds::sv);
}

double dishNetto(const colBludo &slot)
{
    return totalNetto(slot);
}

QString compositionText(const colBludo &slot)
{
    QStringList names;
    for (const clsBludo &b : slot) {
        const clsProds &p = b.clsProds();
        if (!isProductKey(p.Kod.toString()))
            continue;
        const QString name = (p.ShortName.trimmed().isEmpty() ? p.FullName : p.ShortName).trimmed().toLower();
        // A product used twice (in a semi-finished product and beside it) is
        // named once.
        if (!name.isEmpty() && !names.contains(name))
            names << name;
    }
    return names.isEmpty() ? QString() : names.join(QStringLiteral(", ")) + u'.';
}

double energyKcal(const clsProds &amounts)
{
    return kKcalProtein * amounts.Bel + kKcalFat * amounts.Gir + kKcalSugars * amounts.MD + kKcalStarch * amounts.Kr;
}

double energyKcal(const colBludo &slot)
{
    return energyKcal(dishComposition(slot));
}

std::optional<double> per100g(double value, double output)
{
    if (output == 0)
        return std::nullopt;
    return value * 100.0 / output;
}

std::optional<clsProds> per100g(const clsProds &amounts, double output)
{
    if (output == 0)
        return std::nullopt;
    clsProds r;
    for (const CompositionField &f : compositionFields())
        r.*f.member = f.summed ? amounts.*f.member * 100.0 / output : amounts.*f.member;
    r.Netto = amounts.Netto * 100.0 / output;
    r.Brutto = amounts.Brutto * 100.0 / output;
    return r;
}

double carbohydrates(const clsProds &amounts)
{
    return amounts.MD + amounts.Kr;
}

std::optional<double> dryMatterFraction(const colBludo &slot, double output, const HeatTreatmentTables &losses)
{
    if (output == 0)
        return std::nullopt;
    const double kept = losses.averageRetention().percentOf(&clsProds::sv) / 100.0;
    double sv = 0;
    for (const clsBludo &b : slot) {
        const clsProds &p = b.clsProds();
        const QString key = p.Kod.toString();
        if (!isTopLevel(key))
            continue;
        if (isSemiFinishedKey(key))
            sv += p.sv;
        else if (isProductKey(key))
            sv += p.sv * kept;
    }
    return sv / output * 100.0;
}

double fatOnDryMatter(const clsProds &amounts)
{
    return amounts.sv > 0 ? amounts.Gir / amounts.sv * 100.0 : 0.0;
}

double sugarsOnDryMatter(const clsProds &amounts)
{
    return amounts.sv > 0 ? amounts.MD / amounts.sv * 100.0 : 0.0;
}

QStringList plausibilityProblems(const clsProds &per100)
{
    QStringList problems;
    if (per100.Bel > 100)
        problems << QStringLiteral("Расчетное содержание белка превышает допустимое значение!");
    if (per100.Gir > 100)
        problems << QStringLiteral("Расчетное содержание жира превышает допустимое значение!");
    if (carbohydrates(per100) > 100)
        problems << QStringLiteral("Расчетное содержание углеводов превышает допустимое значение!");
    if (fatOnDryMatter(per100) > 100)
        problems << QStringLiteral("Расчетное содержание жиров (ф/х) превышает допустимое значение!");
    if (sugarsOnDryMatter(per100) > 100)
        problems << QStringLiteral("Расчетное содержание сахаров (ф/х) превышает допустимое значение!");
    return problems;
}

int checkPlausibility(const clsProds &per100, Prompter &prompter)
{
    const QStringList problems = plausibilityProblems(per100);
    for (const QString &line : problems)
        prompter.message(
            QStringLiteral("В закладке продуктов имеется ошибка!") + u'\n' + line, {}, Prompter::Icon::Warning);
    return static_cast<int>(problems.size());
}

DishValues computeDish(
    colBludo &slot, const QString &recipeName, double output, const HeatTreatmentTables &losses, Prompter &prompter)
{
    DishValues v;
    const CompositionRun run = computeRecipeComposition(slot, recipeName, losses, prompter);
    v.passes = run.passes;
    v.settled = run.settled;
    v.composition = run.dish;
    for (const clsBludo &b : slot) {
        const clsProds &p = b.clsProds();
        if (isProductKey(p.Kod.toString()))
            addComposition(v.raw, p);
    }
    v.netto = totalNetto(slot);
    v.raw.Netto = v.netto;
    v.output = output;
    v.kcal = energyKcal(v.composition);
    v.kj = kcalToKj(v.kcal);
    v.text = compositionText(slot);
    if (const auto per100 = per100g(v.composition, output)) {
        v.hasPer100 = true;
        v.per100 = *per100;
        v.kcalPer100 = energyKcal(v.per100);
        v.kjPer100 = kcalToKj(v.kcalPer100);
        v.dryMatter = dryMatterFraction(slot, output, losses).value_or(0.0);
    } else {
        prompter.message(zeroOutputText(), {}, Prompter::Icon::Warning);
    }
    return v;
}

} // namespace kulvera
