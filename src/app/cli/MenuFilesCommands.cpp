#include "CliCommand.h"

#include "CliEnvironment.h"
#include "CliMenuAccess.h"
#include "CliRecipeTable.h"

#include "common/Clock.h"
#include "common/TextDate.h"
#include "costing/NormBase.h"
#include "menus/MenuBase.h"
#include "menus/MenuDateList.h"
#include "menus/MenuExportFile.h"
#include "menus/RationEditing.h"
#include "menus/RationFile.h"
#include "menus/SqlMenuFile.h"
#include "recipes/HeatTreatment.h"
#include "shell/SettingsStore.h"

#include <memory>

// The menu file verbs of `menus`: the ration file (save-ration, load-ration),
// the menu export (export, import) and the menu transfer (export-sql,
// import-sql).

namespace kulvera {
namespace {

struct FileArgs {
    QStringList words;
    QString group;
    QString date;
    QString title;
    bool hasGroup = false;
    bool bad = false;
};

FileArgs parseFileArgs(const QStringList &args)
{
    FileArgs a;
    for (int i = 0; i < args.size(); ++i) {
        const QString &w = args[i];
        const bool hasValue = i + 1 < args.size();
        if (w == u"--group" && hasValue) {
            a.group = args[++i];
            a.hasGroup = true;
        } else if (w == u"--date" && hasValue) {
            a.date = args[++i];
        } else if (w == u"--title" && hasValue) {
            a.title = args[++i];
        } else if (w.startsWith(u"--")) {
            a.bad = true;
        } else {
            a.words << w;
        }
    }
    return a;
}

int usageOf(CliRun &run, const char *usage)
{
    run.err << "Usage: " << usage << '\n';
    return kExitUsage;
}

int failed(CliRun &run, const QString &error)
{
    if (!error.isEmpty())
        run.err << error << '\n';
    return kExitFailed;
}

void printSummary(CliRun &run, const RationImportSummary &s)
{
    run.out << "Рационов в файле: " << s.rations << ", добавлено: " << s.added << ", заменено: " << s.replaced
            << ", оставлено прежних: " << s.kept << ", на заблокированные дни: " << s.locked << ", строк: " << s.rows
            << '\n';
}

const char kSaveRationUsage[] = "menus save-ration DATE FILE [--group G] [--title T]";
int saveRation(CliRun &run)
{
    const FileArgs a = parseFileArgs(run.args);
    if (a.bad || a.words.size() != 2)
        return usageOf(run, kSaveRationUsage);
    const std::optional<QDate> date = dateArgument(a.words[0]);
    if (!date) {
        run.err << "Не удалось распознать дату! " << a.words[0] << '\n';
        return kExitUsage;
    }
    CliMenuAccess m(run);
    if (!m.base)
        return kExitFailed;
    const Result<Ration> ration = m.base->load({*date, a.group});
    if (!ration)
        return failed(run, ration.error());
    if (ration->isEmpty())
        return failed(run, QStringLiteral("Рацион не найден"));
    RationFileInfo info;
    info.title = a.title.isEmpty() ? run.settings.get(Section::Data, kRationTitleKey.toString()) : a.title;
    bool numeric = false;
    const qint64 normCode = ration->normCode().toLongLong(&numeric);
    if (numeric) {
        const NormBase norms(m.env.connections(), m.base->number(), run.prompter);
        if (const Result<NormRecord> norm = norms.loadByCode(normCode))
            info.normName = norm->name;
    }
    HeatTreatmentTables losses;
    m.env.loadLossTables(losses, run);
    SystemClock clock;
    const RecipeFileContext context {run.prompter, losses, clock, nullptr, {}};
    const Status s = saveRationFile(ration.value(), a.words[1], info, context);
    return s ? kExitOk : failed(run, s.error());
}

const char kLoadRationUsage[] = "menus load-ration FILE [--date D]";
int loadRation(CliRun &run)
{
    const FileArgs a = parseFileArgs(run.args);
    if (a.bad || a.hasGroup || a.words.size() != 1)
        return usageOf(run, kLoadRationUsage);
    std::optional<QDate> date;
    if (!a.date.isEmpty()) {
        date = dateArgument(a.date);
        if (!date) {
            run.err << "Не удалось распознать дату! " << a.date << '\n';
            return kExitUsage;
        }
    }
    CliMenuAccess m(run);
    if (!m.base)
        return kExitFailed;
    HeatTreatmentTables losses;
    m.env.loadLossTables(losses, run);
    SystemClock clock;
    const RecipeFileContext context {run.prompter, losses, clock, nullptr, {}};
    Result<LoadedRation> loaded = loadRationFile(a.words[0], context);
    if (!loaded || loaded->ration.isEmpty())
        return failed(run, QStringLiteral("Не удалось загрузить рацион"));
    Ration ration = loaded.value().ration;
    if (date)
        ration.setKey({*date, ration.group()});
    if (!ration.date().isValid())
        return failed(run, QStringLiteral("В файле нет даты рациона: укажите --date"));
    if (m.base->exists(ration.key())
        && !run.prompter.confirm(QStringLiteral("На дату ") + formatTextDate(ration.date())
                + QStringLiteral(" для группы '") + groupCaption(ration.group())
                + QStringLiteral("' уже есть рацион. Заменить его рационом из файла?"),
            MenuBase::kTitle.toString(), QStringLiteral("ReplaceRationFromFile")))
        return failed(run, QStringLiteral("Рацион не загружен: на эту дату уже есть рацион"));
    const RationEditing editing(*m.base);
    if (const Status s = editing.save(ration); !s)
        return failed(run, s.error());
    run.out << "Рацион загружен: " << formatTextDate(ration.date()) << '\t' << groupCaption(ration.group()) << '\t'
            << ration.dishCount() << '\n';
    return kExitOk;
}

const char kExportUsage[] = "menus export DATES FILE";
int exportMenu(CliRun &run)
{
    const FileArgs a = parseFileArgs(run.args);
    if (a.bad || a.hasGroup || !a.date.isEmpty() || a.words.size() != 2)
        return usageOf(run, kExportUsage);
    const Result<std::vector<QDate>> days = parseMenuDateList(a.words[0]);
    if (!days)
        return failed(run, days.error());
    CliMenuAccess m(run);
    if (!m.base)
        return kExitFailed;
    const Result<int> rows = saveMenuExportFile(*m.base, days.value(), a.words[1]);
    if (!rows)
        return failed(run, rows.error());
    run.out << "Строк: " << rows.value() << '\n';
    return kExitOk;
}

// Both loaders take one file and add its rations, asking about those already there.
int importWith(CliRun &run, const char *usage, Result<RationImportSummary> (*load)(const MenuBase &, const QString &))
{
    const FileArgs a = parseFileArgs(run.args);
    if (a.bad || a.hasGroup || a.words.size() != 1)
        return usageOf(run, usage);
    CliMenuAccess m(run);
    if (!m.base)
        return kExitFailed;
    const Result<RationImportSummary> s = load(*m.base, a.words[0]);
    if (!s)
        return failed(run, s.error());
    printSummary(run, s.value());
    return kExitOk;
}

const char kImportUsage[] = "menus import FILE";
int importMenu(CliRun &run)
{
    return importWith(run, kImportUsage, loadMenuExportFile);
}

const char kExportSqlUsage[] = "menus export-sql DATES FILE [--group G]";
int exportSql(CliRun &run)
{
    const FileArgs a = parseFileArgs(run.args);
    if (a.bad || !a.date.isEmpty() || a.words.size() != 2)
        return usageOf(run, kExportSqlUsage);
    const Result<std::vector<QDate>> days = parseMenuDateList(a.words[0]);
    if (!days)
        return failed(run, days.error());
    CliMenuAccess m(run);
    if (!m.base)
        return kExitFailed;
    const Result<int> rows = saveSqlMenuFile(
        *m.base, days.value(), a.hasGroup ? std::optional<QString>(a.group) : std::nullopt, a.words[1]);
    if (!rows)
        return failed(run, rows.error());
    run.out << "Строк: " << rows.value() << '\n';
    return kExitOk;
}

const char kImportSqlUsage[] = "menus import-sql FILE";
int importSql(CliRun &run)
{
    return importWith(
        run, kImportSqlUsage, [](const MenuBase &base, const QString &path) { return loadSqlMenuFile(base, path); });
}

const CliRegistrar saveRationRegistrar({QStringLiteral("menus"), QString::fromLatin1(kSaveRationUsage),
    QStringLiteral("write a ration as a ration file (.menu)"), saveRation, QStringLiteral("save-ration")});
const CliRegistrar loadRationRegistrar({QStringLiteral("menus"), QString::fromLatin1(kLoadRationUsage),
    QStringLiteral("load a ration file into the menu base"), loadRation, QStringLiteral("load-ration")});
const CliRegistrar exportRegistrar({QStringLiteral("menus"), QString::fromLatin1(kExportUsage),
    QStringLiteral("export the rations of dates (\"d1, d2\") as a menu export file (.menu)"), exportMenu,
    QStringLiteral("export")});
const CliRegistrar importRegistrar({QStringLiteral("menus"), QString::fromLatin1(kImportUsage),
    QStringLiteral("add the rations of a menu export file"), importMenu, QStringLiteral("import")});
const CliRegistrar exportSqlRegistrar({QStringLiteral("menus"), QString::fromLatin1(kExportSqlUsage),
    QStringLiteral("export the rations of dates as a menu transfer file (.sql_menu)"), exportSql,
    QStringLiteral("export-sql")});
const CliRegistrar importSqlRegistrar({QStringLiteral("menus"), QString::fromLatin1(kImportSqlUsage),
    QStringLiteral("add the rations of a menu transfer file (.sql_menu)"), importSql, QStringLiteral("import-sql")});

} // namespace
} // namespace kulvera
