#include "RecipeFileCommands.h"

#include "CliEnvironment.h"
#include "CliRecipeTable.h"

#include "common/Clock.h"
#include "common/Prompter.h"
#include "recipes/HeatTreatment.h"
#include "recipes/Microbiology.h"
#include "recipes/RecipeExport.h"
#include "shell/SettingsStore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

namespace kulvera {
namespace {

int usage(CliRun &run)
{
    run.err << "Usage: " << recipeFileUsage() << '\n';
    return kExitUsage;
}

// What writing and reading recipe files need, read the way the program
// reads it at start: losses (built-in ones when the bases are missing) and
// the microbiological indicator sets.
struct FileTools {
    HeatTreatmentTables losses;
    MicrobiologyBase microbiology;
    SystemClock clock;
    std::unique_ptr<RecipeFileContext> context;

    FileTools(CliEnvironment &env, CliRun &run)
    {
        env.loadLossTables(losses, run);
        const MicrobiologyBase *mb = env.loadMicrobiology(microbiology, run) ? &microbiology : nullptr;
        context = std::make_unique<RecipeFileContext>(RecipeFileContext {run.prompter, losses, clock, mb, {}});
    }
};

// Takes "--flag VALUE" pairs out of the words; false on an unknown flag.
bool takeOptions(QStringList &a, std::map<QString, QString> &options)
{
    for (int i = 1; i < a.size(); ++i) {
        if (!a[i].startsWith(u"--"))
            continue;
        if (!options.count(a[i]) || i + 1 >= a.size())
            return false;
        options[a[i]] = a[i + 1];
        a.remove(i, 2);
        --i;
    }
    return true;
}

int exportOne(CliRun &run, const QString &name, const QString &file, const QString &table, const QString &out)
{
    CliEnvironment env(run);
    std::optional<CliRecipeTable> opened = openRecipeTable(env, run, table);
    if (!opened)
        return kExitFailed;
    RecipeSlots memory;
    const Result<LoadedRecipe> loaded = opened->base->load(memory, 1, opened->table, name, out);
    if (!loaded) {
        run.err << loaded.error() << '\n';
        return kExitFailed;
    }
    FileTools tools(env, run);
    colBludo &slot = *memory.slot(1);
    const Status s = saveRecipeFile(slot, headerOfSlot(slot, name, loaded->output), file, *tools.context);
    if (!s) {
        if (!s.error().isEmpty())
            run.err << s.error() << '\n';
        return kExitFailed;
    }
    return kExitOk;
}

int importOne(CliRun &run, const QString &file, const QString &table, const QString &name)
{
    CliEnvironment env(run);
    std::optional<CliRecipeTable> opened = openRecipeTable(env, run, table);
    if (!opened)
        return kExitFailed;
    FileTools tools(env, run);
    const Result<QString> saved
        = importRecipeFile(*opened->base, opened->table, file, name, run.settings, *tools.context);
    if (!saved) {
        run.err << saved.error() << '\n';
        return kExitFailed;
    }
    run.out << "Рецептура '" << saved.value() << "' сохранена в " << opened->table << '\n';
    return kExitOk;
}

int exportAll(CliRun &run, const QString &table, const QString &folder)
{
    CliEnvironment env(run);
    std::optional<CliRecipeTable> opened = openRecipeTable(env, run, table);
    if (!opened)
        return kExitFailed;
    const Result<QStringList> names = opened->base->recipeNames(opened->table);
    if (!names) {
        run.err << names.error() << '\n';
        return kExitFailed;
    }
    FileTools tools(env, run);
    QElapsedTimer timer;
    timer.start();
    const Result<ExportSummary> done = exportRecipes(*opened->base, opened->table, *names, folder, *tools.context);
    if (!done) {
        run.err << done.error() << '\n';
        return kExitFailed;
    }
    run.out << "Записано файлов: " << done->written << " из " << names->size() << " (" << timer.elapsed() << " мс)\n";
    for (const QString &n : done->failed)
        run.err << "Не записана рецептура: " << n << '\n';
    return done->failed.isEmpty() ? kExitOk : kExitFailed;
}

} // namespace

QString recipeFileUsage()
{
    return QStringLiteral("recipes export-nd2 NAME FILE [--table T] [--out TEXT] | recipes import-nd2 FILE "
                          "[--table T] [--name NEW] | recipes export-all TABLE FOLDER");
}

bool isRecipeFileCommand(const QString &word)
{
    return word == u"export-nd2" || word == u"import-nd2" || word == u"export-all";
}

int recipeFileCommand(CliRun &run)
{
    QStringList a = run.args;
    std::map<QString, QString> options;
    if (a[0] == u"export-nd2") {
        options = {{QStringLiteral("--table"), {}}, {QStringLiteral("--out"), {}}};
        if (!takeOptions(a, options) || a.size() != 3 || a[1].trimmed().isEmpty())
            return usage(run);
        return exportOne(run, a[1], a[2], options[QStringLiteral("--table")], options[QStringLiteral("--out")]);
    }
    if (a[0] == u"import-nd2") {
        options = {{QStringLiteral("--table"), {}}, {QStringLiteral("--name"), {}}};
        if (!takeOptions(a, options) || a.size() != 2)
            return usage(run);
        return importOne(run, a[1], options[QStringLiteral("--table")], options[QStringLiteral("--name")]);
    }
    if (a[0] == u"export-all") {
        if (!takeOptions(a, options) || a.size() != 3)
            return usage(run);
        return exportAll(run, a[1], a[2]);
    }
    return usage(run);
}

} // namespace kulvera
