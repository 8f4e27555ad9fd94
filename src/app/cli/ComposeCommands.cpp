#include "CliCommand.h"
#include "CliEnvironment.h"
#include "CliRecipeTable.h"

#include "common/NumberText.h"
#include "products/ProductFields.h"
#include "recipes/DishBase.h"
#include "recipes/DishComposition.h"
#include "recipes/HeatTreatment.h"
#include "recipes/Masses.h"
#include "recipes/RecipeExpansion.h"
#include "shell/DishCollections.h"
#include "shell/SettingsStore.h"
#include "shell/SqlDialect.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace kulvera {
namespace {

const QString kComputeUsage = QStringLiteral("compute NAME [--out TEXT] [--table T] [--json]");

// The values printed in the text form, in card order.
struct Shown {
    double clsProds::*member;
    const char16_t *caption;
    int decimals;
};
const Shown kShown[] = {
    {&clsProds::Bel, u"Белки, г", 2},
    {&clsProds::Gir, u"Жиры, г", 2},
    {&clsProds::MD, u"Моно- и дисахариды, г", 2},
    {&clsProds::Kr, u"Крахмал, г", 2},
    {&clsProds::Kl, u"Клетчатка, г", 2},
    {&clsProds::Org, u"Органические кислоты, г", 2},
    {&clsProds::sv, u"Сухие вещества, г", 2},
    {&clsProds::Voda, u"Вода, г", 2},
    {&clsProds::Zola, u"Зола, г", 2},
    {&clsProds::Na, u"Натрий, мг", 1},
    {&clsProds::K, u"Калий, мг", 1},
    {&clsProds::Ca, u"Кальций, мг", 1},
    {&clsProds::Mg, u"Магний, мг", 1},
    {&clsProds::p, u"Фосфор, мг", 1},
    {&clsProds::Fe, u"Железо, мг", 2},
    {&clsProds::a, u"Витамин A, мкг", 1},
    {&clsProds::b, u"Бета-каротин, мкг", 1},
    {&clsProds::B1, u"Витамин B1, мг", 3},
    {&clsProds::B2, u"Витамин B2, мг", 3},
    {&clsProds::PP, u"Витамин PP, мг", 2},
    {&clsProds::c, u"Витамин C, мг", 2},
};

int usage(CliRun &run)
{
    run.err << "Usage: " << kComputeUsage << '\n';
    return kExitUsage;
}

QJsonObject fieldsJson(const clsProds &values)
{
    QJsonObject o;
    for (const CompositionField &f : compositionFields()) {
        // Keys: the product-table column, or the loss-table one for fields
        // only recipe rows carry.
        const char16_t *name = f.column ? f.column : f.lossColumn;
        if (name)
            o.insert(QString::fromUtf16(name), values.*f.member);
    }
    return o;
}

void printJson(CliRun &run, const QString &name, const DishValues &v, const colBludo &summary)
{
    QJsonObject root;
    root.insert(QStringLiteral("name"), name);
    root.insert(QStringLiteral("output"), v.output);
    root.insert(QStringLiteral("netto"), v.netto);
    root.insert(QStringLiteral("passes"), v.passes);
    root.insert(QStringLiteral("settled"), v.settled);
    root.insert(QStringLiteral("kcal"), roundTo(v.kcal, 1));
    root.insert(QStringLiteral("kj"), roundTo(v.kj, 1));
    root.insert(QStringLiteral("totals"), fieldsJson(v.composition));
    root.insert(QStringLiteral("rawTotals"), fieldsJson(v.raw));
    if (v.hasPer100) {
        root.insert(QStringLiteral("per100g"), fieldsJson(v.per100));
        root.insert(QStringLiteral("kcalPer100g"), roundTo(v.kcalPer100, 1));
        root.insert(QStringLiteral("kjPer100g"), roundTo(v.kjPer100, 1));
        root.insert(QStringLiteral("dryMatterPercent"), roundTo(v.dryMatter, 2));
    }
    root.insert(QStringLiteral("composition"), v.text);
    QJsonArray products;
    for (const clsBludo &b : summary) {
        const clsProds &p = b.clsProds();
        QJsonObject o;
        o.insert(QStringLiteral("product"), p.ID_Prod);
        o.insert(QStringLiteral("name"), p.FullName.isEmpty() ? p.ShortName : p.FullName);
        o.insert(QStringLiteral("brutto"), p.Brutto);
        o.insert(QStringLiteral("netto"), p.Netto);
        products.append(o);
    }
    root.insert(QStringLiteral("summary"), products);
    run.out << QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Indented));
}

void printText(CliRun &run, const QString &name, const DishValues &v, const colBludo &summary)
{
    run.out << name << '\t' << formatNumber(v.output) << " г\n";
    run.out << "Масса нетто продуктов, г\t" << formatFixed(v.netto, 1) << '\n';
    run.out << "\tвсего\tна 100 г\n";
    for (const Shown &s : kShown) {
        run.out << QString::fromUtf16(s.caption) << '\t' << formatFixed(v.composition.*s.member, s.decimals) << '\t'
                << (v.hasPer100 ? formatFixed(v.per100.*s.member, s.decimals) : QStringLiteral("-")) << '\n';
    }
    run.out << "Энергетическая ценность, ккал\t" << formatFixed(v.kcal, 1) << '\t'
            << (v.hasPer100 ? formatFixed(v.kcalPer100, 1) : QStringLiteral("-")) << '\n';
    run.out << "Энергетическая ценность, кДж\t" << formatFixed(v.kj, 1) << '\t'
            << (v.hasPer100 ? formatFixed(v.kjPer100, 1) : QStringLiteral("-")) << '\n';
    if (v.hasPer100)
        run.out << "Массовая доля сухих веществ, %\t" << formatFixed(v.dryMatter, 1) << '\n';
    run.out << "Состав: " << v.text << '\n';
    run.out << "Сводная рецептура (брутто, нетто, г):\n";
    for (const clsBludo &b : summary) {
        const clsProds &p = b.clsProds();
        run.out << p.ID_Prod << '\t' << (p.FullName.isEmpty() ? p.ShortName : p.FullName) << '\t'
                << formatFixed(p.Brutto, 1) << '\t' << formatFixed(p.Netto, 1) << '\n';
    }
}

int computeCommand(CliRun &run)
{
    QStringList a = run.args;
    QString table;
    QString out;
    bool json = false;
    for (int i = 0; i < a.size(); ++i) {
        if ((a[i] == u"--table" || a[i] == u"--out") && i + 1 < a.size()) {
            (a[i] == u"--table" ? table : out) = a[i + 1];
            a.remove(i, 2);
            --i;
        } else if (a[i] == u"--json") {
            json = true;
            a.remove(i);
            --i;
        } else if (a[i].startsWith(u"--")) {
            return usage(run);
        }
    }
    if (a.size() != 1 || a[0].trimmed().isEmpty())
        return usage(run);
    const QString name = a[0];
    // An output that reads as no grams would load the recipe unscaled and
    // then refuse every value per 100 g: say so at once.
    if (!out.isEmpty() && outputValue(out) <= 0) {
        run.err << "Неверный выход: " << out << '\n';
        return kExitUsage;
    }

    CliEnvironment env(run);
    std::optional<CliRecipeTable> opened = openRecipeTable(env, run, table);
    if (!opened)
        return kExitFailed;
    DishBase &base = *opened->base;
    const QString &resolvedTable = opened->table;
    RecipeSlots memory;
    const Result<LoadedRecipe> loaded = base.load(memory, 1, resolvedTable, name, out);
    if (!loaded) {
        run.err << loaded.error() << '\n';
        return kExitFailed;
    }

    HeatTreatmentTables losses;
    env.loadLossTables(losses, run);

    const DishValues values = computeDish(*memory.slot(1), name, outputValue(loaded->output), losses, run.prompter);
    if (values.hasPer100)
        checkPlausibility(values.per100, run.prompter);
    if (const Status s = buildSummaryRecipe(memory, 1, 1, run.prompter); !s) {
        run.err << s.error() << '\n';
        return kExitFailed;
    }
    if (json)
        printJson(run, name, values, *memory.summary(1));
    else
        printText(run, name, values, *memory.summary(1));
    return values.hasPer100 ? kExitOk : kExitFailed;
}

const CliRegistrar computeRegistrar({QStringLiteral("compute"), kComputeUsage,
    QStringLiteral("compute a recipe: totals, values per 100 g, energy (kcal, kJ) and the summary of raw products"),
    computeCommand});

} // namespace
} // namespace kulvera
