#include "costing/NormAnalysis.h"

#include "common/NumberText.h"
#include "menus/Ration.h"
#include "products/ProductFields.h"
#include "recipes/DishComposition.h"
#include "recipes/PositionKey.h"
#include "recipes/RecipeExpansion.h"

namespace kulvera {

namespace {

// The percent as a person reads it: 10.5 of 10 is 105 %, not 105.00000000000001.
double comparable(double percent)
{
    return roundTo(percent, 9);
}

std::optional<double> firstOf(const NormRecord &norm, std::initializer_list<const char16_t *> columns)
{
    for (const char16_t *c : columns) {
        if (const auto v = norm.value(QString::fromUtf16(c)))
            return v;
    }
    return std::nullopt;
}

std::optional<double> sumOf(const NormRecord &norm, std::initializer_list<const char16_t *> columns)
{
    std::optional<double> total;
    for (const char16_t *c : columns) {
        if (const auto v = norm.value(QString::fromUtf16(c)))
            total = total.value_or(0) + *v;
    }
    return total;
}

} // namespace

bool outOfRange(double percent)
{
    const double p = comparable(percent);
    return p < kFulfilmentLow || p > kFulfilmentHigh;
}

std::optional<double> fulfilment(double average, std::optional<double> norm)
{
    if (!norm || *norm == 0)
        return std::nullopt;
    return average * 100.0 / *norm;
}

NutrientFact::NutrientFact(NutrientOptions options)
    : options_(std::move(options))
{
}

void NutrientFact::addDish(const colBludo &dish)
{
    for (const clsBludo &b : dish)
        addPosition(b.clsProds());
}

void NutrientFact::addPosition(const clsProds &position)
{
    // The sums and the energy are linear, so adding position by position
    // gives the dish composition's figures.
    const QString key = position.Kod.toString();
    if (!isTopLevel(key) || !(isProductKey(key) || isSemiFinishedKey(key)))
        return;
    if (!options_.assimilated) {
        addComposition(sum_, position);
        kcal_ += energyKcal(position) + (options_.fibreInEnergy ? kKcalFibre * position.Kl : 0.0);
        return;
    }
    clsProds c = position;
    options_.coefficients.apply(c);
    addComposition(sum_, c);
    kcal_ += energyKcal(c) + (options_.fibreInEnergy ? kKcalFibre * c.Kl : 0.0);
}

void NutrientFact::addRation(const Ration &ration)
{
    for (int m = 1; m <= ration.mealCount(); ++m) {
        const colRation *entries = ration.meal(m);
        for (int e = 1; entries && e <= entries->Count(); ++e) {
            if (const colBludo *dish = ration.dish(ration.dishAt(m, e)))
                addDish(*dish);
        }
    }
}

std::vector<NutrientRow> nutrientStatement(const NormRecord &norm, const NutrientFact &fact)
{
    const clsProds &s = fact.sum();
    struct Line {
        const char16_t *name;
        std::optional<double> norm;
        double fact;
    };
    const Line lines[] = {
        {u"Белки, г", firstOf(norm, {u"Белки"}), s.Bel},
        {u"в т.ч. животные белки, г", firstOf(norm, {u"ЖБ"}), s.BelG},
        {u"Жиры, г", firstOf(norm, {u"Жир"}), s.Gir},
        {u"в т.ч. растительные жиры, г", firstOf(norm, {u"РЖ"}), s.GirR},
        {u"Углеводы, г", sumOf(norm, {u"Моно", u"Кр"}), s.MD + s.Kr},
        {u"Моно- и дисахариды, г", firstOf(norm, {u"Моно"}), s.MD},
        {u"Крахмал, г", firstOf(norm, {u"Кр"}), s.Kr},
        {u"Пищевые волокна, г", firstOf(norm, {u"Кл"}), s.Kl},
        {u"Витамин В1, мг", firstOf(norm, {u"B1"}), s.B1},
        {u"Витамин В2, мг", firstOf(norm, {u"B2"}), s.B2},
        {u"Витамин С, мг", firstOf(norm, {u"C"}), s.c},
        {u"Витамин A, мкг", firstOf(norm, {u"A", u"РЭ"}), s.a},
        {u"Витамин E (ток.экв), мг", firstOf(norm, {u"ТЭ", u"E"}), s.tE},
        {u"Ca, мг", firstOf(norm, {u"Ca"}), s.Ca},
        {u"P, мг", firstOf(norm, {u"P"}), s.p},
        {u"Mg, мг", firstOf(norm, {u"Mg"}), s.Mg},
        {u"Fe, мг", firstOf(norm, {u"Fe"}), s.Fe},
        {u"Zn, мг", firstOf(norm, {u"Zn"}), s.Zn},
        {u"I, мг", firstOf(norm, {u"Y"}), s.i},
        {u"Калорийность, ккал", firstOf(norm, {u"ЭЦ"}), fact.kcal()},
    };
    const int days = fact.days();
    std::vector<NutrientRow> rows;
    rows.reserve(std::size(lines));
    for (const Line &l : lines) {
        NutrientRow r;
        r.name = QString::fromUtf16(l.name);
        r.norm = l.norm;
        r.fact = l.fact;
        r.average = days > 0 ? l.fact / days : 0.0;
        r.percent = fulfilment(r.average, r.norm);
        r.highlighted = r.percent && outOfRange(*r.percent);
        rows.push_back(std::move(r));
    }
    return rows;
}

bool listsCode(const QString &codeProds, const QString &code)
{
    const QString wanted = code.trimmed().toUpper();
    for (const QString &part : codeProds.split(u',')) {
        if (part.trimmed().toUpper() == wanted)
            return true;
    }
    return false;
}

ProductSetFact::ProductSetFact(const std::vector<ProductSetNorm> &norms)
{
    for (const ProductSetNorm &n : norms) {
        Group g;
        g.row.code = n.code;
        g.row.groupName = n.groupName.toString();
        g.row.net = g.row.groupName.startsWith(u'*');
        if (!n.norm.isNull() && !n.norm.toString().isEmpty())
            g.row.norm = n.norm.toDouble();
        g.row.codeProds = n.codeProds.toString();
        for (const QString &part : g.row.codeProds.split(u',')) {
            const QString c = part.trimmed().toUpper();
            if (!c.isEmpty() && !g.codes.contains(c))
                g.codes << c;
        }
        for (const QString &c : g.codes)
            byCode_[c].push_back(groups_.size());
        groups_.push_back(std::move(g));
    }
}

void ProductSetFact::addDish(const colBludo &dish)
{
    for (const clsBludo &b : dish)
        addPosition(b.clsProds());
}

void ProductSetFact::addPosition(const clsProds &p)
{
    if (!isProductKey(p.Kod.toString()))
        return;
    const QString code = p.ID_Prod.trimmed().toUpper();
    const auto it = byCode_.constFind(code);
    if (it == byCode_.cend()) {
        auto m = missing_.find(code);
        if (m == missing_.end()) {
            missingOrder_ << code;
            m = missing_.insert(code, 0.0);
        }
        *m += p.Brutto;
        return;
    }
    for (const std::size_t g : *it)
        groups_[g].row.fact += groups_[g].row.net ? p.Netto : p.Brutto;
}

void ProductSetFact::addRation(const Ration &ration)
{
    for (int m = 1; m <= ration.mealCount(); ++m) {
        const colRation *entries = ration.meal(m);
        for (int e = 1; entries && e <= entries->Count(); ++e) {
            if (const colBludo *dish = ration.dish(ration.dishAt(m, e)))
                addDish(*dish);
        }
    }
}

std::vector<ProductSetRow> ProductSetFact::rows() const
{
    std::vector<ProductSetRow> rows;
    rows.reserve(groups_.size());
    for (const Group &g : groups_) {
        ProductSetRow r = g.row;
        r.average = days_ > 0 ? r.fact / days_ : 0.0;
        if (r.norm)
            r.deviation = r.average - *r.norm;
        r.percent = fulfilment(r.average, r.norm);
        rows.push_back(std::move(r));
    }
    return rows;
}

QString ProductSetFact::missingReport(int decimals) const
{
    if (missingOrder_.isEmpty())
        return {};
    QString text = QStringLiteral("Не найдены следующие коды продуктов [масса брутто]: ");
    for (const QString &code : missingOrder_)
        text += code + QStringLiteral(" [") + formatFixed(missing_.value(code), decimals) + QStringLiteral("] ");
    return text.trimmed();
}

} // namespace kulvera
