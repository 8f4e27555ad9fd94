#include "CliCommand.h"
#include "CliEnvironment.h"

#include "common/Clock.h"
#include "costing/NormBase.h"
#include "costing/NormFile.h"
#include "shell/Catalogue.h"
#include "shell/SettingsStore.h"

#include <QDateTime>

namespace kulvera {
namespace {

const QString kNormsUsage = QStringLiteral("norms list | norms export NAME FILE | norms import FILE");

int normsCommand(CliRun &run)
{
    const QStringList &a = run.args;
    const QString verb = a.value(0);
    if (!((verb == u"list" && a.size() == 1) || (verb == u"export" && a.size() == 3)
            || (verb == u"import" && a.size() == 2))) {
        run.err << "Usage: " << kNormsUsage << '\n';
        return kExitUsage;
    }
    CliEnvironment env(run);
    const int number = env.connections().connectBase(BaseId::Menu, env.shared(), true);
    if (number == Connections::kFailed) {
        run.err << "Cannot open the menu base " << basePath(BaseId::Menu, run.settings, env.shared()) << '\n';
        return kExitFailed;
    }
    const NormBase norms(env.connections(), number, run.prompter);
    if (verb == u"list") {
        const auto all = norms.all();
        if (!all) {
            run.err << all.error() << '\n';
            return kExitFailed;
        }
        for (const NormRecord &n : *all)
            run.out << n.code << '\t' << n.name << '\t' << n.products.size() << '\n';
        return kExitOk;
    }
    if (verb == u"export") {
        const Result<NormRecord> norm = norms.loadByName(a[1]);
        if (!norm)
            return kExitFailed;
        SystemClock clock;
        return saveNormFile(*norm, a[2], clock.now(), run.prompter) ? kExitOk : kExitFailed;
    }
    const Result<qint64> code = importNormFile(norms, a[1], run.prompter);
    if (!code)
        return kExitFailed;
    run.out << "Норма загружена: " << *code << '\n';
    return kExitOk;
}

const CliRegistrar normsRegistrar({QStringLiteral("norms"), kNormsUsage,
    QStringLiteral("physiological norms of the menu base: list, export to and import from \".fz\" files"),
    normsCommand});

} // namespace
} // namespace kulvera
