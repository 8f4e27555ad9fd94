#include "recipes/RecipeExpansion.h"

#include "common/Prompter.h"
#include "products/ProductFields.h"
#include "recipes/HeatTreatment.h"
#include "recipes/PositionKey.h"

#include <QHash>

#include <array>
#include <cstring>
#include <span>
#include <vector>

namespace kulvera {
namespace {

using Member = double clsProds::*;

// The columns of the working tables: the composition fields a sum makes
// sense for (ratios such as pH are not added up).
const std::vector<Member> &workingColumns()
{
    static const std::vector<Member> columns = [] {
        std::vector<Member> c;
        for (const CompositionField &f : compositionFields()) {
            if (f.summed)
                c.push_back(f.member);
        }
        return c;
    }();
    return columns;
}

enum class Kind { Product, SemiFinished, Other };

QString positionName(const clsProds &p)
{
    return p.FullName.isEmpty() ? p.ShortName : p.FullName;
}

// How the positions of a slot hang together, worked out once per computation.
struct Links {
    std::vector<clsProds *> rows;
    std::vector<Kind> kinds;
    std::vector<int> semis; // rows of the semi-finished positions that have children, slot order
    std::vector<std::vector<int>> children; // per row: its child rows (only for semi-finished rows)
    std::vector<Retention> retention; // per row of `semis`
};

Links link(colBludo &slot, const HeatTreatmentTables &losses, Prompter &prompter)
{
    Links l;
    const int n = slot.Count();
    l.rows.reserve(static_cast<std::size_t>(n));
    l.kinds.reserve(static_cast<std::size_t>(n));
    QHash<QString, int> semiByItem;
    std::vector<QString> keys;
    keys.reserve(static_cast<std::size_t>(n));
    for (clsBludo &b : slot) {
        clsProds &p = b.clsProds();
        const QString key = p.Kod.toString();
        const int row = static_cast<int>(l.rows.size());
        l.rows.push_back(&p);
        keys.push_back(key);
        if (isProductKey(key)) {
            l.kinds.push_back(Kind::Product);
        } else if (isSemiFinishedKey(key)) {
            l.kinds.push_back(Kind::SemiFinished);
            const QString item = itemNumber(key);
            if (semiByItem.contains(item)) {
                // Two semi-finished products with one number cannot be told
                // apart: the children belong to the first.
                prompter.errorBox(
                    QStringLiteral("Не обнаружен полуфабрикат: ") + positionName(p) + QStringLiteral(" (") + key + u')',
                    kExpansionModule.toString(), kExpansionProcedure.toString(), kCodeMissingSemiFinished);
            } else {
                semiByItem.insert(item, row);
            }
        } else {
            l.kinds.push_back(Kind::Other);
        }
    }
    l.children.resize(l.rows.size());
    for (std::size_t row = 0; row < l.rows.size(); ++row) {
        if (l.kinds[row] == Kind::Other || isTopLevel(keys[row]))
            continue;
        const QString parent = parentNumber(keys[row]);
        const auto found = semiByItem.constFind(parent);
        if (found != semiByItem.cend() && *found != static_cast<int>(row)) {
            l.children[static_cast<std::size_t>(*found)].push_back(static_cast<int>(row));
            continue;
        }
        if (found != semiByItem.cend()) {
            // A semi-finished product whose parent number is its own item
            // number contains itself; it counts like any other cycle.
            l.children[row].push_back(static_cast<int>(row));
            continue;
        }
        const clsProds &p = *l.rows[row];
        if (l.kinds[row] == Kind::Product)
            prompter.errorBox(QStringLiteral("Не нашли 'родительский' п/ф - ") + parent
                    + QStringLiteral(" к которому подчинен продукт: ") + positionName(p),
                kExpansionModule.toString(), kExpansionProcedure.toString(), kCodeMissingParent);
        else
            prompter.errorBox(QStringLiteral("Не обнаружен полуфабрикат: ") + positionName(p) + QStringLiteral(" (")
                    + keys[row] + u')',
                kExpansionModule.toString(), kExpansionProcedure.toString(), kCodeMissingSemiFinished);
    }
    for (std::size_t row = 0; row < l.rows.size(); ++row) {
        // A semi-finished product without children keeps the composition it
        // was stored with (its products are not part of this recipe).
        if (l.kinds[row] != Kind::SemiFinished || l.children[row].empty())
            continue;
        l.semis.push_back(static_cast<int>(row));
        const bool confectionery = l.rows[row]->TN_Vid == 2;
        l.retention.push_back(semiFinishedRetention(*l.rows[row], losses, prompter, confectionery));
    }
    return l;
}

// Per-column retention factors (kept share ÷ 100) of one semi-finished row.
std::vector<double> factors(const Retention &r)
{
    const auto fields = compositionFields();
    std::vector<double> f;
    f.reserve(workingColumns().size());
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].summed)
            f.push_back(r.percent(i) / 100.0);
    }
    return f;
}

void writeRow(clsProds &p, const double *values)
{
    const auto &columns = workingColumns();
    for (std::size_t c = 0; c < columns.size(); ++c)
        p.*columns[c] = values[c];
}

void readRow(const clsProds &p, double *values)
{
    const auto &columns = workingColumns();
    for (std::size_t c = 0; c < columns.size(); ++c)
        values[c] = p.*columns[c];
}

QString passLimitQuestion(const QString &name)
{
    return QStringLiteral("Наименование рецептуры: ") + name + QStringLiteral("\n\n")
        + QStringLiteral("Возможно, совершена ошибка при составлении рецептуры.") + QStringLiteral("\n\n")
        + QStringLiteral("Осуществлено 100 проходов для расчета рецептуры.") + u'\n' + QStringLiteral("Продолжить?");
}

const std::array<Member, 28> kSummaryFields = {&clsProds::sv, &clsProds::Bel, &clsProds::BelG, &clsProds::BelR,
    &clsProds::Gir, &clsProds::GirG, &clsProds::GirR, &clsProds::MD, &clsProds::Kr, &clsProds::Kl, &clsProds::Zola,
    &clsProds::Na, &clsProds::K, &clsProds::Ca, &clsProds::Mg, &clsProds::p, &clsProds::Fe, &clsProds::a, &clsProds::b,
    &clsProds::B1, &clsProds::B2, &clsProds::PP, &clsProds::c, &clsProds::En, &clsProds::AM, &clsProds::AO,
    &clsProds::cGir, &clsProds::CUg};

} // namespace

CompositionRun computeRecipeComposition(
    colBludo &slot, const QString &recipeName, const HeatTreatmentTables &losses, Prompter &prompter)
{
    CompositionRun run;
    Links l = link(slot, losses, prompter);
    const std::size_t width = workingColumns().size();
    const std::size_t rows = l.rows.size();

    // The previous pass and the pass being computed; every row starts with
    // the values the position holds.
    std::vector<double> previous(rows * width);
    for (std::size_t r = 0; r < rows; ++r)
        readRow(*l.rows[r], &previous[r * width]);
    std::vector<double> current = previous;
    std::vector<std::vector<double>> keep;
    keep.reserve(l.semis.size());
    for (const Retention &r : l.retention)
        keep.push_back(factors(r));

    int counter = 0;
    bool changed = true;
    while (changed) {
        if (counter == kPassLimit) {
            if (prompter.ask(passLimitQuestion(recipeName), Prompter::Buttons::YesNo,
                    QStringLiteral("Расчет химсостава"), Prompter::Icon::Question, QStringLiteral("PassLimit"))
                != Prompter::Answer::Yes)
                break;
            counter = 0;
        }
        ++counter;
        ++run.passes;
        changed = false;
        for (std::size_t s = 0; s < l.semis.size(); ++s) {
            const std::size_t row = static_cast<std::size_t>(l.semis[s]);
            double *out = &current[row * width];
            std::fill(out, out + width, 0.0);
            for (int child : l.children[row]) {
                const double *in = &previous[static_cast<std::size_t>(child) * width];
                for (std::size_t c = 0; c < width; ++c)
                    out[c] += in[c];
            }
            for (std::size_t c = 0; c < width; ++c)
                out[c] *= keep[s][c];
            if (std::memcmp(out, &previous[row * width], width * sizeof(double)) != 0)
                changed = true;
        }
        // Only semi-finished rows change; the others stand as loaded.
        for (int row : l.semis) {
            const std::size_t r = static_cast<std::size_t>(row);
            std::copy_n(&current[r * width], width, &previous[r * width]);
        }
    }
    run.settled = !changed;
    for (int row : l.semis)
        writeRow(*l.rows[static_cast<std::size_t>(row)], &previous[static_cast<std::size_t>(row) * width]);
    run.dish = dishComposition(slot);
    return run;
}

void expandSemiFinished(colBludo &slot, const HeatTreatmentTables &losses, Prompter &prompter)
{
    Links l = link(slot, losses, prompter);
    const std::size_t width = workingColumns().size();
    std::vector<double> sum(width);
    std::vector<double> part(width);
    for (std::size_t s = 0; s < l.semis.size(); ++s) {
        const std::size_t row = static_cast<std::size_t>(l.semis[s]);
        std::fill(sum.begin(), sum.end(), 0.0);
        for (int child : l.children[row]) {
            readRow(*l.rows[static_cast<std::size_t>(child)], part.data());
            for (std::size_t c = 0; c < width; ++c)
                sum[c] += part[c];
        }
        writeRow(*l.rows[row], sum.data());
        l.retention[s].apply(*l.rows[row]);
    }
}

clsProds dishComposition(const colBludo &slot)
{
    clsProds dish;
    for (const clsBludo &b : slot) {
        const clsProds &p = b.clsProds();
        const QString key = p.Kod.toString();
        if (!isTopLevel(key))
            continue;
        if (isProductKey(key) || isSemiFinishedKey(key))
            addComposition(dish, p);
        if (isProductKey(key) && !p.ID_Prod.isEmpty())
            dish.Brutto += p.Brutto;
    }
    dish.Netto = totalNetto(slot);
    return dish;
}

double totalNetto(const colBludo &slot)
{
    double total = 0;
    for (const clsBludo &b : slot) {
        const clsProds &p = b.clsProds();
        if (!p.ID_Prod.isEmpty() && isProductKey(p.Kod.toString()))
            total += p.Netto;
    }
    return total;
}

std::span<double clsProds::*const> summaryFields()
{
    return kSummaryFields;
}

Status buildSummaryRecipe(RecipeSlots &memory, int sourceSlot, int summarySlot, Prompter &prompter)
{
    if (summarySlot < 1 || summarySlot > kMaxSummarySlots || sourceSlot < 1) {
        const QString text = QStringLiteral("Нет места в массиве для формирования сводной рецептуре") + u'\n'
            + QStringLiteral("Передаваемые параметры:") + u'\n' + QStringLiteral("lngNumBludo: ")
            + QString::number(sourceSlot) + u'\n' + QStringLiteral("lngNumSummBludo: ") + QString::number(summarySlot);
        prompter.message(text, {}, Prompter::Icon::Critical);
        return Status::failure(text);
    }
    colBludo *source = memory.slot(sourceSlot);
    colBludo *summary = memory.summary(summarySlot);
    summary->Clear();
    QHash<QString, clsProds *> byId;
    for (const clsBludo &b : *source) {
        const clsProds &p = b.clsProds();
        if (!isProductKey(p.Kod.toString()))
            continue;
        // Positions without an `Id` are told apart by their product, so two
        // different products never merge into one.
        const QString id = p.Id.isEmpty() ? QStringLiteral("\x01") + p.ID_Prod : p.Id;
        clsProds *&target = byId[id];
        if (!target) {
            clsProds fresh;
            fresh.Kod = p.Kod;
            fresh.Id = p.Id;
            fresh.FullName = p.FullName;
            fresh.ShortName = p.ShortName;
            fresh.ID_MB = p.ID_MB;
            fresh.ID_Price = p.ID_Price;
            fresh.ID_Prod = p.ID_Prod;
            fresh.Out = p.Out;
            target = &summary->Add(clsBludo(std::move(fresh)))->clsProds();
        }
        target->Brutto += p.Brutto;
        target->Netto += p.Netto;
        for (Member m : kSummaryFields)
            target->*m += p.*m;
    }
    return {};
}

} // namespace kulvera
