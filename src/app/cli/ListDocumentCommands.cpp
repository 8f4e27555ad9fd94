#include "CliCommand.h"
#include "CliEnvironment.h"
#include "CliRecipeTable.h"
#include "PdfConversion.h"

#include "common/Clock.h"
#include "documents/DefaultTemplates.h"
#include "documents/ListDocuments.h"
#include "products/ProductBase.h"
#include "products/UnitBase.h"
#include "shell/Catalogue.h"
#include "shell/SettingsStore.h"

namespace kulvera {
namespace {

const QString kStatementUsage = QStringLiteral("products statement -o OUT.xlsx [--pdf]");
const QString kRegisterUsage = QStringLiteral("recipes register TABLE -o OUT.xlsx [--pdf]");

// "-o OUT" and "--pdf" around the positional words; false on anything else.
bool parseOutput(QStringList &a, QString &outputPath, bool &pdf)
{
    for (int i = 0; i < a.size(); ++i) {
        if (a[i] == u"-o") {
            if (i + 1 >= a.size())
                return false;
            outputPath = a[i + 1];
            a.remove(i, 2);
            --i;
        } else if (a[i] == u"--pdf") {
            pdf = true;
            a.remove(i);
            --i;
        } else if (a[i].startsWith(u'-')) {
            return false;
        }
    }
    return !outputPath.isEmpty();
}

// As at start: a templates folder without our templates gets them.
void makeMissingTemplates(CliEnvironment &env, CliRun &run)
{
    if (const Result<QStringList> made = createMissingTemplates(env.shared().templatesFolder(), run.settings); !made)
        run.err << made.error() << '\n';
}

int report(const Result<ListOutcome> &made, const QString &doneText, bool pdf, CliRun &run)
{
    if (!made) {
        run.err << made.error() << '\n';
        return kExitFailed;
    }
    for (const QString &p : made->problems)
        run.out << p << '\n';
    run.out << doneText << '\n' << made->path << '\n';
    if (pdf)
        return convertToPdf(made->path, run) ? kExitOk : kExitFailed;
    return kExitOk;
}

int statementCommand(CliRun &run)
{
    QStringList a = run.args;
    QString outputPath;
    bool pdf = false;
    if (!parseOutput(a, outputPath, pdf) || !a.isEmpty()) {
        run.err << "Usage: " << kStatementUsage << '\n';
        return kExitUsage;
    }
    CliEnvironment env(run);
    if (env.connections().connectBase(BaseId::Products, env.shared(), true) == Connections::kFailed) {
        run.err << "Не удалось подключиться к базе продуктов: "
                << basePath(BaseId::Products, run.settings, env.shared()) << '\n';
        return kExitFailed;
    }
    // Groups and units live in the warehouse base.
    const int warehouse = env.connections().connectBase(BaseId::Warehouse, env.shared(), true);
    if (warehouse == Connections::kFailed) {
        run.err << "Cannot open the warehouse base " << basePath(BaseId::Warehouse, run.settings, env.shared()) << '\n';
        return kExitFailed;
    }
    UnitBase units(env.connections(), run.settings, run.prompter, warehouse);
    if (!units.available())
        return kExitFailed;
    SystemClock clock;
    const ProductBase products(env.connections(), run.settings, run.prompter, clock);
    const auto rows = products.list();
    if (!rows) {
        run.err << rows.error() << '\n';
        return kExitFailed;
    }
    makeMissingTemplates(env, run);
    const std::vector<StatementLine> lines = productStatementLines(units.groups(), units.units(), *rows);
    const Result<ListOutcome> made
        = produceProductStatement(lines, env.shared().templatesFolder(), run.settings, outputPath, run.prompter);
    return report(made, made ? statementExportedText(made->errors) : QString(), pdf, run);
}

int registerCommand(CliRun &run)
{
    QStringList a = run.args;
    QString outputPath;
    bool pdf = false;
    if (!parseOutput(a, outputPath, pdf) || a.size() != 1 || a[0].trimmed().isEmpty()) {
        run.err << "Usage: " << kRegisterUsage << '\n';
        return kExitUsage;
    }
    CliEnvironment env(run);
    std::optional<CliRecipeTable> opened = openRecipeTable(env, run, a[0]);
    if (!opened)
        return kExitFailed;
    QStringList skipped;
    const std::vector<RegisterLine> lines = recipeRegisterLines(*opened->base, opened->table, &skipped);
    for (const QString &name : skipped)
        run.err << "Рецептура не загружена: " << name << '\n';
    makeMissingTemplates(env, run);
    const Result<ListOutcome> made
        = produceRecipeRegister(lines, env.shared().templatesFolder(), run.settings, outputPath, run.prompter);
    return report(made, made ? registerExportedText(made->errors) : QString(), pdf, run);
}

const CliRegistrar statementRegistrar({QStringLiteral("products"), kStatementUsage,
    QStringLiteral("export the product statement (groups, units, prices) through its template"), statementCommand,
    QStringLiteral("statement")});
const CliRegistrar registerRegistrar({QStringLiteral("recipes"), kRegisterUsage,
    QStringLiteral("export the register of recipes of a dish table through its template"), registerCommand,
    QStringLiteral("register")});

} // namespace
} // namespace kulvera
