#include "CliCommand.h"
#include "CliEnvironment.h"
#include "CliRecipeTable.h"
#include "RecipeFileCommands.h"

#include "common/NumberText.h"
#include "recipes/DishBase.h"
#include "shell/DishCollections.h"
#include "shell/SettingsStore.h"
#include "shell/SqlDialect.h"

namespace kulvera {
namespace {

const QString kRecipesUsage = QStringLiteral("recipes list [--table T] | recipes show NAME [--out TEXT] [--table T] | "
                                             "recipes compute NAME [--out TEXT] [--json] | "
                                             "recipes export-nd2 NAME FILE [--table T] [--out TEXT] | "
                                             "recipes import-nd2 FILE [--table T] [--name NEW] | "
                                             "recipes export-all TABLE FOLDER");

int usage(CliRun &run)
{
    run.err << "Usage: " << kRecipesUsage << '\n';
    return kExitUsage;
}

// "recipes compute ..." is the compute command under the recipes word.
int forwardToCompute(CliRun &run)
{
    for (const CliCommand &c : cliCommands()) {
        if (c.name == u"compute") {
            CliRun rest {run.args.mid(1), run.prompter, run.settings, run.out, run.err};
            return c.run(rest);
        }
    }
    return usage(run);
}

int recipesCommand(CliRun &run)
{
    if (!run.args.isEmpty() && run.args.first() == u"compute")
        return forwardToCompute(run);
    if (!run.args.isEmpty() && isRecipeFileCommand(run.args.first()))
        return recipeFileCommand(run);
    QStringList a = run.args;
    QString table;
    QString out;
    for (int i = 1; i < a.size(); ++i) {
        if ((a[i] == u"--table" || a[i] == u"--out") && i + 1 < a.size()) {
            (a[i] == u"--table" ? table : out) = a[i + 1];
            a.remove(i, 2);
            --i;
        } else if (a[i].startsWith(u"--")) {
            return usage(run);
        }
    }
    const bool list = a.size() == 1 && a[0] == u"list" && out.isEmpty();
    const bool show = a.size() == 2 && a[0] == u"show";
    if (!list && !show)
        return usage(run);

    CliEnvironment env(run);
    std::optional<CliRecipeTable> opened = openRecipeTable(env, run, table);
    if (!opened)
        return kExitFailed;
    DishBase &base = *opened->base;
    const QString &resolvedTable = opened->table;

    if (list) {
        const Result<QStringList> names = base.recipeNames(resolvedTable);
        if (!names) {
            run.err << names.error() << '\n';
            return kExitFailed;
        }
        for (const QString &name : names.value())
            run.out << name << '\n';
        return kExitOk;
    }

    RecipeSlots memory;
    const Result<LoadedRecipe> loaded = base.load(memory, 1, resolvedTable, a[1], out);
    if (!loaded) {
        run.err << loaded.error() << '\n';
        return kExitFailed;
    }
    run.out << a[1] << '\t' << loaded->output << '\n';
    for (const clsBludo &b : *memory.slot(1)) {
        const clsProds &p = b.clsProds();
        run.out << p.Kod.toString() << '\t' << p.ID_Prod << '\t' << (p.FullName.isEmpty() ? p.ShortName : p.FullName)
                << '\t' << formatNumber(p.Brutto) << '\t' << formatNumber(p.Netto) << '\t' << p.Out << '\n';
    }
    return kExitOk;
}

const CliRegistrar recipesRegistrar({QStringLiteral("recipes"), kRecipesUsage,
    QStringLiteral("list the recipes of a dish table, show one with its positions, or exchange "
                   "recipes as .nd2 files"),
    recipesCommand});

} // namespace
} // namespace kulvera
