#include "CliCommand.h"
#include "CliEnvironment.h"
#include "CliRecipeTable.h"
#include "PdfConversion.h"

#include "documents/CardDocument.h"
#include "documents/DefaultTemplates.h"
#include "documents/DishSheets.h"
#include "recipes/HeatTreatment.h"
#include "recipes/Masses.h"
#include "recipes/Microbiology.h"
#include "shell/SettingsStore.h"

namespace kulvera {
namespace {

const QString kCardUsage = QStringLiteral("card NAME [--type 1-4] [--template FILE | --generated] [--full] "
                                          "[--composition | --chemistry] [--table T] [--out TEXT] -o OUT.xlsx [--pdf]");

int usage(CliRun &run)
{
    run.err << "Usage: " << kCardUsage << '\n';
    return kExitUsage;
}

int cardCommand(CliRun &run)
{
    QStringList a = run.args;
    QString table, outputText, templateFile, outputPath;
    CardRequest request;
    bool pdf = false;
    bool composition = false; // the sheet of positions instead of the card
    bool chemistry = false; // the full chemical-composition table instead of the card
    for (int i = 0; i < a.size(); ++i) {
        const QString word = a[i];
        const bool valued
            = word == u"--table" || word == u"--out" || word == u"--template" || word == u"-o" || word == u"--type";
        if (valued) {
            if (i + 1 >= a.size())
                return usage(run);
            const QString v = a[i + 1];
            if (word == u"--table")
                table = v;
            else if (word == u"--out")
                outputText = v;
            else if (word == u"--template")
                templateFile = v;
            else if (word == u"-o")
                outputPath = v;
            else {
                bool ok = false;
                const int type = v.toInt(&ok);
                if (!ok || type < 1 || type > 4)
                    return usage(run);
                request.options.cardType = type;
            }
            a.remove(i, 2);
            --i;
        } else if (word == u"--generated" || word == u"--pdf" || word == u"--full") {
            (word == u"--generated"    ? request.generated
                    : word == u"--pdf" ? pdf
                                       : request.options.fullComposition)
                = true;
            a.remove(i);
            --i;
        } else if (word == u"--composition" || word == u"--chemistry") {
            (word == u"--composition" ? composition : chemistry) = true;
            a.remove(i);
            --i;
        } else if (word.startsWith(u'-')) {
            return usage(run);
        }
    }
    const bool wholeCard = !composition && !chemistry;
    if (a.size() != 1 || a[0].trimmed().isEmpty() || outputPath.isEmpty()
        || (request.generated && !templateFile.isEmpty()) || (composition && chemistry)
        || (!wholeCard && (request.generated || !templateFile.isEmpty() || request.options.cardType)))
        return usage(run);
    const QString name = a[0];

    CliEnvironment env(run);
    std::optional<CliRecipeTable> opened = openRecipeTable(env, run, table);
    if (!opened)
        return kExitFailed;
    RecipeSlots memory;
    const Result<LoadedRecipe> loaded = opened->base->load(memory, 1, opened->table, name, outputText);
    if (!loaded) {
        run.err << loaded.error() << '\n';
        return kExitFailed;
    }

    HeatTreatmentTables losses;
    env.loadLossTables(losses, run);
    MicrobiologyBase microbiology;
    env.loadMicrobiology(microbiology, run);

    const auto log = [&run](const QString &line) { run.out << line << '\n'; };
    if (!wholeCard) {
        if (chemistry) {
            if (const Result<QStringList> made = createMissingTemplates(env.shared().templatesFolder(), run.settings);
                !made)
                run.err << made.error() << '\n';
        }
        const Result<CardOutcome> made = composition
            ? produceCompositionSheet(
                *memory.slot(1), name, loaded->output, outputPath, losses, run.settings, run.prompter, log)
            : produceFullComposition(*memory.slot(1), name, loaded->output, env.shared().templatesFolder(), outputPath,
                losses, run.settings, run.prompter, log);
        if (!made) {
            run.err << made.error() << '\n';
            return kExitFailed;
        }
        run.out << made->path << '\n';
        return pdf ? (convertToPdf(made->path, run) ? kExitOk : kExitFailed) : kExitOk;
    }

    request.templatesFolder = env.shared().templatesFolder();
    request.templateFile = templateFile;
    request.outputPath = outputPath;
    if (!request.generated && templateFile.isEmpty()) {
        // As at start: a templates folder without our templates gets them.
        if (const Result<QStringList> made = createMissingTemplates(request.templatesFolder, run.settings); !made)
            run.err << made.error() << '\n';
    }
    const Result<CardOutcome> card = produceCard(*memory.slot(1), name, loaded->output, request, losses,
        microbiology.loaded() ? &microbiology : nullptr, run.settings, run.prompter, log);
    if (!card) {
        run.err << card.error() << '\n';
        return kExitFailed;
    }
    run.out << card->path << '\n';
    if (pdf)
        return convertToPdf(card->path, run) ? kExitOk : kExitFailed;
    return kExitOk;
}

const CliRegistrar cardRegistrar({QStringLiteral("card"), kCardUsage,
    QStringLiteral("print the technical-technological card of a recipe into a workbook (and PDF with LibreOffice)"),
    cardCommand});

} // namespace
} // namespace kulvera
