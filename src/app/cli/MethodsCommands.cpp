#include "CliCommand.h"
#include "CliEnvironment.h"

#include "shell/Catalogue.h"
#include "shell/SettingsStore.h"
#include "util/MethodStore.h"

namespace kulvera {
namespace {

const QString kMethodsUsage = QStringLiteral("methods list [--all]");

// One method a line (key, name, formula), its parameters indented below as
// "designation  name  [unit]". Hidden methods only with --all.
int methodsCommand(CliRun &run)
{
    const QStringList &a = run.args;
    const bool all = a.size() == 2 && a[1] == u"--all";
    if (a.isEmpty() || a[0] != u"list" || (a.size() > 1 && !all)) {
        run.err << "Usage: " << kMethodsUsage << '\n';
        return kExitUsage;
    }
    CliEnvironment env(run);
    if (env.connections().connectBase(BaseId::Methods, env.shared(), true) == Connections::kFailed) {
        run.err << "Cannot open the methods base " << basePath(BaseId::Methods, run.settings, env.shared()) << '\n';
        return kExitFailed;
    }
    MethodStore store(env.connections().database(BaseId::Methods), &env.errorLog());
    const Result<MethodCatalog> catalog = store.load();
    if (!catalog) {
        run.err << catalog.error() << '\n';
        return kExitFailed;
    }
    int shown = 0;
    for (const Method &m : catalog->methods) {
        if (m.hidden && !all)
            continue;
        ++shown;
        run.out << m.id << '\t' << methodDisplayName(m) << (m.hidden ? QStringLiteral(" (скрыт)") : QString()) << '\t'
                << m.formula;
        if (!m.unit.isEmpty())
            run.out << '\t' << m.unit;
        run.out << '\n';
        for (const MethodParam *p : catalog->paramsOf(m.id)) {
            run.out << "    " << p->designation << '\t' << p->name;
            if (!p->unit.isEmpty())
                run.out << " [" << p->unit << ']';
            run.out << '\n';
        }
    }
    if (shown == 0)
        run.err << "No methods in " << env.connections().path(static_cast<int>(BaseId::Methods)) << '\n';
    return kExitOk;
}

const CliRegistrar methodsRegistrar({QStringLiteral("methods"), kMethodsUsage,
    QStringLiteral("list the research methods with their formulas and parameters"), methodsCommand});

} // namespace
} // namespace kulvera
